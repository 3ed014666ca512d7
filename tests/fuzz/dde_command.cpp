// DDE command expansion: every "%1" replaced whole, any length, nothing else touched.
#include "../../dorvik/DdeText.h"
#include "FuzzInput.h"
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto p = SplitInput(data, size, 2);
    size_t holes = 0;
    for (size_t i = 0; i + 1 < p[0].size(); ++i)
        if (p[0][i] == '%' && p[0][i + 1] == '1') ++holes, ++i;
    CString out = ExpandDdeCommand(p[0].c_str(), p[1].c_str());
    FUZZ_CHECK(out.str().size() == p[0].size() - 2 * holes + holes * p[1].size());
    return 0;
}
