#pragma once

#include "app/Colors.h"

#include <QFlags>
#include <QString>

#include <cstdint>

// The logical font that documents, painters and draw contexts pass around:
// a stored family name, a size in whole points, a style and a colour. The
// name is kept exactly as stored; which installed face draws it is decided
// by the font resolver (richtext/FontCache.h) at the moment of drawing.
enum class TFontStyle : std::uint8_t {
    Bold = 1,
    Italic = 2,
    Underline = 4,
    StrikeOut = 8,
};
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFontStyles)

// Character set numbers as stored in documents; only used to tell cached
// fonts apart, text is Unicode throughout.
constexpr std::uint8_t kAnsiCharset = 0;
constexpr std::uint8_t kDefaultCharset = 1;

struct TFont {
    QString Name = QStringLiteral("Arial");
    int Size = 10; // points
    TFontStyles Style;
    TColor Color = clBlack;
    std::uint8_t Charset = kDefaultCharset;

    bool operator==(const TFont&) const = default;
};
