#pragma once

// Runs a program as a child process for tests of a whole executable: its
// arguments, what its standard input receives, its standard output and error
// captured, and every wait bounded so a hung child fails the test instead of
// stalling it. POSIX: fork and exec with pipes; Windows: CreateProcess with
// inherited pipe handles.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

enum class StandardOutput {
    capture,     // a pipe the helper drains
    closedPipe,  // a pipe whose read end is already closed: every write fails
    file,        // the file at ChildOptions::outputFile (say /dev/full)
};

enum class StandardInput {
    bytes,        // a pipe fed ChildOptions::input, then closed (empty: at its end at once)
    interactive,  // a pipe the caller feeds: writeInput, closeInput
    closed,       // no standard input at all
};

struct ChildOptions {
    std::vector<std::string> arguments;  // not counting the program itself
    StandardInput inputKind = StandardInput::bytes;
    std::string input;
    StandardOutput output = StandardOutput::capture;
    std::string outputFile;
};

struct ChildResult {
    std::string startError;  // set when the program could not be started
    bool finished = false;   // false: it outlived the wait and was killed
    int exitCode = -1;       // -1 unless it finished with an exit status
    std::string out;
    std::string err;
};

inline constexpr std::chrono::milliseconds kChildTimeout{60000};

class ChildProcess {
public:
    ChildProcess(const std::string& program, const ChildOptions& options);
    ~ChildProcess();  // kills a child still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    const std::string& startError() const { return startError_; }

    // Only with StandardInput::interactive. False when the child no longer reads.
    bool writeInput(std::string_view bytes);
    void closeInput();

    // Waits until `ready` holds for the standard output received so far, or
    // until `timeout` passes; returns whether it held.
    bool waitForOutput(const std::function<bool(const std::string&)>& ready, std::chrono::milliseconds timeout);
    std::string outputSoFar();

    // Waits for the child to end (killing it once `timeout` passes) and for
    // its output pipes to drain.
    ChildResult wait(std::chrono::milliseconds timeout = kChildTimeout);

private:
    struct Platform;

    void drain(std::string& into, int which);
    bool waitForExit(std::chrono::milliseconds timeout);
    void kill();
    void joinThreads();

    std::string startError_;
    std::unique_ptr<Platform> platform_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string out_;
    std::string err_;
    std::vector<std::thread> threads_;
    bool waited_ = false;
    bool finished_ = false;
    int exitCode_ = -1;
};

// Starts, feeds and waits for one child.
ChildResult runChild(const std::string& program, const ChildOptions& options,
                     std::chrono::milliseconds timeout = kChildTimeout);
