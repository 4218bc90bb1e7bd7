#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "lead_bytes.h"
#include "line_list.h"
#include "remove_lines.h"
#include "support/reference.h"
#include "text.h"

namespace {

using Pieces = std::vector<std::string>;

Pieces piecesOf(const LineList& original, const LineList& removal) {
    Pieces pieces;
    removeLines(original, removal, [&](const char* piece, std::size_t length) {
        EXPECT_EQ(std::strlen(piece), length);
        pieces.emplace_back(piece, length);
    });
    return pieces;
}

Pieces piecesOf(const char* original, const char* removal) {
    return piecesOf(splitLines(original, noLeadBytes()), splitLines(removal, noLeadBytes()));
}

std::string show(const Pieces& pieces) {
    std::string out;
    for (const std::string& piece : pieces) {
        out += "(";
        for (char c : piece) out += c == '\r' ? std::string("CR") : c == '\n' ? std::string("LF") : std::string(1, c);
        out += ")";
    }
    return out.empty() ? "none" : out;
}

TEST(TextEquals, ComparesRawBytes) {
    const struct {
        const char* left;
        const char* right;
        bool equal;
    } cases[] = {
        {"abc", "abc", true},     {"A", "a", false},      {"a ", "a", false},
        {" a", "a", false},       {"a\t", "a", false},    {"a\r", "a", false},
        {nullptr, "", true},      {nullptr, nullptr, true}, {"", "", true},
        {nullptr, "a", false},    {"ab", "abc", false},   {"\xB0\xA1", "\xB0\xA1", true},
        {"\xB0\xA1", "\xB0\xA2", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.equal, textEquals(c.left, c.right))
            << (c.left ? c.left : "(missing)") << " vs " << (c.right ? c.right : "(missing)");
        EXPECT_EQ(c.equal, textEquals(c.right, c.left));
    }
}

TEST(JoinTexts, ConcatenatesAndTreatsMissingAsEmpty) {
    EXPECT_STREQ("a\r\n", joinTexts({"a", "\r\n"}).get());
    EXPECT_STREQ("\r\n", joinTexts({nullptr, "\r\n"}).get());
    EXPECT_STREQ("xyz", joinTexts({"x", nullptr, "", "yz"}).get());
    const OwnedBytes empty = joinTexts({nullptr});
    ASSERT_NE(nullptr, empty.get());  // a fresh text, even when empty
    EXPECT_STREQ("", empty.get());
}

TEST(RemoveLines, Table) {
    const struct {
        const char* original;
        const char* removal;
        Pieces pieces;
    } cases[] = {
        {"", "a\r\nb", {}},
        {"a\r\nb", "", {"a\r\n", "b"}},
        {"a", "", {"a"}},
        {"a\r\nb\r\nc", "c", {"a\r\n", "b\r\n"}},
        {"a\r\nb\r\nc", "b", {"a\r\n", "c"}},
        {"a\r\nb\r\nc", "c\r\na\r\nb", {}},
        {"a\r\n\r\nb", "x", {"a\r\n", "\r\n", "b"}},
        {"a\r\n\r\n", "x", {"a\r\n", ""}},
        {"a\r\n\r\nb", "x\r\n\r\n", {"a\r\n", "b"}},
        {"a\r\na\r\nb\r\na", "a", {"b\r\n"}},
        {"a\r\nb", "a\r\na\r\na", {"b"}},
        {"A", "a", {"A"}},
        {"a ", "a", {"a "}},
        {"a\r", "a", {"a\r"}},
        // A single break at the end of the removal text adds no empty line.
        {"a\r\n\r\nb", "x\r\n", {"a\r\n", "\r\n", "b"}},
        // An empty line in the removal list matches only empty lines.
        {"\r\n \r\nb", "\r\nb", {" \r\n"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(show(c.pieces), show(piecesOf(c.original, c.removal)))
            << "original " << show({c.original}) << ", removal " << show({c.removal});
    }
}

TEST(RemoveLines, WindowExampleEndToEnd) {
    const Pieces pieces = piecesOf("11111\r\n22222\r\n33333\r\n44444", "22222\r\n33333\r\n");
    EXPECT_EQ(show({"11111\r\n", "44444"}), show(pieces));
    std::string resultBox;
    for (const std::string& piece : pieces) resultBox += piece;
    EXPECT_EQ("11111\r\n44444", resultBox);
}

// Removal lists big enough to make the index grow past its first size, with
// duplicates; checked against the slow scan.
TEST(RemoveLines, LargeListsAgreeWithScan) {
    std::string original;
    std::string removal;
    for (int i = 0; i < 3000; ++i) {
        original += std::to_string(i * 7 % 1000) + "\r\n";
        if (i % 3 == 0) removal += std::to_string(i % 500) + "\r\n";
    }
    const LineList originalList = splitLines(original.c_str(), noLeadBytes());
    const LineList removalList = splitLines(removal.c_str(), noLeadBytes());
    EXPECT_EQ(referenceRemove(originalList, removalList), piecesOf(originalList, removalList));
}

// Random small lists over an alphabet that makes collisions, duplicates,
// empty lines, lone CR and LF and high bytes likely; the fast pass must give
// the pieces of the line-by-line scan, under every table.
TEST(RemoveLines, RandomListsAgreeWithScan) {
    LeadByteTable gbk;
    ASSERT_TRUE(leadBytesOfCodePage(936, gbk));
    const LeadByteTable* tables[] = {&allHighBytesLead(), &noLeadBytes(), &gbk};
    unsigned seed = 2024;
    auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    const char* tokens[] = {"a", "b", "ab", "\r", "\n", "\r\n", "\r\n", "\r\n", "\x80", "\xB0", "\xFF", " ", "A"};
    auto randomText = [&] {
        std::string text;
        const std::size_t count = next() % 24;
        for (std::size_t i = 0; i < count; ++i) text += tokens[next() % std::size(tokens)];
        return text;
    };
    for (int round = 0; round < 3000; ++round) {
        const std::string original = randomText();
        const std::string removal = randomText();
        for (const LeadByteTable* table : tables) {
            const LineList originalList = splitLines(original.c_str(), *table);
            const LineList removalList = splitLines(removal.c_str(), *table);
            ASSERT_EQ(show(referenceRemove(originalList, removalList)), show(piecesOf(originalList, removalList)))
                << "round " << round << ": original " << show({original}) << ", removal " << show({removal});
        }
    }
}

}  // namespace
