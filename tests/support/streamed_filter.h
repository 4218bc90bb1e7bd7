#pragma once

#include <cstddef>
#include <string>

#include "filter.h"

struct StreamRun {
    std::string output;
    FilterReport report;
};

// Streams `original` through the filter against `removal`, handing it over
// `chunk` bytes per read; every write after the first `failWritesAfter`
// fails.
StreamRun streamThroughFilter(const std::string& original, const std::string& removal,
                              const FilterSettings& settings, std::size_t chunk,
                              std::size_t failWritesAfter = static_cast<std::size_t>(-1));
