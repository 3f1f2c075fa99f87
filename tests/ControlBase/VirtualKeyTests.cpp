#include "Platform/Window/Keys.h"
#include "ZQFramework/Notification/KeyCode.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

// The native window passes the platform's virtual-key numbers straight into key codes, and asks the
// platform's key state with the framework's names: both sides must mean the same number by a key.
namespace ZQ
{
namespace
{
namespace PW = Platform::Window;

TEST(VirtualKey, KeysymsArriveAsTheKeysTheControlsName)
{
    struct Case
    {
        uint32_t keysym;
        VKey key;
    };
    const Case cases[] = {
        {XK_a, VKey::A},
        {XK_Z, VKey::Z},
        {XK_0, VKey::Digit0},
        {XK_9, VKey::Digit9},
        {XK_KP_0, VKey::Numpad0},
        {XK_KP_9, VKey::Numpad9},
        {XK_F1, VKey::F1},
        {XK_F24, VKey::F24},
        {XK_BackSpace, VKey::Back},
        {XK_Tab, VKey::Tab},
        {XK_ISO_Left_Tab, VKey::Tab},
        {XK_Return, VKey::Return},
        {XK_KP_Enter, VKey::Return},
        {XK_Escape, VKey::Escape},
        {XK_space, VKey::Space},
        {XK_Prior, VKey::PageUp},
        {XK_Next, VKey::PageDown},
        {XK_KP_Next, VKey::PageDown},
        {XK_Home, VKey::Home},
        {XK_End, VKey::End},
        {XK_Left, VKey::Left},
        {XK_Up, VKey::Up},
        {XK_Right, VKey::Right},
        {XK_Down, VKey::Down},
        {XK_Insert, VKey::Insert},
        {XK_Delete, VKey::Delete},
        {XK_KP_Delete, VKey::Delete},
        {XK_Print, VKey::Snapshot},
        {XK_Menu, VKey::Apps},
        {XK_KP_Begin, VKey::Clear},
        {XK_KP_Divide, VKey::Divide},
        {XK_Num_Lock, VKey::NumLock},
        {XK_Caps_Lock, VKey::Capital},
        {XK_Shift_R, VKey::Shift},
        {XK_Control_L, VKey::Control},
        {XK_Alt_R, VKey::Menu},
        {XK_Super_L, VKey::LWin},
        {XK_Super_R, VKey::RWin},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(PW::VirtualKeyFromKeysym(c.keysym).code, static_cast<uint8_t>(c.key))
            << std::hex << c.keysym;
    }
}

// Keys that no keysym gives but the key state is read by: the mouse buttons for the buttons held, the sided
// modifiers for the sides of key events.
TEST(VirtualKey, TheKeyStateKnowsTheKeysByTheSameNumbers)
{
    struct Case
    {
        uint8_t platform;
        VKey key;
    };
    const Case cases[] = {
        {PW::kVkLButton, VKey::LButton},   {PW::kVkRButton, VKey::RButton}, {PW::kVkMButton, VKey::MButton},
        {PW::kVkLShift, VKey::LShift},     {PW::kVkRShift, VKey::RShift},   {PW::kVkLControl, VKey::LControl},
        {PW::kVkRControl, VKey::RControl}, {PW::kVkLMenu, VKey::LMenu},     {PW::kVkRMenu, VKey::RMenu},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.platform, static_cast<uint8_t>(c.key)) << static_cast<int>(c.platform);
    }
}
} // namespace
} // namespace ZQ
