#pragma once

// The program's two event handlers.

// The main window's created event: the window is complete but still hidden.
void onWindowCreated();

// The Start button's clicked event: see run_control.h.
#include "run_control.h"
