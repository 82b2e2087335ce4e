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
#else
#include "platform/posix/Win32Posix.h"
#endif
