#pragma once

#include "framework/CmdTarget.h"

// What a document template needs of a class to make objects of it at run time: its name
// and a factory. RUNTIME_CLASS(CPagelotView) names the record of a class.
struct CRuntimeClass
{
    const char *m_lpszClassName;
    CObject *(*m_pfnCreateObject)();

    CObject *CreateObject() const { return m_pfnCreateObject(); }
    // An object of the class as a T, or null (and none made) when the class is not one.
    template <class T> T *CreateObject() const
    {
        CObject *pObject = CreateObject();
        T *pTyped = dynamic_cast<T *>(pObject);
        if (!pTyped)
            delete pObject;
        return pTyped;
    }
};

template <class T> const CRuntimeClass *AfxRuntimeClassOf(const char *name)
{
    static const CRuntimeClass record{name, []() -> CObject * { return new T; }};
    return &record;
}

#define RUNTIME_CLASS(class_name) (::AfxRuntimeClassOf<class_name>(#class_name))
