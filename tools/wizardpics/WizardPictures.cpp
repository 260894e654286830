// Draws the pictures of the new-project wizard (resources/images/wizard/
// WIZ_*.jpg) and the start picture (resources/images/start.jpg) from the
// program's own products: each product is set up as the wizard sets it up,
// its frames get painted "photographs" and its pages are drawn by the
// document drawer, calendars included. Nothing is random: the same program
// on the same machine writes the same bytes.
//
// Run it by hand after a change to the products, templates, calendars or
// the page drawing, then look at the pictures and commit them:
//
//   cmake --build build --target lumarbo_wizardpics
//   QT_QPA_PLATFORM=offscreen build/tools/wizardpics/lumarbo_wizardpics resources/images
//
// The build does not run it; it builds the committed pictures into the
// program (":/images/wizard/WIZ_....jpg", ":/images/start.jpg"). Texts are
// set in the installed C059, Z003 and Liberation Sans faces, so another
// machine may write slightly different bytes.

#include "app/Arith.h"
#include "app/Codec1252.h"
#include "app/Colors.h"
#include "app/Errors.h"
#include "app/Services.h"
#include "calendar/Kalender.h"
#include "model/BildManager.h"
#include "model/ZadoveroDocument.h"
#include "model/ZadoveroDocumentHelper.h"
#include "render/BitmapDrawContext.h"
#include "render/DocDrawer.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTemporaryDir>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

// The calendars show this year whenever the pictures are made.
constexpr int kYear = 2027;
constexpr int kOutWidth = 400;
constexpr int kOutHeight = 300;
// Everything is drawn at this multiple of the final size and reduced at the
// end, which smooths the small page drawings.
constexpr int kSuper = 2;
constexpr int kJpegQuality = 90;

// A small deterministic generator (xorshift with a splitmix start), so the
// pictures do not depend on the library's random engine.
class TRandom {
public:
    explicit TRandom(quint64 seed)
    {
        quint64 z = seed + 0x9E3779B97F4A7C15ull;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        State = (z ^ (z >> 31)) | 1;
    }
    quint64 Next()
    {
        State ^= State << 13;
        State ^= State >> 7;
        State ^= State << 17;
        return State;
    }
    // In [0, 1).
    double Unit() { return double(Next() >> 11) / double(1ull << 53); }
    double Range(double a, double b) { return a + (b - a) * Unit(); }
    int Int(int n) { return int(Next() % quint64(std::max(n, 1))); }

private:
    quint64 State;
};

quint64 NameSeed(const QString& name)
{
    quint64 h = 1469598103934665603ull;
    for (QChar c : name) {
        h ^= c.unicode();
        h *= 1099511628211ull;
    }
    return h;
}

QColor WithAlpha(QColor c, int alpha)
{
    c.setAlpha(alpha);
    return c;
}

// ---------------------------------------------------------------------------
// Painted photographs

enum TTheme {
    thMeadow,
    thSunsetLake,
    thBeach,
    thMountains,
    thEveningTown,
    thAutumn,
    thBalloons,
    thFlowers,
    thWinter,
    thThemeCount
};

void FillSky(QPainter& p, double w, double horizon, const QColor& top, const QColor& bottom)
{
    QLinearGradient g(0, 0, 0, horizon);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(QRectF(0, 0, w, horizon + 1), g);
}

void DrawSun(QPainter& p, QPointF c, double r, const QColor& color)
{
    QRadialGradient glow(c, r * 4);
    glow.setColorAt(0, WithAlpha(color, 150));
    glow.setColorAt(0.3, WithAlpha(color, 50));
    glow.setColorAt(1, WithAlpha(color, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(c, r * 4, r * 4);
    p.setBrush(color);
    p.drawEllipse(c, r, r);
}

void DrawCloud(QPainter& p, TRandom& rnd, QPointF c, double size, int alpha)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, alpha));
    const int puffs = 4 + rnd.Int(3);
    for (int i = 0; i < puffs; ++i) {
        const double dx = (i - (puffs - 1) / 2.0) * size * 0.45 + rnd.Range(-0.1, 0.1) * size;
        const double r = size * rnd.Range(0.28, 0.45) * (1 - std::abs(dx) / (size * 2.2));
        p.drawEllipse(QPointF(c.x() + dx, c.y() - r * 0.4), r * 1.2, r);
    }
    p.drawRoundedRect(QRectF(c.x() - size, c.y() - size * 0.1, size * 2, size * 0.28), size * 0.14,
                      size * 0.14);
}

// A band of rolling hills whose top wanders around baseY.
QPainterPath HillPath(TRandom& rnd, double w, double h, double baseY, double amplitude, int bumps)
{
    QPainterPath path;
    path.moveTo(0, h);
    double y = baseY + rnd.Range(-amplitude, amplitude);
    path.lineTo(0, y);
    const double step = w / bumps;
    for (int i = 0; i < bumps; ++i) {
        const double x0 = i * step;
        const double ny = baseY + rnd.Range(-amplitude, amplitude);
        path.cubicTo(x0 + step * 0.4, y, x0 + step * 0.6, ny, x0 + step, ny);
        y = ny;
    }
    path.lineTo(w, h);
    path.closeSubpath();
    return path;
}

void FillHills(QPainter& p, const QPainterPath& path, const QColor& top, const QColor& bottom)
{
    const QRectF r = path.boundingRect();
    QLinearGradient g(0, r.top(), 0, r.bottom());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(path);
}

// Peaks with snow caps between baseY and baseY - height.
void DrawMountains(QPainter& p, TRandom& rnd, double w, double baseY, double height,
                   const QColor& rock, bool snow)
{
    const int peaks = 3 + rnd.Int(3);
    for (int i = 0; i < peaks; ++i) {
        const double cx = w * (i + rnd.Range(0.1, 0.9)) / peaks;
        const double ph = height * rnd.Range(0.55, 1.0);
        const double half = ph * rnd.Range(0.9, 1.5);
        QPainterPath m;
        m.moveTo(cx - half, baseY);
        m.lineTo(cx - ph * 0.08, baseY - ph);
        m.lineTo(cx + ph * 0.06, baseY - ph * 0.97);
        m.lineTo(cx + half, baseY);
        m.closeSubpath();
        QLinearGradient g(cx - half, 0, cx + half, 0);
        g.setColorAt(0, rock.lighter(115));
        g.setColorAt(0.5, rock);
        g.setColorAt(1, rock.darker(125));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawPath(m);
        if (snow) {
            const double t = 0.3;
            QPainterPath cap;
            cap.moveTo(cx - ph * 0.08 - half * t, baseY - ph + ph * t);
            cap.lineTo(cx - ph * 0.08, baseY - ph);
            cap.lineTo(cx + ph * 0.06, baseY - ph * 0.97);
            cap.lineTo(cx + half * t, baseY - ph + ph * t);
            cap.lineTo(cx + half * t * 0.4, baseY - ph + ph * t * 0.75);
            cap.lineTo(cx, baseY - ph + ph * t * 1.05);
            cap.lineTo(cx - half * t * 0.5, baseY - ph + ph * t * 0.8);
            cap.closeSubpath();
            p.setBrush(QColor(248, 250, 255));
            p.drawPath(cap);
        }
    }
}

