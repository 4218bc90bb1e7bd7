// Times a run in the real window against the floor: the same pieces appended
// by the same three messages to a lone edit box on its own thread, with no
// background thread, no reading of the boxes and no message loop in between
// (so the box is never painted while it fills). A probe thread meanwhile
// measures how long the window keeps a caller waiting, and the window's
// thread is timed in the append handler and in the result box's painting, to
// show where the rest of a run goes.
//
//   window_run_benchmark.exe [--rounds=R] [--limit-seconds=S] [LINES...]
//
// LINES: sizes of the original list (default 20000 100000), each line an
// 11-digit number and CR LF; the removal list holds every third of them.
// Every round times each size once in the window and once at the floor, the
// order swapped from size to size and round to round; the table shows
// medians. Once a measurement takes longer than S seconds (default 480), the
// larger sizes are skipped.
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fatal_error.h"
#include "layout.h"
#include "lead_bytes.h"
#include "line_list.h"
#include "main_window.h"
#include "remove_lines.h"
#include "run_control.h"

void fatalError(int code, const char* message) {
    std::fprintf(stderr, "fatalError %d ", code);
    for (const char* at = message ? message : ""; *at; ++at) {
        std::fprintf(stderr, "%02X", static_cast<unsigned char>(*at));
    }
    std::fprintf(stderr, "\n");
    std::fflush(stderr);
    std::_Exit(3);
}

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "window_run_benchmark: %s\n", what);
    std::fflush(stderr);
    std::_Exit(2);
}

double secondsNow() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency;
}

// ---- Inputs and the expected pieces ----------------------------------------

struct Corpus {
    std::string original;
    std::string removal;
    std::vector<std::string> pieces;  // what a run appends, in order
    std::string result;               // the pieces joined
};

Corpus makeCorpus(int lines) {
    Corpus corpus;
    for (int i = 0; i < lines; ++i) {
        const std::string line = std::to_string(13000000000LL + 7LL * i) + "\r\n";
        corpus.original += line;
        if (i % 3 == 0) corpus.removal += line;
    }
    const LeadByteTable leadBytes = activeCodePageLeadBytes();
    const LineList original = splitLines(corpus.original.c_str(), leadBytes);
    const LineList removal = splitLines(corpus.removal.c_str(), leadBytes);
    removeLines(original, removal, [&](const char* piece, std::size_t length) {
        corpus.pieces.emplace_back(piece, length);
        corpus.result.append(piece, length);
    });
    return corpus;
}

std::string textOf(HWND window) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// ---- Message loops ---------------------------------------------------------

void dispatch(MSG& message) {
    if (handleWindowKey(message)) return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

// Serves the queue until `condition` holds, waiting for messages in between.
template <typename Condition>
bool pumpUntil(Condition condition, DWORD milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) dispatch(message);
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

// Lets pending painting and input settle before a clock starts.
void settle() {
    pumpUntil([] { return false; }, 200);
}

// ---- The run in the window -------------------------------------------------

WNDPROC g_buttonProcedure = nullptr;
bool g_runDisabled = false;
double g_runEnded = 0;  // when the button came back; 0 while the run lasts

LRESULT CALLBACK timingButtonProcedure(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ENABLE) {
        if (!wParam) {
            g_runDisabled = true;
        } else if (g_runDisabled && g_runEnded == 0) {
            g_runEnded = secondsNow();
            // The loop below sleeps in GetMessageA, which handles sent
            // messages without returning: wake it.
            PostMessageA(GetParent(button), WM_NULL, 0, 0);
        }
    }
    return CallWindowProcA(g_buttonProcedure, button, message, wParam, lParam);
}

// Where the window's thread spends a run: in the handler that appends a
// piece, and painting the result box.
struct Breakdown {
    double appending = 0;
    double painting = 0;
    int paints = 0;
};
Breakdown g_breakdown;
WNDPROC g_mainProcedure = nullptr;
WNDPROC g_resultProcedure = nullptr;

