#pragma once

#include <cstdint>
#include <functional>

#include <QPointF>
#include <QRect>

class TDrawContext;

// Cursor numbers the tracker asks for; the view turns them into Qt cursors.
enum TTrackerCursor : int {
    crTrackNone = 0,
    crTrackTurn = 200,
    crTrackTurn15 = 201,
    crTrackTurn10 = 202,
    crTrackTurn5 = 203,
    crTrackTurn1 = 204,
    crTrackSizeNS = 211,
    crTrackSizeNWSE = 212,
    crTrackSizeWE = 213,
    crTrackSizeNESW = 214,
};

// Selection frame with eight sizing handles and one turning handle for a
// text or clip-art element. All operations take the draw context whose
// mapping is the element's page mapping; mouse positions are window pixels.
class TTracker {
public:
    float X = 0, Y = 0;
    float Height = 0;
    float Width = 0;
    float Angle = 0;
    std::uint8_t Handle = 0;
    int LastX = 0, LastY = 0;
    bool Visible = false;

    // Cursor chosen during the last turning step (0 when none was set).
    int DragCursor = crTrackNone;

    void Draw(TDrawContext& dc);
    void InvalidateHandles(const std::function<void(const QRect&)>& invalidate, TDrawContext& dc);
    int HitHandle(TDrawContext& dc, int x, int y);
    bool BeginDrag(TDrawContext& dc, int x, int y);
    void DragTo(TDrawContext& dc, int x, int y);
    bool HoverCursor(TDrawContext& dc, int x, int y, int& cursor);
    void EndDrag(const std::function<void(const QRect&)>& invalidate, TDrawContext& dc);

    // Window position (unrounded pixels) of handle 1 ... 9; (0, 0) for any
    // other number.
    QPointF HandlePosition(TDrawContext& dc, int handle);
};
