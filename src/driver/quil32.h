// The host-client driver: free procedures that find the chat client's windows
// and feed them input as the user's own typing would. Nothing is kept between
// calls; every call looks the client's windows up afresh.
#pragma once

#include <cstdint>
#include <string>

#include "driver/window_access.h"

namespace ui {
class Form;
class Runtime;
}  // namespace ui

namespace quil32 {

// The front-most chat room inside the client's inner area, or 0.
Hwnd FindChatWindow(WindowAccess& windows);

// Types `text` into the open chat room's entry and presses Enter there. When
// no room with an entry is found inside the client, nothing is sent anywhere
// and `text` is left as it was; otherwise `text` comes back converted to ANSI
// and back.
void SendChatLine(WindowAccess& windows, std::string& text);

// The pause between the lines of an announcement. It starts from the time of
// day rounded to the nearest whole second, so a wait of 1 lasts from half a
// second to a second and a half. The program's windows keep answering
// meanwhile: any handler may run inside the wait, and its time counts toward
// it. Throws ui::ProgramEnded when the program ends during the wait.
void WaitSeconds(ui::Runtime& runtime, std::int32_t seconds);

// Puts one of the program's windows above all ordinary windows, keeping its
// position and size.
void MakeTopmost(WindowAccess& windows, ui::Form& form);

// Hands one of the program's windows to the system's interactive move; returns
// when the move has ended.
void BeginWindowDrag(WindowAccess& windows, ui::Form& form);

}  // namespace quil32
