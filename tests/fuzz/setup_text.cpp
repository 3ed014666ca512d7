// Setup.txt composition with fuzzed values: within the bound or refused, and every run of
// backslashes in the result exactly two long.
#include "../../install/config/SetupText.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto p = SplitInput(data, size, 11);
    SetupValues v;
    CString* fields[] = {&v.strInstallDir, &v.strCharacterDir, &v.strOfficeDir, &v.strHardDiskDrive, &v.strDiskDrive,
                         &v.strCdromDrive, &v.strCtlAgentFile, &v.strWinAgentFile, &v.strNetAgentFile, &v.strImageAgentFile};
    for (size_t i = 0; i < 10; ++i) *fields[i] = p[i].c_str();
    CString text;
    if (!ComposeSetupText(v, p[10].c_str(), "Thu Dec 10 11:10:05 CST 2026", text)) {
        FUZZ_CHECK(text.IsEmpty());
        return 0;
    }
    const std::string& s = text.str();
    FUZZ_CHECK(s.size() <= static_cast<size_t>(kMaxSetupChars));
    for (size_t i = 0; i < s.size();) {
        if (s[i] != '\\') { ++i; continue; }
        size_t run = 0;
        while (i < s.size() && s[i] == '\\') ++i, ++run;
        FUZZ_CHECK(run == 2);
    }
    CString escaped = EscapeBackslashes(p[0].c_str());
    FUZZ_CHECK(escaped.GetLength() <= 2 * static_cast<int>(p[0].size()));
    return 0;
}