LRESULT CALLBACK timingMainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kAppendToResultMessage) return CallWindowProcA(g_mainProcedure, window, message, wParam, lParam);
    const double before = secondsNow();
    const LRESULT result = CallWindowProcA(g_mainProcedure, window, message, wParam, lParam);
    g_breakdown.appending += secondsNow() - before;
    return result;
}

LRESULT CALLBACK timingResultProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return CallWindowProcA(g_resultProcedure, box, message, wParam, lParam);
    const double before = secondsNow();
    const LRESULT result = CallWindowProcA(g_resultProcedure, box, message, wParam, lParam);
    g_breakdown.painting += secondsNow() - before;
    ++g_breakdown.paints;
    return result;
}

void startClicked() { onStartClicked(); }

// Sends the window a message that does nothing, every ~10 ms, and keeps the
// longest wait for an answer.
struct Probe {
    HWND target = nullptr;
    HANDLE stop = nullptr;
    double worstWait = 0;
    int sent = 0;
    bool timedOut = false;
};

DWORD WINAPI probeWindow(void* parameter) {
    auto& probe = *static_cast<Probe*>(parameter);
    constexpr UINT kGiveUpMilliseconds = 60000;
    do {
        const double before = secondsNow();
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutA(probe.target, WM_NULL, 0, 0, SMTO_NORMAL, kGiveUpMilliseconds, &answer)) {
            probe.timedOut = true;
        }
        probe.worstWait = std::max(probe.worstWait, secondsNow() - before);
        ++probe.sent;
    } while (WaitForSingleObject(probe.stop, 10) == WAIT_TIMEOUT);
    return 0;
}

struct RunFigures {
    double seconds;
    double worstWaitSeconds;
    int probes;
    Breakdown breakdown;
};

// A left click in the middle of a control, as the mouse gives it.
void click(HWND control) {
    RECT area;
    GetClientRect(control, &area);
    POINT at{area.right / 2, area.bottom / 2};
    ClientToScreen(control, &at);
    SetCursorPos(at.x, at.y);
    INPUT inputs[2]{};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    if (SendInput(2, inputs, sizeof(INPUT)) != 2) fail("SendInput failed");
}

RunFigures timeRunInWindow(const Corpus& corpus) {
    if (!loadMainWindow(MainWindowEvents{nullptr, nullptr, startClicked, nullptr})) fail("the window was not built");
    HWND main = mainWindow();
    HWND button = controlOf(kStartButton);
    HWND result = controlOf(kResultBox);
    g_runDisabled = false;
    g_runEnded = 0;
    g_buttonProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(timingButtonProcedure)));
    g_mainProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(timingMainProcedure)));
    g_resultProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(result, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(timingResultProcedure)));

    SetWindowTextA(controlOf(kOriginalBox), corpus.original.c_str());
    SetWindowTextA(controlOf(kRemovalBox), corpus.removal.c_str());
    SetWindowTextA(result, "");
    SetForegroundWindow(main);
    // Not fatal: the click below brings the window forward anyway.
    pumpUntil([&] { return GetForegroundWindow() == main; }, 2000);
    settle();

    Probe probe;
    probe.target = main;
    probe.stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE prober = CreateThread(nullptr, 0, probeWindow, &probe, 0, nullptr);
    if (!probe.stop || !prober) fail("the probe thread did not start");

    // Another program on the same display may take a click away: a click
    // that starts no run within a few seconds is given again, and the clock
    // starts anew.
    constexpr double kClickLostAfter = 3;
    constexpr int kClicks = 5;
    int clicks = 1;
    g_breakdown = {};
    double started = secondsNow();
    click(button);
    const UINT_PTR wakeUp = SetTimer(nullptr, 0, 500, nullptr);
    // The program's own loop (app/program.cpp).
    MSG message;
    while (g_runEnded == 0) {
        if (GetMessageA(&message, nullptr, 0, 0) <= 0) fail("the message loop ended during the run");
        dispatch(message);
        if (!g_runDisabled && secondsNow() - started > kClickLostAfter) {
            if (++clicks > kClicks) fail("no click on the Start button started a run");
            started = secondsNow();
            click(button);
        }
    }
    const double seconds = g_runEnded - started;
    KillTimer(nullptr, wakeUp);

    SetEvent(probe.stop);
    // The probe may be waiting on this thread: serve it while it ends.
    while (MsgWaitForMultipleObjects(1, &prober, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) dispatch(message);
    }
    CloseHandle(prober);
    CloseHandle(probe.stop);
    if (probe.timedOut) fail("the window left the probe unanswered for a minute");

    if (textOf(result) != corpus.result) fail("the run's result box differs from the pieces");
    DestroyWindow(main);
    settle();
    return {seconds, probe.worstWait, probe.sent, g_breakdown};
}

