#pragma once

#include <QRect>
#include <QSize>

// The stored window rectangle fitted onto the screen: the size is limited to
// the screen, a window that reaches or passes the right (bottom) edge is moved
// left (up) so it ends there, and negative positions become 0.
QRect ClampWindowRect(const QRect& stored, const QSize& screen);
