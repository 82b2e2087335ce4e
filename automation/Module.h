#pragma once

#include <windows.h>

#include <oaidl.h>

// Process-wide state of the DLL: its instance, its lock count and the type library
// the objects serve IDispatch from.
namespace module {

HINSTANCE instance();
// Objects alive plus LockServer(TRUE) calls not yet undone.
void lock();
void unlock();
LONG lockCount();
// The type information of an interface of the module's own type library, loaded once.
HRESULT typeInfo(REFGUID guid, ITypeInfo **out);

} // namespace module
