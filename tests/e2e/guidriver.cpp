// guidriver: drives the windows of another Windows program from a script, for end-to-end
// GUI tests under Wine (or Windows). A console program; it never creates windows itself.
//
// Usage: guidriver.exe SCRIPT      (SCRIPT "-" reads the script from stdin)
// Exit status: 0 all steps passed; 1 an expectation failed; 2 bad usage, script or file error.
// Each step is echoed to stdout as it runs; a failure prints to stderr
//   guidriver: SCRIPT:LINE: <what was expected>, got <what was found>
//
// Script: one step per line; blank lines and lines starting with '#' are ignored. A line is a
// command word and arguments separated by single blanks. For commands that take TEXT, the text
// is the rest of the line, verbatim (backslashes are literal), except for these tokens:
//   {LF} newline  {CR} carriage return  {TAB} tab  {SP} blank  {xHH} the byte HH
//   {EMPTY} nothing (write a whole empty text as {EMPTY})
// Texts are bytes in the ANSI code page; all window texts are read and written with the A APIs.
// ID is a control id, decimal or 0x hex. Expectations are retried until they hold or the
// timeout passes, so they tolerate a program that is still updating its window. For a second
// after press/close/key, window and box skip the window acted on, which may still be closing,
// so "press OK" then "box SAME CAPTION" finds the next box rather than the old one.
//
//   timeout SECONDS              wait limit for later steps (default 10, fractions allowed)
//   cd DIR                       working directory for programs started later (not the driver's:
//                                relative FILEs of shot and dump-text stay where the driver runs)
//   start COMMANDLINE            start a program; the text is its exact command line (quotes and
//                                trailing blanks kept). A relative program name is looked up in
//                                the cd directory first, not beside guidriver.exe
//   exit-code N                  the last started program exits within the timeout with code N
//                                (decimal, may be negative, or 0x hex); ended by force otherwise
//   window CAPTION               wait for a visible top-level window with exactly this caption; it
//                                becomes the current window (the topmost one if there are several)
//   box CAPTION                  the same, but it must be a message box (#32770 with static 0xFFFF)
//   expect-text ID|self TEXT     the control's (or the current window's own) text is exactly TEXT
//   expect-box-text TEXT         the current message box's text is exactly TEXT
//   expect-buttons LIST          the visible push buttons, texts without '&' in id order, comma
//                                separated: "OK", "Yes,No", "Abort,Retry,Ignore"; no others
//   expect-icon NAME             the message box icon: none exclamation hand question asterisk
//   expect-style ID|self MASK VALUE   (GWL_STYLE & MASK) == VALUE, both hex
//   expect-exstyle ID|self MASK VALUE (GWL_EXSTYLE & MASK) == VALUE, both hex
//   expect-rect ID X Y W H       the control's rectangle in dialog units, relative to the client
//                                area, within 1 du; base units from the dialog-font step
//   expect-rect-px ID X Y W H    the same in pixels, exact
//   expect-focus ID              the control has the keyboard focus in its thread
//   expect-enabled ID|self 0|1   the control (or window) is disabled (0) / enabled (1)
//   dialog-font POINTS FACE      the font the dialog template names, for expect-rect
//                                (default 8 MS Shell Dlg; Wine answers WM_GETFONT from another
//                                process with NULL, so the driver cannot ask the dialog)
//   set ID TEXT                  WM_SETTEXT into the control
//   press ID|NAME                click a push button (posted WM_COMMAND BN_CLICKED); NAME is one of
//                                OK Cancel Abort Retry Ignore Yes No Close Help. Waits until the
//                                button and its window are enabled. Forgets the current window.
//   key VK                       post WM_KEYDOWN/WM_KEYUP to the focused control of the current
//                                window: RETURN ESCAPE TAB SPACE BACK DELETE LEFT RIGHT UP DOWN
//                                HOME END PRIOR NEXT F1..F24, a letter or digit, or 0xHH.
//                                A modal dialog's loop hands it to IsDialogMessage, so RETURN
//                                presses the default button and ESCAPE cancels, as for a user
//   close                        the close box (posted WM_SYSCOMMAND SC_CLOSE); forgets the window
//   gone CAPTION                 wait until no visible top-level window has this caption
//   absent CAPTION SECONDS       no such window appears for SECONDS (the last word is SECONDS)
//   shot FILE                    save the current window, title bar included, as a 24-bit BMP;
//                                it is read from the screen, so whatever covers the window shows
//   sleep MS
//   dump-text ID|self FILE       write the control's text, raw ANSI bytes, to FILE
//   print-texts                  list the current window's caption and every control (debugging)
//
// When a step fails, programs started by the script that are still running are ended, so that
// their windows cannot confuse the next script.

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <utility>
#include <vector>

