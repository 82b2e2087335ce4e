#pragma once

#include "core/DataBuffer.h"

#include <oaidl.h>

// Automation values as bytes: what a script hands to FileWrite or WriteEntireFile,
// and the byte arrays handed back. Values of other types contribute nothing.

// wasString becomes true when the value was (or referred to) a string.
bool appendVariant(DataBuffer &buffer, const VARIANT &value, bool &wasString);
// The string's UTF-16LE units, no terminator.
bool appendBstr(DataBuffer &buffer, BSTR text);
bool appendSafeArray(DataBuffer &buffer, SAFEARRAY *array);
// A new VT_ARRAY | VT_UI1 vector (lower bound 0) holding a copy of the bytes.
bool toVariant(const DataBuffer &buffer, VARIANT &out);
