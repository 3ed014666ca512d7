// CObject and run-time class information: classes can be asked for their name and base,
// and DECLARE_DYNCREATE classes can be created by name.
#pragma once

class CObject;

struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    CObject* (*m_pfnCreateObject)();  // null when the class is not creatable
    const CRuntimeClass* m_pBaseClass;
    const CRuntimeClass* m_pNextClass;  // registry of every declared class

    CObject* CreateObject() const;
    bool IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
    static const CRuntimeClass* FromName(const char* lpszClassName);
    static CObject* CreateObject(const char* lpszClassName);
};

// Links a class into the registry at program load.
struct AFX_CLASSINIT {
    explicit AFX_CLASSINIT(CRuntimeClass* pNewClass);
};

class CObject {
public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    bool IsKindOf(const CRuntimeClass* pClass) const { return GetRuntimeClass()->IsDerivedFrom(pClass); }
    static CRuntimeClass classCObject;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)                                     \
public:                                                                 \
    static CRuntimeClass class##class_name;                             \
    const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name)       \
    static CObject* CreateObject();

#define IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, pfnNew)                         \
    CRuntimeClass class_name::class##class_name = {#class_name, sizeof(class_name), pfnNew, \
                                                   RUNTIME_CLASS(base_class_name), nullptr};  \
    static const AFX_CLASSINIT _init_##class_name(&class_name::class##class_name);           \
    const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                 \
    CObject* class_name::CreateObject() { return new class_name; }       \
    IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, class_name::CreateObject)
