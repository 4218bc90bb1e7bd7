#pragma once

// The program's own error texts, as the GBK bytes they are at run time.
// They are spelled as byte escapes so every compiler (gcc, MinGW, clang) emits
// the same bytes whatever its execution character set. A hex escape swallows
// every hex digit after it, hence the split literals before digits.

// "分配 %d 字节内存失败!"  (%d: the number of bytes asked for)
inline constexpr char kMessageAllocationFailed[] =
    "\xB7\xD6\xC5\xE4 %d \xD7\xD6\xBD\xDA\xC4\xDA\xB4\xE6\xCA\xA7\xB0\xDC!";

// "数组成员引用下标超出定义范围"  (a line number above the count)
inline constexpr int kCodeIndexAboveCount = 1;
inline constexpr char kMessageIndexAboveCount[] =
    "\xCA\xFD\xD7\xE9\xB3\xC9\xD4\xB1\xD2\xFD\xD3\xC3\xCF\xC2\xB1\xEA"
    "\xB3\xAC\xB3\xF6\xB6\xA8\xD2\xE5\xB7\xB6\xCE\xA7";

// "数组成员引用下标必须大于等于1"  (a line number below 1)
inline constexpr int kCodeIndexBelowOne = 4;
inline constexpr char kMessageIndexBelowOne[] =
    "\xCA\xFD\xD7\xE9\xB3\xC9\xD4\xB1\xD2\xFD\xD3\xC3\xCF\xC2\xB1\xEA"
    "\xB1\xD8\xD0\xEB\xB4\xF3\xD3\xDA\xB5\xC8\xD3\xDA" "1";
