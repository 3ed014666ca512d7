// What getUserName reports for the network provider's result.
#pragma once

struct UserNameOutcome {
    short nErrorCode;          // 0 or 200
    const char* pszErrorDesc;  // "" on success
};

// The five failures the provider can report have a code and text; every other result,
// success included, counts as success.
UserNameOutcome GetUserNameOutcome(unsigned long result);

// The length announced to the provider; the buffer holds that many characters.
constexpr unsigned long kUserNameChars = 240;
