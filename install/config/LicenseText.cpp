#include "LicenseText.h"

// No line breaks: the read-only boxes wrap the texts. "\xA0" is a non-breaking space.
const char* const kLicenseNotice =
    "THIS SOFTWARE IS PROVIDED TO YOU ONLY ON THE CONDITION THAT YOU ACCEPT EVERY TERM OF THIS "
    "AGREEMENT.\xA0 PLEASE READ THE TERMS AND CONDITIONS BELOW.\xA0 IF YOU AGREE TO THEM, PRESS THE "
    "\"OK\" BUTTON; OTHERWISE PRESS THE \"CANCEL\" BUTTON.";

const char* const kLicenseTerms =
    "This software is provided \"as is\", without warranty of any kind, express or implied.\xA0 "
    "It is licensed to you for individual use only: you may not copy it, redistribute it beyond "
    "individual use, or use it for any commercial purpose.\xA0 Its author and maker are not liable "
    "for any damage caused by installing or using it.\xA0 This software uses Microsoft Agent "
    "technology: when the Microsoft components and a text-to-speech engine are installed, you must "
    "accept their licence agreements.";

const char* const kLicenseCopyright =
    "Copyright (C) 2026 Velmora Software. All rights reserved.\t\t"
    "Microsoft Agent characters Merlin, Genie, Robby and Peedy Copyright (C) Microsoft Corporation.";

CString LicenseFileText(const CString& strNotice, const CString& strTerms, const CString& strCopyright) {
    return strNotice + strTerms + strCopyright;
}