void DrawRoundTree(QPainter& p, QPointF foot, double size, const QColor& leaves)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 62, 40));
    p.drawRect(QRectF(foot.x() - size * 0.06, foot.y() - size * 0.55, size * 0.12, size * 0.55));
    QRadialGradient g(QPointF(foot.x() - size * 0.12, foot.y() - size * 0.95), size * 0.55);
    g.setColorAt(0, leaves.lighter(135));
    g.setColorAt(1, leaves.darker(120));
    p.setBrush(g);
    p.drawEllipse(QPointF(foot.x(), foot.y() - size * 0.8), size * 0.36, size * 0.42);
}

void DrawPine(QPainter& p, QPointF foot, double size, const QColor& color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 50, 35));
    p.drawRect(QRectF(foot.x() - size * 0.04, foot.y() - size * 0.15, size * 0.08, size * 0.15));
    p.setBrush(color);
    for (int i = 0; i < 3; ++i) {
        const double top = foot.y() - size * (1.0 - i * 0.22);
        const double bottom = foot.y() - size * (0.45 - i * 0.15);
        const double half = size * (0.16 + i * 0.07);
        QPolygonF t;
        t << QPointF(foot.x(), top) << QPointF(foot.x() + half, bottom)
          << QPointF(foot.x() - half, bottom);
        p.drawPolygon(t);
    }
}

// Mirrors everything above the horizon into the water below it, tinted and
// streaked by ripples.
void DrawWater(QPainter& p, const QImage& scene, double w, double h, double horizon,
               const QColor& tint, TRandom& rnd)
{
    const int hy = int(horizon);
    const int depth = int(h) - hy;
    if (depth <= 0)
        return;
    const QImage above = scene.copy(0, std::max(0, hy - depth), scene.width(), std::min(depth, hy));
    p.save();
    p.setClipRect(QRectF(0, horizon, w, h - horizon));
    p.drawImage(QRectF(0, horizon, w, above.height()), above.mirrored(false, true));
    QLinearGradient g(0, horizon, 0, h);
    g.setColorAt(0, WithAlpha(tint, 90));
    g.setColorAt(1, WithAlpha(tint.darker(140), 200));
    p.fillRect(QRectF(0, horizon, w, h - horizon), g);
    const int ripples = 30;
    for (int i = 0; i < ripples; ++i) {
        const double y = horizon + (h - horizon) * std::pow(rnd.Unit(), 0.7);
        const double x = rnd.Range(-0.1, 1.0) * w;
        const double len = w * rnd.Range(0.05, 0.25);
        p.setPen(QPen(QColor(255, 255, 255, 40 + rnd.Int(40)), std::max(1.0, h / 300)));
        p.drawLine(QPointF(x, y), QPointF(x + len, y));
    }
    p.restore();
}

void PaintMeadow(QPainter& p, TRandom& rnd, double w, double h)
{
    const double horizon = h * rnd.Range(0.45, 0.6);
    FillSky(p, w, horizon + h * 0.1, QColor(52, 120, 205), QColor(180, 215, 245));
    DrawSun(p, QPointF(w * rnd.Range(0.6, 0.9), h * rnd.Range(0.12, 0.25)), h * 0.06,
            QColor(255, 246, 200));
    for (int i = 0; i < 3; ++i)
        DrawCloud(p, rnd, QPointF(w * rnd.Range(0.05, 0.95), h * rnd.Range(0.1, 0.3)),
                  w * rnd.Range(0.08, 0.14), 220);
    FillHills(p, HillPath(rnd, w, h, horizon - h * 0.05, h * 0.05, 3), QColor(120, 160, 150),
              QColor(100, 150, 120));
    FillHills(p, HillPath(rnd, w, h, horizon + h * 0.05, h * 0.05, 3), QColor(120, 180, 80),
              QColor(80, 150, 60));
    const int trees = 2 + rnd.Int(4);
    for (int i = 0; i < trees; ++i)
        DrawRoundTree(p, QPointF(w * rnd.Range(0.05, 0.95), horizon + h * rnd.Range(0.1, 0.16)),
                      h * rnd.Range(0.14, 0.22), QColor(60, 130, 50));
    FillHills(p, HillPath(rnd, w, h, horizon + h * 0.22, h * 0.04, 2), QColor(110, 190, 70),
              QColor(60, 130, 40));
    const QColor flowers[] = {QColor(250, 240, 90), QColor(255, 255, 255), QColor(230, 70, 90),
                              QColor(180, 110, 230)};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 160; ++i) {
        const double y = horizon + h * 0.25 + (h - horizon - h * 0.25) * rnd.Unit();
        const double r = h * 0.004 * (1 + 2 * (y - horizon) / (h - horizon));
        p.setBrush(flowers[rnd.Int(4)]);
        p.drawEllipse(QPointF(w * rnd.Unit(), y), r, r);
    }
}

void PaintSunsetLake(QPainter& p, TRandom& rnd, double w, double h, const QImage& scene)
{
    const double horizon = h * rnd.Range(0.5, 0.6);
    QLinearGradient g(0, 0, 0, horizon);
    const double hue = rnd.Range(-0.03, 0.03);
    g.setColorAt(0, QColor::fromHsvF(float(0.68 + hue), 0.55f, 0.45f));
    g.setColorAt(0.55, QColor::fromHsvF(float(0.95 + hue * 0.5), 0.45f, 0.85f));
    g.setColorAt(1, QColor(255, 190, 110));
    p.fillRect(QRectF(0, 0, w, horizon + 1), g);
    DrawSun(p, QPointF(w * rnd.Range(0.3, 0.7), horizon - h * 0.16), h * 0.06,
            QColor(255, 225, 150));
    // Thin evening clouds lit from below.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 7; ++i) {
        const QPointF c(w * rnd.Range(-0.1, 1.1), h * rnd.Range(0.08, 0.3));
        const double len = w * rnd.Range(0.12, 0.3);
        QLinearGradient cg(c.x() - len, 0, c.x() + len, 0);
        cg.setColorAt(0, QColor(255, 200, 190, 0));
        cg.setColorAt(0.5, QColor(255, 200, 190, 110));
        cg.setColorAt(1, QColor(255, 200, 190, 0));
        p.setBrush(cg);
        p.drawEllipse(c, len, h * rnd.Range(0.006, 0.014));
    }
    DrawMountains(p, rnd, w, horizon, h * 0.22, QColor(110, 80, 120), false);
    FillHills(p, HillPath(rnd, w, horizon, horizon - h * 0.03, h * 0.025, 4), QColor(60, 45, 70),
              QColor(50, 35, 60));
    DrawWater(p, scene, w, h, horizon, QColor(60, 70, 130), rnd);
}

