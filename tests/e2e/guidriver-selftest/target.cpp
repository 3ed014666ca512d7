// A throw-away program for the guidriver self-test: a dialog from an in-memory template with an
// edit, a read-only multiline edit, OK and Cancel. OK shows two message boxes and writes the edit's
// text and the second box's answer to the file named on the command line; Cancel writes "CANCEL".
// With a second argument "icons" it shows one message box per standard icon instead; with
// "whoami" it writes its own path and exact command line and exits with 5.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char* g_out = nullptr;

void writeOut(const std::string& s) {
    if (FILE* f = std::fopen(g_out, "wb")) {
        std::fputs(s.c_str(), f);
        std::fclose(f);
    }
}

// Dialog templates are a WORD stream with DWORD-aligned items.
struct Tmpl {
    std::vector<WORD> w;
    void align() { while (w.size() % 2) w.push_back(0); }
    void dword(DWORD d) { w.push_back(LOWORD(d)); w.push_back(HIWORD(d)); }
    void str(const char* s) { while (*s) w.push_back(static_cast<unsigned char>(*s++)); w.push_back(0); }
    void item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD cls, const char* text) {
        align();
        dword(style | WS_CHILD | WS_VISIBLE);
        dword(0);
        w.push_back(x); w.push_back(y); w.push_back(cx); w.push_back(cy);
        w.push_back(id);
        w.push_back(0xFFFF); w.push_back(cls);
        str(text);
        w.push_back(0);
    }
};

INT_PTR CALLBACK dlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dlg, 1002, "Line one\r\nLine two");
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            char text[256] = "";
            GetDlgItemTextA(dlg, 1001, text, sizeof text);
            MessageBoxA(dlg, "Two\n lines", "target", MB_OK | MB_ICONEXCLAMATION);
            int r = MessageBoxA(dlg, "Abort, retry or ignore?", "target", MB_ABORTRETRYIGNORE);
            const char* name = r == IDABORT ? "ABORT" : r == IDRETRY ? "RETRY" : r == IDIGNORE ? "IGNORE" : "?";
            writeOut(std::string(text) + "\n" + name + "\n");
            EndDialog(dlg, IDOK);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            writeOut("CANCEL\n");
            EndDialog(dlg, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    g_out = argv[1];
    if (argc > 2 && std::string(argv[2]) == "whoami") {
        char self[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        writeOut(std::string(self) + "|" + GetCommandLineA() + "|");
        return 5;
    }
    if (argc > 2 && std::string(argv[2]) == "icons") {
        MessageBoxA(nullptr, "hand", "icons", MB_OK | MB_ICONHAND);
        MessageBoxA(nullptr, "question", "icons", MB_YESNO | MB_ICONQUESTION);
        MessageBoxA(nullptr, "asterisk", "icons", MB_OKCANCEL | MB_ICONASTERISK);
        writeOut("ICONS\n");
        return 0;
    }

    Tmpl t;
    t.dword(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
    t.dword(0);
    t.w.push_back(4);   // items
    t.w.push_back(10); t.w.push_back(10); t.w.push_back(164); t.w.push_back(83);
    t.w.push_back(0);   // no menu
    t.w.push_back(0);   // default class
    t.str("Target Dialog");
    t.w.push_back(8);
    t.str("MS Shell Dlg");
    t.item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 7, 150, 14, 1001, 0x0081, "initial");
    t.item(ES_MULTILINE | ES_READONLY | WS_BORDER | WS_VSCROLL, 7, 25, 150, 30, 1002, 0x0081, "");
    t.item(BS_DEFPUSHBUTTON | WS_TABSTOP, 53, 62, 50, 14, IDOK, 0x0080, "OK");
    t.item(BS_PUSHBUTTON | WS_TABSTOP, 107, 62, 50, 14, IDCANCEL, 0x0080, "Cancel");
    t.align();

    INT_PTR r = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(t.w.data()),
                                        nullptr, dlgProc, 0);
    return r == IDOK ? 0 : r == IDCANCEL ? 3 : 4;
}
