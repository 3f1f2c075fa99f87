#include "ZQFramework/ControlBase/Skin/ControlFactory.h"

#include "Platform/Resources/Resources.h"
#include "ZQFramework/ControlBase/Control/Control.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Skin/LookDescriptor.h"
#include "ZQFramework/ControlBase/Skin/SkinDescriptor.h"
#include "ZQFramework/ControlBase/Skin/VisualPartDescriptor.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/Utilities/Storage/File.h"

#include <climits>
#include <cstring>
#include <expat.h>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace ZQ
{
namespace
{
constexpr int32_t kEnglish = 0x0009;
constexpr int32_t kChineseTraditional = 0x7C04;

// The language a full locale falls back to: Chinese of Taiwan, Hong Kong and Macao to Traditional
// Chinese, every other locale to its language without country.
int32_t LanguageOf(int32_t lcid)
{
    if (lcid == 0x0404 || lcid == 0x0C04 || lcid == 0x1404)
        return kChineseTraditional;
    return lcid & 0xFF;
}

struct ParserDeleter
{
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};

// A document's bytes, read whole from a file; nothing when the file cannot be opened or is empty.
// Throws std::bad_alloc when the buffer cannot be made, and the file's own exceptions.
std::optional<std::unique_ptr<char[]>> ReadWholeFile(const WString& path, uint32_t& length)
{
    File file;
    if (file.Open(path, EmptyString, File::kRead) != S_OK)
        return std::nullopt;
    const int32_t size = file.GetLength();
    if (size <= 0)
        return std::nullopt;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<size_t>(size)]);
    if (!buffer)
    {
        file.Close();
        throw std::bad_alloc();
    }
    uint32_t done = 0;
    while (done < static_cast<uint32_t>(size))
    {
        const int32_t read = file.Read(buffer.get() + done, static_cast<uint32_t>(size) - done);
        if (read <= 0)
            break;
        done += static_cast<uint32_t>(read);
    }
    file.Close();
    length = done;
    if (length == 0)
        return std::nullopt;
    return buffer;
}
} // namespace

RCPtr<LControlFactory> LControlFactory::Create(const WString& applicationName)
{
    return RCPtr<LControlFactory>(new LControlFactory(applicationName));
}

LControlFactory::LControlFactory(const WString& applicationName) : mApplicationName(applicationName)
{
}

LControlFactory::~LControlFactory()
{
    // Children hold their parents: cut those links so that the trees go with the skin list.
    for (uint32_t i = 0; i < mSkins.GetCount(); ++i)
    {
        if (LControlDescriptor* root = mSkins.GetAt(i).Get())
            root->DetachChildren();
    }
}

// ---- create functions ----

ZQRESULT LControlFactory::RegisterControlCreateFunction(const WString& className, CreateFunction function)
{
    mCreateFunctions.try_emplace(className, function);
    return S_OK;
}

ZQRESULT LControlFactory::GetControlCreateFunction(const WString& className, CreateFunction& function) const
{
    const auto found = mCreateFunctions.find(className);
    if (found == mCreateFunctions.end())
        throw Exception<std::runtime_error>("Runtime Error : ZQ::LControlFactory::GetControlCreateFunction : "
                                            "ControlBase\\ControlFactory : Line 51");
    function = found->second;
    return S_OK;
}

// ---- loading ----

// Runs use (text, length) over the bytes of a document, a "ZQXML" resource for "::NAME", else a file, and
// returns its result; E_NOTIMPL, without calling use, when the document is missing or empty.
template <class Use>
ZQRESULT LControlFactory::WithDocument(const WString& documentName, Use&& use)
{
    constexpr ZQRESULT kMissing = E_NOTIMPL;
    if (documentName.Left(2) == u"::")
    {
        const std::u16string_view name(documentName.GetBuffer() + 2, documentName.GetLength() - 2);
        const auto resource = Platform::FindResource(u"ZQXML", name);
        if (!resource || resource->empty())
            return kMissing;
        return use(reinterpret_cast<const char*>(resource->data()), static_cast<uint32_t>(resource->size()));
    }
    uint32_t length = 0;
    const auto buffer = ReadWholeFile(documentName, length);
    if (!buffer)
        return kMissing;
    return use(buffer->get(), length);
}

