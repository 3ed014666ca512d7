// Install-list reading and parsing: any bytes, any line length, never past a field.
#include "../../install/InstallLists.h"
#include "../../install/services/InstallFile.h"
#include "FuzzInput.h"
#include <cstdio>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool init = [] {
        CInstallFile::SetEntry(CInstallFile::m_szWinDir, "C:\\WINDOWS");
        CInstallFile::SetEntry(CInstallFile::m_szSysDir, "C:\\WINDOWS\\system32");
        CInstallFile::SetEntry(CInstallFile::m_szCurrDir, "D:\\medium");
        return CInstallFile::SetInstallDir("C:\\Program Files\\Velmora\\");
    }();
    (void)init;
    std::FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (!f) return 0;
    ForEachListLine(f, [](char* line) {
        FUZZ_CHECK(std::strlen(line) < static_cast<size_t>(kListLineBuf));
        char copy[kListLineBuf];
        std::strcpy(copy, line);
        CInstallFile file;
        try {
            file.ParseLine(line);
        } catch (const CError& error) {
            FUZZ_CHECK(error.IsFatal());
        }
        for (const char* field : {file.m_szSrcDir, file.m_szSrcFile, file.m_szDestFile, file.m_szAppDir})
            FUZZ_CHECK(std::memchr(field, '\0', kPathBuf) != nullptr);
        StripLineEnd(copy);
        CInstallFile lib;
        try {
            lib.SetFileName(copy);
            FUZZ_CHECK(std::strcmp(lib.m_szSrcFile, copy) == 0);  // kept whole or refused
        } catch (const CError&) {
            FUZZ_CHECK(std::strlen(copy) > static_cast<size_t>(kMaxPathChars));
        }
        return TRUE;
    });
    std::fclose(f);
    return 0;
}
