#include "fatal_error_box.h"

#include <charconv>
#include <cstring>

namespace {

// "运行时出错!"
constexpr char kHeading[] = "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!";
// "错误代码："
constexpr char kCodeLabel[] = "\xB4\xED\xCE\xF3\xB4\xFA\xC2\xEB\xA3\xBA";
// "错误信息："
constexpr char kMessageLabel[] = "\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xA3\xBA";

class BoundedText {
public:
    BoundedText(char* out, std::size_t capacity) : out_(out), capacity_(capacity) {
        if (capacity_ > 0) out_[0] = '\0';
    }
    void append(const char* text, std::size_t length) {
        if (capacity_ == 0) return;
        const std::size_t room = capacity_ - 1 - used_;
        const std::size_t taken = length < room ? length : room;
        std::memcpy(out_ + used_, text, taken);
        used_ += taken;
        out_[used_] = '\0';
    }
    void append(const char* text) { append(text, std::strlen(text)); }

private:
    char* out_;
    std::size_t capacity_;
    std::size_t used_ = 0;
};

}  // namespace

void composeFatalErrorText(int code, const char* message, char* out, std::size_t capacity) {
    BoundedText text(out, capacity);
    text.append(kHeading);
    text.append("\r\n\r\n");
    if (code != 0) {
        char digits[16];
        const char* end = std::to_chars(digits, digits + sizeof digits, code).ptr;
        text.append(kCodeLabel);
        text.append(digits, static_cast<std::size_t>(end - digits));
        text.append("\r\n\r\n");
    }
    if (message && *message) {
        text.append(kMessageLabel);
        text.append(message);
        text.append("\r\n");
    }
}

