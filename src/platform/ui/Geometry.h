#pragma once

#include <cmath>

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

// An affine transform [a b; c d] plus translation, as views carry it for scaling, moving and
// turning without touching their frame.
struct Transform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static Transform identity() { return {}; }
    static Transform scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
    static Transform translation(double x, double y) { return {1, 0, 0, 1, x, y}; }
    static Transform rotation(double radians) {
        double cs = std::cos(radians), sn = std::sin(radians);
        return {cs, sn, -sn, cs, 0, 0};
    }
    // This transform followed by `then`.
    Transform concatenating(const Transform& then) const {
        return {a * then.a + b * then.c,       a * then.b + b * then.d,
                c * then.a + d * then.c,       c * then.b + d * then.d,
                tx * then.a + ty * then.c + then.tx, tx * then.b + ty * then.d + then.ty};
    }
    bool isIdentity() const { return *this == Transform{}; }
    bool operator==(const Transform&) const = default;
};

}  // namespace tq
