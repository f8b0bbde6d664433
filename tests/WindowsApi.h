#pragma once
// The Windows API for the tests that call the system themselves: windows.h without its min and max
// macros (they would break std::min) and without the parts no test uses. Nothing on other systems.

#include <QtGlobal>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif
