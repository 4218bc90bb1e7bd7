#pragma once

#include <windows.h>

// The one window: three edit boxes, the Start button, the caption and example
// labels, the site link and the web panel.

inline constexpr char kMainWindowClassName[] = "KorvelSievraMain";

// What the window tells the program. Every member may be null.
struct MainWindowEvents {
    void (*controlsReady)();  // every control exists and is shown, window still hidden
    void (*created)();        // the created event: still hidden, just before it is shown
    void (*startClicked)();   // the Start button reported a click
    void (*destroyed)();      // the window and its controls are gone
};

// Builds the window hidden, makes and shows its controls, raises the created
// event and shows the window. False when the window or a control cannot be
// made; the window is then never shown.
bool loadMainWindow(const MainWindowEvents& events);

// The main window while it exists, else null.
HWND mainWindow();
// A control of the main window by its identifier (layout.h), or null.
HWND controlOf(int id);

// The window's own keyboard handling, ahead of TranslateMessage and
// DispatchMessage: true when it consumed the message. Only Tab and Shift+Tab
// are consumed (they walk the ring of tab stops); Enter goes on to the
// focused box, which inserts a line break, and every other key to its window.
bool handleWindowKey(const MSG& message);

// Destroys the program's icons (the clean-up at the end calls this).
void destroyProgramIcons();
