#include "reference.h"

#include "text.h"

std::vector<ReferenceLine> referenceSplit(std::string_view text, const LeadByteTable& leadBytes) {
    std::vector<ReferenceLine> lines;
    const std::size_t n = text.size();
    if (n == 0) return lines;
    auto append = [&](std::size_t from, std::size_t to) {
        if (to == from) {
            lines.push_back(std::nullopt);
        } else {
            lines.push_back(std::string(text.substr(from, to - from)));
        }
    };
    std::size_t p = 0;
    std::size_t s = 0;
    std::size_t r = n;
    while (r >= 2) {
        const auto byte = static_cast<unsigned char>(text[p]);
        if (text[p] == '\r' && text[p + 1] == '\n') {
            append(s, p);
            p += 2;
            s = p;
        } else if (leadBytes[byte]) {
            p += 2;
        } else {
            p += 1;
        }
        r = n - p;
    }
    if (s < n) append(s, n);
    return lines;
}

std::vector<std::string> referenceRemove(const LineList& original, const LineList& removal) {
    std::vector<std::string> pieces;
    const auto n = static_cast<std::int64_t>(original.count());
    for (std::int64_t i = 1; i <= n; ++i) {
        const auto m = static_cast<std::int64_t>(removal.count());
        bool removed = false;
        for (std::int64_t j = 1; j <= m; ++j) {
            if (textEquals(original.line(i), removal.line(j))) {
                removed = true;
                break;
            }
        }
        if (removed) continue;
        if (i == n) {
            const char* line = original.line(i);
            pieces.emplace_back(line ? line : "");
        } else {
            pieces.emplace_back(joinTexts({original.line(i), "\r\n"}).get());
        }
    }
    return pieces;
}

std::vector<ReferenceLine> linesOf(const LineList& list) {
    std::vector<ReferenceLine> lines;
    for (std::int64_t i = 1; i <= static_cast<std::int64_t>(list.count()); ++i) {
        const char* line = list.line(i);
        lines.push_back(line ? ReferenceLine(line) : std::nullopt);
    }
    return lines;
}
