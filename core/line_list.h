#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "lead_bytes.h"
#include "memory.h"

// One line of a LineList. `bytes` is NUL-terminated and owned by the list;
// an empty line is absent: bytes == nullptr and length == 0.
struct LineView {
    const char* bytes;
    std::size_t length;
};

// The ordered lines of a text, numbered from 1 to count(). Made by splitLines;
// nothing changes it afterwards. Move-only; releasing it releases every line.
class LineList {
public:
    LineList() = default;
    LineList(LineList&&) noexcept = default;
    LineList& operator=(LineList&&) noexcept = default;

    std::size_t count() const { return lines_.size(); }

    // Line `number`, 1 <= number <= count(): its text, or nullptr for an empty
    // line. A number below 1 or above the count ends the program through
    // fatalError (codes 4 and 1).
    const char* line(std::int64_t number) const;

    // All lines, in order, for passes that walk the whole list.
    std::span<const LineView> lines() const { return {lines_.data(), lines_.size()}; }

private:
    friend LineList splitLines(const char* text, const LeadByteTable& leadBytes);

    // A copy of the text in which the CR (or LF) of every line break is
    // overwritten with NUL, so each line ends in place: one allocation for
    // all the bytes, none per line.
    OwnedBytes storage_;
    std::vector<LineView, CoreAllocator<LineView>> lines_;
};

// Cuts `text` (NUL-terminated; nullptr counts as empty) into its lines at
// every CR LF that stands at a character boundary under `leadBytes`.
//
//   ""                         -> []
//   "a"                        -> [a]
//   "a\r\n"                    -> [a]            a final break closes a line only
//   "\r\na"                    -> [(empty), a]
//   "a\r\n\r\n"                -> [a, (empty)]
//   "a\r\r\nb"                 -> [a\r, b]       lone CR and LF are ordinary bytes
//   "y\xB0\r\nz", all high bytes lead -> [y\xB0\r\nz]   the CR is a second byte
//   "y\xB0\r\nz", no lead bytes       -> [y\xB0, z]
LineList splitLines(const char* text, const LeadByteTable& leadBytes);
