#pragma once

// The little the command-line tool needs from the operating system, the same
// on Linux and Windows: raw binary reads and writes on file descriptors.
// Not named io.h: on this include path it would hide the Windows C runtime's
// <io.h>, which this file and GoogleTest need.

#include <cstddef>
#include <string>

#include "lead_bytes.h"
#include "memory.h"

inline constexpr int kStandardInput = 0;
inline constexpr int kStandardOutput = 1;

// Binary standard streams; a closed pipe reported as a write error instead
// of a signal.
void prepareStandardStreams();

// Opens a file for reading, or returns -1 and leaves the reason in `error`.
int openForReading(const char* path, std::string& error);
void closeFile(int fd);

long long readSome(int fd, char* into, std::size_t capacity);
bool writeAll(int fd, const char* bytes, std::size_t length);

// Reads to the end. On failure returns false with the reason in `error`.
bool readWhole(int fd, OwnedBytes& bytes, std::size_t& length, std::string& error);

// The text of the last failed call's error number.
std::string lastErrorText();

// The lead bytes of the system's ANSI code page: on Windows the active code
// page's; elsewhere text is UTF-8 or single-byte, so none.
LeadByteTable systemLeadBytes();

// The error text of the program itself, converted for the terminal where the
// terminal is not GBK.
std::string messageForTerminal(const char* gbkMessage);
