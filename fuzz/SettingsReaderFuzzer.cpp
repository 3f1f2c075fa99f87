#include "ZQFramework/System/XNode.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace
{
class StringOutput : public ZQ::XNode::Output
{
public:
    void Write(const char* bytes, size_t length) override { mText.append(bytes, length); }
    std::string mText;
};

std::string Written(const ZQ::XNode& node)
{
    StringOutput output;
    node.Write(output, ZQ::XNode::kWriteDocument);
    return output.mText;
}
} // namespace

// Feeds arbitrary bytes to the settings reader. Whatever it accepts must write without fault, and what it
// writes must read back into a tree that writes the very same bytes again.
// (The reader reports each rejected document on stderr; run with -close_fd_mask=2 to keep it quiet.)
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ZQ::XNode error;
    auto root = ZQ::XNode::ParseMemory(reinterpret_cast<const char*>(data), size, "fuzz", &error);
    if (!root)
        return 0;
    StringOutput all;
    root->Write(all, ZQ::XNode::kWriteDocument | ZQ::XNode::kWriteAttributes | ZQ::XNode::kWriteVolatile);
    root->Lookup("a.b[1].c");

    const std::string first = Written(*root);
    auto back = ZQ::XNode::ParseMemory(first.data(), first.size(), "fuzz", nullptr);
    if (!back || Written(*back) != first)
        __builtin_trap();
    return 0;
}
