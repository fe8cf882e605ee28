// Everything zoble says in the chat room: eight fixed lines, posted in four
// fixed sequences with a pause between lines.
#pragma once

#include <string>
#include <string_view>

#include "driver/window_access.h"
#include "ui/form.h"
#include "ui/runtime.h"

namespace console {

// What a sequence needs: the client's windows and the program's runtime.
struct Host {
  quil32::WindowAccess& windows;
  ui::Runtime& runtime;
};

// The lines, as UTF-8; SendChatLine hands them over in the ANSI code page.
namespace lines {
// Bold and italic closed, then red arial.
inline constexpr std::string_view kPrefix = "</b></i><font face=arial><font color=#FF0000>";
inline constexpr std::string_view kDownloadPage = "http://zoble.example.com/";

std::string BannerLine();
std::string BannerLinkLine();
std::string SignatureLine();
std::string IdleOnLine();
std::string ReasonLine(std::string_view reason);
std::string IdleOffLine();
std::string AdvertLine();
std::string LinkLine();
}  // namespace lines

void PostBanner(Host& host);
// The reason is read from the box after the second pause, so an edit made
// while the first two lines go out is the one posted.
void PostIdleOn(Host& host, const ui::TextBox& reasonBox);
void PostIdleOff(Host& host);
void PostAdvert(Host& host);

}  // namespace console
