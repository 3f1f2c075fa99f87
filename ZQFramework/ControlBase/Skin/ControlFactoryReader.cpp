// The skin and string-table reader of LControlFactory: the element and character-data handlers.

#include "ZQFramework/ControlBase/Control/DockedPart.h"
#include "ZQFramework/ControlBase/Skin/ControlFactory.h"
#include "ZQFramework/ControlBase/Skin/LayoutDescriptor.h"
#include "ZQFramework/ControlBase/Skin/LookDescriptor.h"
#include "ZQFramework/ControlBase/Skin/SkinDescriptor.h"
#include "ZQFramework/ControlBase/Skin/SkinValueSyntax.h"
#include "ZQFramework/ControlBase/Skin/VisualPartDescriptor.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/Utilities/Storage/File.h"
#include "ZQFramework/Utilities/Storage/StringArray.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace ZQ
{
namespace
{
constexpr const char* kBadSubControl =
    "Runtime Error : Bad Subcontrol Element : ZQ::LControlFactory::XMLStartElement : "
    "ControlBase\\ControlFactory : Line 1089";
constexpr const char16_t* kRootClass = u"Application";
// The longest look list a document may ask for: what the "0x" form of NumLooks can write.
constexpr int32_t kMaxLooks = 0xFFFF;
// The deepest control tree a document may build: descriptor trees are released recursively, so a
// pathological nesting must not reach the stack's limit. Real skins nest a dozen levels.
constexpr int kMaxNesting = 1000;
constexpr const char* kNestedTooDeep = "Runtime Error : SubControl elements nested too deep : "
                                       "ZQ::LControlFactory::XMLStartElement";

int NestingOf(const LControlDescriptor* descriptor)
{
    int depth = 0;
    for (; descriptor != nullptr && depth <= kMaxNesting; descriptor = descriptor->mParent.Get())
        ++depth;
    return depth;
}

using AttributeMap = LControlFactory::AttributeMap;

// A name as a pattern of File::EnumerateFiles that matches only itself (apart from case).
WString LiteralPattern(const WString& name)
{
    WString pattern;
    for (int i = 0; i < name.GetLength(); ++i)
    {
        const char16_t c = name.GetAt(i);
        if (c == u'*' || c == u'?' || c == u'[' || c == u'\\')
            pattern += u'\\';
        pattern += c;
    }
    return pattern;
}

// Resources are found by a name rule of their own (upper case, '.' and ' ' as '_').
bool IsResourceName(const WString& path)
{
    return path.Left(2) == u"::";
}

// Where a picture or mask file that a skin names is found. Skins were written for a file system blind to
// case: the path as written when that file exists, else the file of the same folder whose name differs only
// in case (the first in name order), else the path as written, which then fails to load as any missing
// file does.
WString SkinFilePath(const WString& baseFolder, const WString& file)
{
    const WString path = baseFolder + file;
    if (IsResourceName(path) || File::Exists(path))
        return path;
    WStringArray matches;
    if (File::EnumerateFiles(File::GetFolderFromPath(path), LiteralPattern(File::GetFileNameFromPath(path)),
                             matches) > 0)
        return matches.GetAt(0);
    return path;
}

const WString* FindAttribute(const AttributeMap& attributes, const WString& name)
{
    const auto found = attributes.find(name);
    return found == attributes.end() ? nullptr : &found->second;
}

// Each reader stores the attribute's value in target and returns true; a missing attribute leaves target
// and returns false.
bool ReadText(const AttributeMap& attributes, const WString& name, WString& target)
{
    const WString* value = FindAttribute(attributes, name);
    if (value != nullptr)
        target = *value;
    return value != nullptr;
}

template <class T, class Parse>
bool ReadValue(const AttributeMap& attributes, const WString& name, T& target, Parse parse)
{
    const WString* value = FindAttribute(attributes, name);
    if (value != nullptr)
        target = static_cast<T>(parse(*value));
    return value != nullptr;
}

bool ReadInteger(const AttributeMap& attributes, const WString& name, int32_t& target)
{
    return ReadValue(attributes, name, target, SkinValue::ParseInteger);
}

template <class T>
bool ReadDecimal(const AttributeMap& attributes, const WString& name, T& target)
{
    return ReadValue(attributes, name, target, SkinValue::ParseDecimal);
}

bool ReadReal(const AttributeMap& attributes, const WString& name, float& target)
{
    return ReadValue(attributes, name, target, SkinValue::ParseReal);
}

bool ReadFlag(const AttributeMap& attributes, const WString& name, bool& target)
{
    return ReadValue(attributes, name, target, SkinValue::ParseFlag);
}

int32_t PositionTarget(const WString& text, WString& referenceName)
{
    if (text == u"Parent" || text == u"Screen")
        return LLayoutDescriptor::kPositionParent;
    if (text == u"Client" || text == u"Active Window")
        return LLayoutDescriptor::kPositionClient;
    referenceName = text;
    return LLayoutDescriptor::kPositionSibling;
}

int32_t SizeTarget(const WString& text, WString& referenceName)
{
    if (text == u"Parent" || text == u"Screen")
        return LLayoutDescriptor::kSizeParent;
    if (text == u"Client" || text == u"Active Window")
        return LLayoutDescriptor::kSizeClient;
    if (text == u"Self")
        return LLayoutDescriptor::kSizeSelf;
    referenceName = text;
    return LLayoutDescriptor::kSizeSibling;
}

void ReadLimit(const AttributeMap& attributes, const WString& prefix, LLayoutDescriptor::AxisLimit& limit)
{
    WString target;
    if (ReadText(attributes, prefix + u"ToControl", target))
    {
        limit.ToOther = target != u"Self";
        if (limit.ToOther)
            limit.ReferenceName = target;
    }
    ReadReal(attributes, prefix + u"Rel", limit.Rel);
    ReadDecimal(attributes, prefix + u"Abs", limit.Abs);
}

void ReadAxis(const AttributeMap& attributes, const WString& axis, LLayoutDescriptor::AxisPosition& position,
              LLayoutDescriptor::AxisSize& size, bool& docked)
{
    ReadReal(attributes, axis + u"PlacementAnchor", position.Anchor);
    ReadFlag(attributes, axis + u"IsDocked", docked);
    WString target;
    if (ReadText(attributes, axis + u"PositionToControl", target))
        position.ToControl = PositionTarget(target, position.ReferenceName);
    ReadReal(attributes, axis + u"PositionRel", position.Rel);
    ReadDecimal(attributes, axis + u"PositionAbs", position.Abs);
    if (ReadText(attributes, axis + u"SizeToControl", target))
        size.ToControl = SizeTarget(target, size.ReferenceName);
    ReadReal(attributes, axis + u"SizeRel", size.Rel);
    ReadDecimal(attributes, axis + u"SizeAbs", size.Abs);
}

int32_t ResizeTypeOf(const WString& text)
{
    if (text == u"Tile")
        return LVisualPartDescriptor::kTile;
    if (text == u"Center")
        return LVisualPartDescriptor::kCenter;
    return LVisualPartDescriptor::kStretch;
}

template <class Map>
auto FindDefinition(const Map& map, const WString& name) -> typename Map::mapped_type
{
    const auto found = map.find(name);
    return found == map.end() ? nullptr : found->second;
}
} // namespace

// ---- start of an element ----

void LControlFactory::XMLStartElement(const WString& name, const AttributeMap& attributes)
{
    if (mSkipRoot)
    {
        mSkipRoot = false;
        return;
    }
    if (name == u"Application")
    {
        mApplicationName = EmptyString;
        ReadText(attributes, u"Name", mApplicationName);
        return;
    }
    if (mStringTableMode)
        StartStringTableElement(name, attributes);
    else
        StartSkinElement(name, attributes);
}

void LControlFactory::StartStringTableElement(const WString& name, const AttributeMap& attributes)
{
    if (name == u"StringTable")
    {
        WString id;
        ReadText(attributes, u"ID", id);
        mCurrentTable = &mStringTables[id];
    }
    else if (name == u"String")
    {
        ReadText(attributes, u"ID", mCurrentID);
    }
    else if (name == u"Locale")
    {
        int32_t lcid = 0;
        if (!ReadInteger(attributes, u"LCID", lcid) || lcid != mCurrentLCID || mCurrentTable == nullptr)
            return;
        ++mMatchedLocales;
        mCurrentValue = &mCurrentTable->try_emplace(mCurrentID).first->second;
        mCollectingLocale = true;
    }
}

void LControlFactory::StartSkinElement(const WString& name, const AttributeMap& attributes)
{
    using Handler = void (LControlFactory::*)(const AttributeMap&);
    static const std::pair<const char16_t*, Handler> kHandlers[] = {
        {u"Skin", &LControlFactory::StartSkin},
        {u"FontXLat", &LControlFactory::StartFontXLat},
        {u"SubControl", &LControlFactory::StartSubControl},
        {u"LookList", &LControlFactory::StartLookList},
        {u"Look", &LControlFactory::StartLook},
        {u"ClientPart", &LControlFactory::StartClientPart},
        {u"NonClientPart", &LControlFactory::StartNonClientPart},
        {u"TextProperties", &LControlFactory::StartTextProperties},
        {u"Part", &LControlFactory::StartPart},
        {u"Colorizer", &LControlFactory::StartColorizer},
    };
    for (const auto& [element, handler] : kHandlers)
    {
        if (name == element)
            return (this->*handler)(attributes);
    }
    if (name == u"FontLocale")
    {
        ReadInteger(attributes, u"LCID", mFontLocale);
    }
    else if (name == u"CreateParamList")
    {
        mCurrentParams = LStringTable::Create();
    }
    else if (name == u"CreateParam")
    {
        if (ReadText(attributes, u"ID", mCurrentID))
        {
            mCollectingParam = true;
            mParamHasText = false;
        }
    }
    else if (name == u"LookLists")
    {
        mCurrentDescriptor = nullptr;
    }
    else if (name == u"Looks")
    {
        mInLooks = true;
    }
}

void LControlFactory::StartSkin(const AttributeMap& attributes)
{
    WString skinName;
    if (!ReadText(attributes, u"Name", skinName))
        return;
    if (!mCurrentDescriptor)
        return StartTopLevelSkin(skinName, attributes);

    RCPtr<LSkinDescriptor> skin = LSkinDescriptor::Create(skinName);
    const auto substitute = mFontSubstitutions.find(mPendingFont.Name);
    skin->mFontName = substitute != mFontSubstitutions.end() ? substitute->second : mPendingFont.Name;
    skin->mFontSize = mPendingFont.Size;
    skin->mFontStyle = mPendingFont.Style;
    skin->mFontInheritsFromParent = mPendingFont.InheritsFromParent;
    skin->mFontSizeIsRelative = mPendingFont.SizeIsRelative;
    WString listName;
    if (ReadText(attributes, u"LookList", listName))
        skin->mLookList = FindDefinition(mLookLists, listName);
    mCurrentDescriptor->mSkin = skin;
}

void LControlFactory::StartTopLevelSkin(const WString& skinName, const AttributeMap& attributes)
{
    RCPtr<LSkinDescriptor> skin = LSkinDescriptor::Create(skinName);
    ReadText(attributes, u"FontName", skin->mFontName);
    ReadReal(attributes, u"FontSize", skin->mFontSize);
    ReadInteger(attributes, u"FontStyle", skin->mFontStyle);
    mFontSubstitutions.clear();

    RCPtr<LControlDescriptor> root = LControlDescriptor::Create(kRootClass, mApplicationName, nullptr);
    root->mSkin = skin;
    mSkins.Add(root);
    mLatestRootIndex = static_cast<int32_t>(mSkins.GetCount()) - 1;
    mCurrentDescriptor = root;
}

void LControlFactory::StartFontXLat(const AttributeMap& attributes)
{
    if (mFontLocale != mCurrentLCID || !mCurrentDescriptor || !mCurrentDescriptor->mSkin)
        return;
    WString from;
    WString to;
    if (!ReadText(attributes, u"Name", from) || !ReadText(attributes, u"XLat", to))
        return;
    mFontSubstitutions.try_emplace(from, to);
    LSkinDescriptor& skin = *mCurrentDescriptor->mSkin;
    if (skin.mFontName == from)
        skin.mFontName = to;
}

void LControlFactory::StartSubControl(const AttributeMap& attributes)
{
    WString className;
    WString name;
    if (!ReadText(attributes, u"Class", className) || !ReadText(attributes, u"Name", name))
        throw Exception<std::runtime_error>(kBadSubControl);
    if (!mCurrentDescriptor)
        return;
    if (NestingOf(mCurrentDescriptor.Get()) > kMaxNesting)
        throw Exception<std::runtime_error>(kNestedTooDeep);
    RCPtr<LControlDescriptor> descriptor = LControlDescriptor::Create(className, name, mCurrentDescriptor);
    descriptor->mLayout = LLayoutDescriptor::Create();
    ReadLayout(*descriptor->mLayout, mCurrentDescriptor->mClass == kRootClass, attributes);
    mCurrentDescriptor->AddChild(descriptor);
    mCurrentDescriptor = descriptor;
    ReadPendingFont(attributes);
}

void LControlFactory::ReadLayout(LLayoutDescriptor& layout, bool topLevel,
                                 const AttributeMap& attributes) const
{
    ReadFlag(attributes, u"ClipToParent", layout.mClipToParent);
    ReadDecimal(attributes, u"Z_Order", layout.mZOrder);
    ReadInteger(attributes, u"LayoutOrder", layout.mLayoutOrder);
    if (!topLevel)
    {
        ReadDecimal(attributes, u"TabStop", layout.mTabStop);
        ReadFlag(attributes, u"IsVisible", layout.mVisible);
    }
    ReadAxis(attributes, u"X", layout.mXPosition, layout.mXSize, layout.mXDocked);
    ReadAxis(attributes, u"Y", layout.mYPosition, layout.mYSize, layout.mYDocked);
    ReadLimit(attributes, u"XMinSize", layout.mXMinimum);
    ReadLimit(attributes, u"YMinSize", layout.mYMinimum);
    ReadLimit(attributes, u"XMaxSize", layout.mXMaximum);
    ReadLimit(attributes, u"YMaxSize", layout.mYMaximum);
    ReadText(attributes, u"TextDecoration", layout.mTextDecoration);
    WString overflow;
    if (ReadText(attributes, u"TextOverflowXType", overflow))
    {
        if (overflow == u"Clip")
            layout.mTextOverflowX = LLayoutDescriptor::kOverflowClip;
        else if (overflow == u"Expand")
            layout.mTextOverflowX = LLayoutDescriptor::kOverflowExpand;
        else if (overflow == u"Wrap")
            layout.mTextOverflowX = LLayoutDescriptor::kOverflowWrap;
    }
    if (ReadText(attributes, u"TextOverflowYType", overflow))
    {
        if (overflow == u"Clip")
            layout.mTextOverflowY = LLayoutDescriptor::kOverflowClip;
        else if (overflow == u"Expand")
            layout.mTextOverflowY = LLayoutDescriptor::kOverflowExpand;
    }
}

void LControlFactory::ReadPendingFont(const AttributeMap& attributes)
{
    mPendingFont = PendingFont{};
    ReadFlag(attributes, u"FontInheritsFromParent", mPendingFont.InheritsFromParent);
    ReadFlag(attributes, u"FontSizeIsRelative", mPendingFont.SizeIsRelative);
    ReadText(attributes, u"FontName", mPendingFont.Name);
    if (!ReadReal(attributes, u"FontSize", mPendingFont.Size))
        mPendingFont.SizeIsRelative = false;
    ReadInteger(attributes, u"FontStyle", mPendingFont.Style);
}

void LControlFactory::StartLookList(const AttributeMap& attributes)
{
    WString listName;
    int32_t count = 0;
    if (!ReadText(attributes, u"Name", listName) || !ReadInteger(attributes, u"NumLooks", count))
        return;
    if (count < 0 || count > kMaxLooks || (mCurrentDescriptor && !mCurrentDescriptor->mSkin))
        return;
    RCPtr<LLookList> list = FindDefinition(mLookLists, listName);
    if (list)
    {
        mCurrentLookList = nullptr; // its own "Look" children are not read again
    }
    else
    {
        list = LSkinDescriptor::CreateLookList(static_cast<uint32_t>(count));
        mLookLists.emplace(listName, list);
        mCurrentLookList = list;
    }
    if (mCurrentDescriptor)
        mCurrentDescriptor->mSkin->mLookList = list;
}

void LControlFactory::StartLook(const AttributeMap& attributes)
{
    WString lookName;
    if (!ReadText(attributes, u"Name", lookName))
        return;
    if (mInLooks)
    {
        // A second definition of a name becomes current but stays unnamed: the first one is kept.
        mCurrentLook = LLookDescriptor::Create(lookName);
        mLooks.try_emplace(lookName, mCurrentLook);
        return;
    }
    int32_t index = 0;
    if (!ReadDecimal(attributes, u"Index", index) || !mCurrentLookList)
        return;
    if (index < 0 || static_cast<uint32_t>(index) >= mCurrentLookList->GetCount())
        return;
    if (RCPtr<LLookDescriptor> look = FindDefinition(mLooks, lookName))
        mCurrentLookList->GetAt(static_cast<uint32_t>(index)) = look;
}

void LControlFactory::StartClientPart(const AttributeMap& attributes)
{
    WString partName;
    LDockedPart::Placement placement;
    if (!mCurrentLook || !ReadText(attributes, u"Name", partName) ||
        !ReadInteger(attributes, u"OffsetLeft", placement.OffsetLeft) ||
        !ReadInteger(attributes, u"OffsetTop", placement.OffsetTop) ||
        !ReadInteger(attributes, u"OffsetRight", placement.OffsetRight) ||
        !ReadInteger(attributes, u"OffsetBottom", placement.OffsetBottom))
        return;
    const RCPtr<LVisualPartDescriptor> part = FindDefinition(mParts, partName);
    if (!part)
        return;
    placement.Anchors = LDockedPart::kOffsetLeft | LDockedPart::kOffsetTop | LDockedPart::kOffsetRight |
                        LDockedPart::kOffsetBottom;
    mCurrentLook->SetClientPart(LDockedPart::Create(part, placement));
}

void LControlFactory::StartNonClientPart(const AttributeMap& attributes)
{
    WString partName;
    if (!mCurrentLook || !ReadText(attributes, u"Name", partName))
        return;
    const RCPtr<LVisualPartDescriptor> part = FindDefinition(mParts, partName);
    if (!part)
        return;
    LDockedPart::Placement placement;
    if (ReadInteger(attributes, u"OffsetLeft", placement.OffsetLeft))
        placement.Anchors |= LDockedPart::kOffsetLeft;
    if (ReadInteger(attributes, u"OffsetTop", placement.OffsetTop))
        placement.Anchors |= LDockedPart::kOffsetTop;
    if (ReadInteger(attributes, u"OffsetRight", placement.OffsetRight))
        placement.Anchors |= LDockedPart::kOffsetRight;
    if (ReadInteger(attributes, u"OffsetBottom", placement.OffsetBottom))
        placement.Anchors |= LDockedPart::kOffsetBottom;
    ReadInteger(attributes, u"Width", placement.Width);
    ReadInteger(attributes, u"Height", placement.Height);
    placement.HasWidth = placement.Width > 0;
    placement.HasHeight = placement.Height > 0;
    mCurrentLook->AddNonClientPart(LDockedPart::Create(part, placement));
}

void LControlFactory::StartTextProperties(const AttributeMap& attributes)
{
    LLookDescriptor::TextProperties text;
    WString partName;
    if (!mCurrentLook || !ReadReal(attributes, u"TextLeftRel", text.LeftRel) ||
        !ReadInteger(attributes, u"TextLeftAbs", text.LeftAbs) ||
        !ReadReal(attributes, u"TextRightRel", text.RightRel) ||
        !ReadInteger(attributes, u"TextRightAbs", text.RightAbs) ||
        !ReadReal(attributes, u"TextHAlign", text.HAlign) ||
        !ReadReal(attributes, u"TextTopRel", text.TopRel) ||
        !ReadInteger(attributes, u"TextTopAbs", text.TopAbs) ||
        !ReadReal(attributes, u"TextBottomRel", text.BottomRel) ||
        !ReadInteger(attributes, u"TextBottomAbs", text.BottomAbs) ||
        !ReadReal(attributes, u"TextVAlign", text.VAlign) ||
        !ReadText(attributes, u"TextForegroundPart", partName))
        return;
    if (const RCPtr<LVisualPartDescriptor> part = FindDefinition(mParts, partName))
        mCurrentLook->SetTextProperties(text, part);
}

void LControlFactory::StartPart(const AttributeMap& attributes)
{
    WString partName;
    WString resizeType;
    LVisualPartDescriptor::Shape shape;
    if (!ReadText(attributes, u"Name", partName) || !ReadInteger(attributes, u"Width", shape.Width) ||
        !ReadInteger(attributes, u"Height", shape.Height) || !ReadText(attributes, u"ResizeType", resizeType))
        return;
    shape.ResizeType = ResizeTypeOf(resizeType);

    LVisualPartDescriptor::ImageReference image;
    WString file;
    const bool hasPicture = ReadText(attributes, u"ImageFile", file) && !file.IsEmpty() &&
                            ReadInteger(attributes, u"ImageLocX", image.X) &&
                            ReadInteger(attributes, u"ImageLocY", image.Y);
    WString colorizerName;
    RCPtr<LColorizer> colorizer;
    if (ReadText(attributes, u"ColorizerName", colorizerName))
        colorizer = FindDefinition(mColorizers, colorizerName);
    if (!hasPicture && !colorizer)
        return;

    ReadReal(attributes, u"ColorizerAlphaMod", shape.ColorizerAlphaMod);
    WString maskFile;
    LVisualPartDescriptor::ImageReference& mask = shape.Mask;
    if (ReadText(attributes, u"ColorizerMaskFile", maskFile) &&
        ReadInteger(attributes, u"MaskLocX", mask.X) && ReadInteger(attributes, u"MaskLocY", mask.Y))
    {
        mask.Path = SkinFilePath(mBaseFolder, maskFile);
        mask.Width = shape.Width;
        mask.Height = shape.Height;
    }
    else
    {
        mask = {};
    }

    RCPtr<LVisualPartDescriptor> part;
    if (hasPicture)
    {
        // Resources keep their lower-cased names; files are looked up as the skin writes them.
        image.Path =
            IsResourceName(mBaseFolder) ? mBaseFolder + file.ToLower() : SkinFilePath(mBaseFolder, file);
        image.Width = shape.Width;
        image.Height = shape.Height;
        part = LVisualPartDescriptor::CreateImagePart(partName, image, colorizer, shape);
    }
    else
    {
        part = LVisualPartDescriptor::CreateColorPart(partName, colorizer, shape);
    }
    if (part)
        mParts.try_emplace(partName, part);
}

void LControlFactory::StartColorizer(const AttributeMap& attributes)
{
    WString colorizerName;
    WString colorType;
    WString colorText;
    if (!ReadText(attributes, u"Name", colorizerName) || !ReadText(attributes, u"ColorType", colorType) ||
        !ReadText(attributes, u"Color", colorText))
        return;
    int32_t type = LColorizer::kSolid;
    if (colorType == u"LinearGradient")
        type = LColorizer::kLinearGradient;
    else if (colorType == u"RadialGradient")
        type = LColorizer::kRadialGradient;

    LColorizer::Gradient gradient;
    if (type != LColorizer::kSolid)
    {
        // Values are read in this order up to the first one missing; those read before it stay.
        WString endColor;
        if (ReadText(attributes, u"GradientEndColor", endColor) &&
            ReadReal(attributes, u"GradientStartX", gradient.StartX) &&
            ReadReal(attributes, u"GradientStartY", gradient.StartY) &&
            ReadReal(attributes, u"GradientEndX", gradient.EndX) &&
            ReadReal(attributes, u"GradientEndY", gradient.EndY))
            gradient.EndColor = SkinValue::ParseColor(endColor);
        else
            type = LColorizer::kSolid;
    }
    mColorizers.try_emplace(
        colorizerName, LColorizer::Create(colorizerName, type, SkinValue::ParseColor(colorText), gradient));
}

// ---- end of an element ----

void LControlFactory::XMLEndElement(const WString& name)
{
    if (mStringTableMode)
    {
        mCollectingLocale = false;
        return;
    }
    if (name == u"SubControl")
    {
        EndSubControl();
    }
    else if (name == u"Skin")
    {
        if (mCurrentDescriptor && mLatestRootIndex >= 0 &&
            mCurrentDescriptor == mSkins.GetAt(static_cast<uint32_t>(mLatestRootIndex)))
            mCurrentDescriptor = nullptr;
    }
    else if (name == u"CreateParamList")
    {
        if (mCurrentDescriptor)
            mCurrentDescriptor->mCreateParams = mCurrentParams;
    }
    else if (name == u"CreateParam")
    {
        mCollectingParam = false;
    }
    else if (name == u"Looks")
    {
        mInLooks = false;
    }
}

void LControlFactory::EndSubControl()
{
    if (!mCurrentDescriptor)
        return;
    // Siblings are created and stored in LayoutOrder; equal orders keep document order.
    RCPtrArray<LControlDescriptor, 1, 0>& children = mCurrentDescriptor->mChildren;
    std::vector<RCPtr<LControlDescriptor>> sorted;
    sorted.reserve(children.GetCount());
    for (uint32_t i = 0; i < children.GetCount(); ++i)
        sorted.push_back(children.GetAt(i));
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b)
                     {
                         const int32_t orderA = a && a->mLayout ? a->mLayout->mLayoutOrder : 0;
                         const int32_t orderB = b && b->mLayout ? b->mLayout->mLayoutOrder : 0;
                         return orderA < orderB;
                     });
    for (uint32_t i = 0; i < children.GetCount(); ++i)
        children.GetAt(i) = sorted[i];
    mCurrentDescriptor = RCPtr<LControlDescriptor>(mCurrentDescriptor->mParent);
}

// ---- character data ----

void LControlFactory::XMLCharacterData(const WString& text)
{
    if (mCollectingLocale)
    {
        if (mCurrentValue != nullptr)
            mCurrentValue->Append(text);
        return;
    }
    if (!mCollectingParam || !mCurrentParams || mCurrentID.IsEmpty())
        return;
    // Expat may report one text in several pieces (around entities, at line breaks, at buffer edges):
    // the first piece of the element sets the value, later ones append.
    WString value;
    if (mParamHasText)
        mCurrentParams->GetString(mCurrentID, value);
    mCurrentParams->SetString(mCurrentID, value + text);
    mParamHasText = true;
}
} // namespace ZQ
