#include "automation/DualObject.h"

HRESULT returnString(XStringCom &text, BSTR *out) {
    if (!out) return E_POINTER;
    *out = text.getBstr();
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT returnBytes(const DataBuffer &bytes, VARIANT *out) {
    if (!out) return E_POINTER;
    return bytes.toVariant(*out) ? S_OK : E_OUTOFMEMORY;
}

bool bytesArg(const VARIANT &value, DataBuffer &bytes) {
    bool wasString = false;
    return bytes.appendVariant(value, wasString);
}
