// sievra: removes from one list every line that stands in another, for lists
// too large to paste into the window. Same line rules as the window; the
// output is exactly what the window's result box would receive.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "fatal_error.h"
#include "filter.h"
#include "lead_bytes.h"
#include "system_io.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr char kUsage[] =
    "Usage: sievra [--double-byte | --single-byte | --code-page=N] [--lf] ORIGINAL REMOVAL\n"
    "Writes every line of ORIGINAL that is not byte-for-byte equal to some line\n"
    "of REMOVAL, in order. Either file may be '-' for standard input (not both).\n"
    "\n"
    "Lines end at CR LF; a lone CR or LF is part of its line. Each kept line is\n"
    "written with its CR LF, except the original's last line, which never gets one.\n"
    "\n"
    "  --code-page=N  split by the lead bytes of Windows code page N (936, 932,\n"
    "                 949, 950, 1361; single-byte pages and 65001 have none)\n"
    "  --double-byte  every byte from 0x80 up takes the next byte with it\n"
    "  --single-byte  no two-byte characters: CR LF breaks a line wherever it is\n"
    "                 (the default, except on Windows: the system's code page)\n"
    "  --lf           lines end at LF alone (Unix files); a CR is an ordinary byte\n"
    "  --help         show this help\n"
    "  --version      show the version\n"
    "\n"
    "A UTF-8 byte-order mark opening a file is not part of its first line; the\n"
    "original's is written through. Exit status: 0 on success, 1 when a file\n"
    "cannot be read or is not text or the output cannot be written, 2 on bad usage.\n";

struct Options {
    LeadByteTable leadBytes;
    LineBreak lineBreak = LineBreak::crLf;
    const char* originalPath = nullptr;
    const char* removalPath = nullptr;
};

[[noreturn]] void usageError(const std::string& problem) {
    std::fprintf(stderr, "sievra: %s\nTry 'sievra --help' for more information.\n", problem.c_str());
    std::exit(kExitUsage);
}

Options parseArguments(int argc, char** argv) {
    Options options;
    options.leadBytes = systemLeadBytes();
    const char* operands[2] = {};
    int operandCount = 0;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (optionsEnded || argument == "-" || argument.substr(0, 1) != "-") {
            if (operandCount == 2) usageError("too many operands: '" + std::string(argument) + "'");
            operands[operandCount++] = argv[i];
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else if (argument == "--version") {
            std::printf("sievra %s\n", KORVEL_VERSION);
            std::exit(0);
        } else if (argument == "--double-byte") {
            options.leadBytes = allHighBytesLead();
        } else if (argument == "--single-byte") {
            options.leadBytes = noLeadBytes();
        } else if (argument == "--lf") {
            options.lineBreak = LineBreak::lf;
        } else if (argument.substr(0, 12) == "--code-page=") {
            const std::string number(argument.substr(12));
            char* end = nullptr;
            const long codePage = std::strtol(number.c_str(), &end, 10);
            if (number.empty() || *end != '\0' || codePage <= 0 || codePage > 65535 ||
                !leadBytesOfCodePage(static_cast<int>(codePage), options.leadBytes)) {
                usageError("unknown code page '" + number + "'");
            }
        } else {
            usageError("unknown option '" + std::string(argument) + "'");
        }
    }
    if (operandCount < 2) usageError(operandCount == 0 ? "missing ORIGINAL and REMOVAL" : "missing REMOVAL");
    options.originalPath = operands[0];
    options.removalPath = operands[1];
    if (std::strcmp(options.originalPath, "-") == 0 && std::strcmp(options.removalPath, "-") == 0) {
        usageError("ORIGINAL and REMOVAL cannot both be standard input");
    }
    return options;
}

std::string displayName(const char* path) {
    return std::strcmp(path, "-") == 0 ? std::string("standard input") : "'" + std::string(path) + "'";
}

[[noreturn]] void fileError(const char* path, const std::string& problem) {
    std::fprintf(stderr, "sievra: %s: %s\n", displayName(path).c_str(), problem.c_str());
    std::exit(kExitFailure);
}

int openOperand(const char* path) {
    if (std::strcmp(path, "-") == 0) return kStandardInput;
    std::string error;
    const int fd = openForReading(path, error);
    if (fd < 0) fileError(path, "cannot open: " + error);
    return fd;
}

void warnAboutLfBreaks(const char* path, const TextTraits& traits, LineBreak lineBreak) {
    if (lineBreak == LineBreak::crLf && traits.hasLf && !traits.hasLineBreak) {
        std::fprintf(stderr,
                     "sievra: warning: %s has LF line breaks but no CR LF; its LFs were kept inside lines "
                     "(use --lf for Unix line breaks)\n",
                     displayName(path).c_str());
    }
}

}  // namespace

void fatalError(int code, const char* message) {
    std::fflush(stdout);
    if (code != 0) {
        std::fprintf(stderr, "sievra: error %d: %s\n", code, messageForTerminal(message ? message : "").c_str());
    } else {
        std::fprintf(stderr, "sievra: %s\n", messageForTerminal(message ? message : "").c_str());
    }
    std::fflush(stderr);
    std::_Exit(kExitFailure);
}

int main(int argc, char** argv) {
    prepareStandardStreams();
    const Options options = parseArguments(argc, argv);
    const FilterSettings settings{&options.leadBytes, options.lineBreak};

    // Both files open before anything is written, so a missing one costs no output.
    const int originalFd = openOperand(options.originalPath);
    const int removalFd = openOperand(options.removalPath);

    OwnedBytes removalBytes;
    std::size_t removalLength = 0;
    std::string error;
    if (!readWhole(removalFd, removalBytes, removalLength, error)) {
        fileError(options.removalPath, "cannot read: " + error);
    }
    const RemovalSet removal(std::move(removalBytes), removalLength, settings);
    if (removal.traits().hasNul) fileError(options.removalPath, "not a text file (it holds NUL bytes; UTF-16?)");
    warnAboutLfBreaks(options.removalPath, removal.traits(), options.lineBreak);

    // The reason of a failed read or write, taken before anything else can change errno.
    std::string ioError;
    const FilterReport report = filterOriginal(
        [&](char* into, std::size_t capacity) {
            const long long got = readSome(originalFd, into, capacity);
            if (got < 0) ioError = lastErrorText();
            return got;
        },
        removal, settings,
        [&](const char* bytes, std::size_t length) {
            const bool written = writeAll(kStandardOutput, bytes, length);
            if (!written) ioError = lastErrorText();
            return written;
        });

    switch (report.outcome) {
        case FilterOutcome::done:
            break;
        case FilterOutcome::readFailed:
            fileError(options.originalPath, "cannot read: " + ioError);
        case FilterOutcome::notText:
            fileError(options.originalPath, "not a text file (it holds NUL bytes; UTF-16?)");
        case FilterOutcome::writeFailed:
            std::fprintf(stderr, "sievra: cannot write the output: %s\n", ioError.c_str());
            return kExitFailure;
    }
    warnAboutLfBreaks(options.originalPath, report.originalTraits, options.lineBreak);
    return 0;
}
