// The whole runtime of a native panel DLL (Microsoft C++ ABI, no C runtime
// start-up): only what the compiler and the loader ask of a freestanding
// module. Nothing here runs at load or unload.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

// Every class with a virtual destructor gets a scalar deleting destructor,
// which calls the global operator delete when the object was on the heap.
// Module code allocates with malloc (scripts through morv_script_helper's
// own operator new), so free is the match. There is deliberately no global
// operator new: under this ABI a new-expression never checks its result for
// null, so a failed allocation would construct at address 0. A module that
// uses one fails to link, naming it.
void operator delete(void* object) noexcept
{
    free(object);
}
void operator delete[](void* object) noexcept
{
    free(object);
}

// Table entries of abstract classes point here. Only a call of a pure
// virtual function during construction or destruction reaches it, a bug in
// the script: stop with an illegal-instruction exception, which a host's
// structured exception handler can catch, rather than run on.
extern "C" int __cdecl _purecall()
{
    __builtin_trap();
}

// The load configuration: the loader takes from it the table of safe
// exception handlers that lld-link /safeseh builds (the DLL registers none,
// so the table is empty, and then no handler can be forged). The layout is
// the first 72 bytes of IMAGE_LOAD_CONFIG_DIRECTORY32, the size the loader
// accepts with a handler table; the linker finds it by name.
extern "C" const void* const __safe_se_handler_table[];
extern "C" const char __safe_se_handler_count;  // its address is the count

namespace {
struct loadConfiguration {
    uint32_t size;
    uint32_t unused[14];  // time stamp to the edit list: none of them set
    const void* securityCookie;
    const void* const* safeHandlerTable;
    const void* safeHandlerCount;
};
static_assert(sizeof(loadConfiguration) == 72, "IMAGE_LOAD_CONFIG_DIRECTORY32 up to SEHandlerCount");
}  // namespace

extern "C" const loadConfiguration _load_config_used = {
    sizeof(loadConfiguration), {}, nullptr, __safe_se_handler_table, &__safe_se_handler_count};
