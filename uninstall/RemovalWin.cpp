#include "Removal.h"
#include "../framework/Scoped.h"
#include "../install/services/Product.h"
#include <oleauto.h>
#include <algorithm>

namespace {
CString SystemMessage(DWORD err) {
    char* text = nullptr;
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, err, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    CString s;
    if (n && text) {
        s = CString(text, static_cast<int>(n));
        s.TrimRight();
    } else {
        s.Format("error %lu", static_cast<unsigned long>(err));
    }
    if (text) ::LocalFree(text);
    return s;
}

void Failed(RemovalOutcome& outcome, const CString& what, const CString& why) {
    outcome.failed.push_back((what + ": " + why).str());
}

// Two spellings of one path: compared in full form (doubled backslashes collapsed), in any case.
bool SamePath(const wchar_t* a, const std::wstring& b) {
    auto full = [](const wchar_t* p) {
        std::wstring f(MAX_PATH * 2, L'\0');
        DWORD n = ::GetFullPathNameW(p, static_cast<DWORD>(f.size()), &f[0], nullptr);
        f.resize(n < f.size() ? n : 0);
        return f.empty() ? std::wstring(p) : f;
    };
    return ::lstrcmpiW(full(a).c_str(), full(b.c_str()).c_str()) == 0;
}

bool Gone(DWORD err) { return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND; }
}  // namespace

void UnregisterServer(const CString& strExe, RemovalOutcome& outcome) {
    CString cmd = "\"" + strExe + "\" /UnregServer";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(strExe, cmd.GetBuffer(cmd.GetLength()), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &pi)) {
        const DWORD err = ::GetLastError();
        cmd.ReleaseBuffer();
        Failed(outcome, strExe + " /UnregServer", "could not be started (" + SystemMessage(err) + ")");
        return;
    }
    cmd.ReleaseBuffer();
    CHandle process(pi.hProcess), thread(pi.hThread);
    if (::WaitForSingleObject(process, 60000) != WAIT_OBJECT_0) {
        Failed(outcome, strExe + " /UnregServer", "did not end within a minute");
        return;
    }
    DWORD code = 1;
    if (!::GetExitCodeProcess(process, &code)) code = 1;
    if (code != 0) {
        CString why;
        why.Format("ended with exit code %lu", static_cast<unsigned long>(code));
        Failed(outcome, strExe + " /UnregServer", why);
    }
}

void UnregisterTypeLibFile(const CString& strPath, RemovalOutcome& outcome) {
    std::wstring path(strPath.GetLength() + 1, L'\0');
    path.resize(::MultiByteToWideChar(CP_ACP, 0, strPath, -1, &path[0], static_cast<int>(path.size())));
    if (!path.empty()) path.pop_back();
    CComPtr<ITypeLib> lib;
    HRESULT hr = ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib);
    TLIBATTR* attr = nullptr;
    if (SUCCEEDED(hr)) hr = lib->GetLibAttr(&attr);
    if (FAILED(hr)) {
        CString why;
        why.Format("its type library cannot be read (0x%08lX)", static_cast<unsigned long>(hr));
        Failed(outcome, strPath, why);
        return;
    }
    // Only our own registration: another installation may have registered the library since,
    // from its own file, and keeps it.
    BSTR registered = nullptr;
    hr = S_OK;  // no longer registered, or not from this file
    if (SUCCEEDED(::QueryPathOfRegTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, &registered))) {
        if (SamePath(registered, path))
            hr = ::UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind);
        ::SysFreeString(registered);
    }
    lib->ReleaseTLibAttr(attr);
    if (FAILED(hr)) {
        CString why;
        why.Format("its type library could not be unregistered (0x%08lX)", static_cast<unsigned long>(hr));
        Failed(outcome, strPath, why);
    }
}

