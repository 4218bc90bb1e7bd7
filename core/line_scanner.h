#pragma once

#include <cstddef>

#include "lead_bytes.h"

// Finding line breaks in a byte range, shared by splitLines and the streaming
// filter of the command-line tool.
//
// A line break is CR LF (or LF alone in LineBreak::lf mode) found at a
// character boundary: scanning starts at the first byte of a line, a lead byte
// takes the byte after it along, whatever that byte is. So with 0x80 to 0xFF
// as lead bytes, "y \xB0 CR LF z" is one line, while "y \xB0 CR LF CR LF z"
// breaks after its second CR LF.

enum class LineBreak { crLf, lf };

inline std::size_t lineBreakLength(LineBreak style) { return style == LineBreak::crLf ? 2 : 1; }

struct LineScanner {
    const LeadByteTable* leadBytes;
    LineBreak style = LineBreak::crLf;
    bool anyLeadByte;  // cached leadBytes->any(): lets the scan take a fast path

    LineScanner(const LeadByteTable& table, LineBreak breakStyle)
        : leadBytes(&table), style(breakStyle), anyLeadByte(table.any()) {}
};

inline constexpr std::size_t kNoLineBreak = static_cast<std::size_t>(-1);

// Returns the offset of the first byte of the first line break in
// [lineStart, end), or kNoLineBreak. `lineStart` must be the start of a line
// (the start of the text or just after a break). A lead byte that is the last
// byte of the range may still pair with a byte beyond `end`; the answer for a
// longer range never contradicts a break found in a shorter one.
std::size_t findLineBreak(const unsigned char* bytes, std::size_t lineStart, std::size_t end,
                          const LineScanner& scanner);

// Finds, in order, the line breaks that close the lines of [lineStart, end),
// as findLineBreak would one after another with each next line starting just
// past the break before. Stores the offsets of the first bytes of up to
// `capacity` breaks in `breaks` and returns how many it stored: fewer than
// `capacity` means there are no more. Callers find many lines in one call
// instead of paying a call per line.
std::size_t findLineBreaks(const unsigned char* bytes, std::size_t lineStart, std::size_t end,
                           const LineScanner& scanner, std::size_t* breaks, std::size_t capacity);
