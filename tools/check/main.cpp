// zoble-check: what this Windows does of what zoble relies on, after Wine's
// conformance tests (docs/conformance.md). Each check runs in a process of
// its own (this program again, with the check's name) with a time limit, so
// that a loop that never ends here costs one line. The report goes to
// standard output when that is redirected, else to zoble-check-report.txt
// beside the program (or in the temp folder), and a box says where. The exit
// code is the number of failures.
//
//   zoble-check [NAME...]   runs the checks named, or all of them
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "check/check.h"

namespace check {
namespace {

struct Check {
  const char* name;
  void (*run)(Findings&);
  const char* wineTodo = nullptr;  // why Wine does otherwise than Windows
};

constexpr Check kChecks[] = {
    {"wake_masks", WakeMasks},
    {"input_available_wakes", InputAvailableWakes},
    {"system_loops_marked", SystemLoopsMarked},
    {"pause_keeps_loop_input", PauseKeepsLoopInput},
    {"refused_wait_sleeps", RefusedWaitSleeps},
    {"quit_through_filters", QuitThroughFilters},
    {"quit_in_system_loops", QuitInSystemLoops},
    {"wait_after_activation", WaitAfterActivation},
    {"send_timeout_error", SendTimeoutError},
    {"send_timed_out_later", SendTimedOutLater},
    {"receiver_dies_mid_send", ReceiverDiesMidSend},
    {"lower_integrity_sender", LowerIntegritySender},
    {"one_copy_mutex", OneCopyMutex},
    {"code_pages_no_best_fit", CodePagesNoBestFit},
    {"no_best_fit_gives_question_marks", NoBestFitGivesQuestionMarks},
    {"utf8_refuses_no_best_fit", Utf8RefusesNoBestFit,
     "Wine takes WC_NO_BEST_FIT_CHARS for UTF-8, which Windows refuses"},
    {"utf8_system_code_page", Utf8SystemCodePage},
    {"clock", Clock},
    {"task_modal_box", TaskModalBox},
    {"box_on_top", BoxOnTop, "Wine does not put a box with MB_TOPMOST on top"},
    {"twips_at_this_dpi", TwipsAtThisDpi},
};

constexpr DWORD kCheckLimitMs = 30000;

std::string Header(const char* wine) {
  OSVERSIONINFOEXA v{};
  v.dwOSVersionInfoSize = sizeof v;
  GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&v));
  const auto isWow64 = Find<BOOL(WINAPI*)(HANDLE, BOOL*)>(L"kernel32.dll", "IsWow64Process");
  BOOL wow64 = FALSE;
  const auto aware = Find<BOOL(WINAPI*)()>(L"user32.dll", "IsProcessDPIAware");
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  const DWORD level = IntegrityOf(GetCurrentProcess());
  return Format(
      "zoble-check %s (%s): what this Windows does of what zoble relies on\r\n"
      "# windows: %lu.%lu build %lu %s%s\r\n# wine: %s\r\n# wow64: %s\r\n"
      "# code pages: ANSI %u, OEM %u\r\n# dpi: %d, DPI-aware: %s\r\n# integrity: %s\r\n",
      ZOBLE_VERSION, ZOBLE_BUILD, v.dwMajorVersion, v.dwMinorVersion, v.dwBuildNumber,
      v.szCSDVersion, v.wProductType == VER_NT_WORKSTATION ? "" : " (server)", wine ? wine : "no",
      !isWow64                                        ? "unknown (before XP SP2)"
      : isWow64(GetCurrentProcess(), &wow64) && wow64 ? "yes"
                                                      : "no",
      GetACP(), GetOEMCP(), dpi,
      !aware    ? "unknown (before Vista)"
      : aware() ? "yes"
                : "no",
      !level           ? "none (before Vista)"
      : level < 0x2000 ? "low"
      : level < 0x3000 ? "medium"
      : level < 0x4000 ? "high"
                       : "system");
}

// Where the user finds the report: standard output when it is redirected;
// else a file beside the program, or in the temp folder, and a box.
void Deliver(const std::string& report, const std::string& summary) {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN)
    return Print(report);
  wchar_t beside[MAX_PATH], temp[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, beside, MAX_PATH);
  const wchar_t* slash = n < MAX_PATH ? wcsrchr(beside, L'\\') : nullptr;
  const std::wstring places[] = {slash ? std::wstring(beside, size_t(slash + 1 - beside)) : L"",
                                 GetTempPathW(MAX_PATH, temp) - 1u < MAX_PATH ? temp : L""};
  std::wstring text =
      L"zoble-check could not write its report beside itself or in the temp folder.";
  for (const std::wstring& place : places) {
    const std::wstring path = place + L"zoble-check-report.txt";
    const HANDLE file = place.empty() ? INVALID_HANDLE_VALUE
                                      : CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
      continue;
    DWORD written = 0;
    WriteFile(file, report.data(), DWORD(report.size()), &written, nullptr);
    CloseHandle(file);
    text = L"zoble-check's report is in\r\n\r\n" + path + L"\r\n\r\n" +
           std::wstring(summary.begin(), summary.end()) +
           L"\r\n\r\nIf zoble misbehaves on this computer, please send that file with a word on "
           L"what you saw.";
    break;
  }
  MessageBoxW(nullptr, text.c_str(), L"zoble-check", MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
}