void RemoveFile(const CString& strPath, RemovalOutcome& outcome) {
    if (::DeleteFileA(strPath)) return;
    const DWORD err = ::GetLastError();
    if (Gone(err)) return;
    if (::MoveFileExA(strPath, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        outcome.scheduled.push_back(strPath.str());
    else
        Failed(outcome, strPath, SystemMessage(err));
}

void ReleaseSharedFile(const CString& strPath, RemovalOutcome& outcome) {
    DWORD nCount = 0;
    const bool bCounted = QuerySharedCount(strPath, nCount);
    const SharedRelease release = ReleaseSharedCount(bCounted, nCount);
    LONG r = ERROR_SUCCESS;
    if (release.bDeleteCount)
        r = DeleteSharedCount(strPath);
    else if (bCounted)
        r = SetSharedCount(strPath, release.nCount);
    if (r != ERROR_SUCCESS) {
        Failed(outcome, strPath, "its SharedDLLs count could not be lowered (" + SystemMessage(r) + ")");
        return;  // the file stays with the count that still names it
    }
    if (release.bRemoveFile) RemoveFile(strPath, outcome);
}

bool DirectoryHoldsOnly(const CString& strDir, const std::vector<std::string>& keep) {
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA(strDir + "\\*", &data);
    if (find == INVALID_HANDLE_VALUE) return true;
    bool only = true;
    do {
        const CString name = data.cFileName;
        if (name == "." || name == "..") continue;
        only = std::any_of(keep.begin(), keep.end(), [&name](const std::string& k) { return name.CompareNoCase(k.c_str()) == 0; });
    } while (only && ::FindNextFileA(find, &data));
    ::FindClose(find);
    return only;
}

BOOL StartFinisher(const CString& strExe, const CString& strDir) {
    char tempDir[MAX_PATH + 1], copy[MAX_PATH + 1];
    DWORD n = ::GetTempPathA(sizeof tempDir, tempDir);
    if (n == 0 || n >= sizeof tempDir || !::GetTempFileNameA(tempDir, "vel", 0, copy)) return FALSE;
    if (!::CopyFileA(strExe, copy, FALSE)) {
        ::DeleteFileA(copy);
        return FALSE;
    }
    // The copy goes when the last handle to it closes: this one, held until this process
    // ends, and then the copy's own image once it has ended too.
    HANDLE hCopy = ::CreateFileA(copy, DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (hCopy == INVALID_HANDLE_VALUE) {
        ::DeleteFileA(copy);
        return FALSE;
    }
    HANDLE hSelf = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(), &hSelf, SYNCHRONIZE,
                           TRUE, 0)) {
        ::CloseHandle(hCopy);
        return FALSE;
    }
    CString cmd = "\"" + CString(copy) + "\" " +
                  ComposeFinishArgs(reinterpret_cast<uintptr_t>(hSelf), strExe.str(), strDir.str()).c_str();
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    // Started in the temporary folder: a process whose current directory is the installation
    // directory keeps it from being removed.
    const BOOL bStarted = ::CreateProcessA(copy, cmd.GetBuffer(cmd.GetLength()), nullptr, nullptr, TRUE, 0, nullptr,
                                           tempDir, &si, &pi);
    cmd.ReleaseBuffer();
    ::CloseHandle(hSelf);
    if (!bStarted) {
        ::CloseHandle(hCopy);
        return FALSE;
    }
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return TRUE;  // hCopy stays open until this process ends
}

void Finish(const UninstallRun& run) {
    const HANDLE hOriginal = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(run.nWaitHandle));
    ::WaitForSingleObject(hOriginal, 60000);
    ::CloseHandle(hOriginal);
    // The system may still hold the image a moment after the process has ended.
    bool bDeleted = false;
    for (int i = 0; i < 100 && !bDeleted; ++i) {
        bDeleted = ::DeleteFileA(run.strExe.c_str()) || Gone(::GetLastError());
        if (!bDeleted) ::Sleep(100);
    }
    if (!bDeleted) ::MoveFileExA(run.strExe.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    if (!run.strDir.empty() && !::RemoveDirectoryA(run.strDir.c_str()) && !bDeleted)
        ::MoveFileExA(run.strDir.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}
