#pragma once

// How objects and calls cross the host boundary. The closed host is built with
// the Microsoft toolchain, so a 32-bit Windows module must follow the
// Microsoft C++ ABI there, whichever compiler builds it:
// - every boundary member function is thiscall (`this` in ECX, arguments on
//   the stack, the callee pops them);
// - a script object's table starts with one scalar deleting destructor entry,
//   then notify.
// Elsewhere host and script come from one compiler and its own ABI applies.
// The boundary headers include no C++ standard library header, so that any
// compiler for any target can read them (the layout check compiles them for
// the Microsoft target).

#if defined(_WIN32) && (defined(__i386__) || defined(_M_IX86))
#define MORV_BOUNDARY_CALL __thiscall
#else
#define MORV_BOUNDARY_CALL
#endif

// Compilers outside the Microsoft family give a virtual destructor two table
// entries (complete and deleting). On Windows they emulate the single scalar
// deleting destructor entry instead; see morv_client_callback.
#if defined(_WIN32) && !defined(_MSC_VER)
#define MORV_EMULATED_DELETING_DESTRUCTOR 1
#else
#define MORV_EMULATED_DELETING_DESTRUCTOR 0
#endif
