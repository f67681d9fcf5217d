#pragma once

#include "app/twips.h"

// Every window's design geometry, in twips, and its fonts, in points.
namespace orbeta::layout {

namespace form1 {
inline constexpr twips::Size kClient{2490, 2880};
inline constexpr twips::Point kClientDesignPosition{1515, 1380};
inline constexpr twips::Rect kMonthView1{0, 0, 2490, 2220};
inline constexpr twips::Rect kLabel1{45, 2265, 2400, 585};
inline constexpr double kWindowFontPoints = 9;
inline constexpr double kLabel1FontPoints = 26.25;
} // namespace form1

namespace form2 {
inline constexpr twips::Size kClient{4680, 2745};
// Narrower, and a long memo's laid-out height outgrows what Qt's editor handles.
inline constexpr twips::Size kMinimumClient{2340, 1200};
inline constexpr twips::Point kClientDesignPosition{2175, 2805};
inline constexpr double kRichTextBox1FontPoints = 12;
} // namespace form2

namespace frmAbout {
inline constexpr twips::Size kClient{4875, 2295};
inline constexpr twips::Rect kPicIcon{180, 240, 540, 540};
inline constexpr twips::Rect kLblTitle{840, 180, 3855, 285};
inline constexpr twips::Rect kLblVersion{840, 480, 3855, 225};
inline constexpr twips::Rect kLblDescription{840, 840, 3825, 255};
inline constexpr twips::Rect kLabel1{780, 1140, 3885, 240};
inline constexpr twips::Rect kFrame1{120, 1560, 4635, 75};
inline constexpr twips::Rect kCmdSysInfo{660, 1800, 1380, 345};
inline constexpr twips::Rect kCmdOK{2880, 1800, 1380, 345};
inline constexpr double kLblTitleFontPoints = 14.25;
inline constexpr double kLblVersionFontPoints = 12;
inline constexpr double kLblDescriptionFontPoints = 11.25;
inline constexpr double kLabel1FontPoints = 12;
} // namespace frmAbout

namespace frmSearch {
inline constexpr twips::Size kClient{6600, 5400};
inline constexpr twips::Size kMinimumClient{4200, 2700};
inline constexpr twips::Point kClientDesignPosition{4200, 1380};
inline constexpr int kMargin = 90;
inline constexpr double kWindowFontPoints = 10.5;
} // namespace frmSearch

namespace frmVersions {
inline constexpr twips::Size kClient{6000, 5250};
inline constexpr int kMargin = 90;
inline constexpr double kWindowFontPoints = 10.5;
} // namespace frmVersions

namespace frmPrint {
inline constexpr twips::Size kClient{4800, 2400};
inline constexpr int kMargin = 120;
inline constexpr double kWindowFontPoints = 10.5;
} // namespace frmPrint

} // namespace orbeta::layout
