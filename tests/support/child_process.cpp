#include "support/child_process.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

constexpr int kOut = 1;
constexpr int kErr = 2;

// Children are started one at a time so no child inherits the pipe ends
// meant for another, which would keep those pipes from ever closing.
std::mutex startMutex;

#ifdef _WIN32

using Handle = HANDLE;
const Handle kNoHandle = nullptr;

void closeHandle(Handle& handle) {
    if (handle != kNoHandle) CloseHandle(handle);
    handle = kNoHandle;
}

long long readHandle(Handle handle, char* into, std::size_t capacity) {
    DWORD got = 0;
    if (!ReadFile(handle, into, static_cast<DWORD>(capacity), &got, nullptr)) return -1;
    return got;
}

bool writeHandle(Handle handle, const char* bytes, std::size_t length) {
    while (length > 0) {
        DWORD wrote = 0;
        if (!WriteFile(handle, bytes, static_cast<DWORD>(length), &wrote, nullptr)) return false;
        bytes += wrote;
        length -= wrote;
    }
    return true;
}

std::string lastError(const char* what) { return std::string(what) + " failed, error " + std::to_string(GetLastError()); }

// Both ends of a pipe; `childEnd` names the one the child inherits.
bool makePipe(Handle& readEnd, Handle& writeEnd, bool childReads) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return false;
    SetHandleInformation(childReads ? writeEnd : readEnd, HANDLE_FLAG_INHERIT, 0);
    return true;
}

// One argument as the C runtime's command-line parser reads it back.
std::string quoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) return argument;
    std::string quoted = "\"";
    for (std::size_t i = 0;; ++i) {
        std::size_t backslashes = 0;
        while (i < argument.size() && argument[i] == '\\') {
            ++i;
            ++backslashes;
        }
        if (i == argument.size()) {
            quoted.append(backslashes * 2, '\\');
            break;
        }
        if (argument[i] == '"') {
            quoted.append(backslashes * 2 + 1, '\\');
        } else {
            quoted.append(backslashes, '\\');
        }
        quoted += argument[i];
    }
    return quoted + "\"";
}

#else

using Handle = int;
const Handle kNoHandle = -1;

void closeHandle(Handle& handle) {
    if (handle != kNoHandle) close(handle);
    handle = kNoHandle;
}

long long readHandle(Handle handle, char* into, std::size_t capacity) {
    for (;;) {
        const ssize_t got = read(handle, into, capacity);
        if (got >= 0 || errno != EINTR) return got;
    }
}

bool writeHandle(Handle handle, const char* bytes, std::size_t length) {
    while (length > 0) {
        const ssize_t wrote = write(handle, bytes, length);
        if (wrote < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += wrote;
        length -= static_cast<std::size_t>(wrote);
    }
    return true;
}

std::string lastError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

bool makePipe(Handle& readEnd, Handle& writeEnd, bool) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return false;
    readEnd = ends[0];
    writeEnd = ends[1];
    return true;
}

#endif

}  // namespace

struct ChildProcess::Platform {
#ifdef _WIN32
    HANDLE process = nullptr;
#else
    pid_t pid = -1;
#endif
    Handle input = kNoHandle;  // our end of the child's standard input
    Handle out = kNoHandle;
    Handle err = kNoHandle;
    bool inputOwnedByWriter = false;
};

ChildProcess::ChildProcess(const std::string& program, const ChildOptions& options)
    : platform_(std::make_unique<Platform>()) {
#ifndef _WIN32
    // A child that stops reading must show up as a failed write here, not kill the test.
    static const bool pipeSignalIgnored = (std::signal(SIGPIPE, SIG_IGN), true);
    (void)pipeSignalIgnored;
#endif
    Platform& p = *platform_;
    Handle childIn = kNoHandle, childOut = kNoHandle, childErr = kNoHandle;
    auto closeChildEnds = [&] {
        closeHandle(childIn);
        closeHandle(childOut);
        closeHandle(childErr);
    };

    std::lock_guard<std::mutex> lock(startMutex);
    bool piped = makePipe(p.err, childErr, false);
    if (options.inputKind != StandardInput::closed) piped = piped && makePipe(childIn, p.input, true);
    switch (options.output) {
        case StandardOutput::capture:
            piped = piped && makePipe(p.out, childOut, false);
            break;
        case StandardOutput::closedPipe: {
            Handle readEnd = kNoHandle;
            piped = piped && makePipe(readEnd, childOut, false);
            closeHandle(readEnd);
            break;
        }
        case StandardOutput::file:
#ifdef _WIN32
        {
            SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
            childOut = CreateFileA(options.outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &inherit, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (childOut == INVALID_HANDLE_VALUE) childOut = kNoHandle;
        }
#else
            childOut = open(options.outputFile.c_str(), O_WRONLY | O_CLOEXEC);
#endif
            if (childOut == kNoHandle) {
                startError_ = lastError(("opening " + options.outputFile).c_str());
                piped = false;
            }
            break;
    }
    if (!piped) {
        if (startError_.empty()) startError_ = lastError("making a pipe");
        closeChildEnds();
        return;
    }

#ifdef _WIN32
    std::string commandLine = quoteArgument(program);
    for (const std::string& argument : options.arguments) commandLine += " " + quoteArgument(argument);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    // Not NULL for no input: Wine then hands the child its own Unix stdin.
    startup.hStdInput = childIn == kNoHandle ? INVALID_HANDLE_VALUE : childIn;
    startup.hStdOutput = childOut;
    startup.hStdError = childErr;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &started)) {
        startError_ = lastError(("starting " + program).c_str());
    } else {
        CloseHandle(started.hThread);
        p.process = started.hProcess;
    }
