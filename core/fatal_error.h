#pragma once

// The one way the core reports a failure it cannot handle. The program that
// links the core supplies the definition: the window shows its error box, the
// command-line tool and the tests print the message and exit non-zero.
// It never returns, and it may be called on any thread.
//
// `message` is a NUL-terminated text in the ANSI code page (GBK bytes for the
// texts in messages.h); a code of 0 means "no code".
[[noreturn]] void fatalError(int code, const char* message);
