/* probe TITLE: figures of the process that owns the top-level window titled
 * TITLE, read from outside it, on one line of NAME=VALUE:
 *   pid, private (bytes now), peak_private, handles, gdi and user (object
 *   counts; -1 where the system does not count them), windows (its own
 *   top-level and child windows), cpu_ms (user + kernel).
 * Exits 1 when there is no such window. */
#include <windows.h>
#include <psapi.h>
#include <stdio.h>

struct Count {
  DWORD pid;
  long windows;
};

static BOOL CALLBACK CountChild(HWND w, LPARAM data) {
  (void)w;
  ((struct Count*)data)->windows++;
  return TRUE;
}

static BOOL CALLBACK CountTop(HWND w, LPARAM data) {
  struct Count* count = (struct Count*)data;
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == count->pid) {
    count->windows++;
    EnumChildWindows(w, CountChild, data);
  }
  return TRUE;
}

static long GuiCount(HANDLE process, DWORD which) {
  SetLastError(0);
  const DWORD n = GetGuiResources(process, which);
  return n == 0 && GetLastError() != 0 ? -1 : (long)n;
}

static unsigned long long Ticks(FILETIME t) {
  return ((unsigned long long)t.dwHighDateTime << 32) | t.dwLowDateTime;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: probe TITLE\n");
    return 2;
  }
  HWND window = FindWindowA(NULL, argv[1]);
  struct Count count = {0, 0};
  if (!window || !GetWindowThreadProcessId(window, &count.pid))
    return 1;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, count.pid);
  if (!process)
    return 1;
  PROCESS_MEMORY_COUNTERS_EX memory;
  memory.cb = sizeof memory;
  if (!GetProcessMemoryInfo(process, (PROCESS_MEMORY_COUNTERS*)&memory, sizeof memory))
    memory.PrivateUsage = memory.PeakPagefileUsage = 0;
  DWORD handles = 0;
  GetProcessHandleCount(process, &handles);
  FILETIME created, exited, kernel, user;
  unsigned long long cpu = 0;
  if (GetProcessTimes(process, &created, &exited, &kernel, &user))
    cpu = (Ticks(kernel) + Ticks(user)) / 10000;
  EnumWindows(CountTop, (LPARAM)&count);
  printf(
      "pid=%lu private=%llu peak_private=%llu handles=%lu gdi=%ld user=%ld windows=%ld "
      "cpu_ms=%llu\n",
      (unsigned long)count.pid, (unsigned long long)memory.PrivateUsage,
      (unsigned long long)memory.PeakPagefileUsage, (unsigned long)handles,
      GuiCount(process, GR_GDIOBJECTS), GuiCount(process, GR_USEROBJECTS), count.windows, cpu);
  CloseHandle(process);
  return 0;
}
