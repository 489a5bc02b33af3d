/* Debian's Qt source leaves out the tablet API header that Windows' platform plugin includes;
   Wine's declares the same API once given the three macros of Wine's own build. */
#pragma once
#include <windows.h>
#ifndef WINELIB_NAME_AW
#ifdef UNICODE
#define WINELIB_NAME_AW(name) name##W
#else
#define WINELIB_NAME_AW(name) name##A
#endif
#endif
#ifndef DECL_WINELIB_TYPE_AW
#define DECL_WINELIB_TYPE_AW(type) typedef WINELIB_NAME_AW(type) type;
#endif
#ifndef API
#define API WINAPI
#endif
#include "/usr/include/wine/wine/windows/wintab.h"
