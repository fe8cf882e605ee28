// What zoble-check's checks share: this program run again as a helper, the
// checks' own windows and pumps, and integrity levels.
#pragma once

#include <windows.h>

#include <string>

#include "check/verdict.h"

namespace check {

// As msvcrt's own printf formats (Windows 2000's: no %lld, no %zu).
std::string Format(const char* format, ...) __attribute__((format(ms_printf, 1, 2)));
void Print(const std::string& text);  // to standard output

// A function that not every Windows has, from a DLL the program has loaded.
template <typename F>
F Find(const wchar_t* dll, const char* name) {
  const HMODULE module = GetModuleHandleW(dll);
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

// This program run again with `args` (with `token`: as that user, at that
// integrity level), its standard output a pipe. Finish returns what it
// printed once it has ended within `ms`, or ends it by its handle and
// returns "". Helpers end by themselves within 20 s.
struct Process {
  HANDLE handle = nullptr, output = nullptr;
};
bool Start(Process& p, const std::string& args, HANDLE token = nullptr);
std::string Finish(Process& p, DWORD ms);

// A window of this thread with its own procedure: in front and always on
// top when `visible`, else hidden.
HWND MakeWindow(WNDPROC procedure, bool visible);
// Dispatches everything until `object` is signalled (true), `ms` pass or
// what it dispatched sets `done`.
bool PumpUntil(HANDLE object, DWORD ms, const bool* done = nullptr);
// Empties this thread's queue, a quit included, dispatching the rest.
void Drain();

// The RID of a process's integrity level (0x1000 Low, 0x2000 Medium...), 0
// where there are none (before Vista); this process's token at Low, or none.
DWORD IntegrityOf(HANDLE process);
HANDLE LowToken();

// The checks, in the order of the report.
void WakeMasks(Findings& f);
void InputAvailableWakes(Findings& f);
void SystemLoopsMarked(Findings& f);
void PauseKeepsLoopInput(Findings& f);
void RefusedWaitSleeps(Findings& f);
void QuitThroughFilters(Findings& f);
void QuitInSystemLoops(Findings& f);
void WaitAfterActivation(Findings& f);
void SendTimeoutError(Findings& f);
void SendTimedOutLater(Findings& f);
void ReceiverDiesMidSend(Findings& f);
void LowerIntegritySender(Findings& f);
void OneCopyMutex(Findings& f);
void CodePagesNoBestFit(Findings& f);
void NoBestFitGivesQuestionMarks(Findings& f);
void Utf8RefusesNoBestFit(Findings& f);
void Utf8SystemCodePage(Findings& f);
void Clock(Findings& f);
void TaskModalBox(Findings& f);
void BoxOnTop(Findings& f);
void TwipsAtThisDpi(Findings& f);

// The helpers' roles: a receiver that tells `tell` its window, a sender to
// `to`, a second copy's mutex.
int Receive(HWND tell);
int SendFromHere(HWND to);
int OpenMutex(const char* name);

}  // namespace check
