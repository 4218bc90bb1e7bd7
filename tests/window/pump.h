#pragma once

#include <windows.h>

#include <functional>

#include "main_window.h"

// Serves the thread's messages the way the program's loop does, until
// `condition` holds or `milliseconds` pass; returns whether it held.
inline bool pumpUntil(const std::function<bool()>& condition, DWORD milliseconds = 5000) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (handleWindowKey(message)) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}
