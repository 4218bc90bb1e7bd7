#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "filter.h"
#include "lead_bytes.h"
#include "line_list.h"
#include "remove_lines.h"
#include "support/streamed_filter.h"
#include "support/visible_bytes.h"

namespace {

// What the whole-text pass hands out, concatenated.
std::string wholeTextResult(const std::string& original, const std::string& removal, const LeadByteTable& table) {
    std::string result;
    removeLines(splitLines(original.c_str(), table), splitLines(removal.c_str(), table),
                [&](const char* piece, std::size_t length) { result.append(piece, length); });
    return result;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
    return text;
}


class RandomTexts {
public:
    explicit RandomTexts(unsigned seed) : seed_(seed) {}
    unsigned next() { return (seed_ = seed_ * 1664525u + 1013904223u) >> 8; }
    std::string text(bool withCr) {
        static const char* const tokens[] = {"a", "b", "ab", "\r", "\n", "\r\n", "\r\n", "\x80", "\xB0", "\xFF", " ", "\xEF\xBB\xBF"};
        std::string text;
        if (next() % 5 == 0) text = "\xEF\xBB\xBF";  // a byte-order mark now and then
        const std::size_t count = next() % 30;
        for (std::size_t i = 0; i < count; ++i) {
            std::string token = tokens[next() % std::size(tokens)];
            if (!withCr) token = replaceAll(token, "\r", "");
            text += token;
        }
        return text;
    }

private:
    unsigned seed_;
};

std::string withoutMark(const std::string& text) {
    return text.rfind("\xEF\xBB\xBF", 0) == 0 ? text.substr(3) : text;
}

// Cut at every possible place, the stream must give what the whole-text pass
// gives: breaks, lead bytes and byte-order marks split across reads included.
TEST(Filter, StreamingMatchesWholeTextPass) {
    LeadByteTable gbk;
    ASSERT_TRUE(leadBytesOfCodePage(936, gbk));
    const LeadByteTable* tables[] = {&allHighBytesLead(), &noLeadBytes(), &gbk};
    RandomTexts random(77);
    for (int round = 0; round < 1500; ++round) {
        const std::string original = random.text(true);
        const std::string removal = random.text(true);
        for (const LeadByteTable* table : tables) {
            const std::string mark = original.rfind("\xEF\xBB\xBF", 0) == 0 ? "\xEF\xBB\xBF" : "";
            const std::string expected = mark + wholeTextResult(withoutMark(original), withoutMark(removal), *table);
            for (std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{5}, std::size_t{64}}) {
                const StreamRun run = streamThroughFilter(original, removal, FilterSettings{table, LineBreak::crLf}, chunk);
                ASSERT_EQ(FilterOutcome::done, run.report.outcome);
                ASSERT_EQ(visibleBytes(expected), visibleBytes(run.output))
                    << "round " << round << ", chunk " << chunk << "\noriginal " << visibleBytes(original)
                    << "\nremoval " << visibleBytes(removal);
            }
        }
    }
}

// With LF breaks, a CR-free text behaves as the same text with CR LF breaks.
TEST(Filter, LfBreaksMatchCrLfBreaks) {
    RandomTexts random(91);
    for (int round = 0; round < 1500; ++round) {
        const std::string original = random.text(false);
        const std::string removal = random.text(false);
        for (const LeadByteTable* table : {&allHighBytesLead(), &noLeadBytes()}) {
            const std::string mark = original.rfind("\xEF\xBB\xBF", 0) == 0 ? "\xEF\xBB\xBF" : "";
            const std::string expected =
                mark + replaceAll(wholeTextResult(replaceAll(withoutMark(original), "\n", "\r\n"),
                                                  replaceAll(withoutMark(removal), "\n", "\r\n"), *table),
                                  "\r\n", "\n");
            for (std::size_t chunk : {std::size_t{1}, std::size_t{4}, std::size_t{64}}) {
                const StreamRun run = streamThroughFilter(original, removal, FilterSettings{table, LineBreak::lf}, chunk);
                ASSERT_EQ(visibleBytes(expected), visibleBytes(run.output))
                    << "round " << round << ", chunk " << chunk << "\noriginal " << visibleBytes(original)
                    << "\nremoval " << visibleBytes(removal);
            }
        }
    }
}

// A line far longer than the first buffer is carried whole.
TEST(Filter, LinesLongerThanTheBuffer) {
    const std::string longLine(10000, 'q');
    const std::string original = "a\r\n" + longLine + "\r\nb\r\n" + longLine + "x\r\nc";
    const StreamRun run = streamThroughFilter(original, "b\r\n" + longLine, FilterSettings{&noLeadBytes()}, 7);
    EXPECT_EQ("a\r\n" + longLine + "x\r\nc", run.output);
}

TEST(Filter, TraitsOfTheOriginal) {
    const struct {
        const char* original;
        bool hasLf;
        bool hasLineBreak;
    } cases[] = {
        {"a\nb\n", true, false},
        {"a\r\nb\n", true, true},
        {"ab", false, false},
    };
    for (const auto& c : cases) {
        const StreamRun run = streamThroughFilter(c.original, "", FilterSettings{&noLeadBytes()}, 2);
        EXPECT_EQ(c.hasLf, run.report.originalTraits.hasLf) << visibleBytes(c.original);
        EXPECT_EQ(c.hasLineBreak, run.report.originalTraits.hasLineBreak) << visibleBytes(c.original);
    }
}

// A NUL stops the stream: what was decided before it is out, nothing after.
TEST(Filter, NulByteStopsWithoutWritingItsChunk) {
    const std::string original = std::string("a\r\nb\r\nc\0d\r\ne", 13);
    const StreamRun run = streamThroughFilter(original, "", FilterSettings{&noLeadBytes()}, 3);
    EXPECT_EQ(FilterOutcome::notText, run.report.outcome);
    EXPECT_EQ("a\r\nb", run.output);
}

TEST(Filter, WriteFailureStopsTheStream) {
    std::string original;
    for (int i = 0; i < 200000; ++i) original += std::to_string(i) + "\r\n";
    const StreamRun run = streamThroughFilter(original, "", FilterSettings{&noLeadBytes()}, 1 << 16, 1);
    EXPECT_EQ(FilterOutcome::writeFailed, run.report.outcome);
    EXPECT_LT(run.output.size(), original.size());
}

TEST(Filter, RemovalByteOrderMarkIsNotPartOfTheFirstLine) {
    const StreamRun run = streamThroughFilter("a\r\nb\r\nc", "\xEF\xBB\xBF" "a\r\nc", FilterSettings{&noLeadBytes()}, 64);
    EXPECT_EQ("b\r\n", run.output);
}

}  // namespace
