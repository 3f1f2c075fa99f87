// GTK starts once per process and keeps its caches (fontconfig's configuration, the session bus
// connection, GLib's type system) until the process ends; the leak checker is told they are not leaks.
// GLib is built without frame pointers, so allocations are traced the slow way to see GTK below them.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:libdbus-1.so\n"
           "leak:libgtk-3.so\n"
           "leak:libgdk-3.so\n"
           "leak:libgio-2.0.so\n"
           "leak:libgobject-2.0.so\n";
}

extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}
