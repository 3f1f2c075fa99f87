#pragma once

#include <cstdint>

// What the first-call stubs of a lazily linked program share with their resolver (cmake/LazyLink.cmake):
// the tables that GenerateStubs.py writes for the program and the resolver that its stubs call. Everything
// here is hidden, so each program has its own.
namespace ZQLazyLink
{
// One function reached through a stub: its name and the index of its library in zq_lazy_link_libraries.
struct Symbol
{
    const char* Name;
    uint32_t Library;
};
} // namespace ZQLazyLink

#define ZQ_LAZY_LINK_HIDDEN __attribute__((visibility("hidden")))

extern "C"
{
    // The sonames of the libraries, ended by a null entry.
    ZQ_LAZY_LINK_HIDDEN extern const char* const zq_lazy_link_libraries[];
    // The functions by stub index, ended by an entry with a null name.
    ZQ_LAZY_LINK_HIDDEN extern const ZQLazyLink::Symbol zq_lazy_link_symbols[];
    // Where each stub jumps: its resolving entry until the first call, the function afterwards.
    ZQ_LAZY_LINK_HIDDEN extern void* zq_lazy_link_slots[];
    // Called by the stub of index on its first call (from any thread): opens the function's library, keeps
    // the function's address in its slot and returns it. A library or function that cannot be had ends
    // the process with exit code 127 after a line on standard error that names both.
    ZQ_LAZY_LINK_HIDDEN void* zq_lazy_link_resolve(uint32_t index);
}
