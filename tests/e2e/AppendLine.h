// Appends one line to a log that several test programs may write at the same moment.
// msvcrt's append mode seeks to the end and then writes, so two processes can land on the
// same offset and one line is lost; an exclusive open serialises the writers instead.
#pragma once
#include <windows.h>
#include <string>

inline void AppendLine(const std::string& path, std::string line) {
    line += '\n';
    for (int tries = 0; tries < 1000; ++tries) {
        HANDLE h = ::CreateFileA(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            ::SetFilePointer(h, 0, nullptr, FILE_END);
            DWORD written = 0;
            ::WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            ::CloseHandle(h);
            return;
        }
        if (::GetLastError() != ERROR_SHARING_VIOLATION) return;
        ::Sleep(10);
    }
}
