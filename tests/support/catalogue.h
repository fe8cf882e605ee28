// The announcement lines as the chat room receives them in code page 1252:
// what the tests expect, written out byte for byte.
#pragma once

#include <string>

namespace fake::lines {

inline const std::string kPrefix = "</b></i><font face=arial><font color=#FF0000>";
inline const std::string kBanner = kPrefix + "\xBA\xB7 zoble idle . vud";
inline const std::string kBannerLink =
    kPrefix + "\xBA\xB7 < a href=http://zoble.example.com/>d/l zoble here</a>";
inline const std::string kSignature = kPrefix + "\xBA. zoble idle . vud";
inline const std::string kIdleOn = kPrefix + "\xBA. idle = true";
inline const std::string kIdleOff = kPrefix + "\xBA. idle = false";
inline const std::string kAdvert = kPrefix + "\xBA. the most electrifying idler on aol";
inline const std::string kLink =
    kPrefix + "\xBA. < a href=http://zoble.example.com/>d/l zoble here</a>";

inline std::string Reason(const std::string& reason) {
  return kPrefix + "\xBA. rsn: [" + reason + "]";
}

}  // namespace fake::lines
