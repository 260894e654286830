#include "render/BitmapDrawContext.h"
#include "render/ShadowBitmap.h"

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

// Renders a sheet with the main kinds of drawing (shapes, a turned picture
// with its frame shadow, an elliptic clip, turned and wrapped text, a text
// shadow) for the eye. Set LUMARBO_TEST_SHEET to a file name to keep it.

namespace {

constexpr float kPixelsPerMM = 4;

QImage TestPicture()
{
    QImage picture(480, 360, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const int r = 60 + x * 180 / 480;
            const int g = 90 + y * 140 / 360;
            const int b = ((x / 40 + y / 40) % 2) ? 200 : 120;
            picture.setPixel(x, y, qRgb(r, g, b));
        }
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(250, 220, 60));
    p.setPen(QPen(Qt::black, 6));
    p.drawEllipse(QPointF(340, 110), 60, 60);
    p.setBrush(QColor(40, 110, 40));
    p.drawPolygon(QPolygonF({QPointF(0, 360), QPointF(160, 170), QPointF(330, 360)}));
    return picture;
}

void Caption(TDrawContext& ctx, const QString& text, float x, float y)
{
    TFont font;
    font.Size = 9;
    font.Style = TFontStyle::Bold;
    font.Color = RGBColor(60, 60, 60);
    ctx.SetFont(font);
    ctx.TextOut(text, 0, x, y);
}

void DrawShapes(TBitmapDrawContext& ctx)
{
    Caption(ctx, QStringLiteral("Formen"), 8, 16);
    ctx.SetPenColor(clBlack);
    ctx.SetPenWidth(0.5f);
    ctx.SetBrushColor(clSilver);
    ctx.Rectangle(8, 22, 30, 40);
    ctx.SetPenWidth(1);
    ctx.SetPenColor(RGBColor(120, 0, 0));
    ctx.SetBrushColor(RGBColor(230, 80, 70));
    ctx.Ellipse(46, 31, 24, 16);
    ctx.SetPenWidth(0);
    ctx.SetPenColor(clBlue);
    ctx.SetBrushColor(clBlue);
    ctx.SetBrushStyle(TBrushStyle::DiagCross);
    ctx.RotatedRectangle(20, 20, 12, 20, 55);
    ctx.SetBrushStyle(TBrushStyle::Solid);
    ctx.SetPenWidth(1.5f);
    ctx.SetPenColor(RGBColor(0, 140, 60));
    ctx.PolyBezier({{36, 62}, {42, 42}, {52, 72}, {60, 50}});
    ctx.SetPenWidth(0);
    ctx.SetPenColor(clBlack);
    ctx.SetPenStyle(TPenStyle::Dash);
    ctx.Line(8, 70, 60, 70);
    ctx.SetPenStyle(TPenStyle::Solid);
}

void DrawPictures(TBitmapDrawContext& ctx, const QImage& picture)
{
    Caption(ctx, QStringLiteral("Bild, Rahmenschatten, Clip"), 70, 16);
    // A turned frame with its soft shadow, clipped away under the frame.
    const float cx = 96, cy = 42, w = 40, h = 30, angle = 12;
    ctx.ClipRotatedRect(TRegionMode::Diff, angle, w, h, cx, cy);
    ctx.DrawShadowRect(cx + 1.5f, cy + 1.5f, w, h, angle, 1.5f);
    ctx.RestoreClip();
    ctx.DrawImage(picture, 0, 0, picture.width(), picture.height(), cx, cy, w, h, angle);
    ctx.SetBrushStyle(TBrushStyle::Clear);
    ctx.SetPenColor(clWhite);
    ctx.SetPenWidth(1);
    ctx.Transformation().Push();
    ctx.Transformation().Translate(cx, cy);
    ctx.Transformation().Rotate(angle);
    ctx.BeginPath();
    ctx.Polyline({{-w / 2, -h / 2}, {w / 2, -h / 2}, {w / 2, h / 2}, {-w / 2, h / 2}});
    ctx.CloseFigure();
    ctx.EndPath();
    ctx.StrokePath();
    ctx.Transformation().Pop();
    ctx.SetBrushStyle(TBrushStyle::Solid);
    ctx.SetPenWidth(0);

    // The same picture through an elliptic clip.
    ctx.ClipEllipse(TRegionMode::And, -10, 34, 26, 100, 78);
    ctx.DrawImage(picture, 60, 30, 360, 300, 100, 78, 34, 28.3f, -10);
    ctx.RestoreClip();
}