#else
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : options.arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    // The child reports a failed exec through this pipe; it closes unused on success.
    Handle reportRead = kNoHandle, reportWrite = kNoHandle;
    if (!makePipe(reportRead, reportWrite, false)) {
        startError_ = lastError("making a pipe");
        closeChildEnds();
        return;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        struct sigaction defaultAction {};
        defaultAction.sa_handler = SIG_DFL;
        sigaction(SIGPIPE, &defaultAction, nullptr);
        const bool inputReady = childIn == kNoHandle ? close(0) == 0 || errno == EBADF : dup2(childIn, 0) >= 0;
        if (inputReady && dup2(childOut, 1) >= 0 && dup2(childErr, 2) >= 0) execv(argv[0], argv.data());
        const int error = errno;
        (void)!write(reportWrite, &error, sizeof error);
        _exit(127);
    }
    closeHandle(reportWrite);
    if (pid < 0) {
        startError_ = lastError("fork");
    } else {
        int error = 0;
        if (readHandle(reportRead, reinterpret_cast<char*>(&error), sizeof error) == sizeof error) {
            waitpid(pid, nullptr, 0);
            startError_ = "exec " + program + ": " + std::strerror(error);
        } else {
            p.pid = pid;
        }
    }
    closeHandle(reportRead);
#endif
    closeChildEnds();
    if (!startError_.empty()) {
        closeHandle(p.input);
        closeHandle(p.out);
        closeHandle(p.err);
        return;
    }

    if (p.out != kNoHandle) threads_.emplace_back([this] { drain(out_, kOut); });
    threads_.emplace_back([this] { drain(err_, kErr); });
    if (options.inputKind == StandardInput::bytes) {
        p.inputOwnedByWriter = true;
        threads_.emplace_back([this, input = options.input] {
            writeHandle(platform_->input, input.data(), input.size());
            closeHandle(platform_->input);
        });
    }
}

ChildProcess::~ChildProcess() {
    if (startError_.empty() && !waited_) {
        kill();
        waitForExit(std::chrono::milliseconds(10000));
    }
    if (!platform_->inputOwnedByWriter) closeHandle(platform_->input);
    joinThreads();
#ifdef _WIN32
    closeHandle(platform_->process);
#endif
}

void ChildProcess::drain(std::string& into, int which) {
    Handle& handle = which == kOut ? platform_->out : platform_->err;
    char buffer[65536];
    for (;;) {
        const long long got = readHandle(handle, buffer, sizeof buffer);
        if (got <= 0) break;
        std::lock_guard<std::mutex> lock(mutex_);
        into.append(buffer, static_cast<std::size_t>(got));
        changed_.notify_all();
    }
    closeHandle(handle);
}

bool ChildProcess::writeInput(std::string_view bytes) {
    if (platform_->inputOwnedByWriter || platform_->input == kNoHandle) return false;
    return writeHandle(platform_->input, bytes.data(), bytes.size());
}

void ChildProcess::closeInput() {
    if (!platform_->inputOwnedByWriter) closeHandle(platform_->input);
}

bool ChildProcess::waitForOutput(const std::function<bool(const std::string&)>& ready,
                                 std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return ready(out_); });
}

std::string ChildProcess::outputSoFar() {
    std::lock_guard<std::mutex> lock(mutex_);
    return out_;
}

bool ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
#ifdef _WIN32
    if (WaitForSingleObject(platform_->process, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) return false;
    DWORD code = 0;
    GetExitCodeProcess(platform_->process, &code);
    exitCode_ = static_cast<int>(code);
    return true;
#else
    // No portable way to wait for a pid with a time limit: poll it.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(platform_->pid, &status, WNOHANG);
        if (done == platform_->pid) {
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return true;
        }
        if (done < 0 && errno != EINTR) return false;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
#endif
}

void ChildProcess::kill() {
#ifdef _WIN32
    TerminateProcess(platform_->process, 255);
#else
    ::kill(platform_->pid, SIGKILL);
#endif
}

void ChildProcess::joinThreads() {
    for (std::thread& thread : threads_) thread.join();
    threads_.clear();
}

ChildResult ChildProcess::wait(std::chrono::milliseconds timeout) {
    ChildResult result;
    result.startError = startError_;
    if (!startError_.empty()) return result;
    if (!waited_) {
        finished_ = waitForExit(timeout);
        if (!finished_) {
            kill();
            waitForExit(std::chrono::milliseconds(10000));
            exitCode_ = -1;
        }
        waited_ = true;
        closeInput();
        joinThreads();
    }
    result.finished = finished_;
    result.exitCode = exitCode_;
    std::lock_guard<std::mutex> lock(mutex_);
    result.out = out_;
    result.err = err_;
    return result;
}

ChildResult runChild(const std::string& program, const ChildOptions& options, std::chrono::milliseconds timeout) {
    ChildProcess child(program, options);
    return child.wait(timeout);
}
