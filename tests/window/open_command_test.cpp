#include <gtest/gtest.h>

#include <string>

#include "lead_bytes.h"
#include "open_command.h"
#include "support/visible_bytes.h"

namespace {

TEST(OpenCommand, CutsTheRegisteredCommandAtItsPlaceholder) {
    LeadByteTable gbk;
    ASSERT_TRUE(leadBytesOfCodePage(936, gbk));
    const char* address = "http://example.com";
    const struct {
        const char* registered;
        const char* expected;
    } cases[] = {
        {"\"C:\\b.exe\" \"%1\" -x", "\"C:\\b.exe\"  http://example.com"},
        {"C:\\b.exe %1 -x", "C:\\b.exe  http://example.com"},
        {"C:\\b.exe -nohome", "C:\\b.exe -nohome http://example.com"},
        {"C:\\b.exe -a %1 -b \"%1\"", "C:\\b.exe -a %1 -b  http://example.com"},  // the quoted one wins
        {"", " http://example.com"},
        // \xB0\x22 is one character: its second byte is no quote, so no quoted
        // placeholder starts there; the plain %1 after it is found instead.
        {"C:\\\xB0\"%1\" x", "C:\\\xB0\" http://example.com"},
    };
    for (const auto& c : cases) {
        char out[kOpenCommandCapacity];
        ASSERT_TRUE(buildOpenCommand(c.registered, address, gbk, out, sizeof out)) << c.registered;
        EXPECT_EQ(visibleBytes(c.expected), visibleBytes(out)) << c.registered;
    }
}

// 519 bytes fit with the NUL; one more and nothing is built, never a cut line.
TEST(OpenCommand, RefusesWhatDoesNotFit) {
    const std::string address = "http://example.com";
    char out[kOpenCommandCapacity];
    const std::string fits(kOpenCommandCapacity - 1 - 1 - address.size(), 'c');
    ASSERT_TRUE(buildOpenCommand(fits.c_str(), address.c_str(), noLeadBytes(), out, sizeof out));
    EXPECT_EQ(kOpenCommandCapacity - 1, std::string(out).size());
    const std::string tooLong = fits + "c";
    EXPECT_FALSE(buildOpenCommand(tooLong.c_str(), address.c_str(), noLeadBytes(), out, sizeof out));
}

}  // namespace