namespace {

// ---- failures --------------------------------------------------------------------------------

struct Failure {            // an expectation did not hold: exit 1
    std::string expected, got;
};
struct ScriptError {        // the script itself is wrong: exit 2
    std::string what;
    int line = 0;
};

[[noreturn]] void fail(std::string expected, std::string got) {
    throw Failure{std::move(expected), std::move(got)};
}

// Renders a text so that every byte is visible and can be pasted back into a script.
std::string quote(const std::string& s) {
    std::string r = "\"";
    for (unsigned char c : s) {
        char buf[8];
        switch (c) {
        case '\n': r += "{LF}"; break;
        case '\r': r += "{CR}"; break;
        case '\t': r += "{TAB}"; break;
        default:
            if (c < 0x20 || c >= 0x7f) {
                std::snprintf(buf, sizeof buf, "{x%02X}", c);
                r += buf;
            } else {
                r += static_cast<char>(c);
            }
        }
    }
    return r + "\"";
}

std::string hex(unsigned long v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%lX", v);
    return buf;
}

// ---- script ----------------------------------------------------------------------------------

struct Step {
    int line = 0;
    std::string raw;                 // for echoing
    std::string cmd;
    std::vector<std::string> args;   // plain words, then the decoded text if the command takes one
};

struct CommandShape {
    const char* name;
    int words;       // plain arguments before the text (or in total when there is no text)
    bool text;       // the last argument is the rest of the line
};

const CommandShape kCommands[] = {
    {"timeout", 1, false},        {"window", 0, true},          {"box", 0, true},
    {"expect-text", 1, true},     {"expect-box-text", 0, true}, {"expect-buttons", 0, true},
    {"expect-icon", 1, false},    {"expect-style", 3, false},   {"expect-exstyle", 3, false},
    {"expect-rect", 5, false},    {"expect-rect-px", 5, false}, {"expect-focus", 1, false},
    {"expect-enabled", 2, false}, {"dialog-font", 1, true},     {"set", 1, true},
    {"press", 1, false},          {"key", 1, false},            {"close", 0, false},
    {"gone", 0, true},            {"absent", 0, true},          {"shot", 0, true},
    {"sleep", 1, false},          {"print-texts", 0, false},    {"cd", 0, true},
    {"start", 0, true},           {"exit-code", 1, false},      {"dump-text", 1, true},
};

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string decodeText(const std::string& s) {
    std::string r;
    for (size_t i = 0; i < s.size();) {
        auto tok = [&](const char* t) {
            size_t n = std::strlen(t);
            if (s.compare(i, n, t) != 0) return false;
            i += n;
            return true;
        };
        if (s[i] == '{') {
            if (tok("{LF}")) { r += '\n'; continue; }
            if (tok("{CR}")) { r += '\r'; continue; }
            if (tok("{TAB}")) { r += '\t'; continue; }
            if (tok("{SP}")) { r += ' '; continue; }
            if (tok("{EMPTY}")) continue;
            if (i + 4 < s.size() && s[i + 1] == 'x' && s[i + 4] == '}' && hexDigit(s[i + 2]) >= 0 &&
                hexDigit(s[i + 3]) >= 0) {
                r += static_cast<char>(hexDigit(s[i + 2]) * 16 + hexDigit(s[i + 3]));
                i += 5;
                continue;
            }
        }
        r += s[i++];   // anything else, including unknown braces, is literal
    }
    return r;
}

Step parseLine(const std::string& line, int lineNo) {
    Step st;
    st.line = lineNo;
    st.raw = line;
    size_t sp = line.find(' ');
    st.cmd = line.substr(0, sp);
    std::string rest = sp == std::string::npos ? std::string() : line.substr(sp + 1);
    bool hasRest = sp != std::string::npos;

    const CommandShape* shape = nullptr;
    for (const auto& c : kCommands)
        if (st.cmd == c.name) shape = &c;
    if (!shape) throw ScriptError{"unknown command " + quote(st.cmd)};

    int words = shape->words;
    for (int w = 0; w < words; ++w) {
        if (!hasRest) throw ScriptError{st.cmd + " needs more arguments"};
        size_t b = rest.find(' ');
        bool last = w == words - 1 && !shape->text;
        if (last) {
            if (b != std::string::npos) throw ScriptError{st.cmd + " has too many arguments"};
            st.args.push_back(rest);
            hasRest = false;
        } else {
            st.args.push_back(rest.substr(0, b));
            hasRest = b != std::string::npos;
            rest = hasRest ? rest.substr(b + 1) : std::string();
        }
        if (st.args.back().empty()) throw ScriptError{st.cmd + ": empty argument (arguments are separated by single blanks)"};
    }
    if (shape->text) {
        if (!hasRest || rest.empty())
            throw ScriptError{st.cmd + " needs a text (write an empty one as {EMPTY})"};
        if (st.cmd == "absent") {   // CAPTION SECONDS: the caption may hold blanks, so split at the last one
            size_t b = rest.rfind(' ');
            if (b == std::string::npos || b == 0) throw ScriptError{"absent needs CAPTION SECONDS"};
            st.args.push_back(decodeText(rest.substr(0, b)));
            st.args.push_back(rest.substr(b + 1));
        } else {
            st.args.push_back(decodeText(rest));
        }
    } else if (hasRest) {
        throw ScriptError{st.cmd + " has too many arguments"};
    }
    return st;
}

std::vector<Step> parseScript(const std::string& content) {
    std::vector<Step> steps;
    size_t pos = 0;
    int lineNo = 0;
    while (pos < content.size()) {
        size_t eol = content.find('\n', pos);
        if (eol == std::string::npos) eol = content.size();
        std::string line = content.substr(pos, eol - pos);
        pos = eol + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();   // CRLF scripts
        if (line.empty() || line[0] == '#') continue;
        if (line.find_first_not_of(" \t") == std::string::npos) continue;

        try {
            steps.push_back(parseLine(line, lineNo));
        } catch (ScriptError& e) {
            e.line = lineNo;
            throw;
        }
    }
    return steps;
}

// Strict number parsing so that a typo in a script is reported, not read as 0.
bool parseLong(const std::string& s, long long& out, int base) {
    if (s.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(s.c_str(), &end, base);
    if (errno || *end) return false;
    out = v;
    return true;
}

// Decimal (possibly negative) or 0x hex; 64-bit so that 0xC0000005-style exit codes fit.
long long parseInt(const std::string& s, const char* what) {
    long long v;
    bool ok = (s.size() > 2 && (s[1] == 'x' || s[1] == 'X') && s[0] == '0') ? parseLong(s.substr(2), v, 16)
                                                                        : parseLong(s, v, 10);
    if (!ok) throw ScriptError{std::string(what) + ": not a number: " + quote(s)};
    return v;
}

unsigned long parseHex(const std::string& s) {
    std::string t = s;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) t = t.substr(2);
    char* end = nullptr;
    errno = 0;
    unsigned long v = std::strtoul(t.c_str(), &end, 16);
    if (t.empty() || errno || *end) throw ScriptError{"not a hex number: " + quote(s)};
    return v;
}

double parseSeconds(const std::string& s) {
    char* end = nullptr;
    double v = std::strtod(s.c_str(), &end);
    if (s.empty() || *end || !(v >= 0 && v <= 86400)) throw ScriptError{"not a number of seconds (0 to 86400): " + quote(s)};
    return v;
}

struct NamedId {
    const char* name;
    int id;
};
const NamedId kButtonNames[] = {{"OK", IDOK},       {"Cancel", IDCANCEL}, {"Abort", IDABORT},
                                {"Retry", IDRETRY}, {"Ignore", IDIGNORE}, {"Yes", IDYES},
                                {"No", IDNO},       {"Close", IDCLOSE},   {"Help", IDHELP}};

int parseControl(const std::string& s) {
    for (const auto& n : kButtonNames)
        if (s == n.name) return n.id;
    return static_cast<int>(parseInt(s, "control id"));
}

const NamedId kKeys[] = {{"RETURN", VK_RETURN}, {"ENTER", VK_RETURN}, {"ESCAPE", VK_ESCAPE},
                         {"TAB", VK_TAB},       {"SPACE", VK_SPACE},  {"BACK", VK_BACK},
                         {"DELETE", VK_DELETE}, {"LEFT", VK_LEFT},    {"RIGHT", VK_RIGHT},
                         {"UP", VK_UP},         {"DOWN", VK_DOWN},    {"HOME", VK_HOME},
                         {"END", VK_END},       {"PRIOR", VK_PRIOR},  {"NEXT", VK_NEXT}};

int parseKey(const std::string& s) {
    for (const auto& k : kKeys)
        if (s == k.name) return k.id;
    if (s.size() >= 2 && s[0] == 'F') {
        long long n;
        if (parseLong(s.substr(1), n, 10) && n >= 1 && n <= 24) return VK_F1 + static_cast<int>(n) - 1;
    }
    if (s.size() == 1 && ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= '0' && s[0] <= '9'))) return s[0];
    if (s.size() > 2 && s[0] == '0' && s[1] == 'x') {
        long long v = parseInt(s, "virtual key");
        if (v > 0 && v < 256) return static_cast<int>(v);
    }
    throw ScriptError{"unknown key " + quote(s)};
}

