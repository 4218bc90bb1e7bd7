#pragma once

// What the life-cycle tests tell the probe, through its environment, and the
// message the probe's background thread fails with.

// A path: the probe writes its current folder there from the created event.
inline constexpr char kProbeFolderFileVariable[] = "KORVEL_PROBE_CWD_FILE";

// A path: the probe's Start button handler creates that file.
inline constexpr char kProbeClickFileVariable[] = "KORVEL_PROBE_CLICK_FILE";

// "thread": a background thread calls fatalError once the window is shown;
// "ui": the user-interface thread does, from its message loop.
inline constexpr char kProbeFatalVariable[] = "KORVEL_PROBE_FATAL";

inline constexpr int kProbeThreadErrorCode = 7;
// "后台线程出错：淺": its last character's second byte is 0x5C, a backslash on
// its own.
inline constexpr char kProbeThreadErrorMessage[] =
    "\xBA\xF3\xCC\xA8\xCF\xDF\xB3\xCC\xB3\xF6\xB4\xED\xA3\xBA\x9C\x5C";

// Set: before start-up the probe registers the label class itself, with a
// procedure that refuses every window, so the window cannot be built.
inline constexpr char kProbeBreakLabelsVariable[] = "KORVEL_PROBE_BREAK_LABELS";
