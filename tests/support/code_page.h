// An ANSI code page for the in-memory desktop, so tests can check the exact
// bytes a foreign window receives.
#pragma once

#include <string>
#include <string_view>

namespace fake {

// Windows code page 1252 (Western European). Characters it lacks become "?",
// one per UTF-16 unit, as WideCharToMultiByte gives them for characters
// without a best fit.
std::string ToCp1252(std::string_view utf8);
std::string FromCp1252(std::string_view ansi);

}  // namespace fake
