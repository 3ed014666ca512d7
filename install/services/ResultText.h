// What the system services' results mean to the user: the result-to-text tables of the
// version-installation service and of type library registration.
#pragma once
#include "../Error.h"
#include <cstddef>
#include <cstdint>

struct FlagText {
    uint32_t flag;
    int severity;
    const char* message;
};

struct FlagTable {
    const FlagText* rows;
    size_t count;
    uint32_t successFlags;  // flags that report no failure
};

extern const FlagTable kVerFindFileResults;
extern const FlagTable kVerInstallFileResults;

// FALSE for a success (0, or success flags alone). Otherwise fills the error: a single
// flag gets its row's severity and text; several flags get every set flag's text in table
// order, joined by a blank, plus "Unknown result 0x..." for flags the table lacks, and the
// gravest severity among them (1, then 2, then 0).
BOOL DescribeResult(const FlagTable& table, uint32_t result, CError& error);

struct HResultText {
    uint32_t hr;
    const char* message;
};

struct HResultTable {
    const HResultText* rows;
    size_t count;
};

extern const HResultTable kLoadTypeLibResults;
extern const HResultTable kRegisterTypeLibResults;

// The text for a failed call's result; any result the table lacks gets the catch-all text.
const char* DescribeHResult(const HResultTable& table, uint32_t hr);