// ---- The floor -------------------------------------------------------------

constexpr char kFloorClassName[] = "KorvelSievraBenchFloor";

// Paints and colours like the main window, which the floor's box stands in.
LRESULT CALLBACK floorWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLOREDIT) {
        const HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

double timeFloor(const Corpus& corpus) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = floorWindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kFloorClassName;
    if (!RegisterClassExA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) fail("no floor class");

    HWND parent = CreateWindowExA(0, kFloorClassName, "floor", WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU, 0, 0,
                                  kMainWindowWidth, kMainWindowHeight, nullptr, nullptr, instance, nullptr);
    const ControlPlace& place = kControls[kResultBox - 1];
    // The result box's style and sunken edge, so its client area is the same.
    HWND box = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                               ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | ES_LEFT | WS_CHILD | WS_VISIBLE,
                               place.x, place.y, place.width, place.height, parent, nullptr, instance, nullptr);
    if (!parent || !box) fail("the floor's window was not built");
    SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    SendMessageA(box, EM_LIMITTEXT, 0, 0);
    ShowWindow(parent, SW_SHOW);
    settle();

    constexpr WPARAM kPastTheEnd = 0x7FFFFFFF;
    const double started = secondsNow();
    for (const std::string& piece : corpus.pieces) {
        SendMessageA(box, EM_SETSEL, kPastTheEnd, kPastTheEnd);
        SendMessageA(box, EM_SCROLLCARET, 0, 0);
        SendMessageA(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
    }
    const double seconds = secondsNow() - started;

    if (textOf(box) != corpus.result) fail("the floor's box differs from the pieces");
    DestroyWindow(parent);
    settle();
    return seconds;
}

// ---- Driver ----------------------------------------------------------------

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct SizeFigures {
    int lines = 0;
    std::size_t pieces = 0;
    std::vector<double> ours, floor, worstWait;
    Breakdown breakdown;  // summed over the rounds
};

}  // namespace

