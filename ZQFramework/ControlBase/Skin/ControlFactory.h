#pragma once

#include "ZQFramework/ControlBase/Forward.h"
#include "ZQFramework/ControlBase/Skin/ControlDescriptor.h"
#include "ZQFramework/ControlBase/Skin/StringTable.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/Utilities/Graphics/Colorizer.h"
#include "ZQFramework/Utilities/Storage/RCPtrArray.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <cstdint>
#include <map>

struct XML_ParserStruct;

namespace ZQ
{
// The one object through which skins become controls. The application makes one at start-up, named with
// its product name, and keeps it for the whole run. It keeps the create functions by skin class name,
// loads skin and string-table documents ("::NAME" a "ZQXML" resource of the program, any other name a
// file) and parses them with Expat, keeping what the reader built: the skins (one root descriptor per
// top-level "Skin") with the current skin, the colorizers, parts, looks and look lists by name, and the
// string tables of one language. The maps only grow until the factory goes. UI thread only.
//
// The reader is a set of element handlers that keeps no document tree: what an element does depends on
// its name, its attributes and the reader state below. A handler that fails (a "SubControl" without Class
// or Name, an allocation failure) stops the parser and the parse fails; Expat never sees an exception.
class LControlFactory : public LRefCountedObject
{
public:
    using CreateFunction = LControlDescriptor::CreateFunction;
    using AttributeMap = std::map<WString, WString>;

    [[nodiscard]] static RCPtr<LControlFactory> Create(const WString& applicationName);

    explicit LControlFactory(const WString& applicationName);
    ~LControlFactory() override;

    // Adds the pair unless className is registered already (the first function stays). Returns 0.
    ZQRESULT RegisterControlCreateFunction(const WString& className, CreateFunction function);
    // 0 and the function; throws Exception<std::runtime_error> for an unregistered class.
    ZQRESULT GetControlCreateFunction(const WString& className, CreateFunction& function) const;

    // Loads a skin document: the parse result (0, E_FAIL), E_FAIL for a missing or empty document,
    // E_OUTOFMEMORY when its buffer cannot be made. Afterwards the current skin index is 0.
    [[nodiscard]] ZQRESULT LoadSkins(const WString& documentName);
    // Loads the application's and the framework's string tables in the language of lcid, falling back to
    // the language without country and then to English (see Algorithms below). A missing or empty
    // document is skipped; returns 0, or E_OUTOFMEMORY at once when a buffer cannot be made.
    ZQRESULT LoadStringTables(const WString& applicationDocument, const WString& frameworkDocument,
                              int32_t lcid);
    // Parses one document in memory in the current mode; length 0 means up to the first NUL byte. 0, or
    // E_FAIL: an XML error (LastParseErrorText and LastParseErrorLine are Expat's) or a failing handler.
    // What was read before a failure stays.
    [[nodiscard]] ZQRESULT Parse(const char* text, uint32_t length);

    // The reader's handlers; Parse calls them with UTF-16 names and values.
    void XMLStartElement(const WString& name, const AttributeMap& attributes);
    void XMLEndElement(const WString& name);
    void XMLCharacterData(const WString& text);

    // The top-level control of the current skin with that name, searched from the last; null when none,
    // also when no skin is loaded.
    [[nodiscard]] RCPtr<LControlDescriptor> FindSkinDescriptor(const WString& name) const;
    // A clone of descriptor with Name name and Layout layout.
    [[nodiscard]] RCPtr<LControlDescriptor> CopyDescriptor(const ConstRCPtr<LControlDescriptor>& descriptor,
                                                           const RCPtr<LLayoutDescriptor>& layout,
                                                           const WString& name) const;
    // The skin-wide font of the current skin: writes the values the skin sets (a name, a size of 1 or
    // more, a style) and returns 0, or returns 1 with nothing written when it sets none or there is no
    // current skin.
    ZQRESULT GetSkinFont(WString& name, float& size, int32_t& style) const;

    // The control that the descriptor's create function builds under parent (null for a top control); the
    // function is looked up once and kept on the descriptor. Throws for an unregistered class; null for a
    // null descriptor.
    [[nodiscard]] RCPtr<LControl> CreateControl(const RCPtr<LControlDescriptor>& descriptor,
                                                const RCPtr<LControl>& parent);
    // The top control of the current skin's descriptor named name (made visible), handed to rootWindow;
    // null when the skin has no such descriptor. Throws for an unregistered class. W is the root window
    // class (it needs GetTitle()).
    template <class W = LRootWindow>
    [[nodiscard]] RCPtr<LControl> CreateControlByName(const WString& name, const RCPtr<W>& rootWindow)
    {
        RCPtr<LControl> control = CreateTopControl(name);
        if (control != nullptr)
        {
            AttachTopControl(control, RCPtr<LRefCountedObject>(rootWindow),
                             rootWindow != nullptr ? WString(rootWindow->GetTitle()) : WString());
        }
        return control;
    }
    // Applies the current skin's descriptor of the control's name; E_FAIL for a null control or an
    // unknown name, else the control's ApplyDescriptor answer.
    ZQRESULT ApplySkinToControl(const RCPtr<LControl>& control);

    // Copies of the string tables "Framework", "|" + application name, and owner class + "|" + control
    // name (the application name when there is no owner); null when the table does not exist.
    [[nodiscard]] RCPtr<LStringTable> GetFrameworkStringTable() const;
    [[nodiscard]] RCPtr<LStringTable> GetApplicationStringTable() const;
    [[nodiscard]] RCPtr<LStringTable> GetControlStringTable(const LControlDescriptor* ownerDescriptor,
                                                            const WString& controlName) const;
    // The same for a control under owner (null for a top control); null while owner has no descriptor.
    [[nodiscard]] RCPtr<LStringTable> GetControlStringTable(const RCPtr<LControl>& owner,
                                                            const WString& controlName) const;

