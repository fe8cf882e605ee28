// The machine-readable trace of what reached hostsim's windows: one line per
// record, tab-separated, written straight to the file or pipe so that a
// reader sees each record as soon as it happens.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace hostsim {

// Printable ASCII but `\` stands for itself, `\` is doubled and every other
// byte becomes \xHH, so any byte string fits in one tab-free field.
std::string EscapeBytes(std::string_view bytes);

class Recorder {
 public:
  Recorder();
  ~Recorder();
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // "-" is standard output, anything else a file appended to. Without a
  // successful open, records go nowhere.
  bool open(const std::string& path);

  // `how` is "sent", "queued" or "-"; window "-" is the program itself.
  void write(std::string_view window, std::string_view how, std::string_view event,
             unsigned long wParam, unsigned long lParam, std::string_view text);

  void event(std::string_view window, std::string_view name, std::string_view text = {},
             unsigned long wParam = 0, unsigned long lParam = 0) {
    write(window, "-", name, wParam, lParam, text);
  }

  // The local time of day in milliseconds since midnight, the clock zoble's
  // pauses end on.
  static unsigned long TimeOfDayMs();

 private:
  HANDLE out_ = INVALID_HANDLE_VALUE;
  bool ownsHandle_ = false;
  // The records' MS field: the performance counter; the tick count moves in
  // steps of up to 16 ms.
  unsigned long elapsedMs() const;
  LONGLONG start_ = 0;
  LONGLONG ticksPerSecond_ = 1;
};

}  // namespace hostsim
