// Desktop and window helpers: whether the desktop is an HTML view, and clipping a window to its
// client area.
#pragma once

#include "base/Numeric.h"
#include "services/WinApi.h"

namespace tk {
class Form;
}

namespace selector {

// True (-1) when the desktop's shell view hosts an HTML view, otherwise false (0).
base::Bool16 IsActiveDesktop(services::WinApi& api);

// Cuts the form's window down to its client area, so that neither caption bar nor frame shows.
// The form's coordinate unit is the same afterwards as before.
void SetFormRegion(services::WinApi& api, tk::Form& form);

// Centres the form on the screen (in twips, each size first brought to a whole number and each
// half truncated) and makes it topmost there without moving, resizing or activating it.
void CentreTopmost(services::WinApi& api, tk::Form& form);

// The region SetFormRegion hands to the window, in window pixels.
struct ClientRegion {
    int left, top, right, bottom;
};
ClientRegion ClientRegionOf(double outerWidth, double outerHeight, double clientWidth,
                            double clientHeight, int twipsPerPixelX, int twipsPerPixelY);

}  // namespace selector
