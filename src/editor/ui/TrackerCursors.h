#pragma once

#include <QCursor>
#include <QPixmap>

// The Qt cursors for the tracker's cursor numbers (TTrackerCursor): the
// double arrows are Qt's size cursors, the turning arrows are drawn here so
// that they look the same on every desktop and carry the snapping step.
//
// Drawn cursors are 32 x 32 logical pixels with the hot spot in the middle;
// the pixmap is made at the screen's device pixel ratio so it stays sharp on
// high-density screens. The view passes its devicePixelRatioF().

// Logical side of a drawn cursor.
inline constexpr int kTrackerCursorSize = 32;

// The turning arrow for 200 ... 204 (201 ... 204 marked with the step);
// a null pixmap for any other number. A ratio that is not a finite number
// of at least 1 counts as 1, one above 8 as 8.
QPixmap TrackerCursorPixmap(int cursorId, qreal devicePixelRatio = 1.0);

// Any other number, crTrackNone included, gives the arrow cursor.
QCursor TrackerCursor(int cursorId, qreal devicePixelRatio = 1.0);
