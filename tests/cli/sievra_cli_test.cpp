// The sievra executable as a user meets it: arguments, files, standard
// streams, exit status. Every case starts the built program as a child.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unordered_set>
#include <vector>

#include "support/child_process.h"
#include "support/visible_bytes.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

std::string sievraPath;

constexpr char kMark[] = "\xEF\xBB\xBF";
constexpr std::chrono::seconds kStreamingWait{30};


std::size_t lineCount(const std::string& text) {
    std::size_t count = 0;
    for (char c : text) count += c == '\n';
    return count;
}

bool startsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

// How the program splits with no option: the system's code page.
enum class SystemSplit { singleByte, gbk, unknown };

SystemSplit systemSplit() {
#ifdef _WIN32
    const UINT codePage = GetACP();
    if (codePage == 936) return SystemSplit::gbk;
    CPINFO info;
    if (GetCPInfo(codePage, &info) && info.MaxCharSize == 1) return SystemSplit::singleByte;
    return SystemSplit::unknown;
#else
    return SystemSplit::singleByte;
#endif
}

class Sievra : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> serial{0};
#ifdef _WIN32
        const unsigned long processId = GetCurrentProcessId();
#else
        const unsigned long processId = static_cast<unsigned long>(getpid());
#endif
        dir_ = fs::temp_directory_path() /
               ("sievra-cli-" + std::to_string(processId) + "-" + std::to_string(serial++));
        fs::remove_all(dir_);
        ASSERT_TRUE(fs::create_directories(dir_)) << dir_;
    }

    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    std::string file(const std::string& name, const std::string& bytes) const {
        std::ofstream out(dir_ / name, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        EXPECT_TRUE(out) << "writing " << name;
        return path(name);
    }

    static ChildResult run(std::vector<std::string> arguments, std::string input = {},
                           std::chrono::milliseconds timeout = kChildTimeout) {
        ChildOptions options;
        options.arguments = std::move(arguments);
        options.input = std::move(input);
        ChildResult result = runChild(sievraPath, options, timeout);
        EXPECT_EQ("", result.startError);
        EXPECT_TRUE(result.finished) << "sievra did not finish in time";
        return result;
    }

    // One successful run of flags + ORIGINAL REMOVAL, stdout checked exactly;
    // stderr too unless LF warnings are expected (their own test checks them).
    void expectOutput(const std::vector<std::string>& flags, const std::string& original, const std::string& removal,
                      const std::string& expected, bool mayWarn = false) {
        std::vector<std::string> arguments = flags;
        arguments.push_back(file("original-" + std::to_string(files_) + ".txt", original));
        arguments.push_back(file("removal-" + std::to_string(files_) + ".txt", removal));
        ++files_;
        const ChildResult result = run(arguments);
        EXPECT_EQ(0, result.exitCode) << result.err;
        EXPECT_EQ(visibleBytes(expected), visibleBytes(result.out));
        if (!mayWarn) {
            EXPECT_EQ("", result.err);
        }
    }

    fs::path dir_;
    int files_ = 0;
};

struct RemovalCase {
    const char* name;
    std::string original;
    std::string removal;
    std::string expected;
};

// The same, run with options.
struct FlaggedCase {
    const char* name;
    std::vector<std::string> flags;
    std::string original;
    std::string removal;
    std::string expected;
};

