#include "ui/shell/CWindowArrangement.h"

#include <algorithm>

QPoint CWindowArrangement::CascadePosition(int open, const QSize& area, const QSize& window,
                                           int step) {
    if (step <= 0 || open <= 0) {
        return {0, 0};
    }
    // How many steps fit before the window would cross the area's right or bottom edge; in
    // an area hardly larger than the window (or smaller), steps while its caption stays
    // in the area's upper half, so windows never all open on the same spot.
    int room = std::min(area.width() - window.width(), area.height() - window.height());
    if (room < 3 * step) {
        room = std::min(area.width(), area.height()) / 2;
    }
    const int places = std::max(0, room / step) + 1;
    const int place = open % places;
    return {place * step, place * step};
}

std::vector<QRect> CWindowArrangement::TileHorizontally(const QSize& area, int count) {
    std::vector<QRect> rects;
    if (count <= 0) {
        return rects;
    }
    const int height = area.height() / count;
    for (int i = 0; i < count; ++i) {
        const int top = i * height;
        const int bottom = i == count - 1 ? area.height() : top + height;
        rects.emplace_back(0, top, area.width(), bottom - top);
    }
    return rects;
}
