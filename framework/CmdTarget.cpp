#include "CmdTarget.h"
#include <new>

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

CCmdTarget::CCmdTarget() : m_xDispatch(this) {}
CCmdTarget::~CCmdTarget() = default;

ULONG CCmdTarget::InternalAddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_dwRef)); }

namespace {
thread_local bool t_bApartmentOfOneObject = false;
}

void AfxOleEndApartmentWithObject() { t_bApartmentOfOneObject = true; }

ULONG CCmdTarget::InternalRelease() {
    LONG n = ::InterlockedDecrement(&m_dwRef);
    if (n == 0) {
        OnFinalRelease();
        if (t_bApartmentOfOneObject) ::PostQuitMessage(0);
    }
    return static_cast<ULONG>(n);
}

void CCmdTarget::OnFinalRelease() { delete this; }

HRESULT CCmdTarget::InternalQueryInterface(REFIID iid, void** ppvObj) {
    if (!ppvObj) return E_POINTER;
    *ppvObj = nullptr;
    bool found = false;
    if (m_bAutomation) {
        found = ::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IDispatch);
        if (const IID* const* ids = GetInterfaceMap())
            for (; !found && *ids; ++ids) found = ::IsEqualIID(iid, **ids);
    }
    if (!found) return E_NOINTERFACE;
    *ppvObj = static_cast<IDispatch*>(&m_xDispatch);
    InternalAddRef();
    return S_OK;
}

IDispatch* CCmdTarget::GetIDispatch(BOOL bAddRef) {
    if (!m_bAutomation) return nullptr;
    if (bAddRef) InternalAddRef();
    return &m_xDispatch;
}

STDMETHODIMP CCmdTarget::XDispatch::QueryInterface(REFIID iid, void** ppvObj) { return Owner()->InternalQueryInterface(iid, ppvObj); }
STDMETHODIMP_(ULONG) CCmdTarget::XDispatch::AddRef() { return Owner()->InternalAddRef(); }
STDMETHODIMP_(ULONG) CCmdTarget::XDispatch::Release() { return Owner()->InternalRelease(); }

STDMETHODIMP CCmdTarget::XDispatch::GetTypeInfoCount(UINT* pctinfo) {
    if (!pctinfo) return E_POINTER;
    *pctinfo = Owner()->GetTypeInfoCount();
    return S_OK;
}

STDMETHODIMP CCmdTarget::XDispatch::GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) {
    if (!ppTInfo) return E_POINTER;
    *ppTInfo = nullptr;
    if (iTInfo != 0 || Owner()->GetTypeInfoCount() == 0) return DISP_E_BADINDEX;
    IID iid;
    if (!Owner()->GetDispatchIID(&iid)) return E_NOTIMPL;
    ITypeLib* pTypeLib = nullptr;
    HRESULT hr = Owner()->GetTypeLib(lcid, &pTypeLib);
    if (FAILED(hr)) return hr;
    hr = pTypeLib->GetTypeInfoOfGuid(iid, ppTInfo);  // the type information keeps its library alive
    pTypeLib->Release();
    return hr;
}

namespace {
// Dispatch names are ASCII; anything else matches nothing.
bool NameMatches(const wchar_t* pwsz, const char* psz) {
    for (;; ++pwsz, ++psz) {
        wchar_t w = *pwsz;
        char c = *psz;
        if (w > 0x7F) return false;
        if (w >= L'A' && w <= L'Z') w = static_cast<wchar_t>(w - L'A' + L'a');
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (w != static_cast<wchar_t>(c)) return false;
        if (c == '\0') return true;
    }
}
}  // namespace