TEST_F(Sievra, RemovesListedLinesAndEndsWithTheOriginalsLastLine) {
    const RemovalCase cases[] = {
        {"the window's example", "11111\r\n22222\r\n33333\r\n44444", "22222\r\n33333\r\n", "11111\r\n44444"},
        {"last line kept: no break after it", "a\r\nb\r\nc", "b", "a\r\nc"},
        {"last line removed: the kept line before keeps its break", "a\r\nb\r\nc", "c", "a\r\nb\r\n"},
        {"last two removed", "a\r\nb\r\nc", "c\r\nb", "a\r\n"},
        {"a final CR LF makes no empty line", "a\r\nb\r\n", "x", "a\r\nb"},
        {"a final CR LF after a removed last line", "a\r\nb\r\n", "b", "a\r\n"},
        {"everything removed", "a\r\nb\r\na", "b\r\na", ""},
        {"empty original", "", "a", ""},
        {"empty removal removes nothing", "a\r\n\r\nb", "", "a\r\n\r\nb"},
        {"an empty line is a line to remove", "a\r\n\r\nb", "\r\n", "a\r\nb"},
        {"an original of one empty line", "\r\n", "x", ""},
        {"lone CR and lone LF are ordinary bytes", "a\rb\r\nc\nd\r\ne", "x\r\nc\nd", "a\rb\r\ne"},
        {"equality is byte for byte", "Ab\r\nab\r\nab \r\n ab\r\nab\t", "ab", "Ab\r\nab \r\n ab\r\nab\t"},
        {"every copy of a listed line goes", "a\r\nb\r\na\r\nc\r\na", "a", "b\r\nc\r\n"},
        {"a removal list with repeats", "a\r\nb\r\nc", "b\r\nb\r\nb\r\n", "a\r\nc"},
        {"CR CR LF: the first CR is part of the line", "a\r\r\nb", "a", "a\r\r\nb"},
    };
    for (const RemovalCase& c : cases) {
        SCOPED_TRACE(c.name);
        expectOutput({}, c.original, c.removal, c.expected);
    }
}

TEST_F(Sievra, ReadsEitherOperandFromStandardInput) {
    const struct {
        const char* name;
        bool originalFromInput;  // else the removal list comes from standard input
        std::string original;
        std::string removal;
        std::string expected;
    } cases[] = {
        {"original", true, "11111\r\n22222\r\n33333\r\n44444", "22222\r\n33333\r\n", "11111\r\n44444"},
        {"removal", false, "11111\r\n22222\r\n33333\r\n44444", "22222\r\n33333\r\n", "11111\r\n44444"},
        {"original with a byte-order mark", true, kMark + "a\r\nb"s, "a", kMark + "b"s},
        {"removal with a byte-order mark", false, "a\r\nb", kMark + "a"s, "b"},
        {"empty original", true, "", "a", ""},
        {"empty removal", false, "a\r\nb\r\n", "", "a\r\nb"},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string suffix = std::to_string(index++) + ".txt";
        const ChildResult result =
            c.originalFromInput ? run({"-", file("removal" + suffix, c.removal)}, c.original)
                                : run({file("original" + suffix, c.original), "-"}, c.removal);
        EXPECT_EQ(0, result.exitCode) << result.err;
        EXPECT_EQ(visibleBytes(c.expected), visibleBytes(result.out));
        EXPECT_EQ("", result.err);
    }
}

