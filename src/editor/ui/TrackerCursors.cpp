#include "editor/ui/TrackerCursors.h"

#include "editor/Tracker.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <cstring>

namespace {

// Step marks are set in a 3 x 5 pixel font of our own: cursor pictures are
// too small for a scalable font to stay legible, and they must not depend
// on which fonts a desktop has installed.
struct TGlyph {
    char Ch;
    const char* Rows[5];
};

constexpr TGlyph kGlyphs[] = {
    {'0', {"###", "#.#", "#.#", "#.#", "###"}},
    {'1', {".#.", "##.", ".#.", ".#.", "###"}},
    {'5', {"###", "#..", "###", "..#", "###"}},
    {'d', {"###", "#.#", "###", "...", "..."}}, // degree sign
};

const TGlyph* FindGlyph(char ch)
{
    for (const TGlyph& g : kGlyphs)
        if (g.Ch == ch)
            return &g;
    return nullptr;
}

constexpr qreal kCell = 1.5;       // logical pixels per font pixel
constexpr qreal kGlyphAdvance = 4; // font pixels, a blank column included

const char* MarkOf(int cursorId)
{
    switch (cursorId) {
    case crTrackTurn15: return "15d";
    case crTrackTurn10: return "10d";
    case crTrackTurn5: return "5d";
    case crTrackTurn1: return "1d";
    default: return nullptr;
    }
}

// The cells of a mark set right-aligned against the bottom-right corner.
QPainterPath MarkCells(const char* mark)
{
    const qsizetype count = qsizetype(std::strlen(mark));
    const qreal width = (count * kGlyphAdvance - 1) * kCell;
    const qreal left = kTrackerCursorSize - 1 - width;
    const qreal top = kTrackerCursorSize - 1 - 5 * kCell;
    QPainterPath cells;
    for (qsizetype i = 0; i < count; ++i) {
        const TGlyph* g = FindGlyph(mark[i]);
        if (!g)
            continue;
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 3; ++col)
                if (g->Rows[row][col] == '#')
                    cells.addRect(QRectF(left + (i * kGlyphAdvance + col) * kCell, top + row * kCell,
                                         kCell, kCell));
    }
    return cells.simplified();
}

void DrawTurningArrow(QPainter& p)
{
    const qreal c = kTrackerCursorSize / 2.0;
    const qreal r = 9;
    const QRectF circle(c - r, c - r, 2 * r, 2 * r);
    // Three quarters of a circle, open at the lower right where the mark
    // goes, ending in a head that points the way a positive angle turns
    // (clockwise on screen).
    const QPolygonF head {{c + r - 4.5, c - 1}, {c + r + 4.5, c - 1}, {c + r, c + 5}};

    // A white rim first so the black shape shows on any background.
    p.setBrush(Qt::white);
    p.setPen(QPen(Qt::white, 4.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawArc(circle, 0, 270 * 16);
    p.drawPolygon(head);
    p.drawEllipse(QPointF(c, c), 2.5, 2.5);

    p.setBrush(Qt::black);
    p.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(circle, 0, 270 * 16);
    p.setPen(Qt::NoPen);
    p.drawPolygon(head);
    // The hot spot.
    p.drawEllipse(QPointF(c, c), 1.5, 1.5);
}

qreal SaneRatio(qreal ratio)
{
    if (!std::isfinite(ratio) || ratio < 1)
        return 1;
    return ratio > 8 ? 8 : ratio;
}

} // namespace

QPixmap TrackerCursorPixmap(int cursorId, qreal devicePixelRatio)
{
    if (cursorId < crTrackTurn || cursorId > crTrackTurn1)
        return QPixmap();
    const qreal ratio = SaneRatio(devicePixelRatio);
    const int side = int(std::ceil(kTrackerCursorSize * ratio));
    QPixmap pixmap(side, side);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);

    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    DrawTurningArrow(p);
    if (const char* mark = MarkOf(cursorId)) {
        const QPainterPath cells = MarkCells(mark);
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(Qt::white);
        p.drawPath(cells);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPath(cells);
    }
    return pixmap;
}

QCursor TrackerCursor(int cursorId, qreal devicePixelRatio)
{
    switch (cursorId) {
    case crTrackSizeNS: return QCursor(Qt::SizeVerCursor);
    case crTrackSizeNWSE: return QCursor(Qt::SizeFDiagCursor);
    case crTrackSizeWE: return QCursor(Qt::SizeHorCursor);
    case crTrackSizeNESW: return QCursor(Qt::SizeBDiagCursor);
    default: break;
    }
    const QPixmap pixmap = TrackerCursorPixmap(cursorId, devicePixelRatio);
    if (pixmap.isNull())
        return QCursor(Qt::ArrowCursor);
    // The hot spot is given in logical pixels; Qt scales it with the
    // pixmap's ratio.
    return QCursor(pixmap, kTrackerCursorSize / 2, kTrackerCursorSize / 2);
}
