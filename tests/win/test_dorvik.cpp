// dorvik's object against the real OLE Automation and registry: the dispatch layer as a client
// sees it, and the association walk over the keys of dorvik_assoc.reg (imported by the runner).
#include "../../dorvik/DdeIntfc.h"
#include "AssocTable.h"
#include <gtest/gtest.h>
#include <winnetwk.h>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

class OleTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr))); }
    void TearDown() override { ::OleUninitialize(); }
};

// The server-process count that live objects hold.
ULONG ServerRefs() {
    ULONG n = ::CoAddRefServerProcess();
    ::CoReleaseServerProcess();
    return n - 1;
}

// A CDdeIntfc reached only through its IDispatch, as OLE hands it out.
class Client {
public:
    Client() : m_pObj(new CDdeIntfc) {
        m_pDisp = m_pObj->GetIDispatch(FALSE);  // takes over the creator's reference
    }
    ~Client() {
        if (m_pDisp) m_pDisp->Release();
    }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    CDdeIntfc& obj() { return *m_pObj; }
    IDispatch* disp() { return m_pDisp; }

    DISPID Id(const wchar_t* name) {
        DISPID id = 0;
        LPOLESTR n = const_cast<LPOLESTR>(name);
        EXPECT_EQ(m_pDisp->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id), S_OK) << "name";
        return id;
    }

    // Calls with the arguments in the client's order; puArgErr comes back in argErr.
    HRESULT Call(DISPID id, WORD flags, std::vector<VARIANT> args, VARIANT* result, UINT* argErr = nullptr,
                 bool propertyPut = false) {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS dp = {reversed.data(), propertyPut ? &put : nullptr, static_cast<UINT>(reversed.size()),
                         propertyPut ? 1u : 0u};
        UINT err = 12345;
        ::VariantInit(result);
        HRESULT hr = m_pDisp->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &dp, result, nullptr, &err);
        if (argErr) *argErr = err;
        for (VARIANT& v : args) ::VariantClear(&v);
        return hr;
    }

    // A method call expected to succeed with a Boolean.
    bool Method(const wchar_t* name, std::vector<VARIANT> args) {
        VARIANT r;
        HRESULT hr = Call(Id(name), DISPATCH_METHOD, std::move(args), &r);
        EXPECT_EQ(hr, S_OK);
        EXPECT_EQ(r.vt, VT_BOOL);
        return r.vt == VT_BOOL && r.boolVal == VARIANT_TRUE;
    }

private:
    CDdeIntfc* m_pObj;
    IDispatch* m_pDisp;
};

VARIANT Str(const wchar_t* s) {
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = ::SysAllocString(s);
    return v;
}
VARIANT I4(long n) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = n;
    return v;
}
VARIANT Null() {
    VARIANT v;
    v.vt = VT_NULL;
    return v;
}

std::wstring Wide(const char* s) {
    int n = ::MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    std::wstring w(n, L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, s, -1, &w[0], n);
    w.resize(n - 1);
    return w;
}

std::string NetUser() {
    char name[512] = {};
    DWORD n = sizeof name;
    EXPECT_EQ(::WNetGetUserA(nullptr, name, &n), static_cast<DWORD>(NO_ERROR));
    return name;
}

