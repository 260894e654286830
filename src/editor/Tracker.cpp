#include "editor/Tracker.h"

#include "app/Arith.h"
#include "app/Colors.h"
#include "render/DrawContext.h"
#include "render/Transformation.h"

#include <cmath>

namespace {

constexpr int kHandleCount = 9;
constexpr int kTurnHandle = 9;
// Half the side of the square in which the mouse catches a handle.
constexpr float kHitReach = 4;
// Side of a drawn handle.
constexpr float kHandleSize = 6;
// Window pixels between the middle of the right edge and half the way to
// the turning handle.
constexpr float kTurnOffsetPixels = 6;

// Brackets the frame mapping (page mapping, then the frame's centre and
// turn) on the context's transformation and puts the old mapping back.
class TFrameMapping {
public:
    TFrameMapping(TDrawContext& dc, const TTracker& tracker)
        : T(dc.Transformation())
    {
        T.Push();
        T.Translate(tracker.X, tracker.Y);
        T.Rotate(tracker.Angle);
    }
    ~TFrameMapping() { T.Pop(); }
    TFrameMapping(const TFrameMapping&) = delete;
    TFrameMapping& operator=(const TFrameMapping&) = delete;

    TTransformation& T;
};

// Frame coordinates of every handle; index 0 is handle 1.
void HandlePointsInFrame(const TTracker& tracker, TTransformation& frame, TPointF (&out)[kHandleCount])
{
    const float w = tracker.Width / 2;
    const float h = tracker.Height / 2;
    // Half the turning handle's distance in millimetres: the inverse of the
    // mapping's linear part applied to a horizontal window vector, so that
    // the distance on screen is the same at every zoom.
    const TPointF d = frame.InverseTransformVector(PointF(kTurnOffsetPixels, 0));
    const float dist = VectorLength(d);
    out[0] = PointF(-w, -h);
    out[1] = PointF(0, -h);
    out[2] = PointF(w, -h);
    out[3] = PointF(w, 0);
    out[4] = PointF(w, h);
    out[5] = PointF(0, h);
    out[6] = PointF(-w, h);
    out[7] = PointF(-w, 0);
    out[8] = PointF(w + 2 * dist, 0);
}

// Window positions (unrounded pixels) of every handle.
void HandleWindowPoints(const TTracker& tracker, TDrawContext& dc, TPointF (&out)[kHandleCount])
{
    TFrameMapping frame(dc, tracker);
    TPointF inFrame[kHandleCount];
    HandlePointsInFrame(tracker, frame.T, inFrame);
    for (int i = 0; i < kHandleCount; ++i)
        out[i] = frame.T.TransformPoint(inFrame[i]);
}

// Angle into [0, 360); a float sum that rounds up to 360 counts as 0.
float NormalizedAngle(double angle)
{
    if (!std::isfinite(angle))
        return 0;
    double a = std::fmod(angle, 360.0);
    if (a < 0)
        a += 360.0;
    float f = float(a);
    if (f >= 360.0f || f < 0.0f)
        f = 0;
    return f;
}

struct TTurnStep {
    float Grid;
    int Cursor;
};

// The farther the mouse is from the centre, the finer the turn can be set.
TTurnStep TurnStepForRadius(double r)
{
    if (r < 50)
        return {15, crTrackTurn15};
    if (r < 75)
        return {10, crTrackTurn10};
    if (r < 150)
        return {5, crTrackTurn5};
    if (r < 225)
        return {1, crTrackTurn1};
    return {0, crTrackTurn};
}

QRect HandleInvalidRect(const TPointF& p)
{
    const int l = RoundHalfEven(double(p.X) - kHitReach);
    const int t = RoundHalfEven(double(p.Y) - kHitReach);
    const int r = RoundHalfEven(double(p.X) + kHitReach);
    const int b = RoundHalfEven(double(p.Y) + kHitReach);
    // Grown by two pixels for the outline; right and bottom are exclusive.
    return QRect(l - 2, t - 2, (r + 2) - (l - 2), (b + 2) - (t - 2));
}

} // namespace

void TTracker::Draw(TDrawContext& dc)
{
    TPointF points[kHandleCount];
    HandleWindowPoints(*this, dc, points);

    TTransformation& t = dc.Transformation();
    t.Push();
    t.Identity();
    dc.SetPenStyle(TPenStyle::Solid);
    dc.SetPenWidthPixels(1);
    dc.SetPenColor(clBlack);
    dc.SetBrushStyle(TBrushStyle::Solid);
    const float half = kHandleSize / 2;
    for (int i = 0; i < kHandleCount; ++i) {
        const TPointF& p = points[i];
        if (i + 1 == kTurnHandle) {
            dc.SetBrushColor(clRed);
            dc.Ellipse(p.X, p.Y, kHandleSize, kHandleSize);
        } else {
            dc.SetBrushColor(clLime);
            dc.Rectangle(p.X - half, p.Y - half, p.X + half, p.Y + half);
        }
    }
    t.Pop();
}

