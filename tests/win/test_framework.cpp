#include "../../framework/Dialog.h"
#include "../../install/Error.h"
#include <gtest/gtest.h>

namespace {
TEST(AfxMessageBox, DefaultIconFollowsTheButtons) {
    const struct {
        UINT type, icon;
    } cases[] = {
        {MB_OK, MB_ICONEXCLAMATION},
        {MB_OKCANCEL, MB_ICONEXCLAMATION},
        {MB_YESNO, MB_ICONEXCLAMATION},
        {MB_YESNOCANCEL, MB_ICONEXCLAMATION},
        {MB_ABORTRETRYIGNORE, 0},
        {MB_RETRYCANCEL, 0},
        {MB_OK | MB_ICONHAND, 0},  // a named icon stays alone
        {MB_YESNO | MB_ICONQUESTION, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(AfxDefaultMessageBoxIcon(c.type), c.icon) << c.type;
}

// Drives itself: its first message presses a button, as a user would.
class SelfDrivenDlg : public CDialog {
public:
    SelfDrivenDlg(int button, const char* typed) : CDialog(900), m_button(button), m_typed(typed) {}
    CString m_strText = "initial";
    int m_nOK = 0;
    bool m_bThrowOnOK = false;

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, 1001, m_strText); }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_shown = CWnd{};
        m_shown.m_hWnd = GetDlgItem(1001);
        m_initialText = m_shown.GetWindowText();
        ::SetDlgItemTextA(m_hWnd, 1001, m_typed);
        ::PostMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(m_button, BN_CLICKED), 0);
        return TRUE;
    }
    void OnOK() override {
        ++m_nOK;
        if (m_bThrowOnOK) ThrowError(1, "from OnOK");
        CDialog::OnOK();
    }

public:
    CString m_initialText;

private:
    int m_button;
    const char* m_typed;
    CWnd m_shown;
};

TEST(CDialog, ExchangesDataBothWays) {
    SelfDrivenDlg ok(IDOK, "typed \xE9 text");
    EXPECT_EQ(ok.DoModal(), IDOK);
    EXPECT_EQ(ok.m_initialText, "initial");
    EXPECT_EQ(ok.m_strText, "typed \xE9 text");
    EXPECT_EQ(ok.m_hWnd, nullptr);

    SelfDrivenDlg cancel(IDCANCEL, "ignored");
    EXPECT_EQ(cancel.DoModal(), IDCANCEL);
    EXPECT_EQ(cancel.m_strText, "initial") << "Cancel moves nothing into the members";
}

TEST(CDialog, ExceptionFromHandlerEndsTheDialogAndReachesTheCaller) {
    SelfDrivenDlg dlg(IDOK, "x");
    dlg.m_bThrowOnOK = true;
    try {
        dlg.DoModal();
        FAIL() << "no exception";
    } catch (const CError& e) {
        EXPECT_EQ(e.m_strMessage, "from OnOK");
    }
    EXPECT_EQ(dlg.m_nOK, 1);
    EXPECT_EQ(::FindWindowA(nullptr, "framework test"), nullptr);
    // The framework is usable again afterwards.
    SelfDrivenDlg again(IDOK, "y");
    EXPECT_EQ(again.DoModal(), IDOK);
    EXPECT_EQ(again.m_strText, "y");
}
}  // namespace
