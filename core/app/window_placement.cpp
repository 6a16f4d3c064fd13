#include "core/app/window_placement.h"

#include <algorithm>

namespace vox {

PlaceRect clamp_placement(PlaceRect r, const PlaceRect& b, int min_w, int min_h) {
    if (b.w <= 0 || b.h <= 0) return r;
    r.w = std::clamp(r.w, std::min(std::max(min_w, 1), b.w), b.w);
    r.h = std::clamp(r.h, std::min(std::max(min_h, 1), b.h), b.h);
    // Right and bottom edges first, then left and top: the size fits, so
    // both hold afterwards.
    r.x = std::max(std::min(r.x, b.x + b.w - r.w), b.x);
    r.y = std::max(std::min(r.y, b.y + b.h - r.h), b.y);
    return r;
}

}  // namespace vox
