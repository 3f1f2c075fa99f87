#include "Platform/GL/Wgl.h"

#include <gtest/gtest.h>

namespace
{
TEST(Wgl, ExtensionsMatchAsWholeBlankSeparatedWords)
{
    struct Case
    {
        const char* list;
        const char* name;
        bool found;
    };
    const Case cases[] = {
        {"GLX_OML_swap_method GLX_SGI_make_current_read", "GLX_OML_swap_method", true},
        {"GLX_A GLX_OML_swap_method", "GLX_OML_swap_method", true},
        {"GLX_A GLX_OML_swap_method GLX_B", "GLX_OML_swap_method", true},
        {"GLX_OML_swap_method_extra GLX_B", "GLX_OML_swap_method", false},
        {"XGLX_OML_swap_method", "GLX_OML_swap_method", false},
        {"GLX_X GLX_X_more", "GLX_X_more", true},
        {"GLX_A GLX_B", "GLX_A GLX_B", false},
        {"GLX_A ", "", false},
        {"", "GLX_A", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Platform::GL::HasExtension(c.list, c.name), c.found)
            << '"' << c.list << "\" / \"" << c.name << '"';
}
} // namespace
