// Small operations on the host's rectangles. Windows-free.
#pragma once

#include <string>

#include "sdk/host_types.h"

// True when the rectangle holds no pixels (right <= left or bottom <= top).
bool rectIsEmpty(const Rect& rect);

// True when `inner` lies inside `outer`.
bool rectInside(const Rect& inner, const Rect& outer);

// The common part; the all-zero rectangle when there is none.
Rect intersectRects(const Rect& a, const Rect& b);

// "top,left,bottom,right", the form of the command line and the trace.
std::string rectText(const Rect& rect);

// Reads "top,left,bottom,right"; false when the text is not four integers.
bool parseRect(const std::string& text, Rect* rect);
