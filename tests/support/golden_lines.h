// The announcement lines as tests/lines.txt has them (the bytes the room
// receives in code page 1252), turned into the program's UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace fake {

// One of the eight lines by its name; ReasonLine takes the reason too.
std::string Golden(std::string_view name, std::string_view reason = {});
// The name of the line a text is ("SignatureLine", "ReasonLine(brb)"), or
// the text quoted.
std::string NameLine(const std::string& text);

}  // namespace fake
