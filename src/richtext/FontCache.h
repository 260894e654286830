#pragma once

#include "render/Font.h"

#include <QByteArray>
#include <QHash>
#include <QRawFont>
#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// Text is measured and placed from the fonts' design units, never from
// hinted screen metrics, so that a line breaks at the same word and a glyph
// lands at the same place on the screen, in the preview and on paper. The
// figures follow the Windows conventions that documents were laid out with:
// the cell height is the win ascent plus the win descent of the OS/2 table,
// the external leading is what the hhea line gap adds on top of that, and
// advance widths come straight from the hmtx table without kerning.

// Text metrics; in design units for TFontInfo::Metrics(), in device pixels
// for TFontInfo::DeviceMetrics() and TDrawContext::GetTextMetrics().
struct TTextMetrics {
    int Height = 0; // Ascent + Descent
    int Ascent = 0;
    int Descent = 0;
    int InternalLeading = 0; // Height - em square
    int ExternalLeading = 0;
    int AveCharWidth = 0;
    int MaxCharWidth = 0;

    bool operator==(const TTextMetrics&) const = default;
};

// The installed family that draws a stored font name: the family itself
// when installed (case-insensitive), else its metric-compatible stand-in
// (Arial, Times New Roman, Courier New and their classic relatives map to
// the Liberation families), else whatever draws "Arial". The stored name is
// never changed; this is only asked when drawing and measuring.
QString ResolveFontFamily(const QString& name);

// Splits a text into code points (a surrogate pair is one character; a lone
// surrogate stays a character of its own).
std::vector<char32_t> CodePoints(QStringView text);

// Metrics of one logical font at a height of one em square.
class TFontInfo {
public:
    struct TGlyph {
        std::uint32_t Index = 0;
        int Advance = 0; // design units
    };

    explicit TFontInfo(const TFont& font);

    const TFont& Font() const { return FFont; }
    // The face that measures and draws it, see ResolveFontFamily. When that
    // face has no sfnt tables (a Type 1 font) it is the same design from
    // another foundry, else the face that draws Arial.
    const QString& Family() const { return FFamily; }
    // Units per em of the face; 2048 when the face cannot be read.
    int EmSquare() const { return FEmSquare; }
    const TTextMetrics& Metrics() const { return FMetrics; }

    TGlyph Glyph(char32_t code) const;
    int Advance(char32_t code) const { return Glyph(code).Advance; }
    // Advance of one character at an em height in pixels (or any unit).
    double CharWidth(char32_t code, double emHeight) const
    {
        return double(Advance(code)) / FEmSquare * emHeight;
    }
    // Sum of the advances in design units, in order.
    std::int64_t TextAdvance(QStringView text) const;

    // v design units of this font at a size in points, in millimetres.
    double DesignToMM(double units, double pointSize) const
    {
        return units * pointSize / FEmSquare * 25.4 / 72.0;
    }
    // The metrics of the device font whose em height is emPixels, each
    // rounded to whole pixels like a device does.
    TTextMetrics DeviceMetrics(int emPixels) const;

    // The face's outlines, for drawing glyph runs (invalid when no face
    // could be loaded). Set the pixel size on a copy.
    const QRawFont& RawFont() const { return Raw; }

private:
    QRawFont OpenFace(const QString& family) const;
    bool UseFace(const QRawFont& face);
    bool LoadStandIn(const QRawFont& face);
    void UseFallbackMetrics();
    TGlyph LookupGlyph(char32_t code) const;

    TFont FFont;
    QString FFamily;
    int FEmSquare = 2048;
    TTextMetrics FMetrics;
    QRawFont Raw;
    QByteArray Hmtx;
    int HMetricCount = 0;
    std::array<TGlyph, 256> Low {};
    mutable QHash<char32_t, TGlyph> High;
};

// One per process (FontCache()); fonts are told apart by name, style and
// character set, the size does not matter. Main thread only.
class TFontCache {
public:
    TFontInfo& Lookup(const TFont& font);
    int Count() const { return int(Infos.size()); }

private:
    std::vector<std::unique_ptr<TFontInfo>> Infos; // newest first
};

// The process-wide cache; created on first use and freed with the
// application object (it holds font faces that must not outlive it).
TFontCache& FontCache();