// Icons the driver can tell apart, as the standard icons it draws itself.
struct IconName {
    const char* name;
    LPCSTR id;
};
const IconName kIcons[] = {{"exclamation", IDI_EXCLAMATION},
                           {"hand", IDI_HAND},
                           {"question", IDI_QUESTION},
                           {"asterisk", IDI_ASTERISK}};

// Catches script mistakes before anything runs, so a bad line never leaves a program half-driven.
void validate(const Step& st) {
    const auto& a = st.args;
    const std::string& c = st.cmd;
    if (c == "timeout") parseSeconds(a[0]);
    else if (c == "absent") parseSeconds(a[1]);
    else if (c == "sleep") {
        long long ms = parseInt(a[0], "milliseconds");
        if (ms < 0 || ms > 86400000) throw ScriptError{"sleep wants 0 to 86400000 ms"};
    }
    else if (c == "exit-code") parseInt(a[0], "exit code");
    else if (c == "expect-text" || c == "set" || c == "expect-focus" || c == "dump-text") {
        if (!((c == "expect-text" || c == "dump-text") && a[0] == "self")) parseInt(a[0], "control id");
    } else if (c == "expect-style" || c == "expect-exstyle") {
        if (a[0] != "self") parseInt(a[0], "control id");
        parseHex(a[1]);
        parseHex(a[2]);
    } else if (c == "expect-enabled") {
        if (a[0] != "self") parseInt(a[0], "control id");
        if (a[1] != "0" && a[1] != "1") throw ScriptError{"expect-enabled wants 0 or 1"};
    } else if (c == "expect-rect" || c == "expect-rect-px") {
        for (const auto& s : a) parseInt(s, "rectangle");
    } else if (c == "dialog-font") {
        parseInt(a[0], "points");
        if (a[1].empty()) throw ScriptError{"dialog-font needs a face name"};
    } else if (c == "press") parseControl(a[0]);
    else if (c == "key") parseKey(a[0]);
    else if (c == "expect-icon") {
        bool ok = a[0] == "none";
        for (const auto& i : kIcons) ok = ok || a[0] == i.name;
        if (!ok) throw ScriptError{"unknown icon " + quote(a[0])};
    }
}

// ---- windows ---------------------------------------------------------------------------------

const UINT kSendTimeoutMs = 1000;
DWORD g_timeoutMs = 10000;
const DWORD kPollMs = 50;

// Win32 callbacks must not let an exception out; a full vector just stops the enumeration.
BOOL CALLBACK collectWindow(HWND h, LPARAM lp) noexcept {
    try {
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

std::vector<HWND> topLevelWindows() {   // Z order, topmost first
    std::vector<HWND> v;
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&v));
    return v;
}

