#pragma once

#include "ZQFramework/ObjectBase/RCPtr.h"
#include "ZQFramework/ObjectBase/RefCountedObject.h"
#include "ZQFramework/ObjectBase/Result.h"
#include "ZQFramework/Renderer/Forward.h"
#include "ZQFramework/Utilities/Storage/String.h"

#include <array>
#include <cstdint>
#include <string>

namespace ZQ
{
// One family of the process-wide font catalogue: the font file of each of its four styles (regular,
// bold, italic, bold italic; empty when unknown) and the family's place in the catalogue. The catalogue
// is built from the TrueType files of the system's font folders by the FreeType font renderer and emptied
// when that renderer goes; it turns a font into a file id (family index x 4 + style), which FreeType uses
// as its face id, and a file id back into a path. UI thread only.
class LFontFileInfo : public virtual LRefCountedObject
{
public:
    // Answers "the application's default font": its family name, size and style; 0, or a failure when
    // the application has none. The application framework installs it at start-up.
    using DefaultFontProvider = ZQRESULT (*)(WString& name, float& size, int32_t& style);
    // Installs the provider (null removes it) and returns the one installed before.
    static DefaultFontProvider SetDefaultFontProvider(DefaultFontProvider provider);

    // Empties the catalogue and reads every font file of the system's font folders; a file that does not
    // open or is malformed is skipped. Returns 0.
    static ZQRESULT BuildCatalogue();
    // Forgets every family and every font's family.
    static void EmptyCatalogue();
    // The file id of the font: its family's, else the default font's family's, else the family fontconfig
    // substitutes for the default font's; the style's slot is filled from the family's other styles when
    // empty. Throws a runtime error when no family fits.
    [[nodiscard]] static int32_t GetFileID(const ConstRCPtr<LFont>& font);
    // The path of a file id; empty for a negative id or one beyond the catalogue.
    [[nodiscard]] static const WString& GetFilePath(int32_t id);
    // Appends a new family named so, indexed by the catalogue's count before it.
    static RCPtr<LFontFileInfo> AddFamily(const WString& familyName);

    [[nodiscard]] const WString& GetFamilyName() const { return mFamilyName; }
    [[nodiscard]] const WString& GetPath(int32_t style) const { return mPaths[style & 3]; }
    [[nodiscard]] int32_t GetIndex() const { return mIndex; }

private:
    LFontFileInfo(const WString& familyName, int32_t index);

    // Adds the family/subfamily pair of one font in a file to the catalogue.
    static void Catalogue(const WString& family, const WString& subfamily, const WString& path);
    static void ReadFontFile(const std::string& path);
    // Fills the style's slot from the first of the other styles that has a path.
    void FillStyle(int32_t style);

    WString mFamilyName;
    std::array<WString, 4> mPaths;
    int32_t mIndex;
};
} // namespace ZQ
