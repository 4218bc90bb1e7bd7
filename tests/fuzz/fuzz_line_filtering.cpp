// Random texts through the splitter, the removal pass and the streaming
// filter, each checked against the slow literal versions.
//
// Input layout: byte 0 picks the lead-byte table, byte 1 the stream's read
// size, the rest is "original NUL removal".

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fatal_error.h"
#include "filter.h"
#include "lead_bytes.h"
#include "line_list.h"
#include "remove_lines.h"
#include "support/reference.h"
#include "support/streamed_filter.h"

void fatalError(int code, const char* message) {
    std::fprintf(stderr, "fatalError %d %s\n", code, message ? message : "");
    std::abort();
}

namespace {

[[noreturn]] void mismatch(const char* what) {
    std::fprintf(stderr, "mismatch: %s\n", what);
    std::abort();
}

const LeadByteTable& pickTable(std::uint8_t selector) {
    static const LeadByteTable gbk = [] {
        LeadByteTable table;
        leadBytesOfCodePage(936, table);
        return table;
    }();
    switch (selector % 3) {
        case 0: return allHighBytesLead();
        case 1: return noLeadBytes();
        default: return gbk;
    }
}

std::string streamedOutput(const std::string& original, const std::string& removal, const LeadByteTable& table,
                           std::size_t chunk) {
    const StreamRun run = streamThroughFilter(original, removal, FilterSettings{&table, LineBreak::crLf}, chunk);
    if (run.report.outcome != FilterOutcome::done) mismatch("stream did not finish");
    return run.output;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const LeadByteTable& table = pickTable(data[0]);
    const std::size_t chunk = 1 + data[1] % 16;
    const std::string rest(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::size_t separator = rest.find('\0');
    const std::string original = rest.substr(0, separator);
    std::string removal = separator == std::string::npos ? std::string() : rest.substr(separator + 1);
    removal = removal.substr(0, removal.find('\0'));  // a text ends at its first NUL

    const LineList originalList = splitLines(original.c_str(), table);
    const LineList removalList = splitLines(removal.c_str(), table);
    if (linesOf(originalList) != referenceSplit(original, table)) mismatch("split of the original");
    if (linesOf(removalList) != referenceSplit(removal, table)) mismatch("split of the removal list");

    std::string fast;
    removeLines(originalList, removalList, [&](const char* piece, std::size_t length) {
        if (std::strlen(piece) != length) mismatch("piece length");
        fast.append(piece, length);
    });
    std::string slow;
    for (const std::string& piece : referenceRemove(originalList, removalList)) slow += piece;
    if (fast != slow) mismatch("removal pass");

    // The stream treats a leading byte-order mark apart; compare without one.
    if (original.rfind("\xEF\xBB\xBF", 0) != 0 && removal.rfind("\xEF\xBB\xBF", 0) != 0 &&
        streamedOutput(original, removal, table, chunk) != fast) {
        mismatch("streaming filter");
    }
    return 0;
}
