#include "fatal_error_box.h"

#include <windows.h>

#include "fatal_error.h"
#include "program.h"

void fatalError(int code, const char* message) {
    // For good: from here on no event reaches a handler.
    ++programState().handlersBlocked;
    char text[2048];
    composeFatalErrorText(code, message, text, sizeof text);
    MessageBoxA(nullptr, text, kFatalErrorCaption, MB_OK | MB_ICONERROR);
    endAfterFatalError();
}