void PaintBeach(QPainter& p, TRandom& rnd, double w, double h)
{
    const double horizon = h * rnd.Range(0.42, 0.52);
    FillSky(p, w, horizon, QColor(40, 130, 215), QColor(190, 228, 250));
    DrawSun(p, QPointF(w * rnd.Range(0.1, 0.4), h * 0.15), h * 0.055, QColor(255, 250, 215));
    for (int i = 0; i < 2; ++i)
        DrawCloud(p, rnd, QPointF(w * rnd.Range(0.3, 0.95), h * rnd.Range(0.08, 0.25)),
                  w * rnd.Range(0.07, 0.11), 230);
    const double shore = horizon + (h - horizon) * rnd.Range(0.45, 0.6);
    QLinearGradient sea(0, horizon, 0, shore);
    sea.setColorAt(0, QColor(20, 95, 160));
    sea.setColorAt(1, QColor(60, 190, 200));
    p.fillRect(QRectF(0, horizon, w, shore - horizon + 2), sea);
    p.setPen(QPen(QColor(255, 255, 255, 90), std::max(1.0, h / 250)));
    for (int i = 0; i < 18; ++i) {
        const double y = horizon + (shore - horizon) * rnd.Unit();
        const double x = w * rnd.Range(-0.1, 1.0);
        p.drawLine(QPointF(x, y), QPointF(x + w * rnd.Range(0.03, 0.12), y));
    }
    // Sailing boat on the sea.
    const double bx = w * rnd.Range(0.45, 0.8);
    const double by = horizon + (shore - horizon) * 0.35;
    const double bs = h * 0.12;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 250, 245));
    QPolygonF sail;
    sail << QPointF(bx, by - bs) << QPointF(bx + bs * 0.5, by - bs * 0.08)
         << QPointF(bx, by - bs * 0.08);
    p.drawPolygon(sail);
    p.setBrush(QColor(230, 90, 70));
    QPolygonF jib;
    jib << QPointF(bx - bs * 0.03, by - bs * 0.85) << QPointF(bx - bs * 0.03, by - bs * 0.08)
        << QPointF(bx - bs * 0.38, by - bs * 0.08);
    p.drawPolygon(jib);
    p.setBrush(QColor(120, 70, 50));
    QPolygonF hull;
    hull << QPointF(bx - bs * 0.45, by) << QPointF(bx + bs * 0.6, by)
         << QPointF(bx + bs * 0.45, by + bs * 0.12) << QPointF(bx - bs * 0.35, by + bs * 0.12);
    p.drawPolygon(hull);
    // Sand with a wet edge.
    QPainterPath sand = HillPath(rnd, w, h, shore, h * 0.015, 3);
    FillHills(p, sand, QColor(240, 222, 180), QColor(220, 190, 140));
    p.setPen(QPen(QColor(255, 255, 255, 160), std::max(1.5, h / 150)));
    p.setBrush(Qt::NoBrush);
    p.drawPath(HillPath(rnd, w, h, shore + h * 0.01, h * 0.01, 4));
    // A parasol.
    const double ux = w * rnd.Range(0.1, 0.35);
    const double uy = shore + (h - shore) * 0.75;
    const double us = h * 0.2;
    p.setPen(QPen(QColor(90, 70, 60), std::max(1.0, us * 0.03)));
    p.drawLine(QPointF(ux, uy), QPointF(ux + us * 0.1, uy - us));
    QPainterPath shade;
    shade.moveTo(ux + us * 0.1 - us * 0.6, uy - us * 0.72);
    shade.quadTo(ux + us * 0.1, uy - us * 1.35, ux + us * 0.1 + us * 0.6, uy - us * 0.72);
    shade.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(rnd.Int(2) ? QColor(240, 80, 70) : QColor(250, 190, 40));
    p.drawPath(shade);
}

void PaintMountains(QPainter& p, TRandom& rnd, double w, double h, const QImage& scene)
{
    const double horizon = h * rnd.Range(0.58, 0.66);
    FillSky(p, w, horizon, QColor(30, 100, 190), QColor(170, 210, 240));
    for (int i = 0; i < 2; ++i)
        DrawCloud(p, rnd, QPointF(w * rnd.Range(0.1, 0.9), h * rnd.Range(0.08, 0.2)),
                  w * rnd.Range(0.07, 0.12), 200);
    DrawMountains(p, rnd, w, horizon, h * 0.42, QColor(120, 130, 150), true);
    FillHills(p, HillPath(rnd, w, horizon, horizon - h * 0.05, h * 0.025, 4), QColor(50, 100, 70),
              QColor(40, 85, 60));
    const int pines = 10 + rnd.Int(6);
    for (int i = 0; i < pines; ++i)
        DrawPine(p, QPointF(w * rnd.Unit(), horizon + h * 0.005), h * rnd.Range(0.07, 0.13),
                 QColor(30, 80, 50));
    DrawWater(p, scene, w, h, horizon, QColor(40, 90, 120), rnd);
}

void PaintEveningTown(QPainter& p, TRandom& rnd, double w, double h)
{
    const double horizon = h * 0.7;
    QLinearGradient g(0, 0, 0, horizon);
    g.setColorAt(0, QColor(15, 25, 70));
    g.setColorAt(0.7, QColor(70, 60, 130));
    g.setColorAt(1, QColor(230, 130, 110));
    p.fillRect(QRectF(0, 0, w, horizon + 1), g);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 60; ++i) {
        const double r = h * rnd.Range(0.002, 0.005);
        p.setBrush(QColor(255, 255, 230, 120 + rnd.Int(130)));
        p.drawEllipse(QPointF(w * rnd.Unit(), horizon * 0.6 * rnd.Unit()), r, r);
    }
    const QPointF moon(w * rnd.Range(0.15, 0.85), h * rnd.Range(0.12, 0.22));
    DrawSun(p, moon, h * 0.05, QColor(250, 245, 220));
    FillHills(p, HillPath(rnd, w, h, horizon - h * 0.06, h * 0.04, 3), QColor(45, 40, 80),
              QColor(35, 30, 60));
    // Houses with lit windows along the hill.
    double x = -w * 0.02;
    while (x < w) {
        const double hw = w * rnd.Range(0.06, 0.12);
        const double hh = h * rnd.Range(0.1, 0.22);
        const double base = horizon + h * 0.05;
        const QColor wall = QColor::fromHsvF(float(rnd.Range(0.0, 0.15)), 0.25f, 0.25f);
        p.setBrush(wall);
        p.drawRect(QRectF(x, base - hh, hw, hh));
        QPolygonF roof;
        roof << QPointF(x - hw * 0.08, base - hh) << QPointF(x + hw / 2, base - hh - hw * 0.45)
             << QPointF(x + hw * 1.08, base - hh);
        p.setBrush(wall.darker(150));
        p.drawPolygon(roof);
        const int rows = std::max(1, int(hh / (h * 0.05)));
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < 2; ++c) {
                if (rnd.Int(3) == 0)
                    continue;
                p.setBrush(QColor(255, 210, 120));
                p.drawRect(QRectF(x + hw * (0.2 + c * 0.4), base - hh + h * 0.02 + r * h * 0.05,
                                  hw * 0.2, h * 0.025));
            }
        x += hw * rnd.Range(1.05, 1.4);
    }
    QLinearGradient street(0, horizon + h * 0.05, 0, h);
    street.setColorAt(0, QColor(40, 35, 55));
    street.setColorAt(1, QColor(20, 18, 30));
    p.fillRect(QRectF(0, horizon + h * 0.05, w, h), street);
    p.setBrush(QColor(255, 200, 110, 60));
    for (int i = 0; i < 6; ++i)
        p.drawEllipse(QPointF(w * rnd.Unit(), horizon + h * rnd.Range(0.1, 0.25)), w * 0.05,
                      h * 0.012);
}

