#pragma once

#include <array>

// The updater's menu commands, each written once: the string table's menu items carry these names, the
// root window sends the chosen item's name, and the main control receives it. The texts are what the
// string table spells, so they never change.
namespace ZQ
{
inline constexpr const char16_t* kNidMenuFileSelect = u"NID_MENU_FILE_SELECT";
inline constexpr const char16_t* kNidMenuFileExitReq = u"NID_MENU_FILE_EXIT_REQ";
inline constexpr const char16_t* kNidMenuOptionsAllowDowngrade = u"NID_MENU_OPTIONS_ALLOW_DOWNGRADE";

// Every name above, for checks over the whole vocabulary.
inline constexpr std::array kUpdaterNotificationNames{
    kNidMenuFileSelect,
    kNidMenuFileExitReq,
    kNidMenuOptionsAllowDowngrade,
};
} // namespace ZQ
