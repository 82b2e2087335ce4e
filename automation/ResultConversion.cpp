#include "automation/DataBufferVariant.h"
#include "automation/DualObject.h"

HRESULT returnString(XStringCom &text, BSTR *out) {
    if (!out) return E_POINTER;
    *out = text.getBstr();
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT returnBytes(const DataBuffer &bytes, VARIANT *out) {
    if (!out) return E_POINTER;
    return toVariant(bytes, *out) ? S_OK : E_OUTOFMEMORY;
}

bool bytesArg(const VARIANT &value, DataBuffer &bytes) {
    bool wasString = false;
    return appendVariant(bytes, value, wasString);
}