void PaintAutumn(QPainter& p, TRandom& rnd, double w, double h)
{
    const double horizon = h * rnd.Range(0.5, 0.6);
    FillSky(p, w, horizon + h * 0.1, QColor(110, 160, 215), QColor(250, 225, 180));
    DrawSun(p, QPointF(w * rnd.Range(0.1, 0.9), h * 0.2), h * 0.05, QColor(255, 240, 200));
    FillHills(p, HillPath(rnd, w, h, horizon - h * 0.06, h * 0.04, 3), QColor(170, 140, 120),
              QColor(150, 120, 90));
    FillHills(p, HillPath(rnd, w, h, horizon + h * 0.04, h * 0.04, 3), QColor(200, 150, 60),
              QColor(150, 110, 40));
    const QColor leaves[] = {QColor(220, 120, 30), QColor(200, 60, 30), QColor(235, 185, 40),
                             QColor(150, 110, 40), QColor(110, 140, 50)};
    const int trees = 6 + rnd.Int(5);
    std::vector<std::pair<double, double>> spots;
    for (int i = 0; i < trees; ++i)
        spots.emplace_back(horizon + h * rnd.Range(0.06, 0.3), w * rnd.Unit());
    std::sort(spots.begin(), spots.end());
    for (const auto& [y, x] : spots)
        DrawRoundTree(p, QPointF(x, y), h * (0.12 + 0.5 * (y - horizon) / h), leaves[rnd.Int(5)]);
    FillHills(p, HillPath(rnd, w, h, h * 0.9, h * 0.02, 2), QColor(160, 110, 50),
              QColor(120, 80, 30));
}

void PaintBalloons(QPainter& p, TRandom& rnd, double w, double h)
{
    FillSky(p, w, h, QColor(60, 140, 225), QColor(200, 230, 250));
    for (int i = 0; i < 3; ++i)
        DrawCloud(p, rnd, QPointF(w * rnd.Unit(), h * rnd.Range(0.15, 0.85)),
                  w * rnd.Range(0.08, 0.14), 200);
    const QColor colors[] = {QColor(235, 60, 70), QColor(250, 190, 40), QColor(60, 170, 90),
                             QColor(70, 110, 220), QColor(200, 80, 200), QColor(250, 130, 40)};
    const int count = 5 + rnd.Int(4);
    for (int i = 0; i < count; ++i) {
        const double r = h * rnd.Range(0.07, 0.14);
        const QPointF c(w * rnd.Range(0.1, 0.9), h * rnd.Range(0.15, 0.65));
        const QColor col = colors[rnd.Int(6)];
        p.setPen(QPen(QColor(255, 255, 255, 160), std::max(1.0, h / 400)));
        p.drawLine(QPointF(c.x(), c.y() + r * 1.15),
                   QPointF(c.x() + rnd.Range(-0.3, 0.3) * r, c.y() + r * 3.5));
        QRadialGradient g(QPointF(c.x() - r * 0.35, c.y() - r * 0.4), r * 1.3);
        g.setColorAt(0, col.lighter(150));
        g.setColorAt(0.6, col);
        g.setColorAt(1, col.darker(130));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(c, r * 0.9, r * 1.1);
        QPolygonF knot;
        knot << QPointF(c.x(), c.y() + r * 1.05) << QPointF(c.x() + r * 0.1, c.y() + r * 1.2)
             << QPointF(c.x() - r * 0.1, c.y() + r * 1.2);
        p.setBrush(col.darker(130));
        p.drawPolygon(knot);
    }
}

void PaintFlowers(QPainter& p, TRandom& rnd, double w, double h)
{
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(150, 200, 120));
    g.setColorAt(1, QColor(50, 110, 50));
    p.fillRect(QRectF(0, 0, w, h), g);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 25; ++i) {
        const double r = h * rnd.Range(0.03, 0.1);
        p.setBrush(QColor(255, 255, 220, 25 + rnd.Int(30)));
        p.drawEllipse(QPointF(w * rnd.Unit(), h * rnd.Unit()), r, r);
    }
    const double hue = rnd.Unit();
    const int count = 3 + rnd.Int(3);
    for (int i = 0; i < count; ++i) {
        const QPointF c(w * rnd.Range(0.1, 0.9), h * rnd.Range(0.2, 0.8));
        const double r = h * rnd.Range(0.1, 0.2);
        p.setPen(QPen(QColor(60, 120, 50), std::max(1.0, r * 0.08)));
        p.drawLine(c, QPointF(c.x() + rnd.Range(-0.3, 0.3) * r, h));
        p.setPen(Qt::NoPen);
        const QColor petal = QColor::fromHsvF(float(std::fmod(hue + rnd.Range(0, 0.15), 1.0)),
                                              float(rnd.Range(0.4, 0.8)), 0.97f);
        const int petals = 6 + rnd.Int(4);
        for (int k = 0; k < petals; ++k) {
            p.save();
            p.translate(c);
            p.rotate(360.0 * k / petals);
            QLinearGradient pg(0, 0, r, 0);
            pg.setColorAt(0, petal.darker(115));
            pg.setColorAt(1, petal.lighter(115));
            p.setBrush(pg);
            p.drawEllipse(QPointF(r * 0.55, 0), r * 0.5, r * 0.2);
            p.restore();
        }
        QRadialGradient cg(c, r * 0.25);
        cg.setColorAt(0, QColor(255, 220, 80));
        cg.setColorAt(1, QColor(200, 130, 30));
        p.setBrush(cg);
        p.drawEllipse(c, r * 0.22, r * 0.22);
    }
}

void PaintWinter(QPainter& p, TRandom& rnd, double w, double h)
{
    const double horizon = h * rnd.Range(0.45, 0.55);
    FillSky(p, w, horizon + h * 0.1, QColor(120, 160, 210), QColor(225, 235, 245));
    DrawSun(p, QPointF(w * rnd.Range(0.2, 0.8), h * rnd.Range(0.12, 0.22)), h * 0.045,
            QColor(255, 250, 235));
    DrawMountains(p, rnd, w, horizon + h * 0.02, h * 0.2, QColor(150, 165, 190), true);
    FillHills(p, HillPath(rnd, w, h, horizon + h * 0.04, h * 0.04, 3), QColor(235, 240, 250),
              QColor(200, 212, 232));
    std::vector<std::pair<double, double>> spots;
    const int pines = 5 + rnd.Int(5);
    for (int i = 0; i < pines; ++i)
        spots.emplace_back(horizon + h * rnd.Range(0.08, 0.3), w * rnd.Unit());
    std::sort(spots.begin(), spots.end());
    for (const auto& [y, x] : spots) {
        const double size = h * (0.12 + 0.6 * (y - horizon) / h);
        DrawPine(p, QPointF(x, y), size, QColor(35, 75, 60));
        // Snow on the branches.
        p.setBrush(QColor(250, 252, 255, 230));
        for (int k = 0; k < 3; ++k) {
            const double top = y - size * (1.0 - k * 0.22);
            const double half = size * (0.16 + k * 0.07) * 0.55;
            QPolygonF cap;
            cap << QPointF(x, top) << QPointF(x + half, top + size * 0.16)
                << QPointF(x - half, top + size * 0.16);
            p.drawPolygon(cap);
        }
    }
    FillHills(p, HillPath(rnd, w, h, h * 0.88, h * 0.03, 2), QColor(245, 248, 255),
              QColor(215, 225, 242));
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 90; ++i) {
        const double r = h * rnd.Range(0.003, 0.008);
        p.setBrush(QColor(255, 255, 255, 150 + rnd.Int(100)));
        p.drawEllipse(QPointF(w * rnd.Unit(), h * rnd.Unit()), r, r);
    }
}