STDMETHODIMP CCmdTarget::XDispatch::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId) {
    if (!::IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!rgszNames || !rgDispId || cNames == 0) return E_INVALIDARG;
    for (UINT i = 0; i < cNames; ++i) rgDispId[i] = DISPID_UNKNOWN;
    const AFX_DISPMAP_ENTRY* map = Owner()->GetDispatchMap();
    if (!map || !rgszNames[0]) return DISP_E_UNKNOWNNAME;
    for (DISPID id = 1; map->lpszName; ++map, ++id) {
        if (NameMatches(rgszNames[0], map->lpszName)) {
            rgDispId[0] = id;
            return cNames > 1 ? DISP_E_UNKNOWNNAME : S_OK;  // members have no named parameters
        }
    }
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP CCmdTarget::XDispatch::Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                                           VARIANT* pVarResult, EXCEPINFO*, UINT* puArgErr) {
    if (!::IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!pDispParams || (pDispParams->cArgs && !pDispParams->rgvarg) ||
        (pDispParams->cNamedArgs && !pDispParams->rgdispidNamedArgs))
        return E_INVALIDARG;
    // No C++ exception may leave a COM entry point.
    try {
        return Owner()->DispatchInvoke(dispIdMember, wFlags, pDispParams, pVarResult, puArgErr);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT CCmdTarget::DispatchInvoke(DISPID dispid, WORD wFlags, DISPPARAMS* pParams, VARIANT* pResult, UINT* puArgErr) {
    const AFX_DISPMAP_ENTRY* map = GetDispatchMap();
    if (!map || dispid < 1) return DISP_E_MEMBERNOTFOUND;
    for (DISPID id = 1; id < dispid; ++id, ++map)
        if (!map->lpszName) return DISP_E_MEMBERNOTFOUND;
    if (!map->lpszName) return DISP_E_MEMBERNOTFOUND;

    VARIANT result;
    ::VariantInit(&result);
    UINT argErr = 0;
    HRESULT hr = map->pfnInvoke(this, wFlags, pParams, &result, &argErr);
    if (FAILED(hr)) {
        ::VariantClear(&result);
        if (puArgErr && (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_OVERFLOW || hr == DISP_E_PARAMNOTFOUND))
            *puArgErr = argErr;
        return hr;
    }
    if (pResult)
        *pResult = result;  // the caller owns it now
    else
        ::VariantClear(&result);
    return hr;
}

CString AfxNarrowFromBstr(BSTR bstr, BOOL* pbExact) {
    if (pbExact) *pbExact = TRUE;
    int nWide = static_cast<int>(::SysStringLen(bstr));
    if (nWide == 0) return CString();
    BOOL bDefaulted = FALSE;
    int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, bstr, nWide, nullptr, 0, nullptr, nullptr);
    CString s;
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, bstr, nWide, s.GetBuffer(n + 1), n, nullptr, &bDefaulted);
    s.ReleaseBuffer(n);
    if (pbExact && bDefaulted) *pbExact = FALSE;
    return s;
}

BSTR AfxBstrFromNarrow(const char* psz, int nLen) {
    int n = nLen > 0 ? ::MultiByteToWideChar(CP_ACP, 0, psz, nLen, nullptr, 0) : 0;
    BSTR b = ::SysAllocStringLen(nullptr, static_cast<UINT>(n));
    if (b && n > 0) ::MultiByteToWideChar(CP_ACP, 0, psz, nLen, b, n);
    return b;
}

HRESULT AfxDispCoerce(VARIANTARG* pArg, VARTYPE vt, VARIANT* pOut) {
    ::VariantInit(pOut);
    HRESULT hr = ::VariantCopyInd(pOut, pArg);
    if (SUCCEEDED(hr) && pOut->vt != vt) hr = ::VariantChangeType(pOut, pOut, 0, vt);
    if (FAILED(hr)) ::VariantClear(pOut);
    return hr;
}

HRESULT afxdisp::Arg<CString&>::Store(VARIANTARG* p) {
    if (value == original) return S_OK;  // untouched: the caller keeps its own text, unconverted
    if (p->vt == (VT_BYREF | VT_VARIANT) && p->pvarVal) {
        VARIANT v;
        HRESULT hr = Value<VT_BSTR>::Write(&v, value);
        if (FAILED(hr)) return hr;
        ::VariantClear(p->pvarVal);
        *p->pvarVal = v;
    } else if (p->vt == (VT_BYREF | VT_BSTR) && p->pbstrVal) {
        BSTR b = AfxBstrFromNarrow(value, value.GetLength());
        if (!b) return E_OUTOFMEMORY;
        ::SysFreeString(*p->pbstrVal);
        *p->pbstrVal = b;
    }
    return S_OK;
}
