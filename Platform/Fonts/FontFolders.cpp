#include "Platform/Fonts/FontFolders.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fontconfig/fontconfig.h>
#include <memory>
#include <system_error>

namespace ZQ::Platform
{
namespace
{
namespace fs = std::filesystem;

std::vector<std::string> ConfiguredFolders()
{
    if (const char* folder = std::getenv("ZQ_FONTS_DIR"); folder != nullptr && *folder != 0)
        return {folder};
    std::vector<std::string> folders;
    FcConfig* config = FcInitLoadConfig();
    if (config == nullptr)
        return folders;
    if (FcStrList* dirs = FcConfigGetFontDirs(config); dirs != nullptr)
    {
        while (FcChar8* dir = FcStrListNext(dirs))
            folders.emplace_back(reinterpret_cast<const char*>(dir));
        FcStrListDone(dirs);
    }
    FcConfigDestroy(config);
    return folders;
}

bool HasExtension(const fs::path& path, const std::string& extension)
{
    std::string actual = path.extension().string();
    std::ranges::transform(actual, actual.begin(), [](unsigned char c) { return std::tolower(c); });
    return actual == extension;
}

// Every regular file with the extension below the folders; a folder that cannot be read is passed over.
std::vector<std::string> FilesWithExtension(const std::vector<std::string>& folders,
                                            const std::string& extension)
{
    std::vector<std::string> files;
    for (const std::string& folder : folders)
    {
        std::error_code error;
        fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
        for (; !error && it != fs::recursive_directory_iterator(); it.increment(error))
        {
            std::error_code typeError;
            if (it->is_regular_file(typeError) && HasExtension(it->path(), extension))
                files.push_back(it->path().string());
        }
    }
    std::ranges::sort(files);
    // Configured folders may nest (a folder and its own subfolder): list each file once.
    files.erase(std::unique(files.begin(), files.end()), files.end());
    return files;
}
} // namespace

std::vector<std::string> ListFontFiles()
{
    const std::vector<std::string> folders = ConfiguredFolders();
    std::vector<std::string> files = FilesWithExtension(folders, ".ttf");
    std::ranges::move(FilesWithExtension(folders, ".ttc"), std::back_inserter(files));
    return files;
}

std::string GetSubstituteFamily(const std::string& family)
{
    // A configuration of our own, destroyed after use: fontconfig's process-wide one is never released.
    std::unique_ptr<FcConfig, decltype(&FcConfigDestroy)> config(FcInitLoadConfigAndFonts(),
                                                                 &FcConfigDestroy);
    std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> pattern(
        FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str())), &FcPatternDestroy);
    if (!config || !pattern)
        return {};
    FcConfigSubstitute(config.get(), pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> match(
        FcFontMatch(config.get(), pattern.get(), &result), &FcPatternDestroy);
    FcChar8* name = nullptr;
    if (!match || FcPatternGetString(match.get(), FC_FAMILY, 0, &name) != FcResultMatch || name == nullptr)
        return {};
    return reinterpret_cast<const char*>(name);
}
} // namespace ZQ::Platform
