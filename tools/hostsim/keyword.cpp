// The toolbar's keyword box: Enter goes to the keyword typed there.
#include <windows.h>

#include "client.h"

namespace hostsim {

static bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size())
    return false;
  return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, s.data(), int(prefix.size()),
                        prefix.data(), int(prefix.size())) == CSTR_EQUAL;
}

static void EnterKeyword() {
  std::string keyword = WindowText(g.keyword);
  const size_t first = keyword.find_first_not_of(" \t\r\n");
  const size_t last = keyword.find_last_not_of(" \t\r\n");
  keyword = first == std::string::npos ? "" : keyword.substr(first, last - first + 1);
  g.log.event("keyword", "KEYWORD", keyword);
  if (StartsWithNoCase(keyword, kImKeyword)) {
    const UINT_PTR id = SetTimer(nullptr, 0, g.options.imDelayMs, ImTimer);
    g.pendingIms[id] = keyword.substr(kImKeyword.size());
  }
  SetWindowTextA(g.keyword, "");
}

LRESULT CALLBACK KeywordProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Arrive(hwnd, message, wParam, lParam);
  Node* node = Find(hwnd);
  if (!node)
    return DefWindowProcA(hwnd, message, wParam, lParam);
  const WNDPROC base = node->base;
  if (message == WM_CHAR && wParam == '\r') {
    EnterKeyword();
    return 0;
  }
  if (message == WM_NCDESTROY) {
    g.nodes.erase(hwnd);
    g.keyword = nullptr;
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, LONG_PTR(base));
  }
  return CallWindowProcA(base, hwnd, message, wParam, lParam);
}

}  // namespace hostsim