TEST_F(OleTest, NamesMatchWithoutCaseAndDispidsArePositions) {
    Client c;
    const struct {
        const wchar_t* name;
        DISPID id;
    } names[] = {{L"errordesc", 1}, {L"ERRORCODE", 2}, {L"GetUserName", 3}, {L"SETOPERATIONINFO", 4},
                 {L"doOperation", 5}, {L"SetOpInfo", 6}, {L"UnInitialize", 7}};
    for (const auto& n : names) EXPECT_EQ(c.Id(n.name), n.id);

    DISPID id = 99;
    LPOLESTR unknown = const_cast<LPOLESTR>(L"getUserNames");
    EXPECT_EQ(c.disp()->GetIDsOfNames(IID_NULL, &unknown, 1, 0, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
    LPOLESTR nonAscii = const_cast<LPOLESTR>(L"errorC\u00d6de");
    EXPECT_EQ(c.disp()->GetIDsOfNames(IID_NULL, &nonAscii, 1, 0, &id), DISP_E_UNKNOWNNAME);

}

TEST_F(OleTest, InterfaceMapAndLifetime) {
    ULONG before = ServerRefs();
    {
        Client c;
        EXPECT_EQ(ServerRefs(), before + 1);  // every live object holds the server
        const IID* answered[] = {&IID_IUnknown, &IID_IDispatch, &IID_IDdeIntfc};
        for (const IID* iid : answered) {
            void* p = nullptr;
            EXPECT_EQ(c.disp()->QueryInterface(*iid, &p), S_OK);
            EXPECT_EQ(p, static_cast<void*>(c.disp()));
            if (p) c.disp()->Release();
        }
        void* p = reinterpret_cast<void*>(1);
        EXPECT_EQ(c.disp()->QueryInterface(IID_IClassFactory, &p), E_NOINTERFACE);
        EXPECT_EQ(p, nullptr);
        EXPECT_EQ(g_pDdeIntfc, &c.obj());
    }
    EXPECT_EQ(ServerRefs(), before);
    EXPECT_EQ(g_pDdeIntfc, nullptr);  // never left pointing at a deleted object
}

TEST_F(OleTest, PropertiesAreReadWrittenAndCoerced) {
    Client c;
    VARIANT r;
    ASSERT_EQ(c.Call(2, DISPATCH_PROPERTYGET, {}, &r), S_OK);
    EXPECT_EQ(r.vt, VT_I2);
    EXPECT_EQ(r.iVal, 0);
    ASSERT_EQ(c.Call(1, DISPATCH_PROPERTYGET | DISPATCH_METHOD, {}, &r), S_OK);
    EXPECT_EQ(r.vt, VT_BSTR);
    EXPECT_EQ(::SysStringLen(r.bstrVal), 0u);
    ::VariantClear(&r);

    // A string becomes the 16-bit code, a number the text.
    EXPECT_EQ(c.Call(2, DISPATCH_PROPERTYPUT, {Str(L"-301")}, &r, nullptr, true), S_OK);
    EXPECT_EQ(c.obj().GetErrorCode(), -301);
    EXPECT_EQ(c.Call(1, DISPATCH_PROPERTYPUT, {I4(42)}, &r, nullptr, true), S_OK);
    EXPECT_EQ(c.obj().GetErrorDesc(), "42");

    // Text survives the trip through the system code page.
    const wchar_t* text = L"Caf\u00e9 \u00a3 and more";
    EXPECT_EQ(c.Call(1, DISPATCH_PROPERTYPUT, {Str(text)}, &r, nullptr, true), S_OK);
    ASSERT_EQ(c.Call(1, DISPATCH_PROPERTYGET, {}, &r), S_OK);
    EXPECT_EQ(std::wstring(r.bstrVal, ::SysStringLen(r.bstrVal)), Wide(c.obj().GetErrorDesc()));
    ::VariantClear(&r);

    UINT argErr = 0;
    EXPECT_EQ(c.Call(2, DISPATCH_PROPERTYPUT, {Str(L"not a number")}, &r, &argErr, true), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);
    EXPECT_EQ(c.Call(2, DISPATCH_PROPERTYPUT, {I4(70000)}, &r, &argErr, true), DISP_E_OVERFLOW);
    EXPECT_EQ(c.obj().GetErrorCode(), -301);  // a refused value changes nothing
    EXPECT_EQ(c.Call(2, DISPATCH_PROPERTYPUT, {I4(1), I4(2)}, &r, nullptr, true), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(c.Call(2, DISPATCH_PROPERTYGET, {I4(1)}, &r), DISP_E_BADPARAMCOUNT);
}

TEST_F(OleTest, BadCallsGetTheirHresults) {
    Client c;
    VARIANT r;
    UINT argErr = 0;
    const struct {
        DISPID id;
        WORD flags;
        int nArgs;
        HRESULT hr;
    } cases[] = {
        {4, DISPATCH_METHOD, 1, DISP_E_BADPARAMCOUNT},   // setOperationInfo takes two
        {4, DISPATCH_METHOD, 3, DISP_E_BADPARAMCOUNT},
        {7, DISPATCH_METHOD, 1, DISP_E_BADPARAMCOUNT},   // uninitialize takes none
        {6, DISPATCH_METHOD, 7, DISP_E_BADPARAMCOUNT},
        {0, DISPATCH_METHOD, 0, DISP_E_MEMBERNOTFOUND},
        {8, DISPATCH_METHOD, 0, DISP_E_MEMBERNOTFOUND},
        {-1, DISPATCH_METHOD, 0, DISP_E_MEMBERNOTFOUND},
        {7, DISPATCH_PROPERTYPUT, 1, DISP_E_MEMBERNOTFOUND},  // a method cannot be assigned
    };
    for (const auto& k : cases) {
        std::vector<VARIANT> args;
        for (int i = 0; i < k.nArgs; ++i) args.push_back(Str(L"x"));
        EXPECT_EQ(c.Call(k.id, k.flags, args, &r, nullptr, k.flags == DISPATCH_PROPERTYPUT), k.hr) << k.id << "/" << k.nArgs;
    }

    // puArgErr counts in rgvarg, which holds the arguments last to first: setOpInfo's fifth of eight is 3.
    std::vector<VARIANT> eight;
    for (int i = 0; i < 8; ++i) eight.push_back(Str(L"x"));
    EXPECT_EQ(c.Call(6, DISPATCH_METHOD, eight, &r, &argErr), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 3u);
    EXPECT_EQ(c.Call(4, DISPATCH_METHOD, {Str(L".x"), Null()}, &r, &argErr), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);

    DISPPARAMS dp = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(c.disp()->Invoke(7, IID_IDispatch, 0, DISPATCH_METHOD, &dp, nullptr, nullptr, nullptr), DISP_E_UNKNOWNINTERFACE);
    EXPECT_EQ(c.disp()->Invoke(7, IID_NULL, 0, DISPATCH_METHOD, &dp, nullptr, nullptr, nullptr), S_OK);  // no result wanted
}

TEST_F(OleTest, GetUserNameDeliversTheNameThroughAByReferenceArgument) {
    Client c;
    const std::string user = NetUser();
    ASSERT_FALSE(user.empty());
    VARIANT r;

    // VBScript passes a variable as VT_BYREF|VT_VARIANT.
    VARIANT inner = Str(L"old");
    VARIANT byRefVariant;
    byRefVariant.vt = VT_BYREF | VT_VARIANT;
    byRefVariant.pvarVal = &inner;
    c.obj().SetResult(200, "No network is present");
    ASSERT_EQ(c.Call(3, DISPATCH_METHOD, {byRefVariant, Str(L"ignored")}, &r), S_OK);
    EXPECT_EQ(r.vt, VT_BOOL);
    EXPECT_EQ(r.boolVal, VARIANT_TRUE);
    ASSERT_EQ(inner.vt, VT_BSTR);
    EXPECT_EQ(std::wstring(inner.bstrVal), Wide(user.c_str()));
    ::VariantClear(&inner);
    EXPECT_EQ(c.obj().GetErrorCode(), 0);  // success clears the earlier error
    EXPECT_EQ(c.obj().GetErrorDesc(), "");

    BSTR b = ::SysAllocString(L"");
    VARIANT byRefBstr;
    byRefBstr.vt = VT_BYREF | VT_BSTR;
    byRefBstr.pbstrVal = &b;
    ASSERT_EQ(c.Call(3, DISPATCH_METHOD, {byRefBstr, I4(5)}, &r), S_OK);
    EXPECT_EQ(std::wstring(b), Wide(user.c_str()));
    ::SysFreeString(b);

    // By value it still answers with a Boolean, and the caller's string is its own.
    EXPECT_TRUE(c.Method(L"getUserName", {Str(L"x"), Str(L"y")}));
}

// ---- type information ----

std::string Narrow(BSTR b) {
    std::string s;
    for (UINT i = 0; b && i < ::SysStringLen(b); ++i) s += static_cast<char>(b[i]);
    return s;
}

// A parameter's or result's type as the dispatch map spells it: VT_BYREF for a pointer, VT_EMPTY for void.
VARTYPE MapType(const TYPEDESC& t) {
    if (t.vt == VT_PTR) return static_cast<VARTYPE>(t.lptdesc->vt | VT_BYREF);
    return t.vt == VT_VOID ? static_cast<VARTYPE>(VT_EMPTY) : t.vt;
}

struct Described {
    std::string name;
    VARTYPE result;
    std::vector<VARTYPE> params;
    std::vector<USHORT> flags;
};

// The members of the object's type information, by DISPID and kind.
std::map<std::pair<MEMBERID, INVOKEKIND>, Described> DescribedMembers(ITypeInfo* ti) {
    std::map<std::pair<MEMBERID, INVOKEKIND>, Described> members;
    TYPEATTR* ta = nullptr;
    if (FAILED(ti->GetTypeAttr(&ta))) return members;
    for (UINT i = 0; i < ta->cFuncs; ++i) {
        FUNCDESC* fd = nullptr;
        if (FAILED(ti->GetFuncDesc(i, &fd))) continue;
        if (!(fd->wFuncFlags & FUNCFLAG_FRESTRICTED)) {  // what IDispatch itself brings
            Described d;
            BSTR name = nullptr;
            ti->GetDocumentation(fd->memid, &name, nullptr, nullptr, nullptr);
            d.name = Narrow(name);
            ::SysFreeString(name);
            d.result = MapType(fd->elemdescFunc.tdesc);
            for (SHORT k = 0; k < fd->cParams; ++k) {
                d.params.push_back(MapType(fd->lprgelemdescParam[k].tdesc));
                d.flags.push_back(fd->lprgelemdescParam[k].paramdesc.wParamFlags);
            }
            members[{fd->memid, fd->invkind}] = d;
        }
        ti->ReleaseFuncDesc(fd);
    }
    EXPECT_EQ(ta->cVars, 0) << "properties are get/put methods, which every client lists";
    ti->ReleaseTypeAttr(ta);
    return members;
}

// The type library and the dispatch map describe one interface: a member, DISPID, parameter
// or type that one has and the other lacks fails here.
TEST_F(OleTest, TypeInformationMatchesTheDispatchMap) {
    Client c;
    UINT count = 0;
    EXPECT_EQ(c.disp()->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ITypeInfo* ti = nullptr;
    ASSERT_EQ(c.disp()->GetTypeInfo(0, LOCALE_USER_DEFAULT, &ti), S_OK);
    ASSERT_NE(ti, nullptr);
    TYPEATTR* ta = nullptr;
    ASSERT_EQ(ti->GetTypeAttr(&ta), S_OK);
    EXPECT_EQ(ta->typekind, TKIND_DISPATCH);
    EXPECT_TRUE(::IsEqualGUID(ta->guid, IID_IDdeIntfc));
    ti->ReleaseTypeAttr(ta);

    auto members = DescribedMembers(ti);
    const size_t described = members.size();
    size_t expected = 0;
    DISPID id = 1;
    for (const AFX_DISPMAP_ENTRY* e = c.obj().GetDispatchMap(); e->lpszName; ++e, ++id) {
        SCOPED_TRACE(e->lpszName);
        if (!e->pvtParams) {  // a property: read and written
            const Described& get = members[{id, INVOKE_PROPERTYGET}];
            const Described& put = members[{id, INVOKE_PROPERTYPUT}];
            EXPECT_EQ(get.name, e->lpszName);
            EXPECT_EQ(get.result, e->vt);
            EXPECT_TRUE(get.params.empty());
            EXPECT_EQ(put.name, e->lpszName);
            EXPECT_EQ(put.params, std::vector<VARTYPE>{e->vt});
            expected += 2;
        } else {
            const Described& m = members[{id, INVOKE_FUNC}];
            EXPECT_EQ(m.name, e->lpszName);
            EXPECT_EQ(m.result, e->vt);
            std::vector<VARTYPE> params;
            for (const VARTYPE* p = e->pvtParams; *p != VT_EMPTY; ++p) params.push_back(*p);
            EXPECT_EQ(m.params, params);
            for (size_t k = 0; k < m.params.size() && k < m.flags.size(); ++k) {
                // A parameter passed back is in and out; the others in only.
                const USHORT wanted = (m.params[k] & VT_BYREF) ? PARAMFLAG_FIN | PARAMFLAG_FOUT : PARAMFLAG_FIN;
                EXPECT_EQ(m.flags[k] & (PARAMFLAG_FIN | PARAMFLAG_FOUT), wanted) << "parameter " << k;
            }
            ++expected;
        }
    }
    EXPECT_EQ(described, expected) << "members in the type library and not in the dispatch map";

    // The library: this build's platform, and the class with the interface as its default.
    ITypeLib* lib = nullptr;
    UINT index = 0;
    ASSERT_EQ(ti->GetContainingTypeLib(&lib, &index), S_OK);
    TLIBATTR* la = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&la), S_OK);
    EXPECT_TRUE(::IsEqualGUID(la->guid, LIBID_Dorvik));
    EXPECT_EQ(la->wMajorVerNum, kDorvikLibMajor);
    EXPECT_EQ(la->wMinorVerNum, kDorvikLibMinor);
    EXPECT_EQ(la->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    lib->ReleaseTLibAttr(la);
    const CLSID clsid = {0x4B7E2C91, 0x5D3A, 0x4F16, {0x9A, 0x2E, 0x71, 0xC0, 0xD8, 0xE3, 0x5A, 0x42}};
    ITypeInfo* coclass = nullptr;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(clsid, &coclass), S_OK);
    HREFTYPE ref = 0;
    INT implFlags = 0;
    ITypeInfo* implemented = nullptr;
    ASSERT_EQ(coclass->GetImplTypeFlags(0, &implFlags), S_OK);
    EXPECT_TRUE(implFlags & IMPLTYPEFLAG_FDEFAULT);
    ASSERT_EQ(coclass->GetRefTypeOfImplType(0, &ref), S_OK);
    ASSERT_EQ(coclass->GetRefTypeInfo(ref, &implemented), S_OK);
    ASSERT_EQ(implemented->GetTypeAttr(&ta), S_OK);
    EXPECT_TRUE(::IsEqualGUID(ta->guid, IID_IDdeIntfc));
    implemented->ReleaseTypeAttr(ta);
    implemented->Release();
    coclass->Release();
    lib->Release();
    ti->Release();

    EXPECT_EQ(c.disp()->GetTypeInfo(1, 0, &ti), DISP_E_BADINDEX);
    EXPECT_EQ(ti, nullptr);
    EXPECT_EQ(c.disp()->GetTypeInfo(0, 0, nullptr), E_POINTER);
}

// ---- associations ----

class AssocTest : public OleTest {
protected:
    struct Outcome {
        bool ok;
        short code;
        std::string desc;
    };
    static Outcome Set(CDdeIntfc& o, const char* key, const char* verb) {
        BOOL ok = o.setOperationInfo(key, verb);
        return {ok != FALSE, o.GetErrorCode(), std::string(o.GetErrorDesc())};
    }
};

TEST_F(AssocTest, SetOperationInfoTable) {
    const struct {
        const char* key;
        const char* verb;
        bool ok;
        short code;
        const char* desc;
    } cases[] = {
        {".dvkplain", "open", true, 0, ""},
        {".dvkplain", "OPEN", true, 0, ""},           // verbs match without case
        {".dvkplain", "edit", true, 0, ""},
        {".dvkplain", "printto", false, 202, "Command Not Found"},
        {".dvkdde", "Print", true, 0, ""},
        {".dvkmissing", "open", false, 201, "Error: RegOpenKeyEx = 2"},
        {".dvknoshell", "open", false, 201, "Error: RegOpenKeyEx = 2"},
        {".dvkempty", "open", false, 202, "Command Not Found"},  // loads, with no verbs
        {".dvkdword", "open", false, 201, "Invalid Return Type"},
        {".dvknodefault", "open", false, 201, "Error: RegEnumValue = 259"},
        {".dvkbare", "open", false, 201, "Error: RegEnumValue = 259"},
        {".dvkverbnodefault", "open", true, 0, ""},  // a verb's subkey without one reads as empty
    };
    for (const auto& k : cases) {
        CDdeIntfc fresh;  // each row reads the registry afresh
        Outcome o = Set(fresh, k.key, k.verb);
        EXPECT_EQ(o.ok, k.ok) << k.key << " " << k.verb;
        EXPECT_EQ(o.code, k.code) << k.key << " " << k.verb;
        EXPECT_EQ(o.desc, k.desc) << k.key << " " << k.verb;
        EXPECT_EQ(fresh.FindRegInfo(k.key) != nullptr, k.ok || k.code == 202) << "cached: " << k.key;
    }
}

TEST_F(AssocTest, LoadedVerbsAndTheirFallBacks) {
    CDdeIntfc o;
    ASSERT_TRUE(o.setOperationInfo(".dvkplain", "open"));
    CRegInfo& plain = *o.FindRegInfo(".dvkplain");
    EXPECT_STREQ(plain.GetFileType(), "dvk.plain");
    ASSERT_EQ(plain.GetVerbCount(), 3);
    int open = plain.FindVerb("open"), print = plain.FindVerb("print"), edit = plain.FindVerb("edit");
    EXPECT_FALSE(plain.UsesDde(open));
    EXPECT_STREQ(plain.GetCommand(edit), "C:\\Apps\\EDIT.EXE \"%1\"");  // "Command" in capitals
    EXPECT_EQ(plain.GetVerb(print).strCommand, "");                     // the other subkey was skipped
    EXPECT_STREQ(plain.GetCommand(print), "C:\\Apps\\PLAIN.EXE %1");     // borrowed from open...
    EXPECT_EQ(plain.GetVerb(print).strCommand, "C:\\Apps\\PLAIN.EXE %1");  // ...and kept

    ASSERT_TRUE(o.setOperationInfo(".dvkdde", "open"));
    CRegInfo& dde = *o.FindRegInfo(".dvkdde");
    open = dde.FindVerb("open");
    print = dde.FindVerb("print");
    EXPECT_TRUE(dde.UsesDde(open));  // "DDEEXEC" in capitals
    EXPECT_STREQ(dde.GetDdeCommand(open), "[FileOpen(\"%1\")]");
    EXPECT_STREQ(dde.GetApplication(open), "WRITER");  // no Application: the program's base name
    EXPECT_STREQ(dde.GetTopic(open), "System");         // no Topic
    EXPECT_STREQ(dde.GetApplication(print), "WinWriter");
    EXPECT_STREQ(dde.GetTopic(print), "Documents");
    EXPECT_STREQ(dde.GetIfExec(print), "[Start()]");
    EXPECT_STREQ(dde.GetCommand(print), "C:\\Apps\\WRITER.EXE /n");
}

// Writes HKCR\KEY's default value with the given type (no value at all when data is null).
void SetTyped(const std::string& key, DWORD type, const void* data, DWORD cb) {
    HKEY h = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr), ERROR_SUCCESS) << key;
    if (data) ::RegSetValueExA(h, nullptr, 0, type, static_cast<const BYTE*>(data), cb);
    ::RegCloseKey(h);
}
void SetText(const std::string& key, DWORD type, const std::string& text) {
    SetTyped(key, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

TEST_F(AssocTest, DefaultValueTypesOfAVerbsCommand) {
    char windir[MAX_PATH];
    ASSERT_GT(::GetEnvironmentVariableA("SystemRoot", windir, MAX_PATH), 0u);
    const std::string longValue(5000, 'e');
    ASSERT_TRUE(::SetEnvironmentVariableA("DVK_LONG", longValue.c_str()));
    ::SetEnvironmentVariableA("DVK_UNSET", nullptr);
    const DWORD one = 1;
    const struct {
        const char* name;
        DWORD type;
        std::string data;  // REG_DWORD rows store one instead
        bool ok;
        std::string command;  // or the failure text
    } rows[] = {
        {"sz", REG_SZ, "%SystemRoot%\\x.exe %1", true, "%SystemRoot%\\x.exe %1"},  // REG_SZ is not expanded
        {"expand", REG_EXPAND_SZ, "%SystemRoot%\\system32\\NOTEPAD.EXE %1", true, std::string(windir) + "\\system32\\NOTEPAD.EXE %1"},
        {"long", REG_EXPAND_SZ, "C:\\%DVK_LONG%.exe %1", true, "C:\\" + longValue + ".exe %1"},
        {"unset", REG_EXPAND_SZ, "%DVK_UNSET%\\a.exe %1", true, "%DVK_UNSET%\\a.exe %1"},
        {"multi", REG_MULTI_SZ, "a.exe", false, "Invalid Return Type"},
        {"binary", REG_BINARY, "a.exe", false, "Invalid Return Type"},
        {"dword", REG_DWORD, "", false, "Invalid Return Type"},
    };
    for (const auto& r : rows) {
        const std::string ext = std::string(".dvktype") + r.name, type = "dvk.type." + std::string(r.name);
        SetText(ext, REG_SZ, type);
        const std::string command = type + "\\shell\\open\\command";
        if (r.type == REG_DWORD) SetTyped(command, REG_DWORD, &one, sizeof one);
        else SetText(command, r.type, r.data);
        CDdeIntfc o;
        EXPECT_EQ(o.setOperationInfo(ext.c_str(), "open") != FALSE, r.ok) << r.name;
        if (r.ok) {
            CRegInfo& reg = *o.FindRegInfo(ext.c_str());
            EXPECT_EQ(std::string(reg.GetCommand(0)), r.command) << r.name;
        } else {
            EXPECT_EQ(o.GetErrorCode(), 201) << r.name;
            EXPECT_EQ(o.GetErrorDesc().str(), r.command) << r.name;
        }
    }
    ::SetEnvironmentVariableA("DVK_LONG", nullptr);
}

TEST_F(AssocTest, VerbSubkeysWithoutDefaultValueReadAsEmpty) {
    // Modern Windows writes command keys that hold only DelegateExecute; one odd verb must not
    // sink the extension.
    SetText(".dvkodd", REG_SZ, "dvk.odd");
    SetTyped("dvk.odd\\shell\\open\\command", REG_SZ, nullptr, 0);
    HKEY h = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CLASSES_ROOT, "dvk.odd\\shell\\open\\command", 0, KEY_WRITE, &h), ERROR_SUCCESS);
    const char clsid[] = "{11dbb47c-a525-400b-9e80-a54615a090c0}";
    ::RegSetValueExA(h, "DelegateExecute", 0, REG_SZ, reinterpret_cast<const BYTE*>(clsid), sizeof clsid);
    ::RegCloseKey(h);
    SetText("dvk.odd\\shell\\print\\command", REG_SZ, "C:\\Apps\\ODD.EXE /p %1");
    for (const char* sub : {"ddeexec", "ddeexec\\Application", "ddeexec\\Topic", "ddeexec\\ifexec"})
        SetTyped(std::string("dvk.odd\\shell\\print\\") + sub, REG_SZ, nullptr, 0);

    CDdeIntfc o;
    ASSERT_TRUE(o.setOperationInfo(".dvkodd", "print")) << o.GetErrorDesc().str();
    CRegInfo& reg = *o.FindRegInfo(".dvkodd");
    const int open = reg.FindVerb("open"), print = reg.FindVerb("print");
    EXPECT_STREQ(reg.GetCommand(open), "");
    EXPECT_STREQ(reg.GetCommand(print), "C:\\Apps\\ODD.EXE /p %1");
    EXPECT_TRUE(reg.UsesDde(print));  // the ddeexec key is there, with an empty command
    EXPECT_STREQ(reg.GetDdeCommand(print), "");
    EXPECT_STREQ(reg.GetApplication(print), "ODD");
    EXPECT_STREQ(reg.GetTopic(print), "System");
    EXPECT_STREQ(reg.GetIfExec(print), "");
    // The verb without a command line cannot start anything, and says so.
    EXPECT_FALSE(o.doOperation(".dvkodd", "open", "C:\\a.txt"));
    EXPECT_EQ(o.GetErrorCode(), 301);
}

