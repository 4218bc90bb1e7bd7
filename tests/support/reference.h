#pragma once

// Slow, literal versions of line splitting and line removal, to check the
// fast ones against: the splitter walks the text byte by byte in one pass,
// the removal pass scans the whole removal list for every original line.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lead_bytes.h"
#include "line_list.h"

// A line as the tests see it; std::nullopt is an absent (empty) line.
using ReferenceLine = std::optional<std::string>;

std::vector<ReferenceLine> referenceSplit(std::string_view text, const LeadByteTable& leadBytes);

// The pieces, one string each, in the order a sink would receive them.
std::vector<std::string> referenceRemove(const LineList& original, const LineList& removal);

// The lines of a LineList, read through its numbered access.
std::vector<ReferenceLine> linesOf(const LineList& list);
