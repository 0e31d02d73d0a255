#pragma once
// The window as it was designed, in twips. The run-time sizes derive from it.
// A Linux window manager draws the window frame itself, so the window's Width
// and Height here are those of its inner (client) area.

namespace qm::design {

inline constexpr double kFormLeft = 1200;
inline constexpr double kFormTop = 900;
inline constexpr double kFormScaleWidth = 15195;  // inner width at design time
inline constexpr double kFormWidth = kFormScaleWidth;
inline constexpr double kFormHeight = 8055;

inline constexpr double kPicMenuWidth = 1770;
inline constexpr double kPicMenuHeight = 2370;
inline constexpr double kFramMenuLeft = 1770;
inline constexpr double kFramMenuTop = -75;
inline constexpr double kFramMenuWidth = 7725;
inline constexpr double kFramMenuHeight = 2460;
inline constexpr double kPicFrameLeft = 0;
inline constexpr double kPicFrameTop = 2400;
inline constexpr double kPicFrameWidth = 9510;
inline constexpr double kPicFrameHeight = 5655;

// The window width whose inner width equals the gallery area's width.
inline constexpr double DefWidth() { return kFormWidth + kPicFrameWidth - kFormScaleWidth; }
// The first page's height plus room for one row of the gallery.
inline constexpr double MinHeight() { return kFramMenuHeight + 1500; }
inline constexpr double DesignHeight() { return kFormHeight; }

// The progress window: inner area 4350 x 1140.
inline constexpr double kProgressWidth = 4350;
inline constexpr double kProgressHeight = 1140;

}  // namespace qm::design