int Report(int argc, char** argv) {
  const auto wine = Find<const char*(__cdecl*)()>(L"ntdll.dll", "wine_get_version");
  std::string report = Header(wine ? wine() : nullptr);
  Tally tally;
  for (const Check& c : kChecks) {
    if (argc > 1 &&
        std::none_of(argv + 1, argv + argc, [&](const char* a) { return !strcmp(a, c.name); }))
      continue;
    Process child;
    const std::string printed =
        Start(child, std::string("--run ") + c.name) ? Finish(child, kCheckLimitMs) : "";
    const Result r = Judge(ReadPrinted(printed), wine && c.wineTodo ? c.wineTodo : "");
    tally.add(r.outcome);
    report += ReportLine(c.name, r) + "\r\n";
  }
  report += tally.summary() + "\r\n";
  Deliver(report, tally.summary());
  return tally.failures();
}

}  // namespace

std::string Format(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  const int n = _vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return std::string(text, n < 0 ? sizeof text : size_t(n));
}

void Print(const std::string& text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), DWORD(text.size()), &written, nullptr);
}

bool Start(Process& p, const std::string& args, HANDLE token) {
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  HANDLE write = nullptr;
  if (!CreatePipe(&p.output, &write, &inherited, 0))
    return false;
  SetHandleInformation(p.output, HANDLE_FLAG_INHERIT, 0);
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring line = L"\"" + std::wstring(self) + L"\" " + std::wstring(args.begin(), args.end());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = write;
  PROCESS_INFORMATION started{};
  const BOOL ok = token ? CreateProcessAsUserW(token, nullptr, line.data(), nullptr, nullptr, TRUE,
                                               0, nullptr, nullptr, &startup, &started)
                        : CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                         nullptr, &startup, &started);
  CloseHandle(write);
  if (!ok) {
    CloseHandle(p.output);
    return false;
  }
  CloseHandle(started.hThread);
  p.handle = started.hProcess;
  AllowSetForegroundWindow(started.dwProcessId);  // its windows come to the front as ours would
  return true;
}

std::string Finish(Process& p, DWORD ms) {
  const bool ended = WaitForSingleObject(p.handle, ms) == WAIT_OBJECT_0;
  if (!ended) {
    TerminateProcess(p.handle, 1);
    WaitForSingleObject(p.handle, 5000);
  }
  // What is there, without waiting: a helper it started may hold the pipe.
  std::string printed;
  DWORD n = 0;
  if (ended && PeekNamedPipe(p.output, nullptr, 0, nullptr, &n, nullptr) && n > 0) {
    printed.resize(n);
    ReadFile(p.output, printed.data(), n, &n, nullptr);
    printed.resize(n);
  }
  CloseHandle(p.output);
  CloseHandle(p.handle);
  p = {};
  return printed;
}

}  // namespace check

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace check;
  char** argv = __argv;
  if (__argc == 3 && !strcmp(argv[1], "--run")) {
    for (const Check& c : kChecks) {
      Findings findings;
      if (!strcmp(argv[2], c.name))
        c.run(findings), Print(Printed(findings) + "\n");
    }
    return 0;
  }
  if (__argc == 4 && !strcmp(argv[1], "--helper")) {
    const auto window = reinterpret_cast<HWND>(UINT_PTR(strtoul(argv[3], nullptr, 10)));
    return !strcmp(argv[2], "receive") ? Receive(window)
           : !strcmp(argv[2], "send")  ? SendFromHere(window)
                                       : OpenMutex(argv[3]);
  }
  return Report(__argc, argv);
}

// The C++ runtime's helpers that zoble-check calls besides zoble's own
// (src/win32/slim_cxx_runtime.cpp has why): a logic or range error, which no
// check expects, ends the check's process, as an exception nothing catches
// would, and its line reads "no verdict".
namespace std {

void __throw_logic_error(const char*) {
  abort();
}

void __throw_out_of_range_fmt(const char*, ...) {
  abort();
}

}  // namespace std
