#pragma once

#include <cstddef>

#include "lead_bytes.h"

// The command line that opens `address` with the program registered for
// HTML files, built from its registered command: the placeholder for the
// file and all after it cut away, one blank and the address appended.
//
//   "C:\b.exe" "%1" -x       -> "C:\b.exe"  + " " + address   (quoted "%1": cut at its opening quote)
//   C:\b.exe %1 -x           -> C:\b.exe  + " " + address     (plain %1: cut at it)
//   C:\b.exe -nohome         -> C:\b.exe -nohome + " " + address
//
// The quoted placeholder is searched character by character, so the second
// byte of a two-byte character is never taken for a quote. Returns false,
// writing nothing usable, when the result would not fit in `capacity` bytes
// with its NUL: a command line is never cut short.
bool buildOpenCommand(const char* registeredCommand, const char* address, const LeadByteTable& leadBytes,
                      char* out, std::size_t capacity);

// The buffer the command line is built in: 519 bytes and a NUL.
inline constexpr std::size_t kOpenCommandCapacity = 520;
