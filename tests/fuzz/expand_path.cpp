// Path macro expansion with fuzzed directory values: the result always fits, or is refused.
#include "../../install/services/InstallFile.h"
#include "FuzzInput.h"
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto parts = SplitInput(data, size, 3);
    if (!CInstallFile::SetInstallDir(parts[1].c_str())) return 0;
    if (!CInstallFile::SetEntry(CInstallFile::m_szCurrDir, parts[2].c_str())) return 0;
    char result[kPathBuf + 1];
    result[kPathBuf] = '\x7f';  // a byte past the buffer the call is given
    BOOL ok = CInstallFile::ExpandPath(parts[0].c_str(), *reinterpret_cast<char(*)[kPathBuf]>(result));
    FUZZ_CHECK(result[kPathBuf] == '\x7f');
    FUZZ_CHECK(std::memchr(result, '\0', kPathBuf) != nullptr);
    if (!ok) FUZZ_CHECK(result[0] == '\0');
    return 0;
}