int main(int argc, char** argv) {
    if (OleInitialize(nullptr) != S_OK) fail("OLE could not be initialised");  // the web panel needs it
    int rounds = 1;
    double limitSeconds = 480;
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--rounds=", 9) == 0) {
            rounds = std::atoi(argv[i] + 9);
        } else if (std::strncmp(argv[i], "--limit-seconds=", 16) == 0) {
            limitSeconds = std::atof(argv[i] + 16);
        } else if (argv[i][0] >= '1' && argv[i][0] <= '9') {
            sizes.push_back(std::atoi(argv[i]));
        } else {
            std::fprintf(stderr, "usage: window_run_benchmark [--rounds=R] [--limit-seconds=S] [LINES...]\n");
            return 2;
        }
    }
    if (sizes.empty()) sizes = {20000, 100000};
    if (rounds < 1) rounds = 1;
    std::sort(sizes.begin(), sizes.end());

    std::vector<SizeFigures> figures;
    bool overLimit = false;
    for (int lines : sizes) {
        const Corpus corpus = makeCorpus(lines);
        SizeFigures size;
        size.lines = lines;
        size.pieces = corpus.pieces.size();
        for (int round = 0; round < rounds; ++round) {
            // Swapped by size and round, so neither side always goes first.
            const bool windowFirst = (figures.size() + static_cast<std::size_t>(round)) % 2 == 0;
            for (int side = 0; side < 2; ++side) {
                if ((side == 0) == windowFirst) {
                    const RunFigures run = timeRunInWindow(corpus);
                    size.ours.push_back(run.seconds);
                    size.worstWait.push_back(run.worstWaitSeconds);
                    size.breakdown.appending += run.breakdown.appending;
                    size.breakdown.painting += run.breakdown.painting;
                    size.breakdown.paints += run.breakdown.paints;
                    std::fprintf(stderr,
                                 "%d lines: run in the window %.3f s (appending %.3f s, %d paints %.3f s), "
                                 "worst probe wait %.1f ms (%d probes)\n",
                                 lines, run.seconds, run.breakdown.appending, run.breakdown.paints,
                                 run.breakdown.painting, run.worstWaitSeconds * 1000, run.probes);
                    overLimit = overLimit || run.seconds > limitSeconds;
                } else {
                    const double seconds = timeFloor(corpus);
                    size.floor.push_back(seconds);
                    std::fprintf(stderr, "%d lines: floor %.3f s\n", lines, seconds);
                    overLimit = overLimit || seconds > limitSeconds;
                }
            }
        }
        figures.push_back(size);
        if (overLimit) break;
    }

    std::printf("\n%8s %7s %10s %10s %11s %14s\n", "lines", "pieces", "ours s", "floor s", "ours/floor",
                "worst wait ms");
    for (const SizeFigures& size : figures) {
        const double ours = median(size.ours), floor = median(size.floor);
        std::printf("%8d %7zu %10.3f %10.3f %11.2f %14.1f\n", size.lines, size.pieces, ours, floor, ours / floor,
                    *std::max_element(size.worstWait.begin(), size.worstWait.end()) * 1000);
    }
    // The rest of a run: the messages between the threads, reading and
    // splitting the boxes, the loop's own work.
    std::printf("\nWhere our run's time goes (per run, averaged over the rounds):\n");
    std::printf("%8s %12s %12s %8s %10s %16s\n", "lines", "appending s", "painting s", "paints", "rest s",
                "appending/floor");
    for (const SizeFigures& size : figures) {
        const double n = static_cast<double>(size.ours.size());
        double ours = 0;
        for (double seconds : size.ours) ours += seconds;
        const Breakdown& b = size.breakdown;
        const double floor = median(size.floor);
        std::printf("%8d %12.3f %12.3f %8.0f %10.3f %16.2f\n", size.lines, b.appending / n, b.painting / n,
                    b.paints / n, (ours - b.appending - b.painting) / n, b.appending / n / floor);
    }
    if (figures.size() >= 2) {
        const SizeFigures& first = figures.front();
        const SizeFigures& last = figures.back();
        const double lineRatio = static_cast<double>(last.lines) / first.lines;
        std::printf("\nfloor growth %d -> %d lines: x%.1f (linear would be x%.0f, quadratic x%.0f)\n", first.lines,
                    last.lines, median(last.floor) / median(first.floor), lineRatio, lineRatio * lineRatio);
    }
    std::printf("%s; the worst wait is the longest of all rounds.\n",
                rounds > 1 ? ("Medians of " + std::to_string(rounds) + " rounds").c_str() : "One round");
    if (overLimit && figures.size() < sizes.size()) {
        std::printf("A measurement took over %.0f s: sizes above %d lines skipped.\n", limitSeconds,
                    figures.back().lines);
    }
    return 0;
}
