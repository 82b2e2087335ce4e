// The Win32 surface the system calls. On Windows this is <windows.h>; elsewhere a
// POSIX layer gives the same names with Windows behaviour.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// Left out by WIN32_LEAN_AND_MEAN; the random source needs it.
#include <wincrypt.h>
#ifndef TX_REAL_WIN32_CALLS
// The file calls go through the test hooks (platform/TestHooks.h).
#include "platform/windows/HookedCalls.h"
#endif
#else
#include "platform/posix/Win32Posix.h"
#endif
