#include "plughost/pictures/rect_utils.h"

#include <cstdio>

bool rectIsEmpty(const Rect& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

bool rectInside(const Rect& inner, const Rect& outer) {
    return inner.top >= outer.top && inner.left >= outer.left && inner.bottom <= outer.bottom &&
           inner.right <= outer.right;
}

Rect intersectRects(const Rect& a, const Rect& b) {
    Rect r = {a.top > b.top ? a.top : b.top, a.left > b.left ? a.left : b.left,
              a.bottom < b.bottom ? a.bottom : b.bottom, a.right < b.right ? a.right : b.right};
    if (rectIsEmpty(r)) r = Rect{0, 0, 0, 0};
    return r;
}

std::string rectText(const Rect& r) {
    return std::to_string(r.top) + "," + std::to_string(r.left) + "," + std::to_string(r.bottom) +
           "," + std::to_string(r.right);
}

bool parseRect(const std::string& text, Rect* rect) {
    constexpr int kLowest = -32768, kHighest = 32767;
    int v[4] = {0, 0, 0, 0};
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d,%d,%d,%d%c", &v[0], &v[1], &v[2], &v[3], &tail) != 4) {
        return false;
    }
    for (int x : v) {
        if (x < kLowest || x > kHighest) return false;
    }
    *rect = Rect{int16(v[0]), int16(v[1]), int16(v[2]), int16(v[3])};
    return true;
}