TEST_F(AssocTest, TextsTheCodePageCannotCarryAreRefused) {
    ASSERT_EQ(::GetACP(), 1252u) << "the rows assume the Western code page";
    Client c;
    VARIANT yes;
    yes.vt = VT_BOOL;
    yes.boolVal = VARIANT_TRUE;
    const struct {
        DISPID id;
        std::vector<const wchar_t*> args;
        short code;
        const char* desc;
    } rows[] = {
        {4, {L".dvkplain", L"open"}, 0, ""},
        {4, {L".dvk\u5831", L"open"}, 400, "Key Not Representable in the ANSI Code Page"},
        {4, {L".dvkplain", L"op\u0100n"}, 400, "Verb Not Representable in the ANSI Code Page"},  // best fit: "opAn"
        // Characters of the code page pass; the program does not exist, which is the next failure.
        {5, {L".dvkplain", L"open", L"C:\\docs\\r\u00e9sum\u00e9.txt"}, 301, "Unable to Start Application - Not Supporting DDE"},
        {5, {L".dvkplain", L"open", L"C:\\docs\\r\u00e9sum\u00e9 \u5831\u544a.txt"}, 400, "Document Not Representable in the ANSI Code Page"},
        {5, {L".dvkplain", L"open", L"C:\\docs\\a\uff0etxt"}, 400, "Document Not Representable in the ANSI Code Page"},  // best fit: "."
        {5, {L".dvkplain", L"open", L"C:\\docs\\what?.txt"}, 301, "Unable to Start Application - Not Supporting DDE"},  // a "?" of its own
        {6, {L".dvkplain", L"x", L"", L"", nullptr, L"", L"", L"C:\\a\u2215b.exe %1"}, 400, "Command Line Not Representable in the ANSI Code Page"},
    };
    for (const auto& r : rows) {
        std::vector<VARIANT> args;
        for (const wchar_t* a : r.args) args.push_back(a ? Str(a) : yes);
        c.obj().SetResult(-1, "before");
        VARIANT result;
        ASSERT_EQ(c.Call(r.id, DISPATCH_METHOD, args, &result), S_OK);
        EXPECT_EQ(result.boolVal == VARIANT_TRUE, r.code == 0) << r.id << " " << r.desc;
        EXPECT_EQ(c.obj().GetErrorCode(), r.code) << r.id << " " << r.desc;
        EXPECT_EQ(c.obj().GetErrorDesc().str(), r.desc) << r.id;
    }
    EXPECT_EQ(c.obj().FindRegInfo(".dvkplain")->FindVerb("x"), -1) << "the refused verb was not added";
}