// A photograph of w x h pixels; theme -1 picks one from the seed.
QImage PaintPhoto(int w, int h, quint64 seed, int theme)
{
    TRandom rnd(seed);
    if (theme < 0)
        theme = rnd.Int(thThemeCount);
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double dw = w;
    const double dh = h;
    switch (theme) {
    case thMeadow:
        PaintMeadow(p, rnd, dw, dh);
        break;
    case thSunsetLake:
        PaintSunsetLake(p, rnd, dw, dh, image);
        break;
    case thBeach:
        PaintBeach(p, rnd, dw, dh);
        break;
    case thMountains:
        PaintMountains(p, rnd, dw, dh, image);
        break;
    case thEveningTown:
        PaintEveningTown(p, rnd, dw, dh);
        break;
    case thAutumn:
        PaintAutumn(p, rnd, dw, dh);
        break;
    case thBalloons:
        PaintBalloons(p, rnd, dw, dh);
        break;
    case thWinter:
        PaintWinter(p, rnd, dw, dh);
        break;
    default:
        PaintFlowers(p, rnd, dw, dh);
        break;
    }
    // A faint vignette, as from a real lens.
    QRadialGradient v(QPointF(dw / 2, dh / 2), std::hypot(dw, dh) / 2);
    v.setColorAt(0.6, QColor(0, 0, 0, 0));
    v.setColorAt(1, QColor(0, 0, 0, 60));
    p.fillRect(QRectF(0, 0, dw, dh), v);
    p.end();
    return image;
}

// ---------------------------------------------------------------------------
// Products

struct TTextLine {
    QString Text;
    float CX, CY, W, H;
    TColor Color;
    int PointSize;
    bool Shadow;
};

// One product as it appears on a picture: the wizard's set-up, what is
// filled in and which page or spread is shown.
struct TShot {
    int Code = 0;
    // A spread for book products, else a page (for calendars the month - 1).
    int View = 0;
    quint64 Seed = 0;
    // Themes of the frames in order, -1 from the seed.
    std::vector<int> Themes;
    std::vector<TTextLine> Texts;
    // A product of single pages shown as an open album: View and the page
    // after it side by side.
    bool Album = false;
};

QString RtfText(const TTextLine& t)
{
    // The text's characters as Windows-1252 bytes, the ones above ASCII
    // written as hex escapes.
    QString escaped;
    for (char byte : ToCp1252(t.Text)) {
        const auto b = static_cast<unsigned char>(byte);
        if (b == '\\' || b == '{' || b == '}')
            escaped += QLatin1Char('\\');
        if (b > 127)
            escaped += QStringLiteral("\\'%1").arg(int(b), 2, 16, QLatin1Char('0'));
        else
            escaped += QLatin1Char(char(b));
    }
    return QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0 C059;}}{\\colortbl;\\red%1\\green%2\\blue%3;}"
                          "\\qc\\f0\\i\\cf1\\fs%4 %5}")
        .arg(RedOf(t.Color))
        .arg(GreenOf(t.Color))
        .arg(BlueOf(t.Color))
        .arg(t.PointSize * 2)
        .arg(escaped);
}

std::vector<int> ShownPages(const TFBDocument& doc, int view, bool album)
{
    std::vector<int> pages;
    if (doc.ScreenMode == 0) {
        for (int i = view; i <= view + (album ? 1 : 0); ++i)
            if (i >= 0 && i < doc.Pages.Count())
                pages.push_back(i);
        return pages;
    }
    const int l = doc.LeftPageIndex(view);
    const int r = doc.RightPageIndex(view);
    if (l >= 0 && l < doc.Pages.Count())
        pages.push_back(l);
    if (r != l && r >= 0 && r < doc.Pages.Count())
        pages.push_back(r);
    return pages;
}

int PageCountOf(int code)
{
    switch (code) {
    case 21:
    case 22:
        return 50;
    case 101:
        return 25;
    case 102:
    case 103:
    case 104:
        return 20;
    case 150:
    case 151:
        return 10;
    default:
        return 30;
    }
}

// The subject of a calendar month's main picture.
int SeasonTheme(int month)
{
    static const int themes[12] = {thWinter,   thWinter,   thFlowers,  thFlowers,
                                   thMeadow,   thMountains, thBeach,   thBalloons,
                                   thAutumn,   thAutumn,   thEveningTown, thWinter};
    return themes[std::clamp(month, 1, 12) - 1];
}

// Pixels per millimetre for pictures of frames and for the page drawing.
constexpr double kPhotoPixelsPerMm = 3.2;

void FillFrames(TFBDocument& doc, const TShot& shot, const std::vector<int>& pages)
{
    TBildmanager& store = doc.Bildmanager();
    const int firstTheme = TRandom(shot.Seed).Int(thThemeCount);
    int n = 0;
    for (int pi : pages) {
        TFBPage* page = doc.Pages.Items(pi);
        const bool turned = page->Seitenausrichtung != 0;
        for (int i = 0; i < page->Piclist.Count(); ++i, ++n) {
            auto* frame = static_cast<TFBPictureElement*>(page->Piclist.Items(i));
            // Photographs are painted as seen; on a page shown turned the
            // stored picture is turned the other way.
            const double fw = turned ? frame->Height : frame->Width;
            const double fh = turned ? frame->Width : frame->Height;
            const int pw = std::clamp(RoundHalfEven(fw * kPhotoPixelsPerMm), 16, 1400);
            const int ph = std::clamp(RoundHalfEven(fh * kPhotoPixelsPerMm), 16, 1400);
            // Neighbouring frames get different subjects: a step coprime to
            // the number of themes runs through all of them.
            int theme = (firstTheme + n * 5) % thThemeCount;
            if (n < int(shot.Themes.size()))
                theme = shot.Themes[std::size_t(n)];
            else if (i == 0 && doc.IsKalender())
                theme = SeasonTheme(pi + 1);
            QImage photo = PaintPhoto(pw, ph, shot.Seed * 131 + quint64(n) * 7919, theme);
            if (turned)
                photo = photo.transformed(QTransform().rotate(90));
            const int ref = store.AddBitmap(photo);
            frame->SetRefIndex(ref);
            store.DecRefCount(ref);
        }
    }
}

