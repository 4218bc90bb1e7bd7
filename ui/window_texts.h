#pragma once

// Error texts of the window's controls (GBK bytes).

// "指定窗口尚未载入": a box is read after the window is gone.
inline constexpr char kMessageWindowNotLoaded[] = "\xD6\xB8\xB6\xA8\xB4\xB0\xBF\xDA\xC9\xD0\xCE\xB4\xD4\xD8\xC8\xEB";
// "指定窗口或窗口组件不存在或尚未载入": a control is used after it is gone.
inline constexpr char kMessageControlNotLoaded[] =
    "\xD6\xB8\xB6\xA8\xB4\xB0\xBF\xDA\xBB\xF2\xB4\xB0\xBF\xDA\xD7\xE9\xBC\xFE\xB2\xBB\xB4\xE6\xD4\xDA\xBB\xF2\xC9\xD0"
    "\xCE\xB4\xD4\xD8\xC8\xEB";
