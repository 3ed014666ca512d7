// CConvInfo: one open DDE conversation of the automation object, kept per key.
#pragma once
#include "../framework/Object.h"
#include "../framework/String.h"
#include <windows.h>
#include <ddeml.h>

class CConvInfo : public CObject {
    DECLARE_DYNCREATE(CConvInfo)
public:
    CConvInfo() : m_hConv(nullptr) {}
    ~CConvInfo() override = default;

    void SetKey(const char* psz) { m_szKey = psz; }
    void SetService(const char* psz) { m_szService = psz; }
    void SetTopic(const char* psz) { m_szTopic = psz; }
    const char* GetKey() const { return m_szKey; }
    const char* GetService() const { return m_szService; }
    const char* GetTopic() const { return m_szTopic; }
    HCONV SetConv(HCONV hConv) { return m_hConv = hConv; }
    HCONV GetConv() const { return m_hConv; }

private:
    // Kept whole: a service or topic longer than any fixed field still names its partner.
    HCONV m_hConv;
    CString m_szTopic;
    CString m_szService;
    CString m_szKey;
};