std::vector<HWND> descendants(HWND parent) {
    std::vector<HWND> v;
    EnumChildWindows(parent, collectWindow, reinterpret_cast<LPARAM>(&v));
    return v;
}

std::string className(HWND h) {
    char buf[256] = "";
    GetClassNameA(h, buf, sizeof buf);
    return buf;
}

// A top-level caption from the window manager's copy: never blocks on a busy program.
std::string caption(HWND h) {
    int n = GetWindowTextLengthA(h);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    int got = GetWindowTextA(h, &s[0], n + 1);
    s.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return s;
}

// A control's text as the control itself reports it (edit contents, button captions...).
bool controlText(HWND h, std::string& out) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutA(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &len)) return false;
    // The length can be in UTF-16 units while the text comes back in ANSI bytes; leave room for both.
    std::vector<char> buf(len * 2 + 2, '\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutA(h, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG,
                             kSendTimeoutMs, &got))
        return false;
    out.assign(buf.data(), std::min<size_t>(got, buf.size() - 1));
    return true;
}

std::string controlTextOr(HWND h) {
    std::string s;
    if (!IsWindow(h)) return "<window destroyed>";
    if (!controlText(h, s)) return "<no answer>";
    return quote(s);
}

bool ownProcess(HWND h) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    return pid == GetCurrentProcessId();
}

bool isMessageBox(HWND h) {
    if (className(h) != "#32770") return false;
    HWND text = GetDlgItem(h, 0xFFFF);
    return text && lstrcmpiA(className(text).c_str(), "Static") == 0;
}

ULONGLONG now() { return GetTickCount64(); }

// ---- screen capture --------------------------------------------------------------------------

struct Pixels {
    int w = 0, h = 0;
    std::vector<uint32_t> px;   // top-down 0x00RRGGBB
    uint32_t at(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
};

// A 32-bit top-down DIB section of w x h pixels; its pixels at *bits.
HBITMAP createTopDownDib(HDC dc, int w, int h, void** bits) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(dc, &bi, DIB_RGB_COLORS, bits, nullptr, 0);
}

// Copies a screen rectangle through the screen DC; under Wine that reads back what the X server
// shows, which includes other processes' windows.
bool captureScreen(const RECT& r, Pixels& out) {
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    HDC mem = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bmp = createTopDownDib(screen, w, h, &bits);
    bool ok = false;
    if (mem && bmp) {
        HGDIOBJ old = SelectObject(mem, bmp);
        ok = BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT) != 0;
        GdiFlush();
        if (ok) {
            out.w = w;
            out.h = h;
            const auto* p = static_cast<const uint32_t*>(bits);
            out.px.assign(p, p + static_cast<size_t>(w) * h);
            for (auto& v : out.px) v &= 0xFFFFFF;
        }
        SelectObject(mem, old);
    }
    if (bmp) DeleteObject(bmp);
    if (mem) DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
}

// Draws one of our own standard icons at the given size on a solid background.
Pixels renderIcon(LPCSTR id, int w, int h, uint32_t background) {
    Pixels out;
    HICON icon = LoadIconA(nullptr, id);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bmp = createTopDownDib(screen, w, h, &bits);
    if (icon && mem && bmp) {
        HGDIOBJ old = SelectObject(mem, bmp);
        auto* p = static_cast<uint32_t*>(bits);
        std::fill(p, p + static_cast<size_t>(w) * h, background);
        // The icon static draws with the control's own size, like this.
        DrawIconEx(mem, 0, 0, icon, w, h, 0, nullptr, DI_NORMAL);
        GdiFlush();
        out.w = w;
        out.h = h;
        out.px.assign(p, p + static_cast<size_t>(w) * h);
        for (auto& v : out.px) v &= 0xFFFFFF;
        SelectObject(mem, old);
    }
    if (bmp) DeleteObject(bmp);
    if (mem) DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return out;
}

// Share of pixels that differ by more than a small tolerance per channel.
double difference(const Pixels& a, const Pixels& b) {
    if (a.w != b.w || a.h != b.h || a.px.empty()) return 1.0;
    size_t bad = 0;
    for (size_t i = 0; i < a.px.size(); ++i) {
        uint32_t x = a.px[i], y = b.px[i];
        for (int sh = 0; sh < 24; sh += 8) {
            int d = static_cast<int>((x >> sh) & 0xFF) - static_cast<int>((y >> sh) & 0xFF);
            if (d > 8 || d < -8) {
                ++bad;
                break;
            }
        }
    }
    return static_cast<double>(bad) / static_cast<double>(a.px.size());
}

bool writeBmp(const std::string& path, const Pixels& p) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    size_t stride = (static_cast<size_t>(p.w) * 3 + 3) & ~static_cast<size_t>(3);
    size_t imageSize = stride * p.h;
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = static_cast<DWORD>(fh.bfOffBits + imageSize);
    ih.biSize = sizeof ih;
    ih.biWidth = p.w;
    ih.biHeight = p.h;   // bottom-up, the form every reader accepts
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biCompression = BI_RGB;
    ih.biSizeImage = static_cast<DWORD>(imageSize);
    bool ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 && std::fwrite(&ih, sizeof ih, 1, f) == 1;
    std::vector<unsigned char> row(stride, 0);
    for (int y = p.h - 1; ok && y >= 0; --y) {
        for (int x = 0; x < p.w; ++x) {
            uint32_t v = p.at(x, y);
            row[x * 3 + 0] = static_cast<unsigned char>(v & 0xFF);
            row[x * 3 + 1] = static_cast<unsigned char>((v >> 8) & 0xFF);
            row[x * 3 + 2] = static_cast<unsigned char>((v >> 16) & 0xFF);
        }
        ok = std::fwrite(row.data(), 1, stride, f) == stride;
    }
    return std::fclose(f) == 0 && ok;
}