// One page as printed, turned upright when it is shown in landscape.
QImage DrawPage(TFBDocument& doc, TFBPage& page, double pxPerMm)
{
    const float w = doc.PageWidth;
    const float h = doc.PageHeight;
    QImage image(RoundHalfEven(double(w) * pxPerMm), RoundHalfEven(double(h) * pxPerMm),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        TBitmapDrawContext context(&image);
        context.Transformation().ScaleUniform(float(pxPerMm));
        context.SetPenStyle(TPenStyle::Clear);
        context.SetBrushStyle(TBrushStyle::Solid);
        context.SetBrushColor(page.Seitenfarbe);
        context.Rectangle(0, 0, w, h);
        context.SetPenStyle(TPenStyle::Solid);
        GetDocumentDrawer().DrawPage(page, context, true, 0);
    }
    if (page.Seitenausrichtung != 0)
        image = image.transformed(QTransform().rotate(-90));
    return image;
}

// The pages side by side; two pages get the shading of their fold.
QImage DrawPages(TFBDocument& doc, const std::vector<int>& pages, double pxPerMm)
{
    std::vector<QImage> images;
    int iw = 0;
    int ih = 0;
    for (int index : pages) {
        images.push_back(DrawPage(doc, *doc.Pages.Items(index), pxPerMm));
        iw += images.back().width();
        ih = std::max(ih, images.back().height());
    }
    if (images.size() == 1)
        return images.front();
    QImage image(iw, ih, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    int x = 0;
    for (const QImage& page : images) {
        p.drawImage(x, 0, page);
        x += page.width();
    }
    if (images.size() == 2) {
        const double mid = images.front().width();
        const double band = iw * 0.06;
        QLinearGradient g(mid - band, 0, mid + band, 0);
        g.setColorAt(0, QColor(0, 0, 0, 0));
        g.setColorAt(0.42, QColor(0, 0, 0, 30));
        g.setColorAt(0.5, QColor(0, 0, 0, 70));
        g.setColorAt(0.58, QColor(0, 0, 0, 30));
        g.setColorAt(1, QColor(0, 0, 0, 0));
        p.fillRect(QRectF(mid - band, 0, band * 2, ih), g);
    }
    return image;
}

// The product's picture, and for a book its cover board around it.
QImage RenderShot(const TShot& shot)
{
    TFBDocument doc;
    if (!ApplyProductSetup(doc, shot.Code, PageCountOf(shot.Code), kYear))
        throw Exception(QStringLiteral("Unknown product %1").arg(shot.Code));
    const std::vector<int> pages = ShownPages(doc, shot.View, shot.Album);
    if (pages.empty())
        throw Exception(QStringLiteral("Product %1 has no view %2").arg(shot.Code).arg(shot.View));
    FillFrames(doc, shot, pages);
    if (!shot.Texts.empty()) {
        TFBPage* page = doc.Pages.Items(pages.back());
        for (const TTextLine& t : shot.Texts) {
            auto text = std::make_unique<TFBTextElement>(page);
            text->CenterX = t.CX;
            text->CenterY = t.CY;
            text->Width = t.W;
            text->Height = t.H;
            text->SetRTF(RtfText(t));
            text->SetHasShadow(t.Shadow);
            text->SetHorzAlign(1);
            text->SetVertAlign(1);
            page->Elementlist.Add(std::move(text));
        }
    }
    const QImage pagesImage = DrawPages(doc, pages, kPhotoPixelsPerMm);
    if (doc.ScreenMode != 1 && !shot.Album)
        return pagesImage;
    // A hard cover shows a few millimetres around the open pages.
    const int margin = RoundHalfEven(double(doc.Umschlagbreite) * kPhotoPixelsPerMm);
    QImage book(pagesImage.width() + 2 * margin, pagesImage.height() + 2 * margin,
                QImage::Format_RGB32);
    QPainter p(&book);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, book.height());
    g.setColorAt(0, QColor(70, 78, 92));
    g.setColorAt(1, QColor(48, 54, 66));
    p.fillRect(book.rect(), g);
    p.drawImage(margin, margin, pagesImage);
    return book;
}

// ---------------------------------------------------------------------------
// Composition

// Placement in final-picture pixels (400 x 300): the product fits the box
// of BoxW x BoxH centred at CX, CY and is turned by Angle degrees.
struct TPlacement {
    TShot Shot;
    double CX, CY, BoxW, BoxH, Angle;
};

// A separable box blur of the alpha channel, three passes (close to a
// Gaussian).
void BlurAlpha(QImage& image, int radius)
{
    const int w = image.width();
    const int h = image.height();
    std::vector<int> a(std::size_t(w) * std::size_t(h));
    for (int y = 0; y < h; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            a[std::size_t(y) * std::size_t(w) + std::size_t(x)] = qAlpha(line[x]);
    }
    std::vector<int> tmp(a.size());
    const int span = 2 * radius + 1;
    auto pass = [&](bool horizontal) {
        const int outer = horizontal ? h : w;
        const int inner = horizontal ? w : h;
        for (int o = 0; o < outer; ++o) {
            auto at = [&](int i) -> int& {
                const int x = horizontal ? i : o;
                const int y = horizontal ? o : i;
                return a[std::size_t(y) * std::size_t(w) + std::size_t(x)];
            };
            auto out = [&](int i) -> int& {
                const int x = horizontal ? i : o;
                const int y = horizontal ? o : i;
                return tmp[std::size_t(y) * std::size_t(w) + std::size_t(x)];
            };
            int sum = 0;
            for (int i = -radius; i <= radius; ++i)
                sum += at(std::clamp(i, 0, inner - 1));
            for (int i = 0; i < inner; ++i) {
                out(i) = sum / span;
                sum += at(std::min(i + radius + 1, inner - 1)) - at(std::max(i - radius, 0));
            }
        }
        a.swap(tmp);
    };
    for (int k = 0; k < 3; ++k) {
        pass(true);
        pass(false);
    }
    for (int y = 0; y < h; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int v = a[std::size_t(y) * std::size_t(w) + std::size_t(x)];
            line[x] = qPremultiply(qRgba(0, 0, 0, v));
        }
    }
}

void PaintBackground(QPainter& p, int w, int h)
{
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(246, 245, 242));
    g.setColorAt(1, QColor(226, 224, 219));
    p.fillRect(QRect(0, 0, w, h), g);
    QRadialGradient light(QPointF(w * 0.5, h * 0.4), w * 0.7);
    light.setColorAt(0, QColor(255, 255, 255, 90));
    light.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRect(0, 0, w, h), light);
}

