#include "GLTesting.h"

#include <GL/glx.h>

namespace GLTesting
{
bool KeepServer()
{
    static ::Display* const connection = []
    {
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
