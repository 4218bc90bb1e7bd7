// Where the program's folder ends in its path, in code page 936 where a
// character's second byte may be a backslash.

#include <gtest/gtest.h>

#include <string>

#include "program_folder.h"

namespace {

bool gbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
bool noLeadByte(unsigned char) { return false; }

TEST(ProgramFolder, Length) {
    const struct {
        const char* path;
        bool (*isLeadByte)(unsigned char);
        const char* folder;
    } cases[] = {
        {"C:\\Tools\\Korvel\\a.exe", gbkLeadByte, "C:\\Tools\\Korvel"},
        {"C:\\a.exe", gbkLeadByte, "C:\\"},  // "C:" alone names the drive's current folder
        {"Z:\\\x81\x5C.exe", gbkLeadByte, "Z:\\"},
        {"C:\\d\\\x81\x5C.exe", gbkLeadByte, "C:\\d"},
        {"C:\\d\\\x81\x5C.exe", noLeadByte, "C:\\d\\\x81"},  // the same bytes, read a byte at a time
        {"C:\\\xCE\xC4\\\x81\x5C\\\x81\x5C.exe", gbkLeadByte, "C:\\\xCE\xC4\\\x81\x5C"},
        {"C:\\d\\a\x81", gbkLeadByte, "C:\\d"},  // a lead byte last stands alone
        {"\\\\server\\share\\a.exe", gbkLeadByte, "\\\\server\\share"},
        {"a.exe", gbkLeadByte, ""},
        {"", gbkLeadByte, ""},
    };
    for (const auto& c : cases) {
        const std::string path = c.path;
        EXPECT_EQ(c.folder, path.substr(0, programFolderLength(c.path, c.isLeadByte))) << path;
    }
}

}  // namespace
