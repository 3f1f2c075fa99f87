#pragma once

#include <cstddef>
#include <cstdint>

// How many bytes a short MIDI message has, by its first byte: the one table of the program. The MIDI layer
// sends and receives by the standard's column; the framework's ports keep two rules of their own on
// purpose, and their columns name where they differ:
//   - sent: what the framework's render port reports for a short message it sent. It counts the undefined
//     system common bytes F4 and F5 as two bytes, although only the status byte goes out.
//   - captured: what the framework's capture port keeps of a short message it received. It knows only the
//     channel messages; every system byte (F0 to FF) and a data byte keep one byte.
namespace Platform
{
struct ShortMessageLengths
{
    uint8_t first;    // first byte of the row's range
    uint8_t last;     // last byte of the row's range
    uint8_t standard; // the MIDI standard's length; 0 where no short message begins (F0, F7)
    uint8_t sent;     // the framework's render port
    uint8_t captured; // the framework's capture port
};

inline constexpr ShortMessageLengths kShortMessageLengths[] = {
    {0x00, 0x7F, 1, 1, 1}, // data byte
    {0x80, 0xBF, 3, 3, 3}, // note off, note on, key pressure, control change
    {0xC0, 0xDF, 2, 2, 2}, // program change, channel pressure
    {0xE0, 0xEF, 3, 3, 3}, // pitch bend
    {0xF0, 0xF0, 0, 0, 1}, // system exclusive begins
    {0xF1, 0xF1, 2, 2, 1}, // time code quarter frame
    {0xF2, 0xF2, 3, 3, 1}, // song position
    {0xF3, 0xF3, 2, 2, 1}, // song select
    {0xF4, 0xF5, 1, 2, 1}, // undefined system common
    {0xF6, 0xF6, 1, 1, 1}, // tune request
    {0xF7, 0xF7, 0, 0, 1}, // system exclusive ends
    {0xF8, 0xFF, 1, 1, 1}, // real time
};

// The row of the first byte `status`.
[[nodiscard]] constexpr const ShortMessageLengths& ShortMessageRow(uint8_t status)
{
    for (const ShortMessageLengths& row : kShortMessageLengths)
    {
        if (status >= row.first && status <= row.last)
            return row;
    }
    return kShortMessageLengths[0]; // not reached: the rows cover every byte
}

// The standard length of a short message that begins with `status` (1 for a data byte, 0 for F0 and F7).
[[nodiscard]] constexpr size_t ShortMessageLength(uint8_t status)
{
    return ShortMessageRow(status).standard;
}
} // namespace Platform
