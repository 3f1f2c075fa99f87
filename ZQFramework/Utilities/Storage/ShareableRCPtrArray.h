#pragma once

#include "ZQFramework/ObjectBase/TaggableObject.h"
#include "ZQFramework/Utilities/Storage/RCPtrArray.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>

namespace ZQ
{

// A writable pointer array that is itself a counted, taggable framework object, so that a whole list can
// be held and shared by smart pointers and dies with the last of them (the control factory keeps its look
// lists this way). Sharing never copies it: it has no CreateCopy of its own. Its contents are changed by
// one thread at a time.
template <class T, uint32_t G, uint32_t S>
class LRCPtrArray : public RCPtrArray<T, G, S>, public virtual LTaggableObject
{
public:
    // count null entries, with the storage rule of the pointer arrays; the text starts empty.
    LRCPtrArray(uint32_t count, uint32_t capacity) : RCPtrArray<T, G, S>(count, capacity) {}

    // The array's text: empty unless its owner sets one.
    [[nodiscard]] WString ToString() const override { return mText; }
    void SetText(const WString& text) { mText = text; }

private:
    // Destroyed first; then the elements are released from index 0 upward, then the tag.
    WString mText;
};

} // namespace ZQ
