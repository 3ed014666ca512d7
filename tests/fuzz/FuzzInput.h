// Cuts a fuzzer's input into NUL-separated texts, so one input can fill several parameters.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

inline std::vector<std::string> SplitInput(const uint8_t* data, size_t size, size_t parts) {
    std::vector<std::string> out(parts);
    size_t k = 0;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] != 0) out[k] += static_cast<char>(data[i]);
        else if (k + 1 < parts) ++k;  // NULs past the last separator are dropped: every text is a C string
    }
    return out;
}

// A failed property ends the run as a finding.
#define FUZZ_CHECK(cond) \
    do {                 \
        if (!(cond)) std::abort(); \
    } while (0)
