#pragma once

// Building blocks of the benchmark documents: synthetic decoded photos, a
// clip-art with transparency, and elements placed on pages the way the
// editor places them.

#include "model/BildManager.h"
#include "model/ZadoveroDocument.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QString>

#include <memory>

// A camera-sized picture with smooth gradients and hard edges, so that
// neither kind of content is favoured.
inline QImage BenchPhoto(int seed)
{
    QImage img(2272, 1704, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, img.width(), img.height());
    g.setColorAt(0, QColor::fromHsv((seed * 45) % 360, 160, 230));
    g.setColorAt(1, QColor::fromHsv((seed * 45 + 120) % 360, 200, 90));
    p.fillRect(img.rect(), g);
    p.setPen(QPen(Qt::white, 9));
    for (int i = 0; i < 30; ++i)
        p.drawLine(i * 80, 0, 2272 - i * 60, 1704);
    return img;
}

// A translucent disc on a transparent square.
inline QImage BenchClipart()
{
    QImage clip(600, 600, QImage::Format_ARGB32);
    clip.fill(Qt::transparent);
    QPainter p(&clip);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(220, 40, 60, 220));
    p.drawEllipse(50, 50, 500, 500);
    return clip;
}

inline const QString kBenchTextRtf =
    QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs48 Ein Sommer am See}");

inline TFBPictureElement* BenchAddPicture(TFBDocument& doc, TFBPage* page, float cx, float cy,
                                          float w, float h, float angle, int seed)
{
    auto* el = static_cast<TFBPictureElement*>(
        page->Piclist.Add(std::make_unique<TFBPictureElement>(page)));
    el->CenterX = cx;
    el->CenterY = cy;
    el->Width = w;
    el->Height = h;
    el->Angle = angle;
    el->SetRefIndex(doc.Bildmanager().AddBitmap(BenchPhoto(seed)));
    return el;
}

inline TFBTextElement* BenchAddShadowText(TFBPage* page, float cx, float cy, float w, float h)
{
    auto* text = static_cast<TFBTextElement*>(
        page->Elementlist.Add(std::make_unique<TFBTextElement>(page)));
    text->CenterX = cx;
    text->CenterY = cy;
    text->Width = w;
    text->Height = h;
    text->SetRTF(kBenchTextRtf);
    text->SetHasShadow(true);
    return text;
}

inline TFBClipartElement* BenchAddClipart(TFBDocument& doc, TFBPage* page, float cx, float cy,
                                          float w, float h)
{
    auto* art = static_cast<TFBClipartElement*>(
        page->Elementlist.Add(std::make_unique<TFBClipartElement>(page)));
    art->CenterX = cx;
    art->CenterY = cy;
    art->Width = w;
    art->Height = h;
    art->SetRefIndex(doc.Bildmanager().AddBitmap(BenchClipart()));
    return art;
}
