// Painting: the transcript's chat lines and the look of every other part.
#include <windows.h>

#include <algorithm>
#include <cctype>

#include "client.h"
#include "chat_html.h"

namespace hostsim {

static HFONT ChatFont(const TextStyle& style) {
  std::string key = style.face;
  for (char& c : key)
    c = char(std::tolower(static_cast<unsigned char>(c)));
  key += style.bold ? "+b" : "";
  key += style.italic ? "+i" : "";
  key += style.underline ? "+u" : "";
  HFONT& font = g.chatFonts[key];
  if (!font) {
    font = CreateFontA(-14, 0, 0, 0, style.bold ? FW_BOLD : FW_NORMAL, style.italic,
                       style.underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS,
                       style.face.substr(0, LF_FACESIZE - 1).c_str());
  }
  return font;
}

// Lays the transcript's lines out with word wrap and draws the newest at the
// bottom, as a chat window scrolls.
void PaintTranscript(HWND hwnd, HDC dc) {
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, HBRUSH(GetStockObject(WHITE_BRUSH)));
  constexpr int kMargin = 4;
  const int width = client.right - 2 * kMargin;

  struct Piece {
    int x;
    int row;
    HFONT font;
    unsigned long color;
    std::string text;
  };
  std::vector<Piece> pieces;
  int row = 0;
  int rowHeight = 0;
  const std::string text = WindowText(hwnd);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos)
      end = text.size();
    int x = kMargin;
    for (const TextRun& run : ParseChatHtml(std::string_view(text).substr(start, end - start))) {
      const HFONT font = ChatFont(run.style);
      SelectObject(dc, font);
      TEXTMETRICA metrics;
      GetTextMetricsA(dc, &metrics);
      rowHeight = std::max(rowHeight, int(metrics.tmHeight + metrics.tmExternalLeading));
      size_t at = 0;
      while (at < run.text.size()) {
        // A word with the blanks that follow it.
        size_t next = run.text.find(' ', at);
        next = next == std::string::npos ? run.text.size() : run.text.find_first_not_of(' ', next);
        if (next == std::string::npos)
          next = run.text.size();
        std::string word = run.text.substr(at, next - at);
        SIZE size;
        GetTextExtentPoint32A(dc, word.data(), int(word.size()), &size);
        if (x + size.cx > kMargin + width && x > kMargin) {
          ++row;
          x = kMargin + 12;  // continued lines are indented
        }
        pieces.push_back({x, row, font, run.style.color, std::move(word)});
        x += size.cx;
        at = next;
      }
    }
    ++row;
    start = end + 2;
  }
  if (rowHeight == 0)
    return;
  const int overflow = row * rowHeight - (client.bottom - 2 * kMargin);
  const int top = kMargin - std::max(overflow, 0);
  SetBkMode(dc, TRANSPARENT);
  for (const Piece& p : pieces) {
    SelectObject(dc, p.font);
    SetTextColor(dc, p.color);
    TextOutA(dc, p.x, top + p.row * rowHeight, p.text.data(), int(p.text.size()));
  }
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
}

static void DrawLabel(HDC dc, HWND hwnd, RECT rect, HFONT font, COLORREF color, UINT format) {
  const std::string text = WindowText(hwnd);
  SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, color);
  DrawTextA(dc, text.c_str(), int(text.size()), &rect, format | DT_SINGLELINE | DT_NOPREFIX);
}

void PaintPart(const Node& node, HWND hwnd, HDC dc) {
  RECT r;
  GetClientRect(hwnd, &r);
  if (hwnd == g.toolbar) {
    HBRUSH brush = CreateSolidBrush(RGB(0x0B, 0x2F, 0x7A));
    FillRect(dc, &r, brush);
    DeleteObject(brush);
  } else if (hwnd == g.innerToolbar) {
    HBRUSH brush = CreateSolidBrush(RGB(0x1C, 0x4F, 0xB0));
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    RECT logo = r;
    logo.left += 8;
    DrawLabel(dc, hwnd, logo, g.boldFont, RGB(0xFF, 0xFF, 0xFF), DT_LEFT | DT_VCENTER);
    RECT combo;
    GetWindowRect(g.combo, &combo);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&combo), 2);
    RECT label = {combo.left - 70, r.top, combo.left - 6, r.bottom};
    SelectObject(dc, g.uiFont);
    SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
    DrawTextA(dc, "Keyword:", -1, &label, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
  } else if (hwnd == g.combo) {
    FillRect(dc, &r, HBRUSH(GetStockObject(WHITE_BRUSH)));
    FrameRect(dc, &r, HBRUSH(GetStockObject(GRAY_BRUSH)));
  } else if (node.kind == Kind::kList) {
    FillRect(dc, &r, HBRUSH(GetStockObject(WHITE_BRUSH)));
    RECT head = {r.left + 4, r.top + 2, r.right - 4, r.top + 18};
    SelectObject(dc, g.boldFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0x0B, 0x2F, 0x7A));
    DrawTextA(dc, "People here: 1", -1, &head, DT_LEFT | DT_SINGLELINE);
    RECT you = {r.left + 8, r.top + 20, r.right - 4, r.top + 36};
    SelectObject(dc, g.uiFont);
    SetTextColor(dc, RGB(0, 0, 0));
    DrawTextA(dc, "You", -1, &you, DT_LEFT | DT_SINGLELINE);
  } else if (node.kind == Kind::kIcon) {
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &r, node.pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    const bool send = node.im && node.index == kImSendIcon;
    DrawLabel(dc, hwnd, r, send ? g.boldFont : g.uiFont,
              send ? RGB(0x0B, 0x2F, 0x7A) : RGB(0x30, 0x30, 0x30), DT_CENTER | DT_VCENTER);
  } else if (node.kind == Kind::kStatic) {
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    DrawLabel(dc, hwnd, r, g.boldFont, RGB(0x0B, 0x2F, 0x7A), DT_LEFT | DT_VCENTER);
  }
}

}  // namespace hostsim
