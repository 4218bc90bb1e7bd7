#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lead_bytes.h"
#include "line_list.h"
#include "support/reference.h"
#include "support/test_fatal_error.h"

namespace {

using Lines = std::vector<ReferenceLine>;
constexpr std::nullopt_t kEmpty = std::nullopt;

std::string show(const Lines& lines) {
    std::string out = "[";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) out += ", ";
        if (!lines[i]) {
            out += "(empty)";
            continue;
        }
        for (unsigned char c : *lines[i]) {
            if (c == '\r') out += "CR";
            else if (c == '\n') out += "LF";
            else if (c < 0x20 || c >= 0x7F) out.append("<").append(std::to_string(c)).append(">");
            else out += static_cast<char>(c);
        }
    }
    return out + "]";
}

// H below is \xB0: a GBK lead byte, so the 936 table agrees with the
// all-high-bytes rule on these rows.
struct SplitCase {
    const char* text;
    Lines withAllHighLead;  // the historical rule: every byte >= 0x80 leads
    Lines withoutLead;      // single-byte code pages and UTF-8
};

const SplitCase kSplitCases[] = {
    {"", {}, {}},
    {"a", {"a"}, {"a"}},
    {"a\r\n", {"a"}, {"a"}},
    {"\r\na", {kEmpty, "a"}, {kEmpty, "a"}},
    {"a\r\n\r\nb", {"a", kEmpty, "b"}, {"a", kEmpty, "b"}},
    {"a\r\n\r\n", {"a", kEmpty}, {"a", kEmpty}},
    {"\r\n", {kEmpty}, {kEmpty}},
    {"\r\n\r\n", {kEmpty, kEmpty}, {kEmpty, kEmpty}},
    {"a\rb", {"a\rb"}, {"a\rb"}},
    {"a\nb", {"a\nb"}, {"a\nb"}},
    {"a\r", {"a\r"}, {"a\r"}},
    {"a\r\r\nb", {"a\r", "b"}, {"a\r", "b"}},
    {"a\n\r\nb", {"a\n", "b"}, {"a\n", "b"}},
    {"a\r\n\nb", {"a", "\nb"}, {"a", "\nb"}},
    {"x\r\ny\xB0\r\n", {"x", "y\xB0\r\n"}, {"x", "y\xB0"}},
    {"y\xB0\r\nz", {"y\xB0\r\nz"}, {"y\xB0", "z"}},
    {"y\xB0\r\n\r\nz", {"y\xB0\r\n", "z"}, {"y\xB0", kEmpty, "z"}},
    {"\xB0\r\n\r\n", {"\xB0\r\n"}, {"\xB0", kEmpty}},
    {"ab\xB0", {"ab\xB0"}, {"ab\xB0"}},
    {"\xB0\xA1\r\n\xB0\xA1", {"\xB0\xA1", "\xB0\xA1"}, {"\xB0\xA1", "\xB0\xA1"}},
    // A lone CR before the end, and CR LF straight after a two-byte character.
    {"\xB0\xA1\r\n", {"\xB0\xA1"}, {"\xB0\xA1"}},
    {"\xB0\xA1\r", {"\xB0\xA1\r"}, {"\xB0\xA1\r"}},
};

TEST(SplitLines, TableWithEveryHighByteLeading) {
    for (const SplitCase& c : kSplitCases) {
        const Lines actual = linesOf(splitLines(c.text, allHighBytesLead()));
        EXPECT_EQ(show(c.withAllHighLead), show(actual)) << "text " << show({c.text});
    }
}

TEST(SplitLines, TableWithoutLeadBytes) {
    for (const SplitCase& c : kSplitCases) {
        const Lines actual = linesOf(splitLines(c.text, noLeadBytes()));
        EXPECT_EQ(show(c.withoutLead), show(actual)) << "text " << show({c.text});
    }
}

TEST(SplitLines, MissingTextIsEmpty) {
    EXPECT_EQ(0u, splitLines(nullptr, allHighBytesLead()).count());
    EXPECT_EQ(0u, splitLines(nullptr, noLeadBytes()).count());
}

