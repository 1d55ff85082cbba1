// Where the wizard frame stands, for its maximized size and position (which
// are its normal ones: maximizing never changes the frame's geometry).
#pragma once

namespace wizard {

struct FrameRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const FrameRect&) const = default;
};

// The frame's normal (restored) rectangle in screen coordinates. While it is
// not minimized that is where the window stands (`windowRect`); a minimized
// one has it only in its placement, which counts from the top-left corner of
// its monitor's work area (a task bar at the top or the left moves the work
// area away from the screen's origin).
FrameRect NormalFrameRect(
    bool minimized, const FrameRect& windowRect, const FrameRect& placementNormal, int workAreaLeft, int workAreaTop);

}  // namespace wizard