ZQRESULT LControlFactory::LoadSkins(const WString& documentName)
{
    try
    {
        const ZQRESULT result = WithDocument(documentName,
                                             [this](const char* text, uint32_t length)
                                             {
                                                 mStringTableMode = false;
                                                 mCollectingLocale = false;
                                                 mCollectingParam = false;
                                                 mInLooks = false;
                                                 mCurrentDescriptor = nullptr;
                                                 const ZQRESULT parsed = Parse(text, length);
                                                 mCurrentSkinIndex = 0;
                                                 return parsed;
                                             });
        return result == E_NOTIMPL ? E_FAIL : result;
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
    catch (...)
    {
        return E_FAIL;
    }
}

ZQRESULT LControlFactory::ParseStringTablePass(const char* text, uint32_t length, int32_t lcid)
{
    mCurrentLCID = lcid;
    mStringTableMode = true;
    mCollectingLocale = false;
    mMatchedLocales = 0;
    mCurrentTable = nullptr;
    mCurrentValue = nullptr;
    (void)Parse(text, length);
    return mMatchedLocales > 0 ? S_OK : S_FALSE;
}

ZQRESULT LControlFactory::LoadStringTables(const WString& applicationDocument,
                                           const WString& frameworkDocument, int32_t lcid)
{
    mCurrentLCID = lcid;
    const auto applicationPasses = [this, lcid](const char* text, uint32_t length)
    {
        if (ParseStringTablePass(text, length, lcid) != S_OK &&
            ParseStringTablePass(text, length, LanguageOf(lcid)) != S_OK)
            ParseStringTablePass(text, length, kEnglish);
        return S_OK;
    };
    const auto frameworkPasses = [this](const char* text, uint32_t length)
    {
        if (ParseStringTablePass(text, length, mCurrentLCID) != S_OK)
            ParseStringTablePass(text, length, kEnglish);
        return S_OK;
    };
    if (ReadStringTableDocument(applicationDocument, applicationPasses) == E_OUTOFMEMORY)
        return E_OUTOFMEMORY;
    return ReadStringTableDocument(frameworkDocument, frameworkPasses);
}

template <class Passes>
ZQRESULT LControlFactory::ReadStringTableDocument(const WString& documentName, Passes&& passes)
{
    try
    {
        WithDocument(documentName, passes);
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
    catch (...)
    {
        // A document that cannot be read is skipped like a missing one.
    }
    return S_OK;
}

// ---- parsing ----

ZQRESULT LControlFactory::Parse(const char* text, uint32_t length)
{
    if (text == nullptr)
        return E_FAIL;
    if (length == 0)
        length = static_cast<uint32_t>(std::strlen(text));
    if (length > static_cast<uint32_t>(INT_MAX))
        return E_FAIL;
    const std::unique_ptr<XML_ParserStruct, ParserDeleter> parser(XML_ParserCreate(nullptr));
    if (!parser)
        return E_FAIL;
    XML_SetUserData(parser.get(), this);
    XML_SetElementHandler(parser.get(), &OnStartElement, &OnEndElement);
    XML_SetCharacterDataHandler(parser.get(), &OnCharacterData);
    mParser = parser.get();
    mHandlerFailed = false;
    mSkipRoot = true;
    const XML_Status status = XML_Parse(parser.get(), text, static_cast<int>(length), XML_TRUE);
    mParser = nullptr;
    if (mHandlerFailed)
        return E_FAIL;
    if (status != XML_STATUS_OK)
    {
        mLastParseErrorText = WString(XML_ErrorString(XML_GetErrorCode(parser.get())));
        mLastParseErrorLine = static_cast<int32_t>(XML_GetCurrentLineNumber(parser.get()));
        return E_FAIL;
    }
    return S_OK;
}

template <class Handler>
void LControlFactory::RunHandler(Handler&& handler) noexcept
{
    if (mHandlerFailed)
        return;
    try
    {
        handler();
    }
    catch (...)
    {
        mHandlerFailed = true;
        XML_StopParser(mParser, XML_FALSE);
    }
}

void LControlFactory::OnStartElement(void* data, const char* name, const char** attributes)
{
    auto* factory = static_cast<LControlFactory*>(data);
    factory->RunHandler(
        [factory, name, attributes]
        {
            AttributeMap map;
            for (size_t i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2)
                map.insert_or_assign(WString(attributes[i]), WString(attributes[i + 1]));
            factory->XMLStartElement(WString(name), map);
        });
}

void LControlFactory::OnEndElement(void* data, const char* name)
{
    auto* factory = static_cast<LControlFactory*>(data);
    factory->RunHandler([factory, name] { factory->XMLEndElement(WString(name)); });
}

void LControlFactory::OnCharacterData(void* data, const char* text, int length)
{
    auto* factory = static_cast<LControlFactory*>(data);
    factory->RunHandler(
        [factory, text, length]
        {
            WString piece;
            piece.Assign(text, length);
            factory->XMLCharacterData(piece);
        });
}

// ---- lookups ----

RCPtr<LControlDescriptor> LControlFactory::FindSkinDescriptor(const WString& name) const
{
    if (mCurrentSkinIndex < 0 || static_cast<uint32_t>(mCurrentSkinIndex) >= mSkins.GetCount())
        return nullptr;
    const LControlDescriptor* root = mSkins.GetAt(static_cast<uint32_t>(mCurrentSkinIndex)).Get();
    if (root == nullptr)
        return nullptr;
    for (uint32_t i = root->mChildren.GetCount(); i-- > 0;)
    {
        const RCPtr<LControlDescriptor>& child = root->mChildren.GetAt(i);
        if (child && child->mName == name)
            return child;
    }
    return nullptr;
}

RCPtr<LControlDescriptor> LControlFactory::CopyDescriptor(const ConstRCPtr<LControlDescriptor>& descriptor,
                                                          const RCPtr<LLayoutDescriptor>& layout,
                                                          const WString& name) const
{
    if (!descriptor)
        return nullptr;
    RCPtr<LControlDescriptor> copy = descriptor->Clone(EmptyString);
    copy->mName = name;
    copy->mLayout = layout;
    return copy;
}

ZQRESULT LControlFactory::GetSkinFont(WString& name, float& size, int32_t& style) const
{
    if (mCurrentSkinIndex < 0 || static_cast<uint32_t>(mCurrentSkinIndex) >= mSkins.GetCount())
        return S_FALSE;
    const LControlDescriptor* root = mSkins.GetAt(static_cast<uint32_t>(mCurrentSkinIndex)).Get();
    if (root == nullptr || !root->mSkin)
        return S_FALSE;
    const LSkinDescriptor& skin = *root->mSkin;
    ZQRESULT result = S_FALSE;
    if (!skin.mFontName.IsEmpty())
    {
        name = skin.mFontName;
        result = S_OK;
    }
    if (skin.mFontSize >= 1.0f)
    {
        size = skin.mFontSize;
        result = S_OK;
    }
    if (skin.mFontStyle != -1)
    {
        style = skin.mFontStyle;
        result = S_OK;
    }
    return result;
}

namespace
{
RCPtr<LStringTable> CopyOfTable(const std::map<WString, LStringTable::Map>& tables, const WString& id)
{
    const auto found = tables.find(id);
    return found == tables.end() ? nullptr : LStringTable::Create(found->second);
}

template <class Map>
auto FindByName(const Map& map, const WString& name) -> typename Map::mapped_type
{
    const auto found = map.find(name);
    return found == map.end() ? nullptr : found->second;
}
} // namespace

RCPtr<LStringTable> LControlFactory::GetFrameworkStringTable() const
{
    return CopyOfTable(mStringTables, u"Framework");
}

RCPtr<LStringTable> LControlFactory::GetApplicationStringTable() const
{
    return CopyOfTable(mStringTables, WString(u"|") + mApplicationName);
}

RCPtr<LStringTable> LControlFactory::GetControlStringTable(const LControlDescriptor* ownerDescriptor,
                                                           const WString& controlName) const
{
    const WString& owner = ownerDescriptor != nullptr ? ownerDescriptor->mClass : mApplicationName;
    return CopyOfTable(mStringTables, owner + u"|" + controlName);
}

RCPtr<LControl> LControlFactory::CreateControl(const RCPtr<LControlDescriptor>& descriptor,
                                               const RCPtr<LControl>& parent)
{
    if (descriptor == nullptr)
    {
        return nullptr;
    }
    if (descriptor->mCreateFunction == nullptr)
    {
        GetControlCreateFunction(descriptor->mClass, descriptor->mCreateFunction);
    }
    return descriptor->mCreateFunction(parent, descriptor);
}

RCPtr<LControl> LControlFactory::CreateTopControl(const WString& name)
{
    const RCPtr<LControlDescriptor> descriptor = FindSkinDescriptor(name);
    if (descriptor == nullptr)
    {
        return nullptr;
    }
    // A top-level control's own visibility attribute is never read: it is shown by its window.
    if (descriptor->mLayout != nullptr)
    {
        descriptor->mLayout->mVisible = true;
    }
    return CreateControl(descriptor, RCPtr<LControl>());
}

void LControlFactory::AttachTopControl(const RCPtr<LControl>& control,
                                       const RCPtr<LRefCountedObject>& rootWindow, const WString& title)
{
    control->AttachToRootWindowObject(rootWindow, title);
}

ZQRESULT LControlFactory::ApplySkinToControl(const RCPtr<LControl>& control)
{
    if (control == nullptr)
    {
        return E_FAIL;
    }
    const RCPtr<LControlDescriptor> descriptor = FindSkinDescriptor(control->GetName());
    return descriptor == nullptr ? E_FAIL : control->ApplyDescriptor(descriptor);
}

RCPtr<LStringTable> LControlFactory::GetControlStringTable(const RCPtr<LControl>& owner,
                                                           const WString& controlName) const
{
    if (owner == nullptr)
    {
        return GetControlStringTable(static_cast<const LControlDescriptor*>(nullptr), controlName);
    }
    const LControlDescriptor* descriptor = owner->GetDescriptor().Get();
    return descriptor != nullptr ? GetControlStringTable(descriptor, controlName) : RCPtr<LStringTable>();
}

ConstRCPtr<LColorizer> LControlFactory::FindColorizer(const WString& name) const
{
    return FindByName(mColorizers, name);
}

ConstRCPtr<LVisualPartDescriptor> LControlFactory::FindPart(const WString& name) const
{
    return FindByName(mParts, name);
}

ConstRCPtr<LLookDescriptor> LControlFactory::FindLook(const WString& name) const
{
    return FindByName(mLooks, name);
}

ConstRCPtr<LLookList> LControlFactory::FindLookList(const WString& name) const
{
    return FindByName(mLookLists, name);
}
} // namespace ZQ
