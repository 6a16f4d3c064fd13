#pragma once
// Where a window with a remembered rectangle reopens: inside the area that
// holds it (the main window's document area, or the screen), so that a
// rectangle kept from a larger frame, another screen or an arrangement of
// tiles never leaves a window out of reach.

namespace vox {

struct PlaceRect {
    int x = 0, y = 0, w = 0, h = 0;  // pixels
    bool operator==(const PlaceRect&) const = default;
};

// The rectangle made to fit the bounds: a side longer than the bounds' is
// cut to them, then the rectangle is moved (not shrunk further) until it
// lies wholly inside. Sides shorter than min_w / min_h grow to them (never
// beyond the bounds). Empty bounds leave the rectangle as it is.
PlaceRect clamp_placement(PlaceRect r, const PlaceRect& bounds, int min_w = 0, int min_h = 0);

}  // namespace vox
