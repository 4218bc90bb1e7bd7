#pragma once

#include <span>

// Where Tab (forward) or Shift+Tab (backward) takes the focus among the
// window's controls, listed in creation order. `inRing[i]` tells whether
// control i is a tab stop that is visible and enabled; `focused` is the index
// of the control holding the focus, or -1 when none of them does.
// Returns the index to focus, or -1 for "do nothing".
//
//   ring 0 1 2 3 4, focus 4, forward         -> 0      wraps
//   ring 0 1 2 3 4, focus 0, backward        -> 4
//   ring 0 1 _ 3, focus 2 (not in the ring)  -> 3 forward, 1 backward
//   ring 0 1 _, focus 2, forward             -> 0      none after it: the first
//   no focus                                 -> -1
int tabTarget(std::span<const bool> inRing, int focused, bool forward);
