#include "Platform/Gdiplus/FontFace.h"

#include "Platform/Text/Utf.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include <map>
#include <mutex>
#include <utility>

namespace Platform::Gdiplus
{
namespace
{
// FreeType's library and the faces loaded so far. FreeType wants one lock around making and freeing faces
// of a library; cairo locks a face itself while it renders from it.
struct FontLibrary
{
    std::recursive_mutex lock;
    FT_Library library = nullptr;                                                     // guarded by lock
    std::map<std::pair<std::string, int32_t>, std::shared_ptr<const FontFace>> faces; // guarded by lock
};

// Never destroyed: cairo may hold faces in its own caches until the very end of the process.
FontLibrary& TheLibrary()
{
    static FontLibrary& library = *new FontLibrary;
    return library;
}

const cairo_user_data_key_t FaceKey{};

void DoneFace(void* face)
{
    const std::lock_guard guard(TheLibrary().lock);
    FT_Done_Face(static_cast<FT_Face>(face));
}

struct Match
{
    std::string file;
    int index = 0;
    std::u16string family;
    bool embolden = false;
    bool oblique = false;
};

bool MatchFont(const std::string& pattern, int32_t style, Match& match)
{
    FcPattern* request = FcPatternCreate();
    FcPatternAddString(request, FC_FAMILY, reinterpret_cast<const FcChar8*>(pattern.c_str()));
    FcPatternAddInteger(request, FC_WEIGHT, (style & FontStyleBold) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(request, FC_SLANT, (style & FontStyleItalic) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(request, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, request, FcMatchPattern);
    FcDefaultSubstitute(request);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(nullptr, request, &result);
    FcPatternDestroy(request);
    if (!found)
        return false;
    FcChar8* file = nullptr;
    FcChar8* family = nullptr;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
    FcBool embolden = FcFalse;
    const bool ok = FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch;
    if (ok)
    {
        match.file = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(found, FC_INDEX, 0, &match.index);
        if (FcPatternGetString(found, FC_FAMILY, 0, &family) == FcResultMatch)
            match.family = Utf8ToUtf16(reinterpret_cast<const char*>(family));
        FcPatternGetInteger(found, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(found, FC_SLANT, 0, &slant);
        FcPatternGetBool(found, FC_EMBOLDEN, 0, &embolden);
        match.embolden = (style & FontStyleBold) && (embolden || weight < FC_WEIGHT_DEMIBOLD);
        match.oblique = (style & FontStyleItalic) && slant == FC_SLANT_ROMAN;
    }
    FcPatternDestroy(found);
    return ok;
}

void ReadMetrics(FT_Face face, FontFace& target)
{
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    const bool hasOs2 = os2 && os2->version != 0xFFFF;
    FontMetrics& metrics = target.metrics;
    metrics.emHeight = face->units_per_EM;
    metrics.cellAscent = hasOs2 ? os2->usWinAscent : face->ascender;
    metrics.cellDescent = hasOs2 ? os2->usWinDescent : -face->descender;
    metrics.lineSpacing = hhea ? hhea->Ascender - hhea->Descender + hhea->Line_Gap : face->height;
    target.underlinePosition = face->underline_position;
    target.underlineThickness = face->underline_thickness;
    target.strikeoutPosition = hasOs2 ? os2->yStrikeoutPosition : metrics.emHeight / 4;
    target.strikeoutThickness = hasOs2 ? os2->yStrikeoutSize : face->underline_thickness;
}

std::shared_ptr<const FontFace> LoadFace(FT_Library library, const Match& match)
{
    FT_Face face = nullptr;
    if (FT_New_Face(library, match.file.c_str(), match.index, &face) != 0)
        return nullptr;
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0)
    {
        FT_Done_Face(face);
        return nullptr;
    }
    cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_ft_face(face, 0);
    if (cairo_font_face_set_user_data(cairoFace, &FaceKey, face, DoneFace) != CAIRO_STATUS_SUCCESS)
    {
        cairo_font_face_destroy(cairoFace);
        FT_Done_Face(face);
        return nullptr;
    }
    cairo_ft_font_face_set_synthesize(cairoFace, (match.embolden ? CAIRO_FT_SYNTHESIZE_BOLD : 0) |
                                                     (match.oblique ? CAIRO_FT_SYNTHESIZE_OBLIQUE : 0));
    auto loaded = std::make_shared<FontFace>();
    loaded->cairoFace = cairoFace;
    loaded->familyName = match.family;
    ReadMetrics(face, *loaded);
    return loaded;
}
} // namespace

// fontconfig 2.14 loses a few bytes while it parses its configuration files, and GTK, which the window
// layer starts once per process for its dialogs, keeps its caches (fontconfig's configuration, the session
// bus connection, GLib's type system) until the process ends. LeakSanitizer is told to let those libraries'
// own allocations be, in every program that looks up fonts or opens windows. This is the program's one
// list: the sanitizer runtime takes a single definition.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:libdbus-1.so\n"
           "leak:libgtk-3.so\n"
           "leak:libgdk-3.so\n"
           "leak:libgio-2.0.so\n"
           "leak:libgobject-2.0.so\n";
}

std::shared_ptr<const FontFace> FindFontFace(const std::string& pattern, int32_t style)
{
    const int32_t faceStyle = style & (FontStyleBold | FontStyleItalic);
    FontLibrary& fonts = TheLibrary();
    const std::lock_guard guard(fonts.lock);
    const auto key = std::make_pair(pattern, faceStyle);
    if (const auto known = fonts.faces.find(key); known != fonts.faces.end())
        return known->second;
    if (!fonts.library && FT_Init_FreeType(&fonts.library) != 0)
        return nullptr;
    Match match;
    if (!MatchFont(pattern, faceStyle, match))
        return nullptr;
    auto face = LoadFace(fonts.library, match);
    if (face)
        fonts.faces.emplace(key, face);
    return face;
}
} // namespace Platform::Gdiplus
