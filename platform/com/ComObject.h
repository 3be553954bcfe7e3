#pragma once
// The program's way of making an object of a COM class, as the language's
// New did: the object, or run-time error 429 when the class can't be
// created (not registered, library missing, creation refused).
#include "ComCreate.h"
#include "VbError.h"

namespace com {

template <class T> ComPtr<T> NewObject(REFCLSID clsid) {
    ComPtr<T> object;
    if (FAILED(CreateInstance(clsid, object)) || !object)
        vb::Raise(vb::errCantCreateObject, "ActiveX component can't create object");
    return object;
}

template <class T> ComPtr<T> NewObject(const std::string& progid) {
    ComPtr<T> object;
    if (FAILED(CreateInstance(progid, object)) || !object)
        vb::Raise(vb::errCantCreateObject, "ActiveX component can't create object");
    return object;
}

} // namespace com
