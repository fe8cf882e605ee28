// Where Windows differs from one system to another, as rules that need no
// Windows to be checked: which conversions a code page takes, what wakes a
// wait on every version, what a failed send means on each version, and what
// the running-copy mutex says.
#pragma once

#include <cstdint>

namespace win32 {

// Whether WideCharToMultiByte takes WC_NO_BEST_FIT_CHARS for a code page.
// UTF-8 (65001, the system code page where "Use Unicode UTF-8" is set) and
// these others refuse every such flag with ERROR_INVALID_FLAGS; a conversion
// asked for with it would give nothing at all.
constexpr bool TakesNoBestFit(unsigned codePage) {
  return !(codePage == 42 || codePage == 52936 || codePage == 54936 || codePage == 65000 ||
           codePage == 65001 || (codePage >= 50220 && codePage <= 50229) ||
           (codePage >= 57002 && codePage <= 57011));
}

// What wakes a wait on the thread's queue (MsgWaitForMultipleObjectsEx's
// QS_ flags), for what the thread is doing: anything queued (QS_KEY,
// QS_MOUSEMOVE, QS_MOUSEBUTTON, QS_POSTMESSAGE, QS_TIMER, QS_PAINT,
// QS_SENDMESSAGE, QS_HOTKEY, and QS_ALLPOSTMESSAGE, which a filtered peek
// never clears: a posted message seen before still wakes the event loop);
// what is sent, paints, ticks and what is newly posted (QS_POSTMESSAGE, which
// any peek clears); what is sent and paints. Not the headers' QS_INPUT or
// QS_ALLINPUT: these hold QS_RAWINPUT (XP) and, for newer targets, QS_TOUCH
// and QS_POINTER (8), and Windows 2000 fails a wait that names a flag it
// lacks, at once, every time.
inline constexpr std::uint32_t kWakeForAnything = 0x01FF;
inline constexpr std::uint32_t kWakeInSystemLoop = 0x0040 | 0x0020 | 0x0010 | 0x0008;
inline constexpr std::uint32_t kWakeForALine = 0x0040 | 0x0020;

// Why SendMessageTimeout gave up on a send.
enum class SendFailure {
  kGone,      // no such window, or it went meanwhile
  kTimedOut,  // the receiver did not answer within the bound
  kRefused,   // the receiver runs with higher rights (ERROR_ACCESS_DENIED)
};

inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorAlreadyExists = 183;
inline constexpr std::uint32_t kErrorTimeout = 1460;
// GetTickCount advances in steps of up to 16 ms, so a send that ran out its
// bound may be measured a little short of it.
inline constexpr std::uint32_t kTickSlackMs = 50;

// Windows 2000 leaves the error at 0 when the bound runs out, where later
// Windows say ERROR_TIMEOUT: a failure with no error that took the whole
// bound is a time-out too. A refusal comes from a window that is still
// there: Wine gives ERROR_ACCESS_DENIED too when the receiver ends during
// the send, and that client is gone, not one with higher rights.
constexpr SendFailure ClassifyFailedSend(std::uint32_t error, std::uint32_t tookMs,
                                         std::uint32_t boundMs, bool windowThere) {
  if (error == kErrorAccessDenied)
    return windowThere ? SendFailure::kRefused : SendFailure::kGone;
  if (error == kErrorTimeout || (error == 0 && tookMs + kTickSlackMs >= boundMs))
    return SendFailure::kTimedOut;
  return SendFailure::kGone;
}

// Whether CreateMutex found the mutex of a copy that runs already. It asks
// for every right on a mutex that exists, so one made by a copy that runs
// as administrator is refused (no handle, ERROR_ACCESS_DENIED): that copy
// runs all the same. Any other failure says nothing of a copy.
constexpr bool AnotherCopyRuns(bool gotHandle, std::uint32_t error) {
  return gotHandle ? error == kErrorAlreadyExists : error == kErrorAccessDenied;
}

}  // namespace win32
