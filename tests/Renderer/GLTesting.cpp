#include "GLTesting.h"

#include <GL/glx.h>
#include <cstdlib>

namespace GLTesting
{
bool KeepServer()
{
    static ::Display* const connection = []
    {
        // llvmpipe rasterises on the drawing thread: its worker threads, alive until the process ends,
        // now and then crash LeakSanitizer's stop-the-world at exit.
        ::setenv("LP_NUM_THREADS", "0", 0);
        ::Display* opened = XOpenDisplay(nullptr);
        // Mesa loads its driver per connection and unloads it with the last one; GLX started on a
        // connection that stays open keeps it loaded, so what it allocated stays reachable for the leak
        // checker.
        if (opened != nullptr)
            (void)glXQueryExtensionsString(opened, DefaultScreen(opened));
        return opened;
    }();
    return connection != nullptr;
}
} // namespace GLTesting
