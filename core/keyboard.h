// The keyboard in the program's windows as in a dialog: Tab, Enter, Esc, the focus frame, and
// Enter and Space on owner-drawn buttons.
#pragma once

#include <windows.h>

namespace tavik {

// Tab, Shift+Tab, Enter and Esc for a top-level window of the program, as a dialog has them:
// the message loop hands the window's keyboard messages to IsDialogMessage.
void TakeDialogKeys(HWND topLevel);
// The message loop's step before dispatching; true when the message was handled.
bool HandleDialogKeys(MSG& msg);

// Whether the keyboard focus is to be drawn: hidden until the keyboard is used in the window
// (the system's focus-cue rule), so the mouse never sees a focus rectangle.
bool FocusCueVisible(HWND control);
// Draws the dotted focus frame `r` of an owner-drawn control into dc, when FocusCueVisible.
void DrawFocusCue(HWND control, HDC dc, RECT r);

// Enter and Space press a focused owner-drawn button: its answer to WM_GETDLGCODE, so the
// dialog keys hand them to it, and the test of a WM_KEYDOWN.
LRESULT WantPressKeys(LPARAM lp);
constexpr bool IsPressKey(WPARAM vk) { return vk == VK_RETURN || vk == VK_SPACE; }

}  // namespace tavik
