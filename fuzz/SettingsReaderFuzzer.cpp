#include "ZQFramework/System/XNode.h"

#include <cstddef>
#include <cstdint>

namespace
{
class NullOutput : public ZQ::XNode::Output
{
public:
    void Write(const char*, size_t) override {}
};
} // namespace

// Feeds arbitrary bytes to the settings reader; whatever it accepts must also write without fault.
// (The reader reports each rejected document on stderr; run with -close_fd_mask=2 to keep it quiet.)
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ZQ::XNode error;
    auto root = ZQ::XNode::ParseMemory(reinterpret_cast<const char*>(data), size, "fuzz", &error);
    if (root)
    {
        NullOutput output;
        root->Write(output,
                    ZQ::XNode::kWriteDocument | ZQ::XNode::kWriteAttributes | ZQ::XNode::kWriteVolatile);
        root->Lookup("a.b[1].c");
    }
    return 0;
}
