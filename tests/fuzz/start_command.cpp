// A verb's command line split into a program and its arguments: any text, nothing overrun.
#include "../../dorvik/StartCommand.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto p = SplitInput(data, size, 2);
    std::vector<std::string> args = SplitStartCommand(p[0], p[1]);
    for (const std::string& a : args) FUZZ_CHECK(a.size() <= p[0].size() + p[1].size() + 2);
    std::string token = p[1];
    StripQuotes(token);
    FUZZ_CHECK(token.size() <= p[1].size());
    std::string quoted = QuoteIfBlank(p[0]);
    FUZZ_CHECK(quoted == p[0] || quoted == "\"" + p[0] + "\"");
    return 0;
}
