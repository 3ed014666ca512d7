#include "Dialog.h"

namespace {
struct DataExchangeFailure {};

// Messages whose result a dialog procedure returns itself instead of through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT msg) {
    switch (msg) {
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC: case WM_COMPAREITEM:
    case WM_VKEYTOITEM: case WM_CHARTOITEM: case WM_QUERYDRAGICON: case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}
}  // namespace

HWND CDataExchange::PrepareCtrl(int nIDC) {
    HWND hCtrl = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    if (!hCtrl) Fail();
    return hCtrl;
}

void CDataExchange::Fail() { throw DataExchangeFailure(); }

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    HWND hCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        int n = ::GetWindowTextLengthA(hCtrl);
        ::GetWindowTextA(hCtrl, value.GetBuffer(n + 1), n + 1);
        value.ReleaseBuffer();
    } else {
        ::SetWindowTextA(hCtrl, value);
    }
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

INT_PTR CDialog::DoModal() {
    m_pendingException = nullptr;
    HWND hOwner = AfxGetSafeOwner(m_pParentWnd);
    INT_PTR result = ::DialogBoxParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), hOwner,
                                       DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    if (m_pendingException) {
        std::exception_ptr e = m_pendingException;
        m_pendingException = nullptr;
        std::rethrow_exception(e);
    }
    return result;
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const DataExchangeFailure&) {
        return FALSE;
    }
    return TRUE;
}

void CDialog::EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM) {
    if (HIWORD(wParam) != BN_CLICKED) return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK: OnOK(); return TRUE;
    case IDCANCEL: OnCancel(); return TRUE;
    default: return FALSE;
    }
}

INT_PTR CDialog::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        return OnCommand(wParam, lParam);
    default: {
        INT_PTR result = 0;
        if (!OnMessage(msg, wParam, lParam, result)) return FALSE;
        if (ReturnsResultDirectly(msg)) return result;
        ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        reinterpret_cast<CDialog*>(lParam)->m_hWnd = hWnd;
    }
    auto* pDlg = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    if (!pDlg) return FALSE;
    if (msg == WM_NCDESTROY) {
        pDlg->m_hWnd = nullptr;
        return FALSE;
    }
    if (pDlg->m_pendingException) return FALSE;  // ending: run no more handlers
    try {
        return pDlg->Dispatch(msg, wParam, lParam);
    } catch (...) {
        pDlg->m_pendingException = std::current_exception();
        ::EndDialog(hWnd, -1);
        return TRUE;
    }
}
