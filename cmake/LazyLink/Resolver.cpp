#include "LazyLink.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <unistd.h>

namespace
{
// The exit code of a program whose library is missing, the same as the dynamic loader's when a library
// that a program names is missing at its start.
constexpr int kLibraryMissing = 127;

[[noreturn]] void Fail(const ZQLazyLink::Symbol& symbol, const char* library, const char* reason)
{
    // The process may be anywhere (any thread, any lock held): write the line and leave without running
    // destructors or exit handlers.
    std::fprintf(stderr, "%s: cannot load %s, needed for %s: %s\n", program_invocation_short_name, library,
                 symbol.Name, reason != nullptr ? reason : "unknown error");
    std::fflush(stderr);
    ::_exit(kLibraryMissing);
}
} // namespace

extern "C" void* zq_lazy_link_resolve(uint32_t index)
{
    const ZQLazyLink::Symbol& symbol = zq_lazy_link_symbols[index];
    const char* library = zq_lazy_link_libraries[symbol.Library];
    // Global, as if the program had named the library: the modules that the library itself opens later
    // find what it exports. A library already open is only counted once more.
    void* handle = ::dlopen(library, RTLD_LAZY | RTLD_GLOBAL);
    if (handle == nullptr)
        Fail(symbol, library, ::dlerror());
    (void)::dlerror();
    void* address = ::dlsym(handle, symbol.Name);
    if (address == nullptr)
        Fail(symbol, library, ::dlerror());
    // Threads that meet the same stub first at once each store the same address.
    __atomic_store_n(&zq_lazy_link_slots[index], address, __ATOMIC_RELEASE);
    return address;
}
