// Sends to another program's window as zoble sends lines to the client:
// what a time-out, a receiver that ends and a sender with lower rights give,
// and what zoble's rules make of it; and the one-copy mutex.
#include <cstdlib>
#include <cstring>

#include "check/check.h"
#include "win32/message_sender.h"
#include "win32/system_rules.h"

namespace check {

using win32::SendFailure;

namespace {

constexpr UINT kProbe = WM_APP + 7;  // counted where it arrives
constexpr UINT kHello = WM_APP + 8;  // a receiver's window, in wParam
constexpr UINT kDie = WM_APP + 9;    // the receiver ends inside the send

constexpr auto kTokenIntegrityLevel = TOKEN_INFORMATION_CLASS(25);  // Vista
constexpr DWORD kLow = 0x1000;

const char* const kMeanings[] = {"gone", "timed out", "refused"};
const char* const kDeliveries[] = {"delivered", "own window", "failed", "refused"};

struct Sent {
  bool ok;
  DWORD error, tookMs;
  bool windowThere;
  SendFailure means(DWORD boundMs) const {
    return win32::ClassifyFailedSend(error, tookMs, boundMs, windowThere);
  }
};

// SendMessageTimeoutA as zoble's sender makes it.
Sent SendBounded(HWND window, UINT message, DWORD boundMs) {
  DWORD_PTR result = 0;
  SetLastError(0);
  const DWORD start = GetTickCount();
  const bool ok = SendMessageTimeoutA(window, message, 0, 0, SMTO_NORMAL, boundMs, &result);
  const DWORD error = GetLastError();
  return {ok, error, GetTickCount() - start, IsWindow(window) != FALSE};
}

// A receiver that does not look at its queue for three times the bound,
// then looks for half a second.
constexpr DWORD kBoundMs = 300;
int probes = 0;

LRESULT CALLBACK Counting(HWND window, UINT message, WPARAM w, LPARAM l) {
  probes += message == kProbe;
  return DefWindowProcW(window, message, w, l);
}

DWORD WINAPI Stall(LPVOID ready) {
  const HWND window = MakeWindow(Counting, false);
  SendMessageW(HWND(ready), kHello, WPARAM(window), 0);  // a thread of ours: at once
  Sleep(3 * kBoundMs);
  PumpUntil(nullptr, 500);
  DestroyWindow(window);
  return 0;
}

HWND told = nullptr;
bool wasTold = false;

LRESULT CALLBACK Told(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == kHello)
    told = HWND(w), wasTold = true;
  return DefWindowProcW(window, message, w, l);
}

Sent SendToStalled() {
  const HWND me = MakeWindow(Told, false);
  const HANDLE thread = CreateThread(nullptr, 0, &Stall, me, 0, nullptr);
  PumpUntil(thread, 10000, &wasTold);
  const Sent sent = SendBounded(told, kProbe, kBoundMs);
  WaitForSingleObject(thread, 10000);
  CloseHandle(thread);
  return sent;
}

}  // namespace

void SendTimeoutError(Findings& f) {
  const Sent t = SendToStalled();
  f.expect(!t.ok, "the send to a receiver that did not look went through");
  f.expect(t.means(kBoundMs) == SendFailure::kTimedOut,
           Format("zoble takes it for %s", kMeanings[int(t.means(kBoundMs))]));
  f.note(Format("error %lu after %lu ms of %lu", t.error, t.tookMs, kBoundMs));
}

void SendTimedOutLater(Findings& f) {
  const Sent t = SendToStalled();
  f.expect(!t.ok, "the send to a receiver that did not look went through");
  f.expect(probes == 0, "the send that timed out was handled once the receiver looked");
}

void ReceiverDiesMidSend(Findings& f) {
  const HWND me = MakeWindow(Told, false);
  Process receiver;
  if (!f.expect(Start(receiver, Format("--helper receive %lu", ULONG(UINT_PTR(me)))),
                "no receiver started"))
    return;
  PumpUntil(receiver.handle, 20000, &wasTold);
  if (f.expect(told != nullptr, "the receiver made no window")) {
    const Sent t = SendBounded(told, kDie, 5000);
    f.expect(!t.ok, "the send to a receiver that ended went through");
    f.expect(t.means(5000) == SendFailure::kGone,
             Format("zoble takes it for %s", kMeanings[int(t.means(5000))]));
    f.note(Format("error %lu after %lu ms, the window %s", t.error, t.tookMs,
                  t.windowThere ? "still there" : "gone"));
  }
  Finish(receiver, 5000);
}

namespace {

int texts = 0, chars = 0;

LRESULT CALLBACK Receiving(HWND window, UINT message, WPARAM w, LPARAM l) {
  texts += message == WM_SETTEXT;
  chars += message == WM_CHAR;
  probes += message == kProbe;
  return DefWindowProcW(window, message, w, l);
}

// This program run at Low integrity with `args`, served meanwhile: what it
// printed after its integrity level, or nothing (and a skip) where it could
// not run so.
std::string RunLow(Findings& f, const std::string& args) {
  const HANDLE token = LowToken();
  Process low;
  const bool started = token && Start(low, args, token);
  const DWORD error = GetLastError();
  if (token)
    CloseHandle(token);
  if (!started) {
    f.skip(token ? Format("a copy at Low did not start: error %lu", error)
                 : std::string("no integrity levels here"));
    return {};
  }
  PumpUntil(low.handle, 45000);
  const std::string printed = Finish(low, 1000);
  char* rest = nullptr;
  const unsigned long level = strtoul(printed.c_str(), &rest, 10);
  if (!f.expect(level != 0, "the copy at Low said nothing"))
    return {};
  if (level >= 0x2000) {
    f.skip(Format("the copy made to run at Low ran at 0x%lX: no integrity levels here", level));
    return {};
  }
  return rest;
}

}  // namespace

