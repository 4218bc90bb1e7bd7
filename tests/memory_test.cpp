#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "memory.h"
#include "messages.h"
#include "support/test_fatal_error.h"

namespace {

// The messages must be GBK at run time whatever the compiler's own character
// set; these are the bytes written out independently.
TEST(Messages, AreGbkBytes) {
    EXPECT_EQ(std::string("\xB7\xD6\xC5\xE4 %d \xD7\xD6\xBD\xDA\xC4\xDA\xB4\xE6\xCA\xA7\xB0\xDC!"),
              kMessageAllocationFailed);
    char message[kAllocationMessageCapacity];
    formatAllocationFailure(123456789012u, message);
    EXPECT_EQ(std::string("\xB7\xD6\xC5\xE4 123456789012 \xD7\xD6\xBD\xDA\xC4\xDA\xB4\xE6\xCA\xA7\xB0\xDC!"),
              message);
    formatAllocationFailure(SIZE_MAX, message);
    EXPECT_EQ(std::string("\xB7\xD6\xC5\xE4 ") + std::to_string(SIZE_MAX) +
                  " \xD7\xD6\xBD\xDA\xC4\xDA\xB4\xE6\xCA\xA7\xB0\xDC!",
              message);
}

// A request no allocator can meet reaches fatalError with code 0 and the byte
// count asked for, instead of a null pointer or an exception.
TEST(MemoryDeathTest, FailedAllocationIsFatalWithItsSize) {
    const std::size_t tooMuch = SIZE_MAX / 2;
    std::string expected = "fatalError 0 B7D6C5E420";
    for (char digit : std::to_string(tooMuch)) {
        expected += '3';  // the digits' ASCII codes in hex: 0x30 to 0x39
        expected += digit;
    }
    expected += "20D7D6BDDAC4DAB4E6CAA7B0DC21";
    EXPECT_EXIT(allocateBytes(tooMuch), testing::ExitedWithCode(kFatalErrorExitCode), expected);
}

}  // namespace
