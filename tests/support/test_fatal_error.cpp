// The tests' fatalError: prints the code and the message's bytes in hex, so a
// death test can match the exact GBK bytes with a plain pattern on every
// platform, then exits with a code of its own.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fatal_error.h"
#include "test_fatal_error.h"

void fatalError(int code, const char* message) {
    std::fprintf(stderr, "fatalError %d ", code);
    for (const char* at = message ? message : ""; *at; ++at) {
        std::fprintf(stderr, "%02X", static_cast<unsigned char>(*at));
    }
    std::fprintf(stderr, "\n");
    std::fflush(stderr);
    std::_Exit(kFatalErrorExitCode);
}
