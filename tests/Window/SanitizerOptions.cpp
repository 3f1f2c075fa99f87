// GLib is built without frame pointers, so allocations are traced the slow way to see GTK below them (the
// leak suppressions for GTK's caches come with the platform layer).
extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}
