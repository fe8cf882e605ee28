// The system's own message loops that run on zoble's thread: a popup menu, a
// message box, the move of a window. The clicks and keys queued while one
// runs are that loop's; a pause of a handler that runs inside it (a reminder
// tick, say) must leave them queued for it.
#pragma once

#include <windows.h>

namespace win32 {

// Marks the time a system loop runs, around the call that runs it.
class ModalLoop {
 public:
  ModalLoop() { ++depth_; }
  ~ModalLoop() { --depth_; }
  ModalLoop(const ModalLoop&) = delete;
  ModalLoop& operator=(const ModalLoop&) = delete;

  static bool Running() { return depth_ > 0; }

 private:
  static inline int depth_ = 0;
};

// Serves what the system and other programs send to this thread's windows
// and repaints them; takes nothing else from the queue.
inline void ServeSentMessagesAndPaint() {
  MSG m;
  PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT))
    DispatchMessageW(&m);
}

}  // namespace win32
