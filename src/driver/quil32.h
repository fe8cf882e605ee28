// The host-client driver: free procedures that find the chat client's windows
// and feed them input as the user's own typing would. Nothing is kept between
// calls; every call looks the client's windows up afresh.
#pragma once

#include <string>

#include "driver/window_access.h"

namespace quil32 {

// The front-most chat room inside the client's inner area, or 0.
Hwnd FindChatWindow(WindowAccess& windows);

// Types `text` into the open chat room's entry and presses Enter there. When
// no room with an entry is found inside the client, nothing is sent anywhere
// and `text` is left as it was; otherwise `text` comes back converted to ANSI
// and back.
void SendChatLine(WindowAccess& windows, std::string& text);

}  // namespace quil32
