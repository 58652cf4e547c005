#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

// Where playlist windows go inside the main window's work area: new windows cascade from
// the top-left corner, each one a caption lower and to the right, starting over at the
// corner when the next would not fit (in a small area, when its caption would leave the
// upper half); tiling stacks the windows one above the other, each
// the area's full width.
class CWindowArrangement {
public:
    // The place of the window opened after `open` others.
    static QPoint CascadePosition(int open, const QSize& area, const QSize& window, int step);
    // The rectangles of `count` windows tiled horizontally (the last takes what the
    // division leaves).
    static std::vector<QRect> TileHorizontally(const QSize& area, int count);
};
