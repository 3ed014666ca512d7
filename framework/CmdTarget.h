// CCmdTarget: an object with a reference count, an interface map and a dispatch map that
// our own IDispatch serves. DISPIDs are the positions in the dispatch map (from 1); names
// match without regard to case. String arguments reach the member as narrow strings in the
// system code page; every argument is coerced to the member's type with VariantChangeType.
#pragma once
#include "Object.h"
#include "String.h"
#include <windows.h>
#include <oleauto.h>
#include <tuple>
#include <type_traits>
#include <utility>

class CCmdTarget;

// Runs one member for Invoke; puArgErr receives the rgvarg index of a bad argument.
typedef HRESULT (*AFX_PDISPINVOKE)(CCmdTarget* pTarget, WORD wFlags, DISPPARAMS* pParams, VARIANT* pResult,
                                   UINT* puArgErr);

struct AFX_DISPMAP_ENTRY {
    const char* lpszName;  // null ends the map
    AFX_PDISPINVOKE pfnInvoke;
    VARTYPE vt;                // a property's type or a method's result (VT_EMPTY: none)
    const VARTYPE* pvtParams;  // a method's parameters, ended by VT_EMPTY; null for a property
};

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget();
    ~CCmdTarget() override;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // Answer IDispatch (and the interface map's entries) from now on.
    void EnableAutomation() { m_bAutomation = true; }

    ULONG InternalAddRef();
    ULONG InternalRelease();
    HRESULT InternalQueryInterface(REFIID iid, void** ppvObj);
    // The dispatch interface, with a reference when bAddRef.
    IDispatch* GetIDispatch(BOOL bAddRef);

    // Called when the last reference goes; the object is on the heap and deletes itself.
    virtual void OnFinalRelease();

    // The dispatch map; null when the class has none.
    virtual const AFX_DISPMAP_ENTRY* GetDispatchMap() const { return nullptr; }
    // Interface identifiers, beyond IUnknown and IDispatch, that the dispatch part answers; null-terminated.
    virtual const IID* const* GetInterfaceMap() const { return nullptr; }

    // Type information: a class with a type library (DECLARE_OLETYPELIB) answers GetTypeInfo
    // with the description of the interface that GetDispatchIID names.
    virtual UINT GetTypeInfoCount() { return 0; }
    virtual HRESULT GetTypeLib(LCID, ITypeLib** ppTypeLib) {
        *ppTypeLib = nullptr;
        return TYPE_E_CANTLOADLIBRARY;
    }
    virtual BOOL GetDispatchIID(IID*) { return FALSE; }

protected:
    LONG m_dwRef = 1;  // the creator's reference

private:
    struct XDispatch : IDispatch {
        explicit XDispatch(CCmdTarget* pOwner) : m_pOwner(pOwner) {}
        CCmdTarget* Owner() { return m_pOwner; }
        CCmdTarget* m_pOwner;
        STDMETHODIMP QueryInterface(REFIID iid, void** ppvObj) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
        STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
        STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override;
        STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                            VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;
    } m_xDispatch;
    bool m_bAutomation = false;

    HRESULT DispatchInvoke(DISPID dispid, WORD wFlags, DISPPARAMS* pParams, VARIANT* pResult, UINT* puArgErr);
};

// Marks the calling thread as the apartment of one object: that object's final release ends
// the thread's message loop.
void AfxOleEndApartmentWithObject();

// ---- conversions the dispatch map's members use ----

// CP_ACP, the whole BSTR, without best-fit mapping: a character the code page lacks becomes
// "?" and clears *pbExact, so a caller can refuse the text instead of acting on a near miss.
CString AfxNarrowFromBstr(BSTR bstr, BOOL* pbExact = nullptr);
BSTR AfxBstrFromNarrow(const char* psz, int nLen);  // CP_ACP; null when out of memory
// A copy of the argument (read through VT_BYREF) coerced to vt.
HRESULT AfxDispCoerce(VARIANTARG* pArg, VARTYPE vt, VARIANT* pOut);

// A string parameter that also tells whether the caller's text reached the system code page
// exactly. Text from C++ callers is narrow already, hence exact.
class CNarrowArg {
public:
    CNarrowArg(const char* psz) : m_str(psz) {}
    CNarrowArg(const CString& str, BOOL bExact) : m_str(str), m_bExact(bExact) {}
    operator const char*() const { return m_str; }
    BOOL IsExact() const { return m_bExact; }

private:
    CString m_str;
    BOOL m_bExact = TRUE;
};