// ---- the driver ------------------------------------------------------------------------------

std::string lastErrorText(DWORD err) {
    char buf[512] = "";
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, err, 0, buf,
                             sizeof buf, nullptr);
    while (n && (buf[n - 1] == '\n' || buf[n - 1] == '\r' || buf[n - 1] == ' ')) buf[--n] = '\0';
    return "error " + std::to_string(err) + (n ? " (" + std::string(buf) + ")" : "");
}

std::string exitCodeText(DWORD code) {
    std::string s = std::to_string(static_cast<long>(static_cast<int32_t>(code)));
    if (code >= 0x80000000u) s += " (" + hex(code) + ")";
    return s;
}

bool fileExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

struct Started {
    HANDLE process;
    int line;
};

struct Driver {
    HWND current = nullptr;
    std::string startDir;            // empty: the driver's own working directory
    std::vector<Started> started;
    std::string currentCaption;
    // Windows just pressed, closed or sent a key: they may take a moment to go away, so for a
    // short while window/box look past them (for the next box with the same caption). A window
    // that stays (a dialog kept open by a validation box) becomes eligible again afterwards.
    std::vector<std::pair<HWND, ULONGLONG>> retired;
    static constexpr ULONGLONG kRetireGraceMs = 1000;
    std::string fontFace = "MS Shell Dlg";
    int fontPoints = 8;

    bool isRetired(HWND h) {
        ULONGLONG t = now();
        retired.erase(std::remove_if(retired.begin(), retired.end(),
                                     [t](const auto& r) { return !IsWindow(r.first) || t - r.second > kRetireGraceMs; }),
                      retired.end());
        return std::any_of(retired.begin(), retired.end(), [h](const auto& r) { return r.first == h; });
    }

    void retire(HWND h) { retired.emplace_back(h, now()); }

    void forgetCurrent() {
        if (current) retire(current);
        current = nullptr;
    }

    // Visible top-level windows of other processes with this caption, topmost first.
    std::vector<HWND> findWindows(const std::string& cap, bool boxOnly) {
        std::vector<HWND> r;
        for (HWND h : topLevelWindows()) {
            if (!IsWindowVisible(h) || ownProcess(h) || caption(h) != cap) continue;
            if (boxOnly && !isMessageBox(h)) continue;
            r.push_back(h);
        }
        return r;
    }

    std::string visibleCaptions() {
        std::string s;
        for (HWND h : topLevelWindows()) {
            if (!IsWindowVisible(h) || ownProcess(h)) continue;
            if (!s.empty()) s += ", ";
            s += quote(caption(h)) + (isMessageBox(h) ? " (message box)" : "");
        }
        return s.empty() ? "no visible windows" : "visible: " + s;
    }

    template <class F>
    bool poll(F f, DWORD limit) {
        ULONGLONG end = now() + limit;
        for (;;) {
            if (f()) return true;
            if (now() >= end) return false;
            Sleep(kPollMs);
        }
    }

    HWND need() {
        if (!current) fail("a current window (use window/box first)", "none");
        if (!IsWindow(current)) fail("current window " + quote(currentCaption) + " to exist", "it was destroyed");
        return current;
    }

    HWND findControl(HWND parent, int id) {
        if (HWND h = GetDlgItem(parent, id)) return h;
        for (HWND h : descendants(parent))   // controls inside child dialogs or frames
            if (GetDlgCtrlID(h) == id) return h;
        return nullptr;
    }

    HWND needControl(const std::string& which) {
        HWND w = need();
        if (which == "self") return w;
        int id = parseControl(which);
        HWND h = nullptr;
        poll([&] { return (h = findControl(w, id)) != nullptr; }, g_timeoutMs);
        if (!h) fail("control " + which + " in " + quote(currentCaption), "no such control");
        return h;
    }

    void waitWindow(const std::string& cap, bool boxOnly) {
        HWND found = nullptr;
        poll(
            [&] {
                for (HWND h : findWindows(cap, boxOnly))
                    if (!isRetired(h)) {
                        found = h;
                        return true;
                    }
                return false;
            },
            g_timeoutMs);
        if (!found) {
            std::string extra;
            if (boxOnly && !findWindows(cap, false).empty()) extra = "; a window with that caption is not a message box";
            fail(std::string(boxOnly ? "message box " : "window ") + quote(cap), visibleCaptions() + extra);
        }
        current = found;
        currentCaption = cap;
    }

    void expectTextOf(HWND h, const std::string& what, const std::string& want) {
        std::string got;
        bool ok = poll(
            [&] {
                got = h == current ? quote(caption(h)) : controlTextOr(h);
                return got == quote(want);
            },
            g_timeoutMs);
        if (!ok) fail(what + " text " + quote(want), got);
    }

    std::string buttons(HWND w) {
        std::vector<std::pair<int, std::string>> list;
        for (HWND h : descendants(w)) {
            if (lstrcmpiA(className(h).c_str(), "Button") != 0 || !IsWindowVisible(h)) continue;
            LONG type = GetWindowLongA(h, GWL_STYLE) & BS_TYPEMASK;
            if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON) continue;
            std::string t;
            if (!controlText(h, t)) t = "<no answer>";
            std::string clean;
            for (size_t i = 0; i < t.size(); ++i) {
                if (t[i] == '&' && i + 1 < t.size()) ++i;   // "&&" is a literal '&'
                clean += t[i];
            }
            list.emplace_back(GetDlgCtrlID(h), clean);
        }
        std::stable_sort(list.begin(), list.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::string s;
        for (const auto& b : list) s += (s.empty() ? "" : ",") + b.second;
        return s;
    }