// The table of associations in real shapes (real_assoc.reg), each row's program reached with the
// document as the row says; the end-to-end clients run the same rows through dorvik.exe.
TEST_F(AssocTest, RealAssociationShapes) {
    const char* table = std::getenv("REAL_ASSOC_TABLE");
    ASSERT_TRUE(table) << "the runner names the table";
    const std::vector<AssocRow> rows = ReadAssocTable(table);
    ASSERT_GE(rows.size(), 7u) << table;
    for (const AssocRow& r : rows) {
        CDdeIntfc o;
        const std::string what = r.key + " " + r.verb;
        ASSERT_TRUE(o.setOperationInfo(r.key.c_str(), r.verb.c_str())) << what << ": " << o.GetErrorDesc().str();
        EXPECT_EQ(o.doOperation(r.key.c_str(), r.verb.c_str(), r.document.c_str()) != FALSE, r.code == 0) << what;
        EXPECT_EQ(o.GetErrorCode(), r.code) << what << ": " << o.GetErrorDesc().str();
        if (!r.log.empty()) {
            EXPECT_TRUE(LogHolds(r.log, r.line)) << what << ": " << r.log << " lacks " << r.line;
        }
    }
}

TEST_F(AssocTest, KeysCompareWithCaseAndLoadOnce) {
    CDdeIntfc o;
    EXPECT_FALSE(o.setOperationInfo(".dvkgone", "missing"));
    EXPECT_EQ(o.GetErrorCode(), 202);
    // The association stays cached: with its key gone, the right verb still succeeds.
    ASSERT_EQ(::RegDeleteKeyA(HKEY_CLASSES_ROOT, ".dvkgone"), ERROR_SUCCESS);
    EXPECT_TRUE(o.setOperationInfo(".dvkgone", "open"));
    CDdeIntfc other;
    EXPECT_FALSE(other.setOperationInfo(".dvkgone", "open"));  // a new object reads the registry
    EXPECT_EQ(other.GetErrorDesc(), "Error: RegOpenKeyEx = 2");

    ASSERT_TRUE(o.setOperationInfo(".dvkplain", "open"));
    ASSERT_TRUE(o.setOperationInfo(".DVKPLAIN", "open"));  // the registry ignores case, the cache does not
    EXPECT_NE(o.FindRegInfo(".dvkplain"), o.FindRegInfo(".DVKPLAIN"));
    EXPECT_EQ(o.FindRegInfo(".DvkPlain"), nullptr);
}

