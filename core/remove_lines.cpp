#include "remove_lines.h"

#include <cstring>

#include "removal_index.h"

void removeLines(const LineList& original, const LineList& removal, PieceSink sink) {
    RemovalIndex index(removal.count());
    index.add(removal.lines().data(), removal.count());

    const std::span<const LineView> lines = original.lines();
    const std::size_t lastLine = lines.size() - 1;  // unused when there is none

    // Every joined piece is built in this one buffer, grown as lines demand.
    OwnedBytes joined;
    std::size_t joinedCapacity = 0;

    decideLines(index, lines.data(), lines.size(), [&](std::size_t k, bool removed) {
        if (removed) return;
        const LineView& line = lines[k];
        if (k == lastLine) {
            sink(line.bytes ? line.bytes : "", line.length);
            return;
        }
        if (joinedCapacity < line.length + 3) {
            joinedCapacity = line.length + 3 > 2 * joinedCapacity ? line.length + 3 : 2 * joinedCapacity;
            joined = allocateOwnedBytes(joinedCapacity);
        }
        if (line.length) std::memcpy(joined.get(), line.bytes, line.length);
        std::memcpy(joined.get() + line.length, "\r\n", 3);
        sink(joined.get(), line.length + 2);
    });
}
