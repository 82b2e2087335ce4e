#include "core/DataBuffer.h"

#include <windows.h>

#include <oleauto.h>

#include <cstring>

namespace {

// Deep enough for any real script value; stops a self-referring value.
const int maxNesting = 32;

bool appendValue(DataBuffer &buffer, const VARIANT &value, bool &wasString, int depth);

bool appendArray(DataBuffer &buffer, SAFEARRAY *array, int depth) {
    if (!array || depth > maxNesting) return true;
    UINT dims = SafeArrayGetDim(array);
    ULONGLONG elements = dims ? 1 : 0;
    for (UINT d = 0; d < dims; ++d)
        elements *= array->rgsabound[d].cElements;
    ULONGLONG bytes = elements * SafeArrayGetElemsize(array);
    if (bytes == 0) return true;
    if (bytes > 0x7fffffff) return false;

    void *data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) return false;
    bool ok = true;
    if (array->fFeatures & FADF_VARIANT) {
        // Each element by the variant rules, in memory order for any dimension count.
        const VARIANT *items = static_cast<const VARIANT *>(data);
        bool ignored = false;
        for (ULONGLONG i = 0; ok && i < elements; ++i)
            ok = appendValue(buffer, items[i], ignored, depth + 1);
    } else {
        // Strings, objects and records too: what the array holds, as it lies in memory.
        ok = buffer.append(data, static_cast<uint32_t>(bytes));
    }
    SafeArrayUnaccessData(array);
    return ok;
}

bool appendDefaultValue(DataBuffer &buffer, IDispatch *object, bool &wasString, int depth) {
    if (!object) return true;
    DISPPARAMS noArguments = {nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    HRESULT hr =
        object->Invoke(DISPID_VALUE, IID_NULL, 2048, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                       &noArguments, &result, nullptr, nullptr);
    bool ok = true;
    if (SUCCEEDED(hr)) ok = appendValue(buffer, result, wasString, depth + 1);
    VariantClear(&result);
    return ok;
}

bool appendValue(DataBuffer &buffer, const VARIANT &value, bool &wasString, int depth) {
    if (depth > maxNesting) return true;
    VARTYPE type = V_VT(&value);
    if (type & VT_ARRAY) {
        if (!(type & VT_BYREF)) return appendArray(buffer, V_ARRAY(&value), depth);
        return V_ARRAYREF(&value) ? appendArray(buffer, *V_ARRAYREF(&value), depth) : true;
    }
    switch (type) {
    case VT_BYREF | VT_VARIANT:
        return V_VARIANTREF(&value)
                   ? appendValue(buffer, *V_VARIANTREF(&value), wasString, depth + 1)
                   : true;
    case VT_BYREF | VT_DISPATCH:
        return V_DISPATCHREF(&value)
                   ? appendDefaultValue(buffer, *V_DISPATCHREF(&value), wasString, depth)
                   : true;
    case VT_DISPATCH:
        return appendDefaultValue(buffer, V_DISPATCH(&value), wasString, depth);
    case VT_BYREF | VT_BSTR:
        wasString = true;
        return V_BSTRREF(&value) ? buffer.appendBstr(*V_BSTRREF(&value)) : true;
    case VT_BSTR:
        wasString = true;
        return buffer.appendBstr(V_BSTR(&value));
    case VT_I1:
    case VT_UI1:
        return buffer.appendByte(V_UI1(&value));
    case VT_BOOL:
        return buffer.appendByte(static_cast<unsigned char>(V_BOOL(&value) & 0xff));
    case VT_I2:
    case VT_UI2:
        return buffer.append(&V_UI2(&value), 2);
    case VT_I4:
    case VT_UI4:
        return buffer.append(&V_UI4(&value), 4);
    default:
        return true;
    }
}

} // namespace

bool DataBuffer::appendVariant(const VARIANT &value, bool &wasString) {
    wasString = false;
    return appendValue(*this, value, wasString, 0);
}

bool DataBuffer::appendBstr(const wchar_t *bstr) {
    UINT units = bstr ? SysStringLen(const_cast<BSTR>(bstr)) : 0;
    return units == 0 || append(bstr, units * 2);
}

bool DataBuffer::appendSafeArray(SAFEARRAY *array) {
    return appendArray(*this, array, 0);
}

bool DataBuffer::toVariant(VARIANT &out) const {
    VariantInit(&out);
    SAFEARRAY *array = SafeArrayCreateVector(VT_UI1, 0, getSize());
    if (!array) return false;
    if (getSize()) {
        void *data = nullptr;
        if (FAILED(SafeArrayAccessData(array, &data))) {
            SafeArrayDestroy(array);
            return false;
        }
        memcpy(data, getData(), getSize());
        SafeArrayUnaccessData(array);
    }
    V_VT(&out) = VT_ARRAY | VT_UI1;
    V_ARRAY(&out) = array;
    return true;
}
