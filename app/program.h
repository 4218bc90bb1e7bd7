#pragma once

#include <windows.h>

#include <atomic>

// The program's life on the user-interface thread: start-up, the message
// loop, the clean-up and the two ways the program ends.

// The program's event handlers; either may be null.
struct ProgramHandlers {
    void (*onWindowCreated)();
    void (*onStartClicked)();
};

// Process-wide state. The counters are atomic because fatalError may raise
// the block from any thread.
struct ProgramState {
    DWORD userInterfaceThread = 0;
    bool loopEntered = false;
    std::atomic<int> handlersBlocked{0};
    std::atomic<bool> ending{false};
    bool oleInitialised = false;
};

ProgramState& programState();

// Start-up, the message loop; returns the quit message's code (0).
int programMain(const ProgramHandlers& handlers);

// Runs once, on the user-interface thread, before the process ends.
void cleanUpOnce();

// Ends the process with -1 after a confirmed fatal error box: through the
// user-interface thread, which runs the clean-up, whatever thread asks.
[[noreturn]] void endAfterFatalError();