TEST_F(AssocTest, LongValuesAndManyVerbsAreKeptWhole) {
    const std::string command = "C:\\Apps\\" + std::string(1500, 'L') + ".EXE %1";
    HKEY h = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CLASSES_ROOT, ".dvkmany.with.a.long.key", 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr), ERROR_SUCCESS);
    const char type[] = "dvk.many";
    ::RegSetValueExA(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(type), sizeof type);
    ::RegCloseKey(h);
    for (int i = 0; i < 25; ++i) {
        std::string key = "dvk.many\\shell\\verb" + std::to_string(i) + std::string(200, 'v') + "\\command";
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr), ERROR_SUCCESS);
        ::RegSetValueExA(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()), static_cast<DWORD>(command.size() + 1));
        ::RegCloseKey(h);
    }
    CDdeIntfc o;
    const std::string verb24 = "VERB24" + std::string(200, 'V');
    ASSERT_TRUE(o.setOperationInfo(".dvkmany.with.a.long.key", verb24.c_str())) << std::string(o.GetErrorDesc());
    CRegInfo& reg = *o.FindRegInfo(".dvkmany.with.a.long.key");
    EXPECT_EQ(reg.GetVerbCount(), 25);
    EXPECT_EQ(std::string(reg.GetCommand(reg.FindVerb(verb24.c_str()))), command);
    EXPECT_STREQ(reg.GetApplication(0), std::string(1500, 'L').c_str());
}