    [[nodiscard]] const WString& GetApplicationName() const { return mApplicationName; }
    [[nodiscard]] int32_t GetCurrentLCID() const { return mCurrentLCID; }
    [[nodiscard]] const WString& GetBaseFolder() const { return mBaseFolder; }
    void SetBaseFolder(const WString& folder) { mBaseFolder = folder; }
    [[nodiscard]] const RCPtrArray<LControlDescriptor, 1, 0>& GetSkins() const { return mSkins; }
    [[nodiscard]] int32_t GetCurrentSkinIndex() const { return mCurrentSkinIndex; }
    void SetCurrentSkinIndex(int32_t index) { mCurrentSkinIndex = index; }
    [[nodiscard]] const WString& GetLastParseErrorText() const { return mLastParseErrorText; }
    [[nodiscard]] int32_t GetLastParseErrorLine() const { return mLastParseErrorLine; }

    // The definitions by name; null when none.
    [[nodiscard]] ConstRCPtr<LColorizer> FindColorizer(const WString& name) const;
    [[nodiscard]] ConstRCPtr<LVisualPartDescriptor> FindPart(const WString& name) const;
    [[nodiscard]] ConstRCPtr<LLookDescriptor> FindLook(const WString& name) const;
    [[nodiscard]] ConstRCPtr<LLookList> FindLookList(const WString& name) const;

private:
    using TableMap = std::map<WString, LStringTable::Map>;

    // The font a "SubControl" gives the "Skin" inside it.
    struct PendingFont
    {
        WString Name;
        float Size = 0;
        int32_t Style = -1;
        bool InheritsFromParent = false;
        bool SizeIsRelative = false;
    };

    // Loading.
    [[nodiscard]] RCPtr<LControl> CreateTopControl(const WString& name);
    static void AttachTopControl(const RCPtr<LControl>& control, const RCPtr<LRefCountedObject>& rootWindow,
                                 const WString& title);
    template <class Use>
    ZQRESULT WithDocument(const WString& documentName, Use&& use);
    template <class Passes>
    ZQRESULT ReadStringTableDocument(const WString& documentName, Passes&& passes);
    // S_OK when some "Locale" matched lcid, else S_FALSE.
    ZQRESULT ParseStringTablePass(const char* text, uint32_t length, int32_t lcid);

    // Expat's callbacks: they catch everything and stop the parser.
    static void OnStartElement(void* data, const char* name, const char** attributes);
    static void OnEndElement(void* data, const char* name);
    static void OnCharacterData(void* data, const char* text, int length);
    template <class Handler>
    void RunHandler(Handler&& handler) noexcept;

    // Start handlers by element.
    void StartStringTableElement(const WString& name, const AttributeMap& attributes);
    void StartSkinElement(const WString& name, const AttributeMap& attributes);
    void StartSkin(const AttributeMap& attributes);
    void StartTopLevelSkin(const WString& skinName, const AttributeMap& attributes);
    void StartFontXLat(const AttributeMap& attributes);
    void StartSubControl(const AttributeMap& attributes);
    void ReadLayout(LLayoutDescriptor& layout, bool topLevel, const AttributeMap& attributes) const;
    void ReadPendingFont(const AttributeMap& attributes);
    void StartLookList(const AttributeMap& attributes);
    void StartLook(const AttributeMap& attributes);
    void StartClientPart(const AttributeMap& attributes);
    void StartNonClientPart(const AttributeMap& attributes);
    void StartTextProperties(const AttributeMap& attributes);
    void StartPart(const AttributeMap& attributes);
    void StartColorizer(const AttributeMap& attributes);
    void EndSubControl();

    WString mApplicationName;
    int32_t mCurrentLCID = 0;
    WString mBaseFolder;
    RCPtrArray<LControlDescriptor, 1, 0> mSkins;
    int32_t mCurrentSkinIndex = 0;
    std::map<WString, CreateFunction> mCreateFunctions;
    TableMap mStringTables;

    // Reader state.
    XML_ParserStruct* mParser = nullptr; // while Parse runs
    bool mHandlerFailed = false;
    bool mSkipRoot = false;
    bool mStringTableMode = false;
    LStringTable::Map* mCurrentTable = nullptr; // an entry of mStringTables
    WString mCurrentID;
    WString* mCurrentValue = nullptr; // an entry of *mCurrentTable
    bool mCollectingLocale = false;
    int32_t mMatchedLocales = 0;
    RCPtr<LControlDescriptor> mCurrentDescriptor;
    RCPtr<LLookDescriptor> mCurrentLook;
    RCPtr<LLookList> mCurrentLookList;
    bool mInLooks = false;
    RCPtr<LStringTable> mCurrentParams;
    bool mCollectingParam = false;
    bool mParamHasText = false; // a piece of the current parameter's text was stored
    PendingFont mPendingFont;
    std::map<WString, WString> mFontSubstitutions;
    int32_t mFontLocale = -1;
    int32_t mLatestRootIndex = -1;
    std::map<WString, RCPtr<LColorizer>> mColorizers;
    std::map<WString, RCPtr<LVisualPartDescriptor>> mParts;
    std::map<WString, RCPtr<LLookDescriptor>> mLooks;
    std::map<WString, RCPtr<LLookList>> mLookLists;

    WString mLastParseErrorText;
    int32_t mLastParseErrorLine = 0;
};
} // namespace ZQ
