#pragma once

#include <windows.h>

#include "lead_bytes.h"
#include "memory.h"

// A run: the Start button pressed, one background thread reads the original
// and removal boxes, splits them, and appends every remaining line to the
// end of the result box as soon as it is decided; then the button comes back.
//
// Design: the background thread touches the controls only through
// synchronous window messages, and nothing else is shared. Each piece goes to
// the user-interface thread in one message, whose handler moves the caret to
// the end and inserts the piece there in one go, so no click or keystroke of
// the user can land between finding the end and inserting, and the end is
// found without measuring the whole text (which would make a run quadratic).

// The Start button's click: disables it and starts the run. Returns at once.
void onStartClicked();

// Sent to the main window with a NUL-terminated piece in lParam: appends it
// to the result box, on the box's own thread.
inline constexpr UINT kAppendToResultMessage = WM_APP + 10;

// Puts `text` at the end of an edit box, the caret behind it, scrolled into
// view, not undoable. Call on the box's own thread.
void appendAtEnd(HWND editBox, const char* text);

// What a run does to the controls, callable from any thread: each goes
// through window messages only.
//
// The whole text of a control, or null for an empty one. Fatal (code 0,
// "指定窗口尚未载入") once the main window is gone.
OwnedBytes readText(int controlId);
// Appends a piece at the end of the result box. Fatal (code 0,
// "指定窗口或窗口组件不存在或尚未载入") once the main window is gone.
void appendText(const char* piece);
// Enables or disables a control; nothing at all once the window is gone.
void setDisabled(int controlId, bool disabled);

// The lead bytes of the active ANSI code page, the one the boxes' texts are in.
LeadByteTable activeCodePageLeadBytes();

// Releases the system library loaded to start threads, if a run loaded it.
void releaseThreadLibrary();
