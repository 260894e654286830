#pragma once

#include "app/Colors.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

class QIODevice;

// A named solid colour that is dragged onto a frame or a page background.
// A negative colour stands for "the user chooses when the fill is used".
class TFBColor {
public:
    TFBColor() = default;
    TFBColor(const QString& name, std::int32_t color) : Name(name), Color(color) {}

    QString Name;
    std::int32_t Color = 0;

    // Record: name length (int32), name bytes, colour (int32), little-endian.
    void SaveToStream(QIODevice& stream) const;
    // The record comes from a drop and is untrusted: a negative or too large
    // name length, or a record cut short, leaves the fill unchanged and
    // returns false.
    bool LoadFromStream(QIODevice& stream);

    // The fill's colour, or the one the user picks starting at white; false
    // when the user cancelled (callers then apply nothing).
    bool GetColor(TColor& color) const;
};

// The settings section of the colour dialog's custom colours.
inline constexpr const char* CustomColorsSection = "CustomColors";

// Shows the colour dialog starting at color with the stored custom colour
// lines; returns true with the chosen colour and the dialog's lines when the
// user confirmed. Installed by the user interface.
using TColorAsker = std::function<bool(TColor& color, QStringList& customColorLines)>;
// Returns the asker that was installed before.
TColorAsker SetColorAsker(TColorAsker asker);

// Asks through the installed asker (none installed: cancelled). The custom
// colours are read from the settings before, and written back and reloaded
// after a confirmed choice.
bool AskColor(TColor& color);

// Reloads the custom colours of the colour pop-up buttons from value
// "Colors" of the section: line i ("name=hex") becomes custom colour i; a
// line without a valid number leaves its place empty (clNoColor).
void LoadCustomColors(const QString& section);
const std::vector<TColor>& CustomColors();
