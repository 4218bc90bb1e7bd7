#pragma once

// Opens `address` with the system's handler for web addresses; true when a
// program the system started was handed it. The shell is asked first; when it
// cannot open the address, the program registered for HTML files is started
// with it (openWithHtmlProgram). Shows no message either way; runs on the
// caller's thread and returns once the program is started or refused.
bool openTarget(const char* address, int showCommand);

// The second way alone: the class HKEY_CLASSES_ROOT\.htm names, its
// shell\open\command cut at the placeholder (buildOpenCommand), the address
// appended, started with WinExec. False, with nothing started, when the
// address is empty, a registered value is missing, not REG_SZ, empty or over
// 259 bytes, or the command line would not fit its buffer.
bool openWithHtmlProgram(const char* address, int showCommand);
