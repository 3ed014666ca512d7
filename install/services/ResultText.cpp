#include "ResultText.h"
#include <cstdio>
#include <iterator>

namespace {
const FlagText kFindRows[] = {
    {0x2, 1, "Windows is using the currently installed version of the file; therefore, the file cannot be overwritten or deleted."},
    {0x4, 1, "\tAt least one of the buffers was too small to contain the corresponding string. An application should check the output buffers to determine which buffer was too small."},
};

const FlagText kInstallRows[] = {
    {0x1, 0, "The temporary copy of the new file is in the destination directory. The cause of failure is reflected in other flags."},
    {0x2, 2, "The new and preexisting files differ in one or more attributes."},
    {0x4, 2, "The file to install is older than the preexisting file. "},
    {0x8, 2, "The new and preexisting files have different language or code-page values."},
    {0x10, 2, "The new file requires a code page that cannot be displayed by the version of Windows currently running."},
    {0x20, 2, "The new file has a different type, subtype, or operating system from the preexisting file."},
    {0x40, 2, "The preexisting file is write protected."},
    {0x80, 0, "The preexisting file is in use by Windows and cannot be deleted."},
    {0x100, 0, "VIF_OUTOFSPACE\tThe function cannot create the temporary file due to insufficient disk space on the destination drive."},
    {0x200, 1, "VIF_ACCESSVIOLATION\tA read, create, delete, or rename operation failed due to an access violation."},
    {0x400, 1, "VIF_SHARINGVIOLATION\tA read, create, delete, or rename operation failed due to a sharing violation."},
    {0x800, 1, "VIF_CANNOTCREATE\tThe function cannot create the temporary file. The specific error may be described by another flag."},
    {0x1000, 1, "VIF_CANNOTDELETE\tThe function cannot delete the destination file, or cannot delete the existing version of the file located in another directory. If the VIF_TEMPFILE bit is set, the installation failed, and the destination file probably cannot be deleted."},
    {0x4000, 1, "VIF_CANNOTDELETECUR\tThe existing version of the file could not be deleted and VIFF_DONTDELETEOLD was not specified."},
    {0x2000, 1, "VIF_CANNOTRENAME\tThe function cannot rename the temporary file, but already deleted the destination file."},
    {0x8000, 1, "VIF_OUTOFMEMORY\tThe function cannot complete the requested operation due to insufficient memory. Generally, this means the application ran out of memory attempting to expand a compressed file."},
    {0x10000, 1, "VIF_CANNOTREADSRC\tThe function cannot read the source file. This could mean that the path was not specified properly."},
    {0x20000, 1, "VIF_CANNOTREADDST\tThe function cannot read the destination (existing) files. This prevents the function from examining the file's attributes."},
    {0x40000, 1, "VIF_BUFFTOOSMALL\tThe szTmpFile buffer was too small to contain the name of the temporary source file. When the function returns, lpuTmpFileLen contains the size of the buffer required to hold the filename."},
};

const HResultText kLoadRows[] = {
    {0x8007000E, "Out of memory"},
    {0x80070057, "One or more of the arguments is invalid."},
    {0x80028CA2, "\tThe function could not write to the file."},
    {0x80028029, "\tThe type library could not be opened."},
    {0x80028018, "\tThe function could not read from the file."},
    {0x80028019, "\tThe type library has an old format."},
    {0x8002802E, "\tThe LCID could not be found in the OLE support DLLs."},
    {0x80029C4A, "\tThe type library or DLL could not be loaded."},
};

const HResultText kRegisterRows[] = {
    {0x8007000E, "Out of memory"},
    {0x80070057, "One or more of the arguments is invalid."},
    {0x80028CA2, "\tThe function could not write to the file."},
    {0x80028029, "\tThe type library could not be opened."},
    {0x8002801C, "\tThe system registration database could not be opened."},
};

int Graver(int a, int b) {
    auto rank = [](int s) { return s == 1 ? 2 : s == 2 ? 1 : 0; };
    return rank(b) > rank(a) ? b : a;
}
}  // namespace

const FlagTable kVerFindFileResults = {kFindRows, std::size(kFindRows), 0x1 /* VFF_CURNEDEST */};
const FlagTable kVerInstallFileResults = {kInstallRows, std::size(kInstallRows), 0};
const HResultTable kLoadTypeLibResults = {kLoadRows, std::size(kLoadRows)};
const HResultTable kRegisterTypeLibResults = {kRegisterRows, std::size(kRegisterRows)};

BOOL DescribeResult(const FlagTable& table, uint32_t result, CError& error) {
    const uint32_t failure = result & ~table.successFlags;
    if (failure == 0) return FALSE;
    for (size_t i = 0; i < table.count; ++i) {
        if (table.rows[i].flag == result) {
            error.SetError(table.rows[i].severity, table.rows[i].message);
            return TRUE;
        }
    }
    CString message;
    int severity = 0;
    uint32_t unknown = failure;
    for (size_t i = 0; i < table.count; ++i) {
        const FlagText& row = table.rows[i];
        if (!(failure & row.flag)) continue;
        if (!message.IsEmpty()) message += " ";
        message += row.message;
        severity = Graver(severity, row.severity);
        unknown &= ~row.flag;
    }
    if (unknown) {
        char text[40];
        std::snprintf(text, sizeof text, "Unknown result 0x%X", static_cast<unsigned>(unknown));
        if (!message.IsEmpty()) message += " ";
        message += text;
    }
    error.SetError(severity, message);
    return TRUE;
}

const char* DescribeHResult(const HResultTable& table, uint32_t hr) {
    for (size_t i = 0; i < table.count; ++i)
        if (table.rows[i].hr == hr) return table.rows[i].message;
    return "s\tAll FACILITY_STORAGE errors may be returned";
}