// Draws the products in order (later ones on top), each with a soft
// shadow falling on what lies below.
void PlaceProducts(QPainter& p, const std::vector<TPlacement>& placements, int canvasW,
                   int canvasH)
{
    for (const TPlacement& pl : placements) {
        const QImage product = RenderShot(pl.Shot);
        const double scale = std::min(pl.BoxW * kSuper / product.width(),
                                      pl.BoxH * kSuper / product.height());
        const double dw = product.width() * scale;
        const double dh = product.height() * scale;
        QTransform t;
        t.translate(pl.CX * kSuper, pl.CY * kSuper);
        t.rotate(pl.Angle);

        QImage shadow(canvasW, canvasH, QImage::Format_ARGB32_Premultiplied);
        shadow.fill(Qt::transparent);
        {
            QPainter s(&shadow);
            s.setRenderHint(QPainter::Antialiasing);
            s.setTransform(QTransform().translate(2.5 * kSuper, 4 * kSuper) * t);
            s.fillRect(QRectF(-dw / 2, -dh / 2, dw, dh), QColor(0, 0, 0, 120));
        }
        BlurAlpha(shadow, 3 * kSuper);
        p.drawImage(0, 0, shadow);

        p.save();
        p.setTransform(t);
        p.drawImage(QRectF(-dw / 2, -dh / 2, dw, dh),
                    product.scaled(RoundHalfEven(dw), RoundHalfEven(dh), Qt::IgnoreAspectRatio,
                                   Qt::SmoothTransformation));
        p.restore();
    }
}

