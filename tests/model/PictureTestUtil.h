#pragma once

// Pictures made on the spot for the picture store and codec tests.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QString>

#include <cstdlib>

namespace picturetest {

// Four quadrants (red, green / blue, yellow from the top left) so that
// every turn and mirror is told apart even after JPEG compression.
inline QImage Quadrants(int w, int h, QImage::Format format = QImage::Format_RGB32)
{
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    const int hw = w / 2, hh = h / 2;
    p.fillRect(0, 0, hw, hh, QColor(220, 30, 30));
    p.fillRect(hw, 0, w - hw, hh, QColor(30, 200, 30));
    p.fillRect(0, hh, hw, h - hh, QColor(30, 30, 220));
    p.fillRect(hw, hh, w - hw, h - hh, QColor(230, 220, 30));
    p.end();
    return format == QImage::Format_RGB32 ? img : img.convertToFormat(format);
}

enum TCorner { TopLeft, TopRight, BottomLeft, BottomRight };

inline QColor Red() { return QColor(220, 30, 30); }
inline QColor Green() { return QColor(30, 200, 30); }
inline QColor Blue() { return QColor(30, 30, 220); }
inline QColor Yellow() { return QColor(230, 220, 30); }

// The colour a quarter in from the given corner, well inside its quadrant.
inline QColor CornerColor(const QImage& img, TCorner corner)
{
    const int x = (corner == TopLeft || corner == BottomLeft) ? img.width() / 4 : img.width() * 3 / 4;
    const int y = (corner == TopLeft || corner == TopRight) ? img.height() / 4 : img.height() * 3 / 4;
    return img.pixelColor(x, y);
}

inline bool Near(const QColor& a, const QColor& b, int tolerance = 12)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
           && std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

inline QByteArray Encoded(const QImage& img, const char* format, int quality = -1)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0)
        writer.setQuality(quality);
    writer.write(img);
    return out;
}

// A JPEG with an APP1 Exif segment that holds only the orientation tag
// (big-endian TIFF, IFD0 with one SHORT entry), put right after SOI.
inline QByteArray WithExifOrientation(const QByteArray& jpeg, int orientation)
{
    QByteArray exif("Exif\0\0", 6);
    exif += QByteArray("MM\0\x2A\0\0\0\x08", 8);                  // TIFF header, IFD0 at 8
    exif += QByteArray("\0\x01", 2);                              // one entry
    exif += QByteArray("\x01\x12\0\x03\0\0\0\x01", 8);            // tag 0x0112, SHORT, count 1
    exif += char(0);
    exif += char(orientation);
    exif += QByteArray("\0\0", 2);                                // value padding
    exif += QByteArray("\0\0\0\0", 4);                            // no next IFD
    const int length = int(exif.size()) + 2;
    QByteArray segment("\xFF\xE1", 2);
    segment += char(length >> 8);
    segment += char(length & 0xFF);
    segment += exif;
    return jpeg.left(2) + segment + jpeg.mid(2);
}

inline bool WriteFile(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline bool IsJpeg(const QByteArray& b) { return b.startsWith("\xFF\xD8"); }
inline bool IsPng(const QByteArray& b) { return b.startsWith("\x89PNG"); }

} // namespace picturetest
