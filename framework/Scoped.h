// Scoped handles: each owns one system resource and gives it back when it goes.
#pragma once
#include <windows.h>
#include <unknwn.h>

// An open registry key, closed when the object goes.
class CRegKey {
public:
    CRegKey() = default;
    ~CRegKey() { if (m_h) ::RegCloseKey(m_h); }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;
    HKEY* operator&() { return &m_h; }
    operator HKEY() const { return m_h; }

private:
    HKEY m_h = nullptr;
};

// A kernel object handle, closed when the object goes.
class CHandle {
public:
    explicit CHandle(HANDLE h = INVALID_HANDLE_VALUE) : m_h(h) {}
    ~CHandle() { if (IsValid()) ::CloseHandle(m_h); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    bool IsValid() const { return m_h != INVALID_HANDLE_VALUE && m_h != nullptr; }
    operator HANDLE() const { return m_h; }

private:
    HANDLE m_h;
};

// A COM interface pointer that holds one reference.
template <class T>
class CComPtr {
public:
    CComPtr() = default;
    ~CComPtr() { if (m_p) m_p->Release(); }
    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;
    T** operator&() { return &m_p; }  // for an out parameter: the pointer must be empty
    T* operator->() const { return m_p; }
    operator T*() const { return m_p; }
    // Hands the reference to the caller.
    T* Detach() {
        T* p = m_p;
        m_p = nullptr;
        return p;
    }

private:
    T* m_p = nullptr;
};
