#pragma once

#include <cstddef>

#include "function_ref.h"
#include "line_list.h"

// Receives one piece of the result: `piece` is NUL-terminated, `length` its
// byte count. The piece is only lent for the call; keep a copy if needed.
using PieceSink = FunctionRef<void(const char* piece, std::size_t length)>;

// Hands the sink, in order, every line of `original` that matches no line of
// `removal` (textEquals), followed by CR LF, except the line numbered
// count(original): that one comes without a line break. Each piece goes out
// as soon as its line is decided, on the calling thread.
//
//   [a, b, c] minus [b]        -> "a\r\n", "c"
//   [a, b, c] minus [c]        -> "a\r\n", "b\r\n"    last by number, not by what remains
//   [a, (empty)] minus [x]     -> "a\r\n", ""
//   [a, (empty), b] minus [x, (empty)] -> "a\r\n", "b"
//   [a, a, b, a] minus [a]     -> "b\r\n"             every occurrence goes
void removeLines(const LineList& original, const LineList& removal, PieceSink sink);
