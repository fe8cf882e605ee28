#include "console/announcements.h"

#include "driver/quil32.h"

namespace console {

namespace lines {

namespace {

// The banner lines carry a middle dot after the ordinal mark, the others a
// full stop.
constexpr std::string_view kBannerMark = "\u00BA\u00B7 ";
constexpr std::string_view kMark = "\u00BA. ";

std::string Line(std::string_view mark, std::string_view text) {
  std::string line(kPrefix);
  line += mark;
  line += text;
  return line;
}

// The anchor is written "< a" and its address unquoted, as the client takes it.
std::string Link(std::string_view mark) {
  std::string text = "< a href=";
  text += kDownloadPage;
  text += ">d/l zoble here</a>";
  return Line(mark, text);
}

}  // namespace

std::string BannerLine() {
  return Line(kBannerMark, "zoble idle . vud");
}
std::string BannerLinkLine() {
  return Link(kBannerMark);
}
std::string SignatureLine() {
  return Line(kMark, "zoble idle . vud");
}
std::string IdleOnLine() {
  return Line(kMark, "idle = true");
}
std::string IdleOffLine() {
  return Line(kMark, "idle = false");
}
std::string AdvertLine() {
  return Line(kMark, "the most electrifying idler on aol");
}
std::string LinkLine() {
  return Link(kMark);
}

std::string ReasonLine(std::string_view reason) {
  std::string text = "rsn: [";
  text += reason;  // as typed: not trimmed, escaped or cut
  text += "]";
  return Line(kMark, text);
}

}  // namespace lines

namespace {

void Post(Host& host, std::string line) {
  quil32::SendChatLine(host.windows, line);
}

void Pause(Host& host) {
  quil32::WaitSeconds(host.runtime, 1);
}

}  // namespace

void PostBanner(Host& host) {
  Post(host, lines::BannerLine());
  Pause(host);
  Post(host, lines::BannerLinkLine());
}

void PostIdleOn(Host& host, const ui::TextBox& reasonBox) {
  Post(host, lines::SignatureLine());
  Pause(host);
  Post(host, lines::IdleOnLine());
  Pause(host);
  Post(host, lines::ReasonLine(reasonBox.text()));
}

void PostIdleOff(Host& host) {
  Post(host, lines::SignatureLine());
  Pause(host);
  Post(host, lines::IdleOffLine());
}

void PostAdvert(Host& host) {
  Post(host, lines::SignatureLine());
  Pause(host);
  Post(host, lines::AdvertLine());
  Pause(host);
  Post(host, lines::LinkLine());
}

}  // namespace console
