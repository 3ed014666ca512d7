#include "InstallDirDlg.h"
#include "Error.h"
#include "InstallLists.h"
#include "Spawn.h"
#include "config/DefaultSetupDlg.h"
#include "config/LicenseDlg.h"
#include "config/SetupText.h"
#include "res/resource.h"
#include "services/InstallFile.h"
#include "services/Product.h"
#include <cstdio>
#include <memory>

namespace {
const char kDefaultDir[] = "c:\\Program Files\\Velmora\\";
const char kNote[] = "Directory will be created if it does not exist";

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using ListFile = std::unique_ptr<std::FILE, FileCloser>;

// Shows the error's system-error message with the given buttons; the answer.
int ShowError(const CError& error, UINT nType = MB_OK) { return AfxMessageBox(error.GetErrorText(), nType); }

// Each action goes into the record as soon as it is done; a shared file is counted first.
void Record(const RecordEntry& entry, bool bExisted) {
    if (entry.kind == RecordKind::sharedFile) RaiseSharedCount(entry.path.c_str(), bExisted);
    AppendRecord(CInstallFile::GetInstallDir(), entry);
}
}  // namespace

CInstallDirDlg::CInstallDirDlg(CWnd* pParent)
    : CDialog(IDD, pParent), m_hIcon(AfxGetApp()->LoadIcon(IDR_MAINFRAME)) {}

void CInstallDirDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_INSTALL_DIR, m_strDir);
    DDX_Text(pDX, IDC_INSTALL_NOTE, m_strNote);
}

BOOL CInstallDirDlg::OnInitDialog() {
    m_strDir = kDefaultDir;
    m_strNote = kNote;
    CDialog::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    return TRUE;
}

BOOL CInstallDirDlg::OnMessage(UINT msg, WPARAM, LPARAM, INT_PTR& result) {
    switch (msg) {
    case WM_PAINT:
        if (!IsIconic()) return FALSE;
        OnPaint();
        result = 0;
        return TRUE;
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<INT_PTR>(OnQueryDragIcon());
        return TRUE;
    default:
        return FALSE;
    }
}

void CInstallDirDlg::OnPaint() {
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
    int cxIcon = ::GetSystemMetrics(SM_CXICON);
    int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rect;
    ::GetClientRect(m_hWnd, &rect);
    int x = (rect.right - rect.left - cxIcon + 1) / 2;
    int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    ::DrawIcon(hdc, x, y, m_hIcon);
    ::EndPaint(m_hWnd, &ps);
}

void CInstallDirDlg::OnOK() {
    UpdateData(TRUE);
    if (m_strDir.GetLength() > kMaxPathChars) {
        // Nothing has been done yet: the user may correct the entry.
        AfxMessageBox(IDS_DIR_TOO_LONG);
        return;
    }
    CInstallFile::SetInstallDir(m_strDir);

    if (InstallFiles() && RegisterTypeLibraries() && RunDefaultSetup()) {
        if (RegisterAutomationServer()) {
            RegisterProduct();
            AfxMessageBox(IDS_REENTER_NOTICE);
            StartSetupProgram();  // a Setup.exe that fails to start goes unreported
        } else {
            AfxMessageBox(IDS_INSTALL_FAILED);
        }
    }
    CDialog::OnOK();
}

BOOL CInstallDirDlg::InstallFiles() {
    BOOL bCreated = FALSE;
    if (!CInstallFile::CreateInstallDir(&bCreated)) {
        AfxMessageBox(IDS_CANNOT_CREATE_DIR);
        return FALSE;
    }
    // The agreement accepted at the start goes into the directory as soon as it exists.
    try {
        if (bCreated) Record({RecordKind::directory, CInstallFile::GetInstallDir().str()}, false);
        CLicenseDlg::WriteLicenseFile(CInstallFile::GetInstallDir());
    } catch (const CError& error) {
        ShowError(error);
        return FALSE;
    }

    ListFile list(std::fopen("fileList.txt", "r"));
    if (!list) return TRUE;
    return InstallFileList(list.get(), ShowError, Record);
}

BOOL CInstallDirDlg::RegisterTypeLibraries() {
    ListFile list(std::fopen("regList.txt", "r"));
    if (!list) return TRUE;
    return RegisterTypeLibraryList(list.get(), ShowError, Record);
}

BOOL CInstallDirDlg::RunDefaultSetup() {
    CDefaultSetupDlg dlgSetup(this);
    dlgSetup.SetDefaults(kDefaultCharacterDir, kDefaultOfficeDir, CInstallFile::GetInstallDir());
    try {
        dlgSetup.DoModal();  // Cancel there does not stop the installation
    } catch (const CError& error) {
        ShowError(error);
        return FALSE;
    }
    return TRUE;
}

BOOL CInstallDirDlg::RegisterAutomationServer() {
    // Plain concatenation: the default directory's trailing backslash gives a doubled one.
    return RunAndWait(CInstallFile::GetInstallDir() + "\\dorvik.exe") != -1;
}

void CInstallDirDlg::RegisterProduct() {
    // dorvik has registered itself; then the remover and its entry. A failure here leaves the
    // product installed, only harder to remove: the user is told, and the stage goes on.
    const CString strInstDir = CInstallFile::GetInstallDir();
    try {
        Record({RecordKind::server, (strInstDir + "\\dorvik.exe").str()}, true);
        const CString strRemover = JoinFileName(strInstDir, kRemoverName);
        if (!::CopyFileA(JoinFileName(ProgramDir(), kRemoverName), strRemover, FALSE))
            ThrowError(1, "Unable to copy " + CString(kRemoverName) + " to " + strRemover);
        WriteProductEntry(strInstDir);
    } catch (const CError& error) {
        ShowError(error);
    }
}

BOOL CInstallDirDlg::StartSetupProgram() {
    return StartProgram(CInstallFile::GetCurrDir() + "\\Setup.exe") != -1;
}
