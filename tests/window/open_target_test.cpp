// openTarget against class registrations the tests write themselves, with the
// recorder standing in for the browser.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "launch_support.h"
#include "open_target.h"
#include "support/visible_bytes.h"

namespace {

constexpr char kClassName[] = "KorvelSievraTest.Page";
constexpr char kCommandKey[] = "shell\\open\\command";
// No program handles this scheme, so the shell cannot open the address and
// the program registered for HTML files is asked.
constexpr char kScheme[] = "korvelsievra-test:";
constexpr char kAddress[] = "korvelsievra-test:page/1";

// The registered strings' limit and the command line's: 259 and 519 bytes.
constexpr std::size_t kLongestRegistered = 259;
constexpr std::size_t kLongestCommandLine = 519;

// ".htm" and the test's class, taken for one case and put back after.
struct Registration {
    BorrowedClassKey htm{".htm"};
    BorrowedClassKey page{kClassName};

    void htmNames(const std::string& className) { htm.setText("", className); }
    void command(const std::string& command) { page.setText(kCommandKey, command); }
};

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// `start` filled up with 'x' to `length` bytes.
std::string paddedTo(std::string start, std::size_t length) {
    start.resize(length, 'x');
    return start;
}

// An address of the test's scheme, `length` bytes long.
std::string addressOfLength(std::size_t length) { return paddedTo(kScheme, length); }

using Opener = bool (*)(const char*, int);

class OpenTargetTest : public testing::Test {
protected:
    void SetUp() override {
        const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", kAddress, nullptr, nullptr, SW_SHOW));
        ASSERT_LE(result, 32) << "the shell opens the test's scheme, so the registered program would never be asked";
    }

    const std::string recorder_ = recorderPath();
    LaunchRecord record_;
};

TEST_F(OpenTargetTest, StartsTheRegisteredProgramWithTheAddress) {
    const std::string longest = paddedTo(quoted(recorder_) + " -", kLongestRegistered);
    const std::string fillsTheLine = addressOfLength(kLongestCommandLine - kLongestRegistered - 1);
    const struct {
        const char* what;
        std::string registered, address, commandLine;
    } cases[] = {
        {"quoted placeholder", quoted(recorder_) + " \"%1\" -x", kAddress, quoted(recorder_) + "  " + kAddress},
        {"plain placeholder", recorder_ + " %1 -x", kAddress, recorder_ + "  " + kAddress},
        {"no placeholder", quoted(recorder_) + " -nohome", kAddress, quoted(recorder_) + " -nohome " + kAddress},
        {"the longest command and line", longest, fillsTheLine, longest + " " + fillsTheLine},
    };
    for (const auto& c : cases) {
        for (const Opener open : {openTarget, openWithHtmlProgram}) {
            SCOPED_TRACE(std::string(c.what) + (open == openTarget ? ", openTarget" : ", openWithHtmlProgram"));
            Registration registration;
            registration.htmNames(kClassName);
            registration.command(c.registered);
            EXPECT_TRUE(open(c.address.c_str(), SW_SHOWNORMAL));
            ASSERT_TRUE(record_.waitFor(1)) << "the registered program never started";
            EXPECT_EQ(visibleBytes(c.commandLine), visibleBytes(record_.lines().front()));
            record_.clear();
        }
    }
}

// Every way the registration can fail the lookup: false, and the program is
// never started, even where a lookup that read past a check could reach it.
TEST_F(OpenTargetTest, RefusesWithoutStartingAnything) {
    const std::string command = quoted(recorder_) + " \"%1\"";
    const std::string longest = paddedTo(quoted(recorder_) + " -", kLongestRegistered);
    const std::string classNameBytes(kClassName, sizeof kClassName);  // with its NUL
    const struct {
        const char* what;
        std::function<void(Registration&)> registerSome;
        std::string address;
    } cases[] = {
        {"no .htm key", [&](Registration& r) { r.command(command); }, kAddress},
        {".htm without a value", [&](Registration& r) { r.htm.create(""); r.command(command); }, kAddress},
        {".htm naming nothing", [&](Registration& r) { r.htmNames(""); r.command(command); }, kAddress},
        {".htm value not text",
         [&](Registration& r) { r.htm.setDefault("", REG_BINARY, classNameBytes); r.command(command); }, kAddress},
        {".htm value one byte too long",
         [&](Registration& r) { r.htmNames(paddedTo(kClassName, kLongestRegistered + 1)); r.command(command); },
         kAddress},
        {"no such class", [&](Registration& r) { r.htmNames(kClassName); }, kAddress},
        {"command without a value",
         [&](Registration& r) { r.htmNames(kClassName); r.page.create(kCommandKey); }, kAddress},
        {"command not REG_SZ",
         [&](Registration& r) {
             r.htmNames(kClassName);
             r.page.setDefault(kCommandKey, REG_EXPAND_SZ, command + '\0');
         },
         kAddress},
        {"command one byte too long",
         [&](Registration& r) { r.htmNames(kClassName); r.command(paddedTo(command + " ", kLongestRegistered + 1)); },
         kAddress},
        {"command line one byte too long",
         [&](Registration& r) { r.htmNames(kClassName); r.command(longest); },
         addressOfLength(kLongestCommandLine - kLongestRegistered)},
        {"empty address", [&](Registration& r) { r.htmNames(kClassName); r.command(command); }, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Registration registration;
        c.registerSome(registration);
        EXPECT_FALSE(openTarget(c.address.c_str(), SW_SHOWNORMAL));
        EXPECT_FALSE(openWithHtmlProgram(c.address.c_str(), SW_SHOWNORMAL));
    }
    EXPECT_TRUE(record_.staysAt(0)) << "started: " << (record_.lines().empty() ? "" : record_.lines().front());
}

}  // namespace