void LowerIntegritySender(Findings& f) {
  const HWND me = MakeWindow(Receiving, false);
  const std::string printed = RunLow(f, Format("--helper send %lu", ULONG(UINT_PTR(me))));
  const char* next = printed.c_str();
  const struct {
    const char* name;
    int got;
  } sends[] = {{"WM_SETTEXT", texts}, {"WM_CHAR", chars}, {"WM_APP", probes}};
  for (int i = 0; !printed.empty() && i < 3; ++i) {
    const auto said = quil32::Delivery(strtoul(next, const_cast<char**>(&next), 10));
    const bool got = sends[i].got > 0;
    f.expect(got == (said == quil32::Delivery::kDelivered) &&
                 (got || said == quil32::Delivery::kRefused),
             Format("%s %s, and zoble's sender says %s", sends[i].name,
                    got ? "arrived" : "was dropped", kDeliveries[int(said)]));
    f.note(Format("%s from Low: %s", sends[i].name, kDeliveries[int(said)]));
  }
}

void OneCopyMutex(Findings& f) {
  // zoble's mutex, and a second copy with lower rights, as a plain copy is
  // beside one run as administrator.
  const std::string name = Format("Local\\zoble-check-%lu", GetCurrentProcessId());
  const HANDLE first = CreateMutexW(nullptr, FALSE, std::wstring(name.begin(), name.end()).c_str());
  const DWORD error = GetLastError();
  if (!f.expect(first && !win32::AnotherCopyRuns(true, error), Format("error %lu", error)))
    return;
  std::string printed = RunLow(f, "--helper mutex " + name);
  char* next = printed.data();
  const bool got = strtoul(next, &next, 10) != 0;
  const DWORD theirs = strtoul(next, nullptr, 10);
  if (!printed.empty())
    f.expect(
        win32::AnotherCopyRuns(got, theirs),
        Format("a copy at Low (%s, error %lu) would start", got ? "a handle" : "none", theirs));
  CloseHandle(first);
}

DWORD IntegrityOf(HANDLE process) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token))
    return 0;
  union {
    SID_AND_ATTRIBUTES label;
    BYTE bytes[96];
  } info;
  DWORD size = 0, level = 0;
  if (GetTokenInformation(token, kTokenIntegrityLevel, &info, sizeof info, &size))
    level = *GetSidSubAuthority(info.label.Sid, *GetSidSubAuthorityCount(info.label.Sid) - 1u);
  CloseHandle(token);
  return level;
}

HANDLE LowToken() {
  HANDLE own = nullptr, low = nullptr;
  if (!IntegrityOf(GetCurrentProcess()) ||
      !OpenProcessToken(GetCurrentProcess(),
                        TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ADJUST_DEFAULT | TOKEN_ASSIGN_PRIMARY,
                        &own))
    return nullptr;
  const BOOL copied = DuplicateTokenEx(own, 0, nullptr, SecurityImpersonation, TokenPrimary, &low);
  CloseHandle(own);
  SID_IDENTIFIER_AUTHORITY mandatory = {{0, 0, 0, 0, 0, 16}};
  PSID sid = nullptr;
  bool lowered = copied && AllocateAndInitializeSid(&mandatory, 1, kLow, 0, 0, 0, 0, 0, 0, 0, &sid);
  if (lowered) {
    SID_AND_ATTRIBUTES label{sid, 0x20};  // SE_GROUP_INTEGRITY
    lowered = SetTokenInformation(low, kTokenIntegrityLevel, &label,
                                  DWORD(sizeof label + GetLengthSid(sid)));
    FreeSid(sid);
  }
  if (!lowered && low)
    CloseHandle(low);
  return lowered ? low : nullptr;
}

namespace {

LRESULT CALLBACK Dying(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == kDie)
    ExitProcess(3);
  return DefWindowProcW(window, message, w, l);
}

}  // namespace

int Receive(HWND tell) {
  PostMessageW(tell, kHello, WPARAM(MakeWindow(Dying, false)), 0);
  PumpUntil(nullptr, 20000);
  return 0;
}

int SendFromHere(HWND to) {
  char text[] = "idle";
  win32::MessageSender sender;
  const quil32::Delivery said[] = {sender.send(to, WM_SETTEXT, 0, LPARAM(text)),
                                   sender.send(to, WM_CHAR, '\r', 0),
                                   sender.send(to, kProbe, 0, 0)};
  Print(Format("%lu %d %d %d\n", IntegrityOf(GetCurrentProcess()), int(said[0]), int(said[1]),
               int(said[2])));
  return 0;
}

int OpenMutex(const char* name) {
  const HANDLE mutex =
      CreateMutexW(nullptr, FALSE, std::wstring(name, name + strlen(name)).c_str());
  const DWORD error = GetLastError();
  Print(Format("%lu %d %lu\n", IntegrityOf(GetCurrentProcess()), mutex != nullptr, error));
  return 0;
}

}  // namespace check
