#include "../../install/config/LicenseText.h"
#include <gtest/gtest.h>
#include <cctype>
#include <cstring>

namespace {
TEST(License, FileIsTheThreeTextsBackToBack) {
    const CString file = LicenseFileText(kLicenseNotice, kLicenseTerms, kLicenseCopyright);
    const char* text = file;
    const size_t n1 = std::strlen(kLicenseNotice), n2 = std::strlen(kLicenseTerms), n3 = std::strlen(kLicenseCopyright);
    ASSERT_EQ(static_cast<size_t>(file.GetLength()), n1 + n2 + n3);
    EXPECT_EQ(std::memcmp(text, kLicenseNotice, n1), 0);
    EXPECT_EQ(std::memcmp(text + n1, kLicenseTerms, n2), 0);
    EXPECT_EQ(std::memcmp(text + n1 + n2, kLicenseCopyright, n3), 0);
}

TEST(License, TextsKeepTheirShape) {
    for (const char* t : {kLicenseNotice, kLicenseTerms, kLicenseCopyright}) {
        EXPECT_EQ(std::strpbrk(t, "\r\n"), nullptr) << "the boxes wrap; no line breaks";
    }
    for (const char* p = kLicenseNotice; *p; ++p) EXPECT_FALSE(std::islower(static_cast<unsigned char>(*p))) << p;
    EXPECT_NE(std::strchr(kLicenseNotice, '\xA0'), nullptr);
    EXPECT_NE(std::strchr(kLicenseTerms, '\xA0'), nullptr);
    EXPECT_NE(std::strstr(kLicenseNotice, "\"OK\""), nullptr);
    EXPECT_NE(std::strstr(kLicenseNotice, "\"CANCEL\""), nullptr);
    EXPECT_NE(std::strstr(kLicenseCopyright, ".\t\tMicrosoft Agent characters Merlin, Genie, Robby and Peedy"), nullptr);
}
}  // namespace
