// Reads a dialog template resource (DIALOG or DIALOGEX) into plain values, so a test can
// compare a dialog's ids, texts, positions, styles and order with what they must be.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct DialogItem {
    DWORD style = 0;
    int id = 0;
    std::string className;  // "Button", "Edit", "Static", ... for the predefined atoms
    std::string text;
    short x = 0, y = 0, cx = 0, cy = 0;
};

struct DialogTemplate {
    bool found = false;
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string caption, fontName;
    int pointSize = 0;
    std::vector<DialogItem> items;
};

namespace dlgtmpl {
inline std::string Narrow(const WCHAR* w) {
    std::string s;
    for (; *w; ++w) s += static_cast<char>(*w < 0x100 ? *w : '?');
    return s;
}
// A name or ordinal field: 0 (none), 0xFFFF + ordinal, or a string.
inline const WORD* SzOrOrd(const WORD* p, std::string& text, int& ordinal) {
    ordinal = -1;
    text.clear();
    if (*p == 0) return p + 1;
    if (*p == 0xFFFF) { ordinal = p[1]; return p + 2; }
    text = Narrow(reinterpret_cast<const WCHAR*>(p));
    while (*p) ++p;
    return p + 1;
}
inline const WORD* AlignDword(const WORD* p) {
    return reinterpret_cast<const WORD*>((reinterpret_cast<ULONG_PTR>(p) + 3) & ~ULONG_PTR(3));
}
inline std::string AtomClass(int atom) {
    switch (atom) {
    case 0x80: return "Button";
    case 0x81: return "Edit";
    case 0x82: return "Static";
    case 0x83: return "ListBox";
    case 0x84: return "ScrollBar";
    case 0x85: return "ComboBox";
    default: return "#" + std::to_string(atom);
    }
}
}  // namespace dlgtmpl

inline DialogTemplate LoadDialogTemplate(HMODULE module, int id) {
    using namespace dlgtmpl;
    DialogTemplate t;
    HRSRC res = ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    if (!res) return t;
    const WORD* p = static_cast<const WORD*>(::LockResource(::LoadResource(module, res)));
    if (!p) return t;
    const bool ex = p[0] == 1 && p[1] == 0xFFFF;
    WORD count;
    if (ex) {
        auto dw = reinterpret_cast<const DWORD*>(p + 2);  // helpID, exStyle, style
        t.exStyle = dw[1];
        t.style = dw[2];
        p += 8;
    } else {
        auto dw = reinterpret_cast<const DWORD*>(p);
        t.style = dw[0];
        t.exStyle = dw[1];
        p += 4;
    }
    count = *p++;
    t.x = static_cast<short>(*p++); t.y = static_cast<short>(*p++);
    t.cx = static_cast<short>(*p++); t.cy = static_cast<short>(*p++);
    std::string s;
    int ord;
    p = SzOrOrd(p, s, ord);             // menu
    p = SzOrOrd(p, s, ord);             // class
    p = SzOrOrd(p, t.caption, ord);     // title
    if (t.style & DS_SETFONT) {
        t.pointSize = *p++;
        if (ex) p += 2;  // weight, italic + charset
        p = SzOrOrd(p, t.fontName, ord);
    }
    for (WORD i = 0; i < count; ++i) {
        p = AlignDword(p);
        DialogItem item;
        if (ex) {
            auto dw = reinterpret_cast<const DWORD*>(p);  // helpID, exStyle, style
            item.style = dw[2];
            p += 6;
        } else {
            item.style = *reinterpret_cast<const DWORD*>(p);
            p += 4;
        }
        item.x = static_cast<short>(*p++); item.y = static_cast<short>(*p++);
        item.cx = static_cast<short>(*p++); item.cy = static_cast<short>(*p++);
        if (ex) { item.id = static_cast<int>(*reinterpret_cast<const DWORD*>(p)); p += 2; }
        else item.id = static_cast<short>(*p++);
        p = SzOrOrd(p, item.className, ord);
        if (ord >= 0) item.className = AtomClass(ord);
        p = SzOrOrd(p, item.text, ord);
        WORD extra = *p++;
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
        t.items.push_back(item);
    }
    t.found = true;
    return t;
}
