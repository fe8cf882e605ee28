// Conversions between the program's UTF-8 strings and the encodings Windows
// speaks: UTF-16 for the wide API and the system ANSI code page for the
// foreign windows the driver feeds.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// To and from the system ANSI code page. Characters the code page lacks
// become its substitute character, never a best-fit look-alike, wherever the
// code page allows that choice. Nothing when the conversion fails: an empty
// string would be a different text, or a different window's class.
std::optional<std::string> ToAnsi(std::string_view utf8);
std::string FromAnsi(std::string_view ansi);

}  // namespace win32
