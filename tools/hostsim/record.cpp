#include "record.h"

namespace hostsim {

std::string EscapeBytes(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b == '\\') {
      out += "\\\\";
    } else if (b >= 0x20 && b < 0x7F) {
      out += c;
    } else {
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  return out;
}

Recorder::Recorder() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  ticksPerSecond_ = frequency.QuadPart;
  start_ = now.QuadPart;
}

unsigned long Recorder::elapsedMs() const {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<unsigned long>((now.QuadPart - start_) * 1000 / ticksPerSecond_);
}

unsigned long Recorder::TimeOfDayMs() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return ((t.wHour * 60UL + t.wMinute) * 60 + t.wSecond) * 1000 + t.wMilliseconds;
}

Recorder::~Recorder() {
  if (ownsHandle_)
    CloseHandle(out_);
}

bool Recorder::open(const std::string& path) {
  if (path == "-") {
    out_ = GetStdHandle(STD_OUTPUT_HANDLE);
    ownsHandle_ = false;
  } else {
    // FILE_APPEND_DATA alone makes every write land at the current end, so
    // several runs can share one log.
    out_ = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ownsHandle_ = out_ != INVALID_HANDLE_VALUE;
  }
  return out_ != INVALID_HANDLE_VALUE && out_ != nullptr;
}

void Recorder::write(std::string_view window, std::string_view how, std::string_view event,
                     unsigned long wParam, unsigned long lParam, std::string_view text) {
  if (out_ == INVALID_HANDLE_VALUE || out_ == nullptr)
    return;
  std::string line = std::to_string(elapsedMs());
  for (const std::string_view field : {window, how, event}) {
    line += '\t';
    line += field;
  }
  line += '\t' + std::to_string(wParam) + '\t' + std::to_string(lParam) + '\t';
  line += EscapeBytes(text);
  line += '\n';
  // One WriteFile per record: no buffering in between, and a reader of a
  // pipe never sees half a line from us.
  DWORD written = 0;
  WriteFile(out_, line.data(), DWORD(line.size()), &written, nullptr);
}

}  // namespace hostsim
