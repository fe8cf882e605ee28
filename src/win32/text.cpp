#include "win32/text.h"

#include <windows.h>

#include "win32/system_rules.h"

namespace win32 {

namespace {

std::wstring ToWide(UINT codePage, std::string_view bytes) {
  if (bytes.empty())
    return {};
  const int n = MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), nullptr, 0);
  if (n <= 0)
    return {};
  std::wstring wide(size_t(n), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), wide.data(), n);
  return wide;
}

std::optional<std::string> FromWide(UINT codePage, DWORD flags, std::wstring_view wide) {
  if (wide.empty())
    return std::string();
  const int n = WideCharToMultiByte(codePage, flags, wide.data(), int(wide.size()), nullptr, 0,
                                    nullptr, nullptr);
  if (n <= 0)
    return std::nullopt;
  std::string bytes(size_t(n), '\0');
  if (WideCharToMultiByte(codePage, flags, wide.data(), int(wide.size()), bytes.data(), n, nullptr,
                          nullptr) != n)
    return std::nullopt;
  return bytes;
}

}  // namespace

std::wstring Widen(std::string_view utf8) {
  return ToWide(CP_UTF8, utf8);
}
std::string Narrow(std::wstring_view wide) {
  return FromWide(CP_UTF8, 0, wide).value_or(std::string());
}
std::optional<std::string> ToAnsi(std::string_view utf8) {
  const std::wstring wide = Widen(utf8);
  if (wide.empty() && !utf8.empty())
    return std::nullopt;
  // No best fit: it would turn look-alikes into markup ("\uFF1Cb\uFF1E"
  // into "<b>") or into other letters; a missing character becomes "?".
  const DWORD flags = TakesNoBestFit(GetACP()) ? WC_NO_BEST_FIT_CHARS : 0;
  return FromWide(CP_ACP, flags, wide);
}
std::string FromAnsi(std::string_view ansi) {
  return Narrow(ToWide(CP_ACP, ansi));
}

}  // namespace win32
