#include "streamed_filter.h"

#include <algorithm>
#include <cstring>

StreamRun streamThroughFilter(const std::string& original, const std::string& removal,
                              const FilterSettings& settings, std::size_t chunk, std::size_t failWritesAfter) {
    OwnedBytes removalBytes = allocateOwnedBytes(removal.size() + 1);
    std::memcpy(removalBytes.get(), removal.data(), removal.size());
    const RemovalSet set(std::move(removalBytes), removal.size(), settings);
    StreamRun run;
    std::size_t readAt = 0;
    std::size_t writes = 0;
    run.report = filterOriginal(
        [&](char* into, std::size_t capacity) -> long long {
            const std::size_t count = std::min({capacity, chunk, original.size() - readAt});
            std::memcpy(into, original.data() + readAt, count);
            readAt += count;
            return static_cast<long long>(count);
        },
        set, settings,
        [&](const char* bytes, std::size_t length) {
            if (writes++ >= failWritesAfter) return false;
            run.output.append(bytes, length);
            return true;
        },
        chunk);
    return run;
}
