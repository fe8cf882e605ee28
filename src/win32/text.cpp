#include "win32/text.h"

#include <windows.h>

namespace win32 {

namespace {

std::wstring ToWide(UINT codePage, std::string_view bytes) {
  if (bytes.empty())
    return {};
  const int n = MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), nullptr, 0);
  std::wstring wide(size_t(n), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), wide.data(), n);
  return wide;
}

std::string FromWide(UINT codePage, DWORD flags, std::wstring_view wide) {
  if (wide.empty())
    return {};
  const int n = WideCharToMultiByte(codePage, flags, wide.data(), int(wide.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string bytes(size_t(n), '\0');
  WideCharToMultiByte(codePage, flags, wide.data(), int(wide.size()), bytes.data(), n, nullptr,
                      nullptr);
  return bytes;
}

}  // namespace

std::wstring Widen(std::string_view utf8) {
  return ToWide(CP_UTF8, utf8);
}
std::string Narrow(std::wstring_view wide) {
  return FromWide(CP_UTF8, 0, wide);
}
std::string ToAnsi(std::string_view utf8) {
  // No best fit: it would turn look-alikes into markup ("\uFF1Cb\uFF1E"
  // into "<b>") or into other letters; a missing character becomes "?".
  return FromWide(CP_ACP, WC_NO_BEST_FIT_CHARS, Widen(utf8));
}
std::string FromAnsi(std::string_view ansi) {
  return Narrow(ToWide(CP_ACP, ansi));
}

}  // namespace win32