    // "none", an icon name, or a description of what was seen instead.
    std::string iconName(HWND box) {
        HWND ic = findControl(box, 1088);
        if (!ic || !IsWindowVisible(ic)) return "none";
        DWORD_PTR handle = 0;
        if (!SendMessageTimeoutA(ic, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &handle))
            return "<no answer to STM_GETICON>";
        if (!handle) return "none";
        RECT r;
        GetClientRect(ic, &r);
        MapWindowPoints(ic, nullptr, reinterpret_cast<POINT*>(&r), 2);
        Pixels seen;
        if (!captureScreen(r, seen)) return "<screen capture failed>";
        // The icon's corners are transparent, so they show the background it was drawn on.
        uint32_t bg = seen.at(0, 0);
        std::string best;
        double bestDiff = 2, secondDiff = 2;
        for (const auto& i : kIcons) {
            double d = difference(seen, renderIcon(i.id, seen.w, seen.h, bg));
            if (d < bestDiff) {
                secondDiff = bestDiff;
                bestDiff = d;
                best = i.name;
            } else if (d < secondDiff) {
                secondDiff = d;
            }
        }
        // Only a near-exact match counts, clearly ahead of the next: question and asterisk, both
        // blue circles, differ in under a tenth of their pixels.
        if (bestDiff <= 0.02 && secondDiff - bestDiff >= 0.03) return best;
        char buf[160];
        std::snprintf(buf, sizeof buf, "an unrecognised icon (closest %s, %.0f%% of pixels differ)", best.c_str(),
                      bestDiff * 100);
        return buf;
    }

    // Dialog base units the way the dialog manager derives them from the template font.
    bool baseUnits(int& bx, int& by) {
        HDC dc = GetDC(nullptr);
        int pixels = MulDiv(fontPoints, GetDeviceCaps(dc, LOGPIXELSY), 72);
        HFONT font = CreateFontA(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, fontFace.c_str());
        bool ok = false;
        if (font) {
            HGDIOBJ old = SelectObject(dc, font);
            TEXTMETRICA tm;
            SIZE sz;
            static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
            if (GetTextMetricsA(dc, &tm) && GetTextExtentPoint32A(dc, alphabet, 52, &sz)) {
                bx = (sz.cx / 26 + 1) / 2;
                by = tm.tmHeight;
                ok = bx > 0 && by > 0;
            }
            SelectObject(dc, old);
            DeleteObject(font);
        }
        ReleaseDC(nullptr, dc);
        return ok;
    }

    RECT controlRectPx(HWND ctrl) {
        RECT r;
        GetWindowRect(ctrl, &r);
        MapWindowPoints(nullptr, current, reinterpret_cast<POINT*>(&r), 2);   // to client coordinates
        return r;
    }

    HWND keyTarget(HWND w) {
        DWORD tid = GetWindowThreadProcessId(w, nullptr);
        GUITHREADINFO gi{};
        gi.cbSize = sizeof gi;
        if (GetGUIThreadInfo(tid, &gi) && gi.hwndFocus && (gi.hwndFocus == w || IsChild(w, gi.hwndFocus)))
            return gi.hwndFocus;
        return w;
    }

    // CreateProcess looks for a relative program beside the calling program first; a script means
    // the program in its start directory, so name that file explicitly when it exists.
    std::string resolveProgram(const std::string& cmdline) {
        size_t i = cmdline.find_first_not_of(" \t");
        if (i == std::string::npos) return {};
        std::string prog;
        if (cmdline[i] == '"') {
            size_t e = cmdline.find('"', i + 1);
            prog = cmdline.substr(i + 1, e == std::string::npos ? std::string::npos : e - i - 1);
        } else {
            prog = cmdline.substr(i, cmdline.find_first_of(" \t", i) - i);
        }
        bool absolute = prog.size() >= 2 && (prog[1] == ':' || (prog[0] == '\\' && prog[1] == '\\'));
        if (prog.empty() || absolute) return {};
        std::string dir = startDir;
        if (dir.empty()) {
            char buf[MAX_PATH * 2];
            DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
            if (n == 0 || n >= sizeof buf) return {};
            dir.assign(buf, n);
        }
        if (dir.back() != '\\' && dir.back() != '/') dir += '\\';
        if (fileExists(dir + prog)) return dir + prog;
        if (prog.find('.') == std::string::npos && fileExists(dir + prog + ".exe")) return dir + prog + ".exe";
        return {};
    }

    void endStartedPrograms() {
        for (const auto& p : started) {
            if (WaitForSingleObject(p.process, 0) == WAIT_TIMEOUT) {
                TerminateProcess(p.process, 1);
                WaitForSingleObject(p.process, 2000);
                std::fprintf(stderr, "guidriver: ended the program started at line %d\n", p.line);
            }
        }
    }

