#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{
// The system's open-file dialog, kept between uses so that each choice starts where the last successful
// one was made. Not a control: its owner (the updater's main control) holds it by a counted reference and
// shows it on the UI thread. The dialog is modal to the native window of the application's active root
// window at the moment the object was made (none when no root window was active).
//
// A choice is limited to kMaxPath characters with the terminator, as the dialog's buffers are; a longer
// path counts as a failed dialog.
class LFileDialog : public LRefCountedObject
{
public:
    static constexpr int32_t kMaxPath = 2600;

    [[nodiscard]] static RCPtr<LFileDialog> Create(const WString& initialFolder);
    ~LFileDialog() override;

    // Shows the dialog. filter is a list of description and pattern pairs, every item separated by '|'
    // ("Firmware Files (*.syx)|*.syx|All files (*.*)|*.*"); a pattern may list several patterns separated
    // by ';'. The list ends at its first empty item, and a description without a pattern is dropped. 0 when
    // the user chose a file, E_FAIL when the dialog was cancelled or failed (the file name is then empty
    // and the starting folder unchanged).
    ZQRESULT ShowOpenDialog(const WString& filter, const WString& defaultExtension, const WString& title,
                            bool allowMultiSelect);
    // The full path of the chosen file; with several files chosen, their folder. Empty before a choice.
    [[nodiscard]] WString GetFileName() const { return mFileName; }
    // The folder the next dialog starts in.
    [[nodiscard]] const WString& GetInitialFolder() const { return mInitialFolder; }

protected:
    explicit LFileDialog(const WString& initialFolder);

private:
    uintptr_t mOwner = 0;
    WString mFileName;
    WString mInitialFolder;
};
} // namespace ZQ
