// uninstall.exe: removes what the installer's record names, after the user has said yes.
// Exit codes: 0 removed (some files perhaps at restart) or not confirmed, 1 not everything
// could be removed, 2 nothing installed here or the record cannot be used.
#include "../framework/WinApp.h"
#include "../install/services/InstallFile.h"
#include "../install/services/Product.h"
#include "Removal.h"
#include "res/resource.h"

namespace {
class CUninstallApp : public CWinApp {
public:
    BOOL InitInstance() override;

private:
    void Remove(const CString& strDir, const std::vector<RecordEntry>& entries);
};

CUninstallApp theApp;

CString LoadFormatted(UINT nID, const char* pszArg, const char* pszArg2 = nullptr) {
    CString format, text;
    format.LoadString(nID);
    text.Format(format, pszArg, pszArg2);
    return text;
}
}  // namespace

BOOL CUninstallApp::InitInstance() {
    const UninstallRun run = ParseUninstallArgs(m_lpCmdLine);
    if (run.bFinish) {
        Finish(run);
        return FALSE;
    }
    if (!AfxOleInit()) {
        AfxMessageBox(IDP_OLE_INIT_FAILED);
        m_nExitCode = 2;
        return FALSE;
    }
    const CString strDir = ProgramDir();
    const CString strRecord = JoinFileName(strDir, kRecordFileName);
    std::string text;
    const DWORD err = ReadRecord(strRecord, text);
    m_nExitCode = 2;
    if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) {
        AfxMessageBox(LoadFormatted(IDS_NOT_INSTALLED, strDir), MB_OK | MB_ICONINFORMATION);
        return FALSE;
    }
    if (err != ERROR_SUCCESS) {
        CString why;
        why.Format("error %lu", static_cast<unsigned long>(err));
        AfxMessageBox(LoadFormatted(IDS_RECORD_UNREADABLE, strRecord, why));
        return FALSE;
    }
    std::vector<RecordEntry> entries;
    int nBadLine = 0;
    if (!ParseRecord(text, entries, nBadLine)) {
        CString format, message;
        format.LoadString(IDS_RECORD_DAMAGED);
        message.Format(format, static_cast<const char*>(strRecord), nBadLine);
        AfxMessageBox(message);
        return FALSE;
    }
    m_nExitCode = 0;
    if (AfxMessageBox(IDS_CONFIRM, MB_YESNO | MB_ICONQUESTION) != IDYES) return FALSE;
    Remove(strDir, entries);
    return FALSE;
}

void CUninstallApp::Remove(const CString& strDir, const std::vector<RecordEntry>& entries) {
    RemovalOutcome outcome;
    bool bCreatedDir = false;
    for (const RecordEntry& e : RemovalOrder(entries)) {
        const CString path = e.path.c_str();
        switch (e.kind) {
        case RecordKind::server: UnregisterServer(path, outcome); break;
        case RecordKind::typeLib: UnregisterTypeLibFile(path, outcome); break;
        case RecordKind::file: RemoveFile(path, outcome); break;
        case RecordKind::sharedFile: ReleaseSharedFile(path, outcome); break;
        case RecordKind::directory: bCreatedDir = true; break;
        }
    }
    for (const char* name : {"License.txt", "Setup.txt", kRecordFileName}) RemoveFile(JoinFileName(strDir, name), outcome);
    const LONG r = RemoveProductEntry(strDir);
    if (r != ERROR_SUCCESS) {
        CString why;
        why.Format("error %ld", static_cast<long>(r));
        outcome.failed.push_back(("the Add or Remove Programs entry: " + why).str());
    }

    // What is left besides this program: files in use wait for the restart, and the
    // directory with them; anything else is the user's, and the directory stays for it.
    std::vector<std::string> leftOver = {kRemoverName};
    for (const std::string& s : outcome.scheduled) {
        const size_t slash = s.find_last_of('\\');
        leftOver.push_back(slash == std::string::npos ? s : s.substr(slash + 1));
    }
    CString strRemoveDir;
    if (DirectoryHoldsOnly(strDir, {kRemoverName})) {
        if (bCreatedDir) strRemoveDir = strDir;
    } else if (DirectoryHoldsOnly(strDir, leftOver)) {
        if (bCreatedDir && ::MoveFileExA(strDir, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
            outcome.scheduled.push_back(strDir.str());
    } else {
        outcome.keptDir = strDir.str();
    }
    m_nExitCode = outcome.failed.empty() ? 0 : 1;
    AfxMessageBox(ComposeRemovalReport(outcome).c_str(), MB_OK | (outcome.failed.empty() ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));

    // Last, this program itself.
    const CString strSelf = JoinFileName(strDir, kRemoverName);
    if (!StartFinisher(strSelf, strRemoveDir)) {
        ::MoveFileExA(strSelf, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        if (!strRemoveDir.IsEmpty()) ::MoveFileExA(strRemoveDir, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
}
