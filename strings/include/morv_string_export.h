#pragma once

// Symbol visibility of the string library. The library is a shared library
// (morv_string.dll / libmorv_string.so); its users import these classes.
// MORV_STRING_STATIC: linked into its user instead (the self-contained
// Windows panel DLL).
#if defined(MORV_STRING_STATIC)
#define MORV_STRING_API
#elif defined(_WIN32)
#if defined(MORV_STRING_BUILDING)
#define MORV_STRING_API __declspec(dllexport)
#else
#define MORV_STRING_API __declspec(dllimport)
#endif
#else
#define MORV_STRING_API __attribute__((visibility("default")))
#endif