namespace afxdisp {

// How a value of each automation type is read from a coerced VARIANT and written into one.
template <VARTYPE vt> struct Value;
template <> struct Value<VT_BSTR> {
    using Type = CString;
    static void Read(const VARIANT& v, CString& out) { out = AfxNarrowFromBstr(v.bstrVal); }
    static HRESULT Write(VARIANT* p, const CString& s) {
        BSTR b = AfxBstrFromNarrow(s, s.GetLength());
        if (!b) return E_OUTOFMEMORY;
        p->vt = VT_BSTR;
        p->bstrVal = b;
        return S_OK;
    }
};
template <> struct Value<VT_I2> {
    using Type = short;
    static void Read(const VARIANT& v, short& out) { out = v.iVal; }
    static HRESULT Write(VARIANT* p, short n) { p->vt = VT_I2; p->iVal = n; return S_OK; }
};
template <> struct Value<VT_I4> {
    using Type = long;
    static void Read(const VARIANT& v, long& out) { out = v.lVal; }
    static HRESULT Write(VARIANT* p, long n) { p->vt = VT_I4; p->lVal = n; return S_OK; }
};
template <> struct Value<VT_BOOL> {
    using Type = BOOL;
    static void Read(const VARIANT& v, BOOL& out) { out = v.boolVal != VARIANT_FALSE; }
    static HRESULT Write(VARIANT* p, BOOL b) { p->vt = VT_BOOL; p->boolVal = b ? VARIANT_TRUE : VARIANT_FALSE; return S_OK; }
};

template <VARTYPE vt>
HRESULT Load(VARIANTARG* pArg, typename Value<vt>::Type& out) {
    VARIANT v;
    HRESULT hr = AfxDispCoerce(pArg, vt, &v);
    if (FAILED(hr)) return hr;
    Value<vt>::Read(v, out);
    ::VariantClear(&v);
    return S_OK;
}

// A member's parameter, by its C++ type: const char* is an input string, const CNarrowArg& one
// that knows whether it converted exactly, CString& a string
// that goes back to the caller when the caller passed it by reference, BOOL an automation
// Boolean, short and long the 16- and 32-bit integers.
template <class T> struct Arg;
template <> struct Arg<const char*> {
    static constexpr VARTYPE vt = VT_BSTR;
    CString value;
    HRESULT Load(VARIANTARG* p) { return afxdisp::Load<VT_BSTR>(p, value); }
    const char* Get() { return value; }
    HRESULT Store(VARIANTARG*) { return S_OK; }
};
template <> struct Arg<const CNarrowArg&> {
    static constexpr VARTYPE vt = VT_BSTR;  // a plain string to the type information
    CNarrowArg value{""};
    HRESULT Load(VARIANTARG* p) {
        VARIANT v;
        HRESULT hr = AfxDispCoerce(p, VT_BSTR, &v);
        if (FAILED(hr)) return hr;
        BOOL bExact = TRUE;
        CString s = AfxNarrowFromBstr(v.bstrVal, &bExact);
        ::VariantClear(&v);
        value = CNarrowArg(s, bExact);
        return S_OK;
    }
    const CNarrowArg& Get() { return value; }
    HRESULT Store(VARIANTARG*) { return S_OK; }
};
template <> struct Arg<CString&> {
    static constexpr VARTYPE vt = VT_BSTR | VT_BYREF;
    CString value, original;
    HRESULT Load(VARIANTARG* p) {
        HRESULT hr = afxdisp::Load<VT_BSTR>(p, value);
        original = value;
        return hr;
    }
    CString& Get() { return value; }
    HRESULT Store(VARIANTARG* p);
};
template <VARTYPE vtArg> struct ScalarArg {
    static constexpr VARTYPE vt = vtArg;
    typename Value<vtArg>::Type value{};
    HRESULT Load(VARIANTARG* p) { return afxdisp::Load<vtArg>(p, value); }
    typename Value<vtArg>::Type Get() { return value; }
    HRESULT Store(VARIANTARG*) { return S_OK; }
};
template <> struct Arg<BOOL> : ScalarArg<VT_BOOL> {};
template <> struct Arg<short> : ScalarArg<VT_I2> {};
template <> struct Arg<long> : ScalarArg<VT_I4> {};

template <auto Pfn, VARTYPE vtResult> struct Method;
template <class C, class R, class... A, R (C::*Pfn)(A...), VARTYPE vtResult>
struct Method<Pfn, vtResult> {
    static_assert(std::is_void<R>::value == (vtResult == VT_EMPTY), "VT_EMPTY is the result type of a void member");
    static constexpr VARTYPE params[] = {Arg<A>::vt..., VT_EMPTY};

