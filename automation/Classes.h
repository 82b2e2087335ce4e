#pragma once

#include <windows.h>

#include <new>

// Creators of the two classes, used by their class factories.
HRESULT createTxFileAccess(REFIID riid, void **out);
HRESULT createTxDirTree(REFIID riid, void **out);

// Creates the object, loads its type information and hands out riid.
template <class Object> HRESULT createObject(REFIID riid, void **out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    Object *object = new (std::nothrow) Object();
    if (!object) return E_OUTOFMEMORY;
    HRESULT hr = object->loadTypeInfo(Object::dualIid());
    if (SUCCEEDED(hr)) hr = object->QueryInterface(riid, out);
    object->Release();
    return hr;
}
