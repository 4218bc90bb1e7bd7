#include "system_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <csignal>
#include <iconv.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
// _read and _write take counts as unsigned int.
constexpr std::size_t kLargestTransfer = std::size_t{1} << 30;
#endif

}  // namespace

void prepareStandardStreams() {
#ifdef _WIN32
    _setmode(kStandardInput, _O_BINARY);
    _setmode(kStandardOutput, _O_BINARY);
#else
    std::signal(SIGPIPE, SIG_IGN);
    // A closed standard descriptor would go to the next file opened, and '-'
    // or the output would silently use that file. Park /dev/null there, open
    // the wrong way round, so using it fails as the closed one would.
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) open("/dev/null", fd == kStandardInput ? O_WRONLY : O_RDONLY);
    }
#endif
}

int openForReading(const char* path, std::string& error) {
#ifdef _WIN32
    const int fd = _open(path, _O_RDONLY | _O_BINARY);
#else
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
#endif
    if (fd < 0) {
        error = lastErrorText();
        return -1;
    }
    struct stat status;
    if (fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
        closeFile(fd);
        error = std::strerror(EISDIR);
        return -1;
    }
    return fd;
}

void closeFile(int fd) {
#ifdef _WIN32
    _close(fd);
#else
    close(fd);
#endif
}

long long readSome(int fd, char* into, std::size_t capacity) {
    for (;;) {
#ifdef _WIN32
        const int got = _read(fd, into, static_cast<unsigned>(capacity < kLargestTransfer ? capacity : kLargestTransfer));
#else
        const ssize_t got = read(fd, into, capacity);
#endif
        if (got >= 0) return got;
        if (errno != EINTR) return -1;
    }
}

bool writeAll(int fd, const char* bytes, std::size_t length) {
    while (length > 0) {
#ifdef _WIN32
        const int wrote = _write(fd, bytes, static_cast<unsigned>(length < kLargestTransfer ? length : kLargestTransfer));
#else
        const ssize_t wrote = write(fd, bytes, length);
#endif
        if (wrote < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += wrote;
        length -= static_cast<std::size_t>(wrote);
    }
    return true;
}

bool readWhole(int fd, OwnedBytes& bytes, std::size_t& length, std::string& error) {
    std::size_t capacity = std::size_t{1} << 16;
    struct stat status;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
        capacity = static_cast<std::size_t>(status.st_size) + 1;  // +1: the end shows without a regrow
    }
    bytes = allocateOwnedBytes(capacity);
    length = 0;
    for (;;) {
        if (length == capacity) {
            OwnedBytes larger = allocateOwnedBytes(capacity * 2);
            std::memcpy(larger.get(), bytes.get(), length);
            bytes = std::move(larger);
            capacity *= 2;
        }
        const long long got = readSome(fd, bytes.get() + length, capacity - length);
        if (got < 0) {
            error = lastErrorText();
            return false;
        }
        if (got == 0) return true;
        length += static_cast<std::size_t>(got);
    }
}

std::string lastErrorText() { return std::strerror(errno); }

LeadByteTable systemLeadBytes() {
    LeadByteTable table;
#ifdef _WIN32
    const UINT codePage = GetACP();
    for (int byte = 0x80; byte < 256; ++byte) {
        table.isLead[byte] = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(byte)) != FALSE;
    }
#endif
    return table;
}

std::string messageForTerminal(const char* gbkMessage) {
#ifdef _WIN32
    return gbkMessage;  // the console shows the ANSI code page
#else
    std::string converted(std::strlen(gbkMessage) * 3 + 1, '\0');
    iconv_t converter = iconv_open("UTF-8", "GBK");
    if (converter == reinterpret_cast<iconv_t>(-1)) return gbkMessage;
    char* in = const_cast<char*>(gbkMessage);
    std::size_t inLeft = std::strlen(gbkMessage);
    char* out = converted.data();
    std::size_t outLeft = converted.size();
    const bool ok = iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(converter);
    if (!ok) return gbkMessage;
    converted.resize(converted.size() - outLeft);
    return converted;
#endif
}
