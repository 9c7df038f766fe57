#pragma once

#include "platform/foundation/Device.h"

namespace tq {

struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

struct Rect {
    Point origin;
    Size size;
    Rect() = default;
    Rect(double x, double y, double w, double h) : origin{x, y}, size{w, h} {}
    double width() const { return size.width; }
    double height() const { return size.height; }
    bool operator==(const Rect&) const = default;
};

struct EdgeInsets {
    double top = 0, left = 0, bottom = 0, right = 0;
    bool operator==(const EdgeInsets&) const = default;
};

}  // namespace tq
