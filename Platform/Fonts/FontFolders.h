#pragma once

#include <string>
#include <vector>

namespace ZQ::Platform
{
// The system's font files: every *.ttf, then every *.ttc (extensions matched without case) below the
// folders fontconfig is configured with, subfolders included, each group in sorted path order, so that a
// scan meets them in the same order every run. When ZQ_FONTS_DIR is set it names the one folder to list
// instead (tests use it). Paths are UTF-8.
[[nodiscard]] std::vector<std::string> ListFontFiles();

// The family fontconfig draws for the given family (e.g. "Liberation Sans" for "Arial"); empty when it
// names none.
[[nodiscard]] std::string GetSubstituteFamily(const std::string& family);
} // namespace ZQ::Platform
