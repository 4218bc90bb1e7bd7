#include <windows.h>

#include "program.h"
#include "ui/handlers.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const int exitCode = programMain(ProgramHandlers{onWindowCreated, onStartClicked});
    cleanUpOnce();
    return exitCode;
}
