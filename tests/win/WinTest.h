// Helpers for tests against the real system services: a scratch directory of our own.
#pragma once
#include <windows.h>
#include <string>

class ScratchDir {
public:
    ScratchDir() {
        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        char name[MAX_PATH];
        ::GetTempFileNameA(temp, "vt", 0, name);  // reserves a unique name
        ::DeleteFileA(name);
        ::CreateDirectoryA(name, nullptr);
        m_path = name;
    }
    ~ScratchDir() { RemoveTree(m_path); }
    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "\\" + name; }

private:
    static void RemoveTree(const std::string& dir) {
        WIN32_FIND_DATAA fd;
        HANDLE h = ::FindFirstFileA((dir + "\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::string n = fd.cFileName;
                if (n == "." || n == "..") continue;
                std::string p = dir + "\\" + n;
                ::SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(p);
                else ::DeleteFileA(p.c_str());
            } while (::FindNextFileA(h, &fd));
            ::FindClose(h);
        }
        ::RemoveDirectoryA(dir.c_str());
    }
    std::string m_path;
};

inline bool WriteText(const std::string& path, const std::string& text) {
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD n = 0;
    BOOL ok = ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
    ::CloseHandle(h);
    return ok && n == text.size();
}

// ReadAll(h): the rest of an open file, which it closes; "<missing>" for a file that did not open.
inline std::string ReadAll(HANDLE h) {
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string s;
    char buf[4096];
    DWORD n = 0;
    while (::ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) s.append(buf, n);
    ::CloseHandle(h);
    return s;
}

inline std::string ReadText(const std::string& path) {
    return ReadAll(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
}

// Names of the entries in a directory, sorted by the system's listing order.
inline std::string ListDir(const std::string& dir) {
    std::string names;
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::string n = fd.cFileName;
        if (n != "." && n != "..") names += (names.empty() ? "" : ",") + n;
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
    return names;
}