QImage Finish(const QImage& canvas)
{
    return canvas.scaled(kOutWidth, kOutHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

QImage ComposeCatalogue(const std::vector<TPlacement>& placements)
{
    const int cw = kOutWidth * kSuper;
    const int ch = kOutHeight * kSuper;
    QImage canvas(cw, ch, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    PaintBackground(p, cw, ch);
    PlaceProducts(p, placements, cw, ch);
    p.end();
    return Finish(canvas);
}

// ---------------------------------------------------------------------------
// The pictures

TShot Shot(int code, int view, const QString& name, std::vector<int> themes = {},
           std::vector<TTextLine> texts = {})
{
    TShot s;
    s.Code = code;
    s.View = view;
    s.Seed = NameSeed(name) + quint64(code) * 1000 + quint64(view);
    s.Themes = std::move(themes);
    s.Texts = std::move(texts);
    return s;
}

TPlacement Single(const TShot& shot, double angle = 0)
{
    return {shot, kOutWidth / 2.0, kOutHeight / 2.0 - 2, kOutWidth - 56.0, kOutHeight - 56.0, angle};
}

// Loose prints lying on each other.
std::vector<TPlacement> Stack(int code, const QString& name, double boxW, double boxH,
                              const int (&themes)[3])
{
    return {
        {Shot(code, 2, name, {themes[0]}), 175, 138, boxW, boxH, -9},
        {Shot(code, 1, name, {themes[1]}), 226, 142, boxW, boxH, 6},
        {Shot(code, 0, name, {themes[2]}), 200, 156, boxW, boxH, -1.5},
    };
}

std::vector<TTextLine> LabelTexts()
{
    const QString names[] = {QStringLiteral("Holunder"), QStringLiteral("Apfelsaft"),
                             QStringLiteral("Hauswein"), QStringLiteral("Quitte")};
    const float cx[] = {55, 155, 55, 155};
    const float cy[] = {118, 118, 255, 255};
    std::vector<TTextLine> lines;
    for (int i = 0; i < 4; ++i)
        lines.push_back({names[i], cx[i], cy[i], 78, 30, clWhite, 40, true});
    return lines;
}

std::vector<TTextLine> BalloonText()
{
    return {{QStringLiteral("Alles Gute!"), 105, 272, 190, 30, RGBColor(200, 50, 70), 60, false}};
}

struct TPicture {
    QString Name;
    std::function<std::vector<TPlacement>()> Placements;
};

std::vector<TPicture> WizardPictures()
{
    std::vector<TPicture> list;
    auto book = [](int code, const QString& name) {
        return std::vector<TPlacement> {Single(Shot(code, 1, name))};
    };
    list.push_back({QStringLiteral("WIZ_QUARN_PB_10X15"), [] {
                        TShot album = Shot(101, 1, QStringLiteral("WIZ_QUARN_PB_10X15"),
                                           {thBeach, thMountains});
                        album.Album = true;
                        return std::vector<TPlacement> {Single(album)};
                    }});
    list.push_back({QStringLiteral("WIZ_QUARN_PB_A5"), [] {
                        const QString n = QStringLiteral("WIZ_QUARN_PB_A5");
                        return std::vector<TPlacement> {
                            {Shot(32, 2, n), 150, 118, 225, 160, -6},
                            {Shot(44, 1, n), 245, 180, 225, 160, 4},
                        };
                    }});
    struct TBook {
        int Code;
        const char* Name;
    };
    const TBook books[] = {
        {31, "WIZ_PHOTOBOOK_8_5_ORNATA"},   {32, "WIZ_PHOTOBOOK_8_5_LATEO"},
        {33, "WIZ_PHOTOBOOK_8_5_ALTIVO"},   {44, "WIZ_PHOTOBOOK_8_5_FULLSIZE_R"},
        {41, "WIZ_PHOTOBOOK_8_5_ORNATA_R"}, {42, "WIZ_PHOTOBOOK_8_5_LATEO_R"},
        {43, "WIZ_PHOTOBOOK_8_5_ALTIVO_R"},
    };
    for (const TBook& b : books) {
        const QString n = QString::fromLatin1(b.Name);
        const int code = b.Code;
        list.push_back({n, [=] { return book(code, n); }});
    }
    list.push_back({QStringLiteral("WIZ_QUARN_PK_A5"), [] {
                        const QString n = QStringLiteral("WIZ_QUARN_PK_A5");
                        return std::vector<TPlacement> {
                            {Shot(71, 4, n), 130, 100, 200, 140, -5},
                            {Shot(73, 6, n), 270, 110, 200, 140, 5},
                            {Shot(72, 5, n), 200, 190, 200, 140, 0},
                        };
                    }});
    for (int i = 1; i <= 3; ++i) {
        const QString n = QStringLiteral("WIZ_KALENDER_A5_%1").arg(i);
        list.push_back({n, [=] { return std::vector<TPlacement> {Single(Shot(70 + i, 4 + i, n))}; }});
    }
    list.push_back({QStringLiteral("WIZ_QUARN_PK_A4"), [] {
                        const QString n = QStringLiteral("WIZ_QUARN_PK_A4");
                        std::vector<TPlacement> v;
                        for (int i = 0; i < 4; ++i)
                            v.push_back({Shot(61 + i, 3 + i, n), 86.0 + i * 76, 150.0 + (i % 2) * 6,
                                         140, 205, -7.5 + i * 5});
                        return v;
                    }});
    for (int i = 1; i <= 4; ++i) {
        const QString n = QStringLiteral("WIZ_KALENDER_A4_%1").arg(i);
        list.push_back({n, [=] { return std::vector<TPlacement> {Single(Shot(60 + i, 3 + i, n))}; }});
    }
    list.push_back({QStringLiteral("WIZ_QUARN_A4"), [] {
                        const QString n = QStringLiteral("WIZ_QUARN_A4");
                        return std::vector<TPlacement> {
                            {Shot(81, 0, n, {thMountains}), 140, 148, 170, 230, -4},
                            {Shot(82, 0, n, {thSunsetLake}), 262, 152, 170, 230, 3},
                        };
                    }});
    list.push_back({QStringLiteral("WIZ_QUARN_10X15"), [] {
                        return Stack(21, QStringLiteral("WIZ_QUARN_10X15"), 250, 170,
                                     {thAutumn, thBeach, thMeadow});
                    }});
    list.push_back({QStringLiteral("WIZ_QUARN_13X18"), [] {
                        return Stack(22, QStringLiteral("WIZ_QUARN_13X18"), 250, 180,
                                     {thFlowers, thWinter, thSunsetLake});
                    }});
    list.push_back({QStringLiteral("WIZ_QUARN_A4_10X15"), [] {
                        const QString n = QStringLiteral("WIZ_QUARN_A4_10X15");
                        return std::vector<TPlacement> {
                            {Shot(102, 1, n, {thAutumn, thFlowers}), 145, 146, 170, 230, -5},
                            {Shot(102, 0, n, {thBeach, thMountains}), 252, 152, 170, 230, 3},
                        };
                    }});
    list.push_back({QStringLiteral("WIZ_QUARN_A4_9X13"), [] {
                        const QString n = QStringLiteral("WIZ_QUARN_A4_9X13");
                        return std::vector<TPlacement> {
                            {Shot(103, 1, n, {thWinter, thBeach, thEveningTown, thBalloons}), 145,
                             146, 170, 230, -5},
                            {Shot(103, 0, n, {thMeadow, thFlowers, thSunsetLake, thAutumn}), 252,
                             152, 170, 230, 3},
                        };
                    }});
    list.push_back({QStringLiteral("WIZ_QUARN_FLASCHENETIKETT"), [] {
                        return std::vector<TPlacement> {
                            Single(Shot(104, 0, QStringLiteral("WIZ_QUARN_FLASCHENETIKETT"),
                                        {thFlowers, thAutumn, thSunsetLake, thMeadow},
                                        LabelTexts()))};
                    }});
    list.push_back({QStringLiteral("WIZ_QUARN_BALLON"), [] {
                        const QString n = QStringLiteral("WIZ_QUARN_BALLON");
                        return std::vector<TPlacement> {
                            {Shot(150, 0, n, {thBalloons}, BalloonText()), 140, 148, 170, 230, -4},
                            {Shot(151, 0, n, {thFlowers}, BalloonText()), 262, 152, 170, 230, 3},
                        };
                    }});
    list.push_back({QStringLiteral("WIZ_QUARN_BALLON_RUND"), [] {
                        return std::vector<TPlacement> {
                            Single(Shot(150, 0, QStringLiteral("WIZ_QUARN_BALLON_RUND"),
                                        {thBalloons}, BalloonText()))};
                    }});
    list.push_back({QStringLiteral("WIZ_QUARN_BALLON_HERZ"), [] {
                        return std::vector<TPlacement> {
                            Single(Shot(151, 0, QStringLiteral("WIZ_QUARN_BALLON_HERZ"),
                                        {thFlowers}, BalloonText()))};
                    }});
    list.push_back({QStringLiteral("WIZ_START"), [] {
                        const QString n = QStringLiteral("WIZ_START");
                        return std::vector<TPlacement> {
                            {Shot(61, 5, n), 92, 132, 140, 200, -8},
                            {Shot(31, 1, n), 210, 118, 230, 165, 2},
                            {Shot(72, 6, n), 300, 200, 150, 110, 7},
                            {Shot(21, 0, n, {thBeach}), 135, 222, 120, 90, -4},
                        };
                    }});
    return list;
}

// The program's start picture: products on a dark ground under the title;
// the lower right corner stays plain for the version text drawn over it.
QImage StartPicture()
{
    const int cw = kOutWidth * kSuper;
    const int ch = kOutHeight * kSuper;
    QImage canvas(cw, ch, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient g(0, 0, cw, ch);
    g.setColorAt(0, QColor(34, 60, 102));
    g.setColorAt(1, QColor(18, 30, 52));
    p.fillRect(canvas.rect(), g);
    QRadialGradient light(QPointF(cw * 0.3, ch * 0.55), cw * 0.6);
    light.setColorAt(0, QColor(255, 255, 255, 40));
    light.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(canvas.rect(), light);

    const QString n = QStringLiteral("START");
    PlaceProducts(p,
                  {
                      {Shot(64, 8, n), 62, 186, 100, 150, -10},
                      {Shot(31, 3, n), 172, 196, 190, 135, -3},
                      {Shot(151, 0, n, {thFlowers}), 288, 112, 90, 120, 8},
                      {Shot(21, 0, n, {thSunsetLake}), 112, 244, 110, 76, 5},
                  },
                  cw, ch);

    QFont quarn(QStringLiteral("Liberation Sans"));
    quarn.setPixelSize(15 * kSuper);
    quarn.setLetterSpacing(QFont::AbsoluteSpacing, 4 * kSuper);
    p.setFont(quarn);
    p.setPen(QColor(250, 205, 120));
    p.drawText(QRectF(22 * kSuper, 16 * kSuper, 200 * kSuper, 22 * kSuper),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("QUARN"));
    QFont title(QStringLiteral("Z003"));
    title.setPixelSize(58 * kSuper);
    p.setFont(title);
    p.setPen(QColor(0, 0, 0, 90));
    const QRectF titleRect(20 * kSuper, 30 * kSuper, 260 * kSuper, 70 * kSuper);
    p.drawText(titleRect.translated(2 * kSuper, 2 * kSuper), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Lumarbo"));
    p.setPen(Qt::white);
    p.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Lumarbo"));
    p.end();
    return Finish(canvas);
}

void Save(const QImage& image, const QString& path)
{
    if (!image.save(path, "JPG", kJpegQuality))
        throw Exception(QStringLiteral("Cannot write %1").arg(path));
    std::printf("%s (%lld bytes)\n", qPrintable(path), QFile(path).size());
}

int Run(const QString& imagesDir)
{
    const QString wizardDir = QDir(imagesDir).filePath(QStringLiteral("wizard"));
    if (!QDir().mkpath(wizardDir))
        throw Exception(QStringLiteral("Cannot create %1").arg(wizardDir));
    for (const TPicture& picture : WizardPictures())
        Save(ComposeCatalogue(picture.Placements()),
             QDir(wizardDir).filePath(picture.Name + QStringLiteral(".jpg")));
    Save(StartPicture(), QDir(imagesDir).filePath(QStringLiteral("start.jpg")));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings and texts of this run stay in a folder of their own.
    QTemporaryDir home;
    const QByteArray base = home.path().toLocal8Bit();
    setenv("XDG_CONFIG_HOME", (base + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (base + "/data").constData(), 1);
    setenv("XDG_CACHE_HOME", (base + "/cache").constData(), 1);
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: lumarbo_wizardpics <resources/images folder>\n");
        return 2;
    }
    TServices::TOptions options;
    options.SettingsFile = home.filePath(QStringLiteral("registry.json"));
    TServices services(options);
    RegisterKalenderTexts(services.Localizer());
    RegisterDocumentTexts(services.Localizer());
    try {
        return Run(args.at(1));
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
}
