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

// Types a keyword into the client's toolbar keyword box and confirms it, as
// the user would. Nothing is sent when the box is not found inside the client.
void GoToKeyword(WindowAccess& windows, std::string& keyword);

// Opens the client's instant-message window for `screenName` through the
// keyword box, types `message` there, clicks its send icon and deals with the
// client's answer. Both waits pump the program's events and end after a
// bound; nothing is reported.
void SendInstantMessage(WindowAccess& windows, ui::Runtime& runtime, const std::string& screenName,
                        std::string& message);

// The client's special instant messages that switch the user's instant
// messages off and on.
void SetInstantMessagesOff(WindowAccess& windows, ui::Runtime& runtime);
void SetInstantMessagesOn(WindowAccess& windows, ui::Runtime& runtime);

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