TEST_F(AssocTest, DoOperationAndSetOpInfoOutcomes) {
    CDdeIntfc o;
    // Nothing loaded: 100, and errorDesc is left as it was.
    o.SetResult(7, "earlier");
    EXPECT_FALSE(o.doOperation(".dvkplain", "open", "C:\\a.txt"));
    EXPECT_EQ(o.GetErrorCode(), 100);
    EXPECT_EQ(o.GetErrorDesc(), "earlier");
    EXPECT_FALSE(o.setOpInfo(".dvkplain", "extra", "", "", TRUE, "", "", "x.exe %1"));
    EXPECT_EQ(o.GetErrorCode(), 100);

    ASSERT_TRUE(o.setOperationInfo(".dvkplain", "open"));
    // A verb the association lacks fails like setOperationInfo.
    EXPECT_FALSE(o.doOperation(".dvkplain", "printto", "C:\\a.txt"));
    EXPECT_EQ(o.GetErrorCode(), 202);
    EXPECT_EQ(o.GetErrorDesc(), "Command Not Found");
    // The program of a non-DDE verb does not exist.
    EXPECT_FALSE(o.doOperation(".dvkplain", "open", "C:\\a.txt"));
    EXPECT_EQ(o.GetErrorCode(), 301);
    EXPECT_EQ(o.GetErrorDesc(), "Unable to Start Application - Not Supporting DDE");

    // setOpInfo changes neither property on success; the added verb is found.
    o.SetResult(5, "kept");
    EXPECT_TRUE(o.setOpInfo(".dvkplain", "Extra", "App", "Topic", TRUE, "[dde]", "", "C:\\Apps\\X.EXE %1"));
    EXPECT_EQ(o.GetErrorCode(), 5);
    EXPECT_EQ(o.GetErrorDesc(), "kept");
    CRegInfo& reg = *o.FindRegInfo(".dvkplain");
    EXPECT_FALSE(reg.UsesDde(reg.FindVerb("extra")));  // like the association's open
    EXPECT_TRUE(o.setOperationInfo(".dvkplain", "EXTRA"));

    o.uninitialize();
    EXPECT_EQ(o.FindRegInfo(".dvkplain"), nullptr);
    EXPECT_FALSE(o.doOperation(".dvkplain", "open", "C:\\a.txt"));
    EXPECT_EQ(o.GetErrorCode(), 100);
}

}  // namespace