void DrawTurnedText(TBitmapDrawContext& ctx)
{
    Caption(ctx, QStringLiteral("Gedrehter Text"), 140, 16);
    TFont font;
    font.Size = 11;
    const TColor colours[] = {clBlack, RGBColor(180, 0, 0), RGBColor(0, 120, 0), clBlue,
                              RGBColor(140, 0, 140)};
    const float angles[] = {0, 30, 60, 90, 135};
    for (int i = 0; i < 5; ++i) {
        ctx.Transformation().Push();
        ctx.Transformation().RotateAt(146, 26, angles[i]);
        font.Color = colours[i];
        ctx.SetFont(font);
        ctx.TextOut(QStringLiteral("Lumarbo %1\u00B0").arg(angles[i]), 0, 146, 26);
        ctx.Transformation().Pop();
    }
    font.Color = clBlack;
    font.Size = 9;
    ctx.SetFont(font);
    ctx.SetPenColor(RGBColor(160, 160, 160));
    ctx.SetBrushStyle(TBrushStyle::Clear);
    ctx.Rectangle(140, 72, 192, 100);
    ctx.SetBrushStyle(TBrushStyle::Solid);
    ctx.DrawText(QStringLiteral("Zeilen werden bei 720 dpi umbrochen, damit Bildschirm und "
                                "Papier gleich aussehen. \u00C4\u00D6\u00DC \u20AC"),
                 kDtWordBreak | kDtCenter | kDtVCenter, 140, 72, 192, 100);
}

void DrawTextShadow(TBitmapDrawContext& ctx)
{
    Caption(ctx, QStringLiteral("Textschatten"), 8, 86);
    // As a text element does it: the text in a mask at 150 dpi with a
    // millimetre around it, blurred, drawn half a millimetre down right.
    const float w = 100, h = 16, cx = 64, cy = 112, angle = -6;
    const float dpmm = 5.905512f;
    TShadowBitmap shadow(std::max(10, int(std::lround((w + 2) * dpmm))),
                         std::max(10, int(std::lround((h + 2) * dpmm))));
    TFont font;
    font.Name = QStringLiteral("Times New Roman");
    font.Size = 40;
    font.Style = TFontStyle::Bold | TFontStyle::Italic;
    {
        shadow.ClearMask();
        shadow.SetOpacity(50);
        TBitmapDrawContext mask(shadow);
        mask.Transformation().ScaleUniform(dpmm);
        mask.SetFont(font);
        mask.DrawText(QStringLiteral("Schatten"), kDtCenter | kDtVCenter, 1, 1, w + 1, h + 1);
        mask.Canvas().End();
    }
    shadow.MakeShadow(clBlack, 1.5);
    ctx.Transformation().Push();
    ctx.Transformation().Translate(cx + 0.5f, cy + 0.5f);
    ctx.Transformation().Rotate(angle);
    ctx.DrawImageAlpha(BitmapToLockedBits(shadow.Image()), 0, 0, shadow.Width(), shadow.Height(),
                       -(w + 2) / 2, -(h + 2) / 2, w + 2, h + 2);
    ctx.Transformation().Pop();

    ctx.Transformation().Push();
    ctx.Transformation().Translate(cx, cy);
    ctx.Transformation().Rotate(angle);
    font.Color = RGBColor(30, 90, 200);
    ctx.SetFont(font);
    ctx.DrawText(QStringLiteral("Schatten"), kDtCenter | kDtVCenter, -w / 2, -h / 2, w / 2, h / 2);
    ctx.Transformation().Pop();
}

} // namespace

TEST(TestSheet, RendersShapesPicturesTextAndShadows)
{
    QImage sheet(int(200 * kPixelsPerMM), int(140 * kPixelsPerMM), QImage::Format_RGB32);
    sheet.fill(0xFFFFFFFFu);
    const QImage picture = TestPicture();
    {
        TBitmapDrawContext ctx(&sheet);
        ctx.Transformation().ScaleUniform(kPixelsPerMM);
        TFont title;
        title.Size = 16;
        title.Style = TFontStyle::Bold;
        ctx.SetFont(title);
        ctx.TextOut(QStringLiteral("Lumarbo \u2013 Zeichenkontexte"), 0, 8, 4);
        ctx.ClipRect(TRegionMode::Copy, 0, 0, 200, 140);
        DrawShapes(ctx);
        DrawPictures(ctx, picture);
        DrawTurnedText(ctx);
        DrawTextShadow(ctx);
        ctx.RestoreClip();
        ctx.Canvas().End();
    }

    const auto at = [&](float x, float y) { return sheet.pixel(int(x * kPixelsPerMM), int(y * kPixelsPerMM)); };
    // The frame shadow shows as grey along the turned frame's right edge
    // (inside the frame it is clipped away).
    int darkestGrey = 255;
    for (float y = 40; y < 56; y += 0.25f)
        for (float x = 114; x < 119; x += 0.25f) {
            const QRgb p = at(x, y);
            if (qRed(p) == qGreen(p) && qRed(p) == qBlue(p))
                darkestGrey = std::min(darkestGrey, qRed(p));
        }
    EXPECT_LT(darkestGrey, 190);
    EXPECT_GE(darkestGrey, 135);
    // The elliptic clip leaves the corners of the picture's box white.
    EXPECT_EQ(at(84, 65), 0xFFFFFFFFu);
    EXPECT_NE(at(100, 78), 0xFFFFFFFFu);
    // The sheet is opaque throughout (RGB32 keeps alpha at 255).
    EXPECT_EQ(qAlpha(at(96, 42)), 255);

    QTemporaryDir dir;
    QString file = qEnvironmentVariable("LUMARBO_TEST_SHEET");
    if (file.isEmpty())
        file = dir.filePath(QStringLiteral("render-test-sheet.png"));
    ASSERT_TRUE(sheet.save(file)) << file.toStdString();
}