TEST_F(Sievra, SplitsAtCharacterBoundariesOfTheChosenCodePage) {
    struct Row {
        const char* name;
        std::string original;
        std::string removal;
        std::string doubleByte;  // --double-byte: every byte from 0x80 leads
        std::string singleByte;
        std::string gbk;       // 936: 0x81..0xFE lead
        std::string shiftJis;  // 932: 0x81..0x9F and 0xE0..0xFC lead
    };
    const Row rows[] = {
        {"0xB0 before CR LF", "y\xB0\r\nz", "z", "y\xB0\r\nz", "y\xB0\r\n", "y\xB0\r\nz", "y\xB0\r\n"},
        {"0x80 before CR LF", "y\x80\r\nz", "z", "y\x80\r\nz", "y\x80\r\n", "y\x80\r\n", "y\x80\r\n"},
        {"0x81 before CR LF", "y\x81\r\nz", "z", "y\x81\r\nz", "y\x81\r\n", "y\x81\r\nz", "y\x81\r\nz"},
        {"pairs counted from the line start", "\xB0\xB0\xB0\r\nz", "z", "\xB0\xB0\xB0\r\nz", "\xB0\xB0\xB0\r\n",
         "\xB0\xB0\xB0\r\nz", "\xB0\xB0\xB0\r\n"},
        {"a hidden CR LF then a real one", "y\xB0\r\n\r\nz", "\r\nz", "y\xB0\r\n\r\n", "y\xB0\r\n", "y\xB0\r\n\r\n",
         "y\xB0\r\n"},
        {"the removal list splits the same way", "a\r\nz", "q\xB0\r\nz", "a\r\nz", "a\r\n", "a\r\nz", "a\r\n"},
        {"a lead byte ending the file", "a\r\nz\xB0", "a", "z\xB0", "z\xB0", "z\xB0", "z\xB0"},
    };
    struct Mode {
        std::vector<std::string> flags;
        std::string Row::*expected;
    };
    std::vector<Mode> modes = {
        {{"--double-byte"}, &Row::doubleByte},     {{"--single-byte"}, &Row::singleByte},
        {{"--code-page=936"}, &Row::gbk},          {{"--code-page=932"}, &Row::shiftJis},
        {{"--code-page=1252"}, &Row::singleByte},  {{"--code-page=65001"}, &Row::singleByte},
        // The last option given wins.
        {{"--single-byte", "--double-byte"}, &Row::doubleByte},
        {{"--code-page=936", "--single-byte"}, &Row::singleByte},
    };
    switch (systemSplit()) {
        case SystemSplit::singleByte:
            modes.push_back({{}, &Row::singleByte});
            break;
        case SystemSplit::gbk:
            modes.push_back({{}, &Row::gbk});
            break;
        case SystemSplit::unknown:
            ADD_FAILURE() << "no expectations for this system's code page; the default mode goes unchecked";
            break;
    }
    for (const Mode& mode : modes) {
        std::string flags;
        for (const std::string& flag : mode.flags) flags += flag + " ";
        SCOPED_TRACE("options: " + (flags.empty() ? "(none)"s : flags));
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            // A CR LF hidden inside a character may leave a file with LFs but no break.
            expectOutput(mode.flags, row.original, row.removal, row.*mode.expected, true);
        }
    }
}