// In code page 936 the euro sign 0x80 and 0xFF are single bytes: a line that
// ends in one keeps its line break. Real lead bytes still pair.
TEST(SplitLines, CodePage936DiffersOnlyOutsideTheLeadRange) {
    LeadByteTable gbk;
    ASSERT_TRUE(leadBytesOfCodePage(936, gbk));
    const struct {
        const char* text;
        Lines withGbk;
        Lines withAllHighLead;
    } cases[] = {
        {"y\x80\r\nz", {"y\x80", "z"}, {"y\x80\r\nz"}},
        {"y\xFF\r\nz", {"y\xFF", "z"}, {"y\xFF\r\nz"}},
        {"\x80\r\n\x80", {"\x80", "\x80"}, {"\x80\r\n\x80"}},
        {"y\x81\r\nz", {"y\x81\r\nz"}, {"y\x81\r\nz"}},
        {"y\xFE\r\nz", {"y\xFE\r\nz"}, {"y\xFE\r\nz"}},
        {"\xD6\xD0\x80\r\n\xD6\xD0", {"\xD6\xD0\x80", "\xD6\xD0"}, {"\xD6\xD0\x80\r\n\xD6\xD0"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(show(c.withGbk), show(linesOf(splitLines(c.text, gbk)))) << show({c.text});
        EXPECT_EQ(show(c.withAllHighLead), show(linesOf(splitLines(c.text, allHighBytesLead()))))
            << show({c.text});
    }
}

// The fast paths of the scanner (word-wise searches, long runs of ASCII)
// against the byte-by-byte walk, on texts long enough to use them.
TEST(SplitLines, AgreesWithByteWalkOnLongMixedTexts) {
    LeadByteTable gbk;
    ASSERT_TRUE(leadBytesOfCodePage(936, gbk));
    const LeadByteTable* tables[] = {&allHighBytesLead(), &noLeadBytes(), &gbk};
    unsigned seed = 12345;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    const char alphabet[] = {'a', 'b', '\r', '\n', '\r', '\n', '\x80', '\xB0', '\xFF', ' '};
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const std::size_t length = next() % 200;
        for (std::size_t i = 0; i < length; ++i) {
            // Long ASCII stretches now and then, so word-wise scans kick in.
            text += next() % 7 == 0 ? std::string(next() % 40, 'q') : std::string(1, alphabet[next() % 10]);
        }
        for (const LeadByteTable* table : tables) {
            ASSERT_EQ(show(referenceSplit(text, *table)), show(linesOf(splitLines(text.c_str(), *table))))
                << "round " << round;
        }
    }
}

TEST(LineList, EmptyLinesAreAbsent) {
    const LineList list = splitLines("\r\nx\r\n\r\n", noLeadBytes());
    ASSERT_EQ(3u, list.count());
    EXPECT_EQ(nullptr, list.line(1));
    EXPECT_STREQ("x", list.line(2));
    EXPECT_EQ(nullptr, list.line(3));
}

TEST(LineList, LinesAreCopies) {
    std::string text = "one\r\ntwo";
    const LineList list = splitLines(text.c_str(), noLeadBytes());
    text.assign(text.size(), '#');
    EXPECT_STREQ("one", list.line(1));
    EXPECT_STREQ("two", list.line(2));
}

// Line numbers outside 1..count end the program with the codes and GBK
// messages of the two access errors.
TEST(LineListDeathTest, OutOfRangeNumbersAreFatal) {
    const LineList list = splitLines("a\r\nb", noLeadBytes());
    const std::string belowOne =
        "fatalError 4 CAFDD7E9B3C9D4B1D2FDD3C3CFC2B1EAB1D8D0EBB4F3D3DAB5C8D3DA31";
    const std::string aboveCount =
        "fatalError 1 CAFDD7E9B3C9D4B1D2FDD3C3CFC2B1EAB3ACB3F6B6A8D2E5B7B6CEA7";
    EXPECT_EXIT(list.line(0), testing::ExitedWithCode(kFatalErrorExitCode), belowOne);
    EXPECT_EXIT(list.line(-7), testing::ExitedWithCode(kFatalErrorExitCode), belowOne);
    EXPECT_EXIT(list.line(3), testing::ExitedWithCode(kFatalErrorExitCode), aboveCount);
    const LineList empty = splitLines("", noLeadBytes());
    EXPECT_EXIT(empty.line(1), testing::ExitedWithCode(kFatalErrorExitCode), aboveCount);
}

}  // namespace
