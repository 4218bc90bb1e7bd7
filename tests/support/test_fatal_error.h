#pragma once

// The exit code of a test program that reached fatalError.
inline constexpr int kFatalErrorExitCode = 86;