    static HRESULT Invoke(CCmdTarget* pTarget, WORD wFlags, DISPPARAMS* pParams, VARIANT* pResult, UINT* puArgErr) {
        if (!(wFlags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
        if (pParams->cNamedArgs) return DISP_E_NONAMEDARGS;
        if (pParams->cArgs != sizeof...(A)) return DISP_E_BADPARAMCOUNT;
        return Call(static_cast<C*>(pTarget), pParams, pResult, puArgErr, std::index_sequence_for<A...>());
    }

private:
    template <size_t... I>
    static HRESULT Call(C* pObj, DISPPARAMS* pParams, VARIANT* pResult, UINT* puArgErr, std::index_sequence<I...>) {
        constexpr UINT n = sizeof...(A);
        (void)n, (void)pParams, (void)puArgErr;  // a member without parameters uses none of them
        std::tuple<Arg<A>...> args;
        HRESULT hr = S_OK;
        // rgvarg holds the arguments last to first.
        (void)((SUCCEEDED(hr = std::get<I>(args).Load(&pParams->rgvarg[n - 1 - I])) || (*puArgErr = n - 1 - I, false)) && ...);
        if (FAILED(hr)) return hr;
        if constexpr (std::is_void<R>::value) {
            (pObj->*Pfn)(std::get<I>(args).Get()...);
        } else {
            R r = (pObj->*Pfn)(std::get<I>(args).Get()...);
            hr = Value<vtResult>::Write(pResult, r);
            if (FAILED(hr)) return hr;
        }
        (void)(SUCCEEDED(hr = std::get<I>(args).Store(&pParams->rgvarg[n - 1 - I])) && ...);
        return hr;
    }
};

template <auto Member, auto Notify, VARTYPE vt> struct Property;
template <class C, class T, T C::*Member, void (C::*Notify)(), VARTYPE vt>
struct Property<Member, Notify, vt> {
    static_assert(std::is_same<T, typename Value<vt>::Type>::value, "member type matches the property type");

    static HRESULT Invoke(CCmdTarget* pTarget, WORD wFlags, DISPPARAMS* pParams, VARIANT* pResult, UINT* puArgErr) {
        C* pObj = static_cast<C*>(pTarget);
        if (wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            if (pParams->cArgs != 1) return DISP_E_BADPARAMCOUNT;
            if (pParams->cNamedArgs > 1 || (pParams->cNamedArgs == 1 && pParams->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT))
                return DISP_E_NONAMEDARGS;
            T value{};
            HRESULT hr = Load<vt>(&pParams->rgvarg[0], value);
            if (FAILED(hr)) {
                *puArgErr = 0;
                return hr;
            }
            pObj->*Member = value;
            (pObj->*Notify)();
            return S_OK;
        }
        if (wFlags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) {
            if (pParams->cNamedArgs) return DISP_E_NONAMEDARGS;
            if (pParams->cArgs != 0) return DISP_E_BADPARAMCOUNT;
            return Value<vt>::Write(pResult, pObj->*Member);
        }
        return DISP_E_MEMBERNOTFOUND;
    }
};

}  // namespace afxdisp

// ---- maps ----

#define DECLARE_DISPATCH_MAP()                                      \
public:                                                             \
    const AFX_DISPMAP_ENTRY* GetDispatchMap() const override;       \
                                                                    \
private:                                                            \
    static const AFX_DISPMAP_ENTRY _dispatchEntries[];

// Entries in DISPID order; a method's parameter types come from its signature.
#define BEGIN_DISPATCH_MAP(theClass, baseClass) \
    const AFX_DISPMAP_ENTRY* theClass::GetDispatchMap() const { return _dispatchEntries; } \
    const AFX_DISPMAP_ENTRY theClass::_dispatchEntries[] = {
#define DISP_FUNCTION(theClass, szExternalName, pfnMember, vtRetVal) \
    {szExternalName, &afxdisp::Method<&theClass::pfnMember, vtRetVal>::Invoke, vtRetVal, \
     afxdisp::Method<&theClass::pfnMember, vtRetVal>::params},
#define DISP_PROPERTY_NOTIFY(theClass, szExternalName, memberName, pfnAfterSet, vtPropType) \
    {szExternalName, &afxdisp::Property<&theClass::memberName, &theClass::pfnAfterSet, vtPropType>::Invoke, vtPropType, nullptr},
#define END_DISPATCH_MAP() {nullptr, nullptr, VT_EMPTY, nullptr}};

#define DECLARE_INTERFACE_MAP() \
public:                         \
    const IID* const* GetInterfaceMap() const override;

// Every entry is answered by the object's IDispatch implementation (localClass Dispatch).
#define BEGIN_INTERFACE_MAP(theClass, baseClass)         \
    const IID* const* theClass::GetInterfaceMap() const { \
        static const IID* const ids[] = {
#define INTERFACE_PART(theClass, iid, localClass) &iid,
#define END_INTERFACE_MAP() \
    nullptr};               \
    return ids;             \
    }

// ---- type library ----

// The type library that describes a class: loaded from the program that holds it, so the
// type information matches the running code whichever copy is registered.
#define DECLARE_OLETYPELIB(theClass)                                 \
public:                                                              \
    UINT GetTypeInfoCount() override;                                \
    HRESULT GetTypeLib(LCID lcid, ITypeLib** ppTypeLib) override;

#define IMPLEMENT_OLETYPELIB(theClass, tlid, wVerMajor, wVerMinor)                  \
    UINT theClass::GetTypeInfoCount() { return 1; }                                 \
    HRESULT theClass::GetTypeLib(LCID, ITypeLib** ppTypeLib) {                      \
        return AfxLoadTypeLib(tlid, wVerMajor, wVerMinor, ppTypeLib);              \
    }

// The type library tlid of the given version, from this program's own resources, or else as
// the registry names it.
HRESULT AfxLoadTypeLib(REFGUID tlid, WORD wVerMajor, WORD wVerMinor, ITypeLib** ppTypeLib);