void TTracker::InvalidateHandles(const std::function<void(const QRect&)>& invalidate,
                                 TDrawContext& dc)
{
    if (!invalidate)
        return;
    TPointF points[kHandleCount];
    HandleWindowPoints(*this, dc, points);
    for (const TPointF& p : points)
        invalidate(HandleInvalidRect(p));
}

int TTracker::HitHandle(TDrawContext& dc, int x, int y)
{
    TPointF points[kHandleCount];
    HandleWindowPoints(*this, dc, points);
    // Lower numbers first, so the corners win on a frame too small to keep
    // the handles apart.
    for (int i = 0; i < kHandleCount; ++i) {
        if (std::fabs(double(x) - points[i].X) <= kHitReach
            && std::fabs(double(y) - points[i].Y) <= kHitReach)
            return i + 1;
    }
    return 0;
}

bool TTracker::BeginDrag(TDrawContext& dc, int x, int y)
{
    Handle = std::uint8_t(HitHandle(dc, x, y));
    if (Handle == 0)
        return false;
    LastX = x;
    LastY = y;
    return true;
}

void TTracker::DragTo(TDrawContext& dc, int x, int y)
{
    if (Handle == 0 || Handle > kHandleCount)
        return;

    TPointF p, c, o;
    {
        TFrameMapping frame(dc, *this);
        p = frame.T.InverseTransformPoint(PointF(float(LastX), float(LastY)));
        c = frame.T.InverseTransformPoint(PointF(float(x), float(y)));
        o = frame.T.TransformPoint(PointF(0, 0));
    }

    if (Handle == kTurnHandle) {
        const double r = std::hypot(double(x) - o.X, double(y) - o.Y);
        // On the centre the mouse has no direction; a step there would spin
        // the frame by whatever rounding noise says.
        if (r >= 1) {
            const TTurnStep step = TurnStepForRadius(r);
            float angle = NormalizedAngle(double(Angle) + VectorAngle(c.X, c.Y));
            angle = NormalizedAngle(SnapToGrid(step.Grid, angle));
            Angle = angle;
            DragCursor = step.Cursor;
        }
    } else {
        const float dx = c.X - p.X;
        const float dy = c.Y - p.Y;
        float left = -Width / 2, top = -Height / 2;
        float right = Width / 2, bottom = Height / 2;
        switch (Handle) {
        case 1: left += dx; top += dy; break;
        case 2: top += dy; break;
        case 3: right += dx; top += dy; break;
        case 4: right += dx; break;
        case 5: right += dx; bottom += dy; break;
        case 6: bottom += dy; break;
        case 7: left += dx; bottom += dy; break;
        case 8: left += dx; break;
        default: break;
        }
        Width = right - left;
        Height = bottom - top;
        // The new centre in frame coordinates, turned onto the page: the
        // edges the handle does not own stay where they were.
        TTransformation turn;
        turn.Rotate(Angle);
        const TPointF shift = turn.TransformVector(PointF((left + right) / 2, (top + bottom) / 2));
        X += shift.X;
        Y += shift.Y;
    }
    LastX = x;
    LastY = y;
}

bool TTracker::HoverCursor(TDrawContext& dc, int x, int y, int& cursor)
{
    const int h = HitHandle(dc, x, y);
    if (h == 0)
        return false;
    if (h == kTurnHandle) {
        cursor = crTrackTurn;
        return true;
    }
    // The direction of the frame's x axis on screen. The unit vector rather
    // than the one to (W/2, 0): only the direction modulo 180 matters, and
    // it stays defined for a frame of zero width.
    TPointF axis;
    {
        TFrameMapping frame(dc, *this);
        axis = frame.T.TransformVector(PointF(1, 0));
    }
    double a = VectorAngle(axis.X, axis.Y);
    switch (h) {
    case 1: case 5: a += 45; break;
    case 2: case 6: a += 90; break;
    case 3: case 7: a += 135; break;
    default: break;
    }
    while (a >= 180)
        a -= 180;
    while (a < 0)
        a += 180;
    if (a < 22.5)
        cursor = crTrackSizeWE;
    else if (a < 67.5)
        cursor = crTrackSizeNWSE;
    else if (a < 112.5)
        cursor = crTrackSizeNS;
    else if (a < 157.5)
        cursor = crTrackSizeNESW;
    else
        cursor = crTrackSizeWE;
    return true;
}

void TTracker::EndDrag(const std::function<void(const QRect&)>& invalidate, TDrawContext& dc)
{
    Width = std::fabs(Width);
    Height = std::fabs(Height);
    Visible = true;
    InvalidateHandles(invalidate, dc);
}

QPointF TTracker::HandlePosition(TDrawContext& dc, int handle)
{
    if (handle < 1 || handle > kHandleCount)
        return QPointF();
    TPointF points[kHandleCount];
    HandleWindowPoints(*this, dc, points);
    return QPointF(points[handle - 1].X, points[handle - 1].Y);
}