TEST_F(Sievra, LfOptionBreaksAtLfAloneAndKeepsCrInLines) {
    const FlaggedCase cases[] = {
        {"pieces end in LF", {"--lf"}, "a\nb\nc", "b\n", "a\nc"},
        {"last line removed", {"--lf"}, "a\nb", "b", "a\n"},
        {"a final LF makes no empty line", {"--lf"}, "a\nb\n", "x", "a\nb"},
        {"CR stays in the line", {"--lf"}, "a\r\nb\nc", "b", "a\r\nc"},
        {"a line with a CR differs from one without", {"--lf"}, "a\r\nb", "a", "a\r\nb"},
        {"a removal line with its CR", {"--lf"}, "a\r\nb", "a\r\n", "b"},
        {"a lead byte takes the LF", {"--lf", "--double-byte"}, "y\xB0\nz", "z", "y\xB0\nz"},
        {"no lead bytes", {"--lf", "--single-byte"}, "y\xB0\nz", "z", "y\xB0\n"},
        {"byte-order mark", {"--lf"}, kMark + "a\nb"s, kMark + "a\n"s, kMark + "b"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectOutput(c.flags, c.original, c.removal, c.expected);
    }
}

TEST_F(Sievra, WarnsOnceAboutAFileWithLfButNoCrLfBreak) {
    const struct {
        const char* name;
        std::vector<std::string> flags;
        std::string original;
        std::string removal;
        bool warnOriginal;
        bool warnRemoval;
        std::string expected;
    } cases[] = {
        {"original with LF only", {}, "a\nb", "b\r\n", true, false, "a\nb"},
        {"removal with LF only", {}, "a\r\nb", "x\nb", false, true, "a\r\nb"},
        {"both", {}, "a\nb", "a\nb", true, true, ""},
        {"both, with --lf", {"--lf"}, "a\nb", "b\n", false, false, "a\n"},
        {"CR LF files", {}, "a\r\nb", "b\r\n", false, false, "a\r\n"},
        {"CR LF and LF mixed", {}, "a\r\nb\nc", "x\ny\r\n", false, false, "a\r\nb\nc"},
        {"no LF at all", {}, "a\rb", "x", false, false, "a\rb"},
        {"its only CR LF is inside a character", {"--double-byte"}, "y\xB0\r\nz\nw", "x\r\n", true, false,
         "y\xB0\r\nz\nw"},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string originalName = "lf-original-" + std::to_string(index) + ".txt";
        const std::string removalName = "lf-removal-" + std::to_string(index) + ".txt";
        ++index;
        std::vector<std::string> arguments = c.flags;
        arguments.push_back(file(originalName, c.original));
        arguments.push_back(file(removalName, c.removal));
        const ChildResult result = run(arguments);
        EXPECT_EQ(0, result.exitCode);
        EXPECT_EQ(visibleBytes(c.expected), visibleBytes(result.out));
        EXPECT_EQ(std::size_t{c.warnOriginal} + c.warnRemoval, lineCount(result.err)) << result.err;
        EXPECT_EQ(c.warnOriginal, result.err.find(originalName) != std::string::npos) << result.err;
        EXPECT_EQ(c.warnRemoval, result.err.find(removalName) != std::string::npos) << result.err;
        if (c.warnOriginal || c.warnRemoval) {
            EXPECT_NE(std::string::npos, result.err.find("warning")) << result.err;
            EXPECT_NE(std::string::npos, result.err.find("--lf")) << result.err;
        }
    }
}

TEST_F(Sievra, ByteOrderMarkIsNotPartOfTheFirstLine) {
    const std::string mark = kMark;
    const FlaggedCase cases[] = {
        {"original's mark written through", {}, mark + "a\r\nb", "a", mark + "b"},
        {"removal's mark dropped", {}, "a\r\nb", mark + "b", "a\r\n"},
        {"both", {}, mark + "a\r\nb", mark + "a\r\n", mark + "b"},
        {"only line removed", {}, mark + "a", "a", mark},
        {"a mark alone", {}, mark, "a", mark},
        {"a mark then an empty first line", {}, mark + "\r\nb", "b", mark + "\r\n"},
        {"a mark further on is text", {}, "a\r\n" + mark + "b", "b", "a\r\n" + mark + "b"},
        {"a removal mark further on is text", {}, "a\r\nb", "a\r\n" + mark + "b", "b"},
        {"two bytes of a mark are text", {}, "\xEF\xBB\r\na", "\xEF\xBB", "a"},
        {"with lead bytes the mark still stands apart", {"--double-byte"}, mark + "a\r\nb", "b", mark + "a\r\n"},
        {"with lead bytes the removal's mark still goes", {"--double-byte"}, "a\r\nb", mark + "b", "a\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectOutput(c.flags, c.original, c.removal, c.expected);
    }
}

TEST_F(Sievra, UsageErrorsExitWithTwo) {
    const std::string original = file("original.txt", "a\r\nb");
    const std::string removal = file("removal.txt", "a");
    const struct {
        std::vector<std::string> arguments;
        const char* message;
    } cases[] = {
        {{"-", "-"}, "cannot both be standard input"},
        {{"--frobnicate", original, removal}, "unknown option '--frobnicate'"},
        {{"-x", original, removal}, "unknown option '-x'"},
        {{}, "missing ORIGINAL and REMOVAL"},
        {{original}, "missing REMOVAL"},
        {{original, removal, removal}, "too many operands"},
        {{"--code-page=1234", original, removal}, "unknown code page '1234'"},
        {{"--code-page=", original, removal}, "unknown code page ''"},
        {{"--code-page=abc", original, removal}, "unknown code page 'abc'"},
        {{"--code-page=936x", original, removal}, "unknown code page '936x'"},
        {{"--code-page=0", original, removal}, "unknown code page '0'"},
        {{"--code-page=-936", original, removal}, "unknown code page '-936'"},
        {{"--code-page=4294968232", original, removal}, "unknown code page '4294968232'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const ChildResult result = run(c.arguments, "a\r\n");
        EXPECT_EQ(2, result.exitCode);
        EXPECT_EQ("", result.out);
        EXPECT_TRUE(startsWith(result.err, "sievra: ")) << result.err;
        EXPECT_NE(std::string::npos, result.err.substr(0, result.err.find('\n')).find(c.message)) << result.err;
        EXPECT_NE(std::string::npos, result.err.find("--help")) << result.err;
    }
}

TEST_F(Sievra, BadFilesAreNamedAndNothingIsWrittenForABadRemovalList) {
    const std::string original = file("original.txt", "a\r\nb\r\nc");
    const std::string removal = file("removal.txt", "b");
    const std::string missing = path("missing.txt");
    fs::create_directory(dir_ / "folder");
    const std::string folder = path("folder");
    const std::string withNul = file("zero-bytes.txt", "a\r\nb\0c\r\n"s);  // not nul.txt: a device on Windows
    const std::string utf16 = file("utf16.txt", "\xFF\xFE" "a\0\r\0\n\0b\0"s);
    const struct {
        const char* name;
        std::vector<std::string> arguments;
        std::string input;
        std::string named;  // what the message names
        const char* problem;
        bool removalBad;  // then not a byte may reach standard output
    } cases[] = {
        {"missing original", {missing, removal}, "", "missing.txt", "cannot open", false},
        {"missing removal", {original, missing}, "", "missing.txt", "cannot open", true},
        {"missing removal, original from input", {"-", missing}, "a\r\nb", "missing.txt", "cannot open", true},
        {"directory as original", {folder, removal}, "", "folder", "", false},
        {"directory as removal", {original, folder}, "", "folder", "", true},
        {"NUL bytes in the removal", {original, withNul}, "", "zero-bytes.txt", "not a text file", true},
        {"UTF-16 removal", {original, utf16}, "", "utf16.txt", "not a text file", true},
        {"NUL bytes in the removal from input", {original, "-"}, "b\0"s, "standard input", "not a text file", true},
        {"NUL bytes in the removal, original from input", {"-", withNul}, "x\r\ny\r\nz", "zero-bytes.txt",
         "not a text file", true},
        {"NUL bytes in the original", {withNul, removal}, "", "zero-bytes.txt", "not a text file", false},
        {"UTF-16 original", {utf16, removal}, "", "utf16.txt", "not a text file", false},
        {"NUL bytes in the original from input", {"-", removal}, "a\r\n\0"s, "standard input", "not a text file",
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ChildResult result = run(c.arguments, c.input);
        EXPECT_EQ(1, result.exitCode);
        if (c.removalBad) {
            EXPECT_EQ(visibleBytes(""), visibleBytes(result.out));
        }
        EXPECT_TRUE(startsWith(result.err, "sievra: ")) << result.err;
        EXPECT_EQ(1u, lineCount(result.err)) << result.err;
        EXPECT_NE(std::string::npos, result.err.find(c.named)) << result.err;
        EXPECT_NE(std::string::npos, result.err.find(c.problem)) << result.err;
    }
}

TEST_F(Sievra, ClosedStandardInputIsAnErrorNotAnEmptyFile) {
    const std::string original = file("original.txt", "a\r\nb\r\nc");
    const std::string removal = file("removal.txt", "b");
    const struct {
        const char* name;
        std::vector<std::string> arguments;
        int exitCode;
        std::string out;
    } cases[] = {
        {"original from it", {"-", removal}, 1, ""},
        // The original, opened first, could land where standard input belongs.
        {"removal from it", {original, "-"}, 1, ""},
        {"files only", {original, removal}, 0, "a\r\nc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ChildOptions options;
        options.arguments = c.arguments;
        options.inputKind = StandardInput::closed;
        const ChildResult result = runChild(sievraPath, options);
        ASSERT_EQ("", result.startError);
        EXPECT_TRUE(result.finished);
        EXPECT_EQ(c.exitCode, result.exitCode) << result.err;
        EXPECT_EQ(visibleBytes(c.out), visibleBytes(result.out));
        if (c.exitCode != 0) {
            EXPECT_TRUE(startsWith(result.err, "sievra: standard input: ")) << result.err;
            EXPECT_EQ(1u, lineCount(result.err)) << result.err;
        }
    }
}

TEST_F(Sievra, HelpAndVersionSucceed) {
    ChildResult result = run({"--help"});
    EXPECT_EQ(0, result.exitCode);
    EXPECT_TRUE(startsWith(result.out, "Usage: sievra ")) << result.out;
    EXPECT_NE(std::string::npos, result.out.find("--lf")) << result.out;
    EXPECT_EQ("", result.err);

    result = run({"--version"});
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ("sievra " KORVEL_VERSION "\n", result.out);
    EXPECT_EQ("", result.err);
}

TEST_F(Sievra, WriteErrorsFailWithAMessage) {
    const std::string removal = file("removal.txt", "b");
    // Small: written in one go at the end. Large: more than the program's
    // buffer and any pipe's, so writes fail while input is still coming.
    std::string large;
    while (large.size() < (std::size_t{3} << 20)) large += "a line that stays in the output\r\n";
    const struct {
        const char* name;
        std::string original;
    } sizes[] = {{"small", "a\r\nb\r\nc"}, {"large", large}};

    struct Target {
        const char* name;
        StandardOutput output;
        std::string file;
    };
    std::vector<Target> targets = {{"a pipe nobody reads", StandardOutput::closedPipe, ""}};
#ifdef __linux__
    targets.push_back({"a full disk", StandardOutput::file, "/dev/full"});
#endif
    int index = 0;
    for (const Target& target : targets) {
        SCOPED_TRACE(target.name);
        for (const auto& size : sizes) {
            SCOPED_TRACE(size.name);
            for (const bool fromInput : {false, true}) {
                SCOPED_TRACE(fromInput ? "original from input" : "original from a file");
                ChildOptions options;
                options.output = target.output;
                options.outputFile = target.file;
                if (fromInput) {
                    options.arguments = {"-", removal};
                    options.input = size.original;
                } else {
                    options.arguments = {file("original-" + std::to_string(index++) + ".txt", size.original),
                                         removal};
                }
                const ChildResult result = runChild(sievraPath, options);
                ASSERT_EQ("", result.startError);
                EXPECT_TRUE(result.finished) << "sievra hung on a failing write";
                EXPECT_EQ(1, result.exitCode);
                EXPECT_TRUE(startsWith(result.err, "sievra: cannot write")) << result.err;
                EXPECT_EQ(1u, lineCount(result.err)) << result.err;
            }
        }
    }
}

TEST_F(Sievra, WritesDecidedLinesBeforeTheInputEnds) {
    ChildOptions options;
    options.arguments = {"-", file("removal.txt", "drop\r\n")};
    options.inputKind = StandardInput::interactive;
    ChildProcess child(sievraPath, options);
    ASSERT_EQ("", child.startError());

    // Each step's output must show while standard input is still open.
    const struct {
        std::string input;
        std::string outputSoFar;
    } steps[] = {
        {kMark + "keep1\r\ndrop\r\nkeep2\r\n"s, kMark + "keep1\r\nkeep2"s},
        {"drop\r\nkeep3\r\n", kMark + "keep1\r\nkeep2\r\nkeep3"s},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(visibleBytes(step.input));
        ASSERT_TRUE(child.writeInput(step.input));
        const bool arrived = child.waitForOutput(
            [&](const std::string& out) { return out.size() >= step.outputSoFar.size(); }, kStreamingWait);
        EXPECT_TRUE(arrived) << "output so far: " << visibleBytes(child.outputSoFar());
        EXPECT_EQ(visibleBytes(step.outputSoFar), visibleBytes(child.outputSoFar()));
        if (!arrived) break;
    }
    // A removed last line: the kept line before it keeps its break.
    ASSERT_TRUE(child.writeInput("drop"));
    child.closeInput();
    const ChildResult result = child.wait();
    EXPECT_TRUE(result.finished);
    EXPECT_EQ(0, result.exitCode) << result.err;
    EXPECT_EQ(visibleBytes(kMark + "keep1\r\nkeep2\r\nkeep3\r\n"s), visibleBytes(result.out));
}

// Where two long byte strings first differ, for a readable failure.
std::string firstDifference(const std::string& expected, const std::string& actual) {
    std::size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
    if (at == expected.size() && at == actual.size()) return "equal";
    const std::size_t from = at < 40 ? 0 : at - 40;
    return "first difference at byte " + std::to_string(at) + " of " + std::to_string(expected.size()) +
           " expected, " + std::to_string(actual.size()) + " received\n  expected " +
           visibleBytes(expected.substr(from, 80)) + "\n  received " + visibleBytes(actual.substr(from, 80));
}

TEST_F(Sievra, LargeInputThroughAPipe) {
    // 100k lines, two of them longer than the program's first buffer, read
    // from a pipe so lines are cut wherever the reads happen to end.
    constexpr int kLines = 100000;
    std::vector<std::string> lines;
    lines.reserve(kLines);
    for (int i = 0; i < kLines; ++i) {
        std::string line = "row " + std::to_string(static_cast<long long>(i) * 7919 % 50021);  // repeats
        if (i % 7 == 0) line += " \xB0\xA1 lone\rCR";
        if (i % 11 == 0) line += " lone\nLF";
        if (i == kLines / 2) line = std::string(std::size_t{3} << 20, 'L');      // kept
        if (i == kLines / 2 + 1) line = std::string(std::size_t{2} << 20, 'M');  // removed
        lines.push_back(std::move(line));
    }
    std::unordered_set<std::string> removed;
    std::string removal;
    for (int i = kLines - 1; i >= 0; i -= 3) {  // the last line among them
        removed.insert(lines[i]);
        removal += lines[i] + "\r\n";
    }
    for (int i = 0; i < 1000; ++i) removal += "not in the original " + std::to_string(i) + "\r\n";

    std::string original;
    std::vector<const std::string*> kept;
    for (const std::string& line : lines) {
        original += line + "\r\n";
        if (!removed.count(line)) kept.push_back(&line);
    }
    ASSERT_TRUE(removed.count(lines.back()));
    ASSERT_LT(kept.size(), lines.size() * 3 / 4);
    std::string expected;
    for (const std::string* line : kept) expected += *line + "\r\n";  // the removed last line leaves the break

    const ChildResult result =
        run({"--single-byte", "-", file("removal.txt", removal)}, original, std::chrono::milliseconds(180000));
    EXPECT_EQ(0, result.exitCode) << result.err;
    EXPECT_EQ("", result.err);
    EXPECT_TRUE(result.out == expected) << firstDifference(expected, result.out);
}

// Under Wine the program path arrives as a Linux path; Wine maps / to Z:.
std::string programPath(std::string path) {
#ifdef _WIN32
    if (startsWith(path, "/")) {
        for (char& c : path) c = c == '/' ? '\\' : c;
        path = "Z:" + path;
    }
#endif
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: sievra_cli_tests [GoogleTest options] PATH-OF-SIEVRA\n");
        return 2;
    }
    sievraPath = programPath(argv[1]);
    return RUN_ALL_TESTS();
}
