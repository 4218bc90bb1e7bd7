#include "tab_ring.h"

int tabTarget(std::span<const bool> inRing, int focused, bool forward) {
    const int count = static_cast<int>(inRing.size());
    if (focused < 0 || focused >= count) return -1;
    const int step = forward ? 1 : -1;
    // The next ring member in the direction of travel, past the focused one...
    for (int at = focused + step; at >= 0 && at < count; at += step) {
        if (inRing[at]) return at;
    }
    // ...or, past the end, the first (last) of the ring. For a focused
    // control in the ring this wraps round; one outside the ring with no
    // member beyond it lands on the ring's first (last) control alike.
    for (int at = forward ? 0 : count - 1; at >= 0 && at < count; at += step) {
        if (inRing[at]) return at;
    }
    return -1;
}
