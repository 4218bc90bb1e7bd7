#pragma once

#include <cstddef>

// The text of the fatal error box: "运行时出错!" and a blank line; then, for a
// code other than 0, "错误代码：" with the code and a blank line; then, for a
// message that is present and not empty, "错误信息：" with the message and a
// line break. Written into `out` (always NUL-terminated, cut to fit
// `capacity`) without allocating: memory may be what ran out.
void composeFatalErrorText(int code, const char* message, char* out, std::size_t capacity);

// "错误"
inline constexpr char kFatalErrorCaption[] = "\xB4\xED\xCE\xF3";
