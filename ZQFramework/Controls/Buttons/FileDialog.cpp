#include "ZQFramework/Controls/Buttons/FileDialog.h"

#include "Platform/Window/Dialogs.h"
#include "ZQFramework/ControlBase/Windows/ControlApplication.h"
#include "ZQFramework/ControlBase/Windows/RootWindow.h"
#include "ZQFramework/ControlBase/Windows/WindowOSServices.h"
#include "ZQFramework/Utilities/Storage/File.h"

#include <string>
#include <utility>
#include <vector>

namespace ZQ
{
namespace
{
std::u16string ToStd(const WString& text)
{
    return std::u16string(text.GetBuffer(), static_cast<size_t>(text.GetLength()));
}

// The items of a '|'-separated list up to its first empty item, as the dialog reads a list whose items
// end in NUL and which ends in an empty item.
std::vector<std::u16string> FilterItems(const WString& filter)
{
    std::vector<std::u16string> items;
    const std::u16string text = ToStd(filter);
    size_t start = 0;
    while (start < text.size())
    {
        const size_t bar = text.find(u'|', start);
        const size_t end = bar == std::u16string::npos ? text.size() : bar;
        if (end == start)
            break;
        items.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

std::vector<std::pair<std::u16string, std::u16string>> FilterPairs(const WString& filter)
{
    const std::vector<std::u16string> items = FilterItems(filter);
    std::vector<std::pair<std::u16string, std::u16string>> pairs;
    for (size_t i = 0; i + 1 < items.size(); i += 2)
        pairs.emplace_back(items[i], items[i + 1]);
    return pairs;
}

uintptr_t ActiveNativeWindow()
{
    const IControlApplication* application = IControlApplication::GetCurrent();
    if (application == nullptr)
        return 0;
    const RCPtr<LRootWindow> window(application->GetActiveRootWindow());
    IWindowOSServices* services = window != nullptr ? window->GetServices() : nullptr;
    return services != nullptr ? services->GetNativeHandle() : 0;
}
} // namespace

RCPtr<LFileDialog> LFileDialog::Create(const WString& initialFolder)
{
    return RCPtr<LFileDialog>(new LFileDialog(initialFolder));
}

LFileDialog::LFileDialog(const WString& initialFolder)
    : mOwner(ActiveNativeWindow()), mInitialFolder(initialFolder)
{
}

LFileDialog::~LFileDialog() = default;

ZQRESULT LFileDialog::ShowOpenDialog(const WString& filter, const WString& defaultExtension,
                                     const WString& title, bool allowMultiSelect)
{
    mFileName.Empty();
    Platform::Window::OpenFileRequest request;
    request.title = ToStd(title);
    request.filters = FilterPairs(filter);
    request.defaultExtension = ToStd(defaultExtension);
    request.initialFolder = ToStd(mInitialFolder);
    request.mustExist = true;
    request.multiSelect = allowMultiSelect;

    const Platform::Window::OpenFileAnswer answer = Platform::Window::ShowOpenFileDialog(mOwner, request);
    if (answer.paths.empty())
        return E_FAIL;
    for (const std::u16string& path : answer.paths)
    {
        // The dialog's buffer holds the choice with its terminator; a longer one fails as a whole.
        if (path.empty() || path.size() >= static_cast<size_t>(kMaxPath))
            return E_FAIL;
    }
    const WString first(answer.paths.front().c_str());
    const WString folder = File::GetFolderFromPath(first);
    mFileName = answer.paths.size() > 1 ? folder : first;
    mInitialFolder = folder;
    return 0;
}
} // namespace ZQ