    void run(const Step& st) {
        const auto& a = st.args;
        const std::string& c = st.cmd;
        if (c == "cd") {
            startDir = a[0];
        } else if (c == "start") {
            std::string app = resolveProgram(a[0]);
            std::vector<char> cmd(a[0].begin(), a[0].end());
            cmd.push_back('\0');
            STARTUPINFOA si{};
            si.cb = sizeof si;
            PROCESS_INFORMATION pi{};
            if (!CreateProcessA(app.empty() ? nullptr : app.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                startDir.empty() ? nullptr : startDir.c_str(), &si, &pi))
                fail("program " + quote(a[0]) + " to start" + (startDir.empty() ? "" : " in " + quote(startDir)),
                     lastErrorText(GetLastError()));
            CloseHandle(pi.hThread);
            started.push_back({pi.hProcess, st.line});
        } else if (c == "exit-code") {
            if (started.empty()) fail("a program started by this script", "none");
            HANDLE p = started.back().process;
            DWORD want = static_cast<DWORD>(parseInt(a[0], "exit code"));
            if (WaitForSingleObject(p, g_timeoutMs) == WAIT_TIMEOUT) {
                TerminateProcess(p, 1);
                WaitForSingleObject(p, 2000);
                fail("exit code " + exitCodeText(want) + " within the timeout", "the program still running (ended it)");
            }
            DWORD code = 0;
            GetExitCodeProcess(p, &code);
            if (code != want) fail("exit code " + exitCodeText(want), exitCodeText(code));
        } else if (c == "dump-text") {
            HWND h = needControl(a[0]);
            std::string text;
            if (h == current) text = caption(h);
            else if (!controlText(h, text)) fail("the text of control " + a[0], "no answer");
            FILE* f = std::fopen(a[1].c_str(), "wb");
            bool ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
            if (f && std::fclose(f) != 0) ok = false;
            if (!ok) throw ScriptError{"cannot write " + quote(a[1])};
        } else if (c == "timeout") {
            g_timeoutMs = static_cast<DWORD>(parseSeconds(a[0]) * 1000);
        } else if (c == "sleep") {
            Sleep(static_cast<DWORD>(parseInt(a[0], "milliseconds")));
        } else if (c == "window" || c == "box") {
            waitWindow(a[0], c == "box");
        } else if (c == "expect-text") {
            HWND h = needControl(a[0]);
            expectTextOf(h, a[0] == "self" ? "window" : "control " + a[0], a[1]);
        } else if (c == "expect-box-text") {
            HWND w = need();
            if (!isMessageBox(w)) fail("a message box as current window", "class " + className(w));
            expectTextOf(GetDlgItem(w, 0xFFFF), "message box", a[0]);
        } else if (c == "expect-buttons") {
            HWND w = need();
            std::string got;
            if (!poll([&] { return (got = buttons(w)) == a[0]; }, g_timeoutMs))
                fail("buttons " + quote(a[0]), quote(got));
        } else if (c == "expect-icon") {
            HWND w = need();
            std::string got;
            if (!poll([&] { return (got = iconName(w)) == a[0]; }, g_timeoutMs)) fail("icon " + a[0], got);
        } else if (c == "expect-style" || c == "expect-exstyle") {
            HWND h = needControl(a[0]);
            unsigned long mask = parseHex(a[1]), want = parseHex(a[2]), got = 0;
            int which = c == "expect-style" ? GWL_STYLE : GWL_EXSTYLE;
            if (!poll(
                    [&] {
                        got = static_cast<unsigned long>(GetWindowLongA(h, which));
                        return (got & mask) == want;
                    },
                    g_timeoutMs))
                fail(std::string(c == "expect-style" ? "style" : "extended style") + " of " + a[0] + " & " +
                         hex(mask) + " == " + hex(want),
                     hex(got & mask) + " (whole value " + hex(got) + ")");
        } else if (c == "expect-enabled") {
            HWND h = needControl(a[0]);
            bool want = a[1] == "1";
            if (!poll([&] { return (IsWindowEnabled(h) != 0) == want; }, g_timeoutMs))
                fail(a[0] + (want ? " enabled" : " disabled"), want ? "disabled" : "enabled");
        } else if (c == "expect-focus") {
            HWND w = need();
            HWND h = needControl(a[0]);
            HWND got = nullptr;
            if (!poll([&] { return (got = keyTarget(w)) == h; }, g_timeoutMs))
                fail("focus on control " + a[0],
                     got == w ? "focus not on any control" : "focus on control " + std::to_string(GetDlgCtrlID(got)));
        } else if (c == "dialog-font") {
            fontPoints = static_cast<int>(parseInt(a[0], "points"));
            fontFace = a[1];
        } else if (c == "expect-rect" || c == "expect-rect-px") {
            HWND h = needControl(a[0]);
            long want[4];
            for (int i = 0; i < 4; ++i) want[i] = static_cast<long>(parseInt(a[i + 1], "rectangle"));
            bool du = c == "expect-rect";
            int bx = 4, by = 8;   // identity for pixels
            if (du && !baseUnits(bx, by)) fail("dialog base units for font " + quote(fontFace), "no such font");
            long got[4];
            auto matches = [&] {
                RECT r = controlRectPx(h);
                long px[4] = {r.left, r.top, r.right - r.left, r.bottom - r.top};
                bool ok = true;
                for (int i = 0; i < 4; ++i) {
                    // Pixels to dialog units, rounded to nearest.
                    long scale = (i % 2 == 0) ? bx : by, per = (i % 2 == 0) ? 4 : 8;
                    got[i] = du ? static_cast<long>((px[i] * per * 2 + (px[i] >= 0 ? scale : -scale)) / (2 * scale))
                                : px[i];
                    long tol = du ? 1 : 0;
                    if (got[i] - want[i] > tol || want[i] - got[i] > tol) ok = false;
                }
                return ok;
            };
            if (!poll(matches, g_timeoutMs)) {
                char buf[200];
                std::snprintf(buf, sizeof buf, "%ld %ld %ld %ld", got[0], got[1], got[2], got[3]);
                std::string units = du ? " dialog units (base units " + std::to_string(bx) + "x" +
                                             std::to_string(by) + " from " + std::to_string(fontPoints) + "pt " +
                                             quote(fontFace) + ")"
                                       : " pixels";
                fail("rectangle of " + a[0] + " " + a[1] + " " + a[2] + " " + a[3] + " " + a[4], buf + units);
            }
        } else if (c == "set") {
            HWND h = needControl(a[0]);
            DWORD_PTR res = 0;
            if (!SendMessageTimeoutA(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[1].c_str()), SMTO_ABORTIFHUNG,
                                     kSendTimeoutMs, &res))
                fail("control " + a[0] + " to accept WM_SETTEXT", "no answer");
            if (!res) fail("control " + a[0] + " to accept WM_SETTEXT", "refused");
        } else if (c == "press") {
            HWND w = need();
            HWND h = needControl(a[0]);
            // A user cannot click a disabled button, or one in a window blocked by a modal box.
            if (!poll([&] { return IsWindowEnabled(h) && IsWindowEnabled(w); }, g_timeoutMs))
                fail("button " + a[0] + " clickable", IsWindowEnabled(h) ? "its window is disabled" : "it is disabled");
            PostMessageA(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), BN_CLICKED), reinterpret_cast<LPARAM>(h));
            forgetCurrent();
        } else if (c == "key") {
            HWND w = need();
            int vk = parseKey(a[0]);
            HWND target = keyTarget(w);
            LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(vk), MAPVK_VK_TO_VSC)) << 16;
            PostMessageA(target, WM_KEYDOWN, static_cast<WPARAM>(vk), 1 | scan);
            PostMessageA(target, WM_KEYUP, static_cast<WPARAM>(vk), 1 | scan | (LPARAM{1} << 30) | (LPARAM{1} << 31));
            retire(w);   // stays current, but Enter or Escape may be closing it
        } else if (c == "close") {
            HWND w = need();
            PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0);
            forgetCurrent();
        } else if (c == "gone") {
            if (!poll([&] { return findWindows(a[0], false).empty(); }, g_timeoutMs))
                fail("no window " + quote(a[0]), "it is still there");
        } else if (c == "absent") {
            DWORD limit = static_cast<DWORD>(parseSeconds(a[1]) * 1000);
            ULONGLONG start = now();
            if (poll([&] { return !findWindows(a[0], false).empty(); }, limit)) {
                char buf[64];
                std::snprintf(buf, sizeof buf, "one after %.2f s", static_cast<double>(now() - start) / 1000);
                fail("no window " + quote(a[0]) + " for " + a[1] + " s", buf);
            }
        } else if (c == "shot") {
            HWND w = need();
            Sleep(200);   // let the program finish painting
            RECT r;
            GetWindowRect(w, &r);
            RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
            IntersectRect(&r, &r, &screen);
            Pixels p;
            if (!captureScreen(r, p)) fail("a screenshot of " + quote(currentCaption), "capture failed");
            if (!writeBmp(a[0], p)) throw ScriptError{"cannot write " + quote(a[0])};
        } else if (c == "print-texts") {
            HWND w = need();
            std::printf("  window %s class %s style %s\n", quote(caption(w)).c_str(), className(w).c_str(),
                        hex(static_cast<unsigned long>(GetWindowLongA(w, GWL_STYLE))).c_str());
            for (HWND h : descendants(w)) {
                int id = GetDlgCtrlID(h);
                std::printf("  %d (%s) %s style %s%s %s\n", id, hex(static_cast<unsigned long>(id) & 0xFFFF).c_str(),
                            className(h).c_str(), hex(static_cast<unsigned long>(GetWindowLongA(h, GWL_STYLE))).c_str(),
                            IsWindowVisible(h) ? "" : " hidden", controlTextOr(h).c_str());
            }
        }
    }
};

