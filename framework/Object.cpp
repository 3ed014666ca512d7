#include "Object.h"
#include <cstring>

namespace {
const CRuntimeClass*& FirstClass() {
    static const CRuntimeClass* first = nullptr;
    return first;
}
}

CRuntimeClass CObject::classCObject = {"CObject", sizeof(CObject), nullptr, nullptr, nullptr};
static const AFX_CLASSINIT _init_CObject(&CObject::classCObject);

const CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

AFX_CLASSINIT::AFX_CLASSINIT(CRuntimeClass* pNewClass) {
    pNewClass->m_pNextClass = FirstClass();
    FirstClass() = pNewClass;
}

CObject* CRuntimeClass::CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const {
    for (const CRuntimeClass* p = this; p; p = p->m_pBaseClass)
        if (p == pBaseClass) return true;
    return false;
}

const CRuntimeClass* CRuntimeClass::FromName(const char* lpszClassName) {
    if (!lpszClassName) return nullptr;
    for (const CRuntimeClass* p = FirstClass(); p; p = p->m_pNextClass)
        if (std::strcmp(p->m_lpszClassName, lpszClassName) == 0) return p;
    return nullptr;
}

CObject* CRuntimeClass::CreateObject(const char* lpszClassName) {
    const CRuntimeClass* p = FromName(lpszClassName);
    return p ? p->CreateObject() : nullptr;
}