namespace {
// Bad input from the registry and the client, each row with what the client sees; the
// sanitizer-free proof here is that every value comes back whole and nothing crashes.
TEST(DorvikBadInput, OversizedAssociationsAndCalls) {
    auto set = [](const std::string& key, const std::string& value) {
        HKEY h = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr), ERROR_SUCCESS);
        ::RegSetValueExA(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>(value.size() + 1));
        ::RegCloseKey(h);
    };
    // The registry itself takes key names of at most 255 characters.
    const std::string key300 = "." + std::string(299, 'k'), key250 = "." + std::string(249, 'k');
    const std::string command10k = "C:\\Missing\\" + std::string(10000, 'c') + ".exe %1";
    set(key250, "dvk.bad");
    for (int i = 0; i < 15; ++i) set("dvk.bad\\shell\\verb" + std::to_string(i) + "\\command", i == 14 ? command10k : "x.exe %1");

    CDdeIntfc o;
    EXPECT_FALSE(o.setOperationInfo(key300.c_str(), "open"));
    EXPECT_EQ(o.GetErrorCode(), 201);
    EXPECT_EQ(std::string(o.GetErrorDesc()).rfind("Error: RegOpenKeyEx = ", 0), 0u) << std::string(o.GetErrorDesc());
    ASSERT_TRUE(o.setOperationInfo(key250.c_str(), "VERB14")) << std::string(o.GetErrorDesc());
    const CRegInfo& reg = *o.FindRegInfo(key250.c_str());
    EXPECT_EQ(reg.GetVerbCount(), 15);
    EXPECT_EQ(reg.GetVerb(reg.FindVerb("verb14")).strCommand.str(), command10k);
    // A 5,000-character document for a program that cannot start: refused, nothing overrun.
    const std::string doc(5000, 'd');
    EXPECT_FALSE(o.doOperation(key250.c_str(), "verb14", doc.c_str()));
    EXPECT_EQ(o.GetErrorCode(), 301);
    EXPECT_FALSE(o.doOperation(key250.c_str(), "verb15", "a"));
    EXPECT_EQ(o.GetErrorCode(), 202);
    EXPECT_EQ(o.GetErrorDesc(), "Command Not Found");
}
}  // namespace
