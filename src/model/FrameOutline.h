#pragma once

#include <QPainterPath>

// The outline of a picture frame's shape, in the frame's own coordinates
// (millimetres, origin at the frame centre, before its rotation). The hit
// test and the page drawing both take it from here, so a click lands exactly
// where the frame is drawn and clipped.
//
// regionTyp 0: the frame rectangle; 1: the ellipse inscribed in it (four
// cubic segments); 2: a heart of fixed size (184 x 186 mm, for heart-shaped
// balloons) that ignores width and height. Unknown shapes give the
// rectangle. Each outline is one closed figure of MoveTo, LineTo and CurveTo
// elements, so a draw context can replay it segment by segment.
QPainterPath FrameOutline(int regionTyp, float width, float height);

// Whether the point (frame coordinates) lies inside the outline once it is
// rounded to whole millimetres, as a region built at one pixel per
// millimetre would answer.
bool FrameOutlineContains(int regionTyp, float width, float height, float x, float y);
