#pragma once

// The main window's fixed layout: its size, its controls in creation order
// with their places, and the texts it shows (GBK bytes).

#include <array>

#include "site_config.h"

inline constexpr char kMainWindowTitle[] = "KorvelSievraV3";
inline constexpr int kMainWindowWidth = 484;
inline constexpr int kMainWindowHeight = 510;

enum class ControlKind { editBox, label, button, siteLink, webPanel };

// Control identifiers: the row of the control in creation order.
enum ControlId : int {
    kOriginalBox = 1,
    kRemovalBox = 2,
    kResultBox = 3,
    kColumnCaption = 4,
    kStartButton = 5,
    kFirstExample = 6,
    kSecondExample = 7,
    kThirdExample = 8,
    kSiteLink = 9,
    kWebPanel = 10,
};

struct ControlPlace {
    ControlId id;
    ControlKind kind;
    int x, y, width, height;
    bool tabStop;
};

inline constexpr std::array<ControlPlace, 10> kControls{{
    {kOriginalBox, ControlKind::editBox, 16, 8, 104, 184, true},
    {kRemovalBox, ControlKind::editBox, 140, 8, 104, 184, true},
    {kResultBox, ControlKind::editBox, 264, 8, 104, 184, true},
    {kColumnCaption, ControlKind::label, 24, 200, 352, 24, false},
    {kStartButton, ControlKind::button, 388, 8, 80, 288, true},
    {kFirstExample, ControlKind::label, 24, 232, 88, 64, false},
    {kSecondExample, ControlKind::label, 152, 232, 88, 64, false},
    {kThirdExample, ControlKind::label, 280, 232, 88, 64, false},
    {kSiteLink, ControlKind::siteLink, 8, 312, 456, 32, false},
    {kWebPanel, ControlKind::webPanel, 7, 346, 464, 128, true},
}};

// "原始文本             需剔除文本            余下文本": one line, the three
// captions spaced by runs of 13 and 12 blanks to stand over their boxes.
inline constexpr char kColumnCaptionText[] =
    "\xD4\xAD\xCA\xBC\xCE\xC4\xB1\xBE             \xD0\xE8\xCC\xDE\xB3\xFD\xCE\xC4\xB1\xBE"
    "            \xD3\xE0\xCF\xC2\xCE\xC4\xB1\xBE";
// "如：" CR LF and an original list.
inline constexpr char kFirstExampleText[] = "\xC8\xE7\xA3\xBA\r\n11111\r\n22222\r\n33333\r\n44444";
// "如：" CR LF and a removal list.
inline constexpr char kSecondExampleText[] = "\xC8\xE7\xA3\xBA\r\n22222\r\n33333\r\n";
// "结果：" CR LF and the result.
inline constexpr char kThirdExampleText[] = "\xBD\xE1\xB9\xFB\xA3\xBA\r\n11111\r\n44444";
// The site link's caption, one line: "官网：" the site, "　即时通讯：" the
// contact number, "　聊天·网店·邮件营销软件" (chat, shop and e-mail marketing software).
inline constexpr char kSiteLinkCaption[] =
    "\xB9\xD9\xCD\xF8\xA3\xBA" KORVEL_WEB_HOST "\xA1\xA1\xBC\xB4\xCA\xB1\xCD\xA8\xD1\xB6\xA3\xBA" KORVEL_CONTACT_NUMBER
    "\xA1\xA1\xC1\xC4\xCC\xEC\xA1\xA4\xCD\xF8\xB5\xEA\xA1\xA4\xD3\xCA\xBC\xFE\xD3\xAA\xCF\xFA\xC8\xED\xBC\xFE";
// The home page the site link opens, and the page the web panel shows first.
inline constexpr char kWebAddress[] = KORVEL_WEB_ADDRESS;
inline constexpr char kStartPageAddress[] = KORVEL_START_PAGE_ADDRESS;
// "开始"
inline constexpr char kStartButtonText[] = "\xBF\xAA\xCA\xBC";

// Where a window of `size` is centred on a screen of `screen`: halved with
// truncation toward zero, negative on a screen smaller than the window.
constexpr int centredOrigin(int screen, int size) { return (screen - size) / 2; }
