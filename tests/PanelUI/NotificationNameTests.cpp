#include "Panel/Engine/UpdateEngineInterface.h"
#include "Panel/UI/UpdaterNotifications.h"
#include "Platform/Resources/Resources.h"
#include "ZQFramework/Midi/MidiCommInterface.h"
#include "ZQFramework/Midi/MidiDeviceConnectionStatusChangedNotification.h"
#include "ZQFramework/Notification/NotificationNames.h"

#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace UpdaterTest
{
namespace
{
std::string Narrow(std::u16string_view name)
{
    return std::string(name.begin(), name.end()); // the names are ASCII
}

// Every notification name the framework, the MIDI library, the engine and the updater declare.
std::vector<std::string> DeclaredNames()
{
    std::vector<std::string> names;
    for (const char16_t* name : ZQ::kNotificationNames)
        names.push_back(Narrow(name));
    for (const char16_t* name :
         {ZQ::kMidiDataCapturedNotificationName, ZQ::kMidiInputDeviceStatusChangedNotificationName,
          ZQ::kMidiOutputDeviceStatusChangedNotificationName})
        names.push_back(Narrow(name));
    for (const char16_t* name : kEngineNotificationNames)
        names.push_back(Narrow(name));
    for (const char16_t* name : ZQ::kUpdaterNotificationNames)
        names.push_back(Narrow(name));
    return names;
}

// The notification names an embedded skin or string-table document spells (menu items carry them in their
// string identifiers).
std::set<std::string> NamesIn(std::u16string_view resource)
{
    const auto bytes = Platform::FindResource(u"ZQXML", resource);
    EXPECT_TRUE(bytes.has_value()) << Narrow(resource);
    const std::string text = bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
    static const std::regex kName("NID_[A-Z0-9_]+");
    std::set<std::string> names;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), kName); it != std::sregex_iterator(); ++it)
        names.insert(it->str());
    return names;
}
} // namespace

TEST(NotificationNames, DeclaredOnceEachUnderItsOwnText)
{
    const std::vector<std::string> declared = DeclaredNames();
    std::set<std::string> seen;
    for (const std::string& name : declared)
    {
        EXPECT_TRUE(seen.insert(name).second) << name << " is declared twice";
        EXPECT_TRUE(std::regex_match(name, std::regex("NID_[A-Z0-9_]+"))) << name;
    }
}

TEST(NotificationNames, EveryNameInTheSkinsAndStringTablesIsDeclared)
{
    const std::vector<std::string> list = DeclaredNames();
    const std::set<std::string> declared(list.begin(), list.end());
    std::set<std::string> used;
    for (const char16_t* resource : {u"APP_SKINS", u"APP_STRINGS", u"FRAMEWORK_STRINGS"})
    {
        for (const std::string& name : NamesIn(resource))
        {
            EXPECT_TRUE(declared.contains(name)) << name << " in " << Narrow(resource) << " is not declared";
            used.insert(name);
        }
    }
    // The updater's menu commands reach the main control only through the string table's menu items.
    for (const char16_t* command : ZQ::kUpdaterNotificationNames)
        EXPECT_TRUE(used.contains(Narrow(command))) << Narrow(command) << " is in no menu";
}
} // namespace UpdaterTest
