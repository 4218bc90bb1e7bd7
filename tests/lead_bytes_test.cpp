#include <gtest/gtest.h>

#include <string>

#include "lead_bytes.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::string leadRanges(const LeadByteTable& table) {
    std::string out;
    for (int byte = 0; byte < 256; ++byte) {
        if (!table.isLead[byte] || (byte > 0 && table.isLead[byte - 1])) continue;
        int last = byte;
        while (last + 1 < 256 && table.isLead[last + 1]) ++last;
        char range[16];
        std::snprintf(range, sizeof range, "%s%02X-%02X", out.empty() ? "" : " ", byte, last);
        out += range;
    }
    return out;
}

TEST(LeadBytes, StockTables) {
    EXPECT_EQ("80-FF", leadRanges(allHighBytesLead()));
    EXPECT_EQ("", leadRanges(noLeadBytes()));
    EXPECT_TRUE(allHighBytesLead().any());
    EXPECT_FALSE(noLeadBytes().any());
}

TEST(LeadBytes, CodePages) {
    const struct {
        int codePage;
        const char* ranges;
    } cases[] = {
        {936, "81-FE"}, {932, "81-9F E0-FC"}, {949, "81-FE"}, {950, "81-FE"},
        {1361, "84-D3 D8-DE E0-F9"}, {1252, ""}, {437, ""}, {28591, ""}, {65001, ""},
    };
    for (const auto& c : cases) {
        LeadByteTable table;
        table.isLead.fill(true);  // must be overwritten
        ASSERT_TRUE(leadBytesOfCodePage(c.codePage, table)) << c.codePage;
        EXPECT_EQ(c.ranges, leadRanges(table)) << c.codePage;
    }
    LeadByteTable untouched;
    EXPECT_FALSE(leadBytesOfCodePage(12345, untouched));
    EXPECT_FALSE(leadBytesOfCodePage(0, untouched));
}

#ifdef _WIN32
// Our own tables must say what the system says, for every double-byte page.
TEST(LeadBytes, MatchTheSystemTables) {
    for (int codePage : {932, 936, 949, 950, 1361}) {
        if (!IsValidCodePage(codePage)) continue;
        LeadByteTable ours;
        ASSERT_TRUE(leadBytesOfCodePage(codePage, ours));
        LeadByteTable system;
        for (int byte = 0; byte < 256; ++byte) {
            system.isLead[byte] = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(byte)) != FALSE;
        }
        EXPECT_EQ(leadRanges(system), leadRanges(ours)) << "code page " << codePage;
    }
}
#endif

}  // namespace
