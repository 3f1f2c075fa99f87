#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Skin/SkinDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace
{
// A string-table document that matches nothing: loading it leaves a factory in string-table mode. Written
// once, removed at exit.
char gModeDocument[64];

const char* StringTableModeDocument()
{
    if (gModeDocument[0] == 0)
    {
        std::snprintf(gModeDocument, sizeof gModeDocument, "/tmp/zq-skin-fuzzer-%d.xml",
                      static_cast<int>(getpid()));
        if (FILE* file = std::fopen(gModeDocument, "wb"))
        {
            std::fputs("<r><StringTable ID=\"x\"/></r>", file);
            std::fclose(file);
        }
        std::atexit([] { std::remove(gModeDocument); });
    }
    return gModeDocument;
}

// Walks a descriptor tree the way controls read it.
void Visit(const ZQ::LControlDescriptor& descriptor, int depth)
{
    if (depth > 64)
        return;
    if (descriptor.mLayout)
    {
        ZQ::LLayoutDescriptor::AxisPosition position;
        ZQ::LLayoutDescriptor::AxisSize size;
        (void)descriptor.mLayout->GetAxis(0, position, size);
    }
    for (uint32_t i = 0; i < descriptor.mChildren.GetCount(); ++i)
        Visit(*descriptor.mChildren.GetAt(i), depth + 1);
}
} // namespace

// Feeds arbitrary bytes to the skin and string-table reader: the first byte chooses the mode (even: skin,
// odd: string tables), the rest is the document. Whatever is read must be walkable and released without
// fault or leak.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const bool stringTables = (data[0] & 1) != 0;
    const std::string document(reinterpret_cast<const char*>(data) + 1, size - 1);

    const ZQ::RCPtr<ZQ::LControlFactory> factory = ZQ::LControlFactory::Create(u"Brandole");
    if (stringTables)
    {
        const ZQ::WString path(StringTableModeDocument());
        factory->LoadStringTables(path, path, 0x0409);
    }
    (void)factory->Parse(document.c_str(), static_cast<uint32_t>(document.size()));

    for (uint32_t i = 0; i < factory->GetSkins().GetCount(); ++i)
        Visit(*factory->GetSkins().GetAt(i), 0);
    ZQ::WString name;
    float fontSize = 0;
    int32_t style = 0;
    (void)factory->GetSkinFont(name, fontSize, style);
    (void)factory->FindSkinDescriptor(u"mainControl");
    (void)factory->GetApplicationStringTable();
    (void)factory->GetFrameworkStringTable();
    return 0;
}
