#pragma once

#include <windows.h>

// The cursor most of the program's windows show.
inline HCURSOR arrowCursor() { return LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)); }

// Registers one of the program's window classes, with no icon. A class this
// process has registered before (a window made again, as the tests do)
// counts as registered.
inline bool registerWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure, UINT style, HCURSOR cursor,
                                HBRUSH background = nullptr) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    return RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}