bool readAll(FILE* f, std::string& out) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    return !std::ferror(f);
}

}  // namespace

int main(int argc, char** argv) {
    // Plain "\n" line ends: the log is read on Unix.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    if (argc != 2) {
        std::fprintf(stderr, "usage: guidriver SCRIPT   (- reads stdin)\n");
        return 2;
    }
    std::string name = argv[1], content;
    if (name == "-") {
        _setmode(_fileno(stdin), _O_BINARY);
        readAll(stdin, content);
    } else {
        FILE* f = std::fopen(name.c_str(), "rb");
        if (!f || !readAll(f, content)) {
            std::fprintf(stderr, "guidriver: cannot read %s\n", name.c_str());
            if (f) std::fclose(f);
            return 2;
        }
        std::fclose(f);
    }

    std::vector<Step> steps;
    try {
        steps = parseScript(content);
        for (const auto& st : steps) {
            try {
                validate(st);
            } catch (ScriptError& e) {
                e.line = st.line;
                throw;
            }
        }
    } catch (const ScriptError& e) {
        std::fprintf(stderr, "guidriver: %s:%d: %s\n", name.c_str(), e.line, e.what.c_str());
        return 2;
    }

    Driver d;
    for (const auto& st : steps) {
        std::printf("%s:%d: %s\n", name.c_str(), st.line, st.raw.c_str());
        std::fflush(stdout);
        try {
            d.run(st);
        } catch (const Failure& f) {
            std::fprintf(stderr, "guidriver: %s:%d: expected %s, got %s\n", name.c_str(), st.line,
                         f.expected.c_str(), f.got.c_str());
            d.endStartedPrograms();
            return 1;
        } catch (const ScriptError& e) {
            std::fprintf(stderr, "guidriver: %s:%d: %s\n", name.c_str(), st.line, e.what.c_str());
            d.endStartedPrograms();
            return 2;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "guidriver: %s:%d: internal error: %s\n", name.c_str(), st.line, e.what());
            d.endStartedPrograms();
            return 2;
        }
    }
    return 0;
}
