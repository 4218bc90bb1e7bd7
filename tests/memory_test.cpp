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
    const std::string expected = "fatalError 0 B7D6C5E420" + [&] {
        std::string hex;
        for (char digit : std::to_string(tooMuch)) hex += "3" + std::string(1, digit);
        return hex;
    }() + "20D7D6BDDAC4DAB4E6CAA7B0DC21";
    EXPECT_EXIT(allocateBytes(tooMuch), testing::ExitedWithCode(kFatalErrorExitCode), expected);
}

}  // namespace
