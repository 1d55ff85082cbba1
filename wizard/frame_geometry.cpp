// The frame's normal rectangle on the screen.
#include "wizard/frame_geometry.h"

namespace wizard {

FrameRect NormalFrameRect(
    bool minimized, const FrameRect& windowRect, const FrameRect& placementNormal, int workAreaLeft, int workAreaTop)
{
    if (!minimized)
        return windowRect;
    return {placementNormal.left + workAreaLeft, placementNormal.top + workAreaTop,
        placementNormal.right + workAreaLeft, placementNormal.bottom + workAreaTop};
}

}  // namespace wizard
