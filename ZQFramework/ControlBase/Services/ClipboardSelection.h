#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace ZQ
{
// The system clipboard as the clipboard service uses it: text (UTF-8) or a mark that the program's own
// object is there, never rendered for anyone else; a sequence number that moves with every change.
class IClipboardSelection
{
public:
    virtual ~IClipboardSelection() = default;
    // Takes the clipboard for the owner window (0: none): with text, serves the text; without, the mark
    // of the program's own object. False when the clipboard could not be taken.
    virtual bool Set(uintptr_t owner, const std::optional<std::string>& text) = 0;
    // Whether the clipboard holds the program's own object.
    [[nodiscard]] virtual bool HoldsOwnObject() const = 0;
    // The clipboard's text; nothing when it holds none.
    [[nodiscard]] virtual std::optional<std::string> GetText() = 0;
    // Counts this program's writes and every change of the clipboard by anyone else.
    [[nodiscard]] virtual uint32_t GetSequenceNumber() const = 0;
};

// A clipboard of the process's own: what a program without a display shares with itself, and what tests
// use, playing another program with the two Outside calls.
class MemoryClipboardSelection : public IClipboardSelection
{
public:
    bool Set(uintptr_t owner, const std::optional<std::string>& text) override;
    [[nodiscard]] bool HoldsOwnObject() const override { return mOwnObject; }
    [[nodiscard]] std::optional<std::string> GetText() override { return mText; }
    [[nodiscard]] uint32_t GetSequenceNumber() const override { return mSequenceNumber; }

    // Another program puts text there, or empties the clipboard (nothing).
    void SetFromOutside(const std::optional<std::string>& text);

    // How often the clipboard was taken, and by which owner last.
    int32_t SetCount = 0;
    uintptr_t LastOwner = 0;

private:
    std::optional<std::string> mText;
    bool mOwnObject = false;
    uint32_t mSequenceNumber = 0;
};

// The system clipboard: the display's CLIPBOARD selection while a display is open, else one of the
// process's own.
[[nodiscard]] std::unique_ptr<IClipboardSelection> CreateSystemClipboardSelection();
} // namespace ZQ
