#include "model/ZadoveroColor.h"

#include "app/Codec1252.h"
#include "app/VQRegistry.h"

#include <QIODevice>
#include <QtEndian>

namespace {

TColorAsker& Asker()
{
    static TColorAsker asker;
    return asker;
}

std::vector<TColor>& CustomColorStore()
{
    static std::vector<TColor> colors;
    return colors;
}

const QString kColorsValue = QStringLiteral("Colors");

// The text of a string list: lines ended by CR LF.
QStringList SplitLines(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString JoinLines(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

void WriteInt32(QIODevice& stream, std::int32_t value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    stream.write(bytes, 4);
}

bool ReadInt32(QIODevice& stream, std::int32_t& value)
{
    char bytes[4];
    if (stream.read(bytes, 4) != 4)
        return false;
    value = qFromLittleEndian<std::int32_t>(bytes);
    return true;
}

} // namespace

void TFBColor::SaveToStream(QIODevice& stream) const
{
    const QByteArray name = EncodeStoredText(Name);
    WriteInt32(stream, std::int32_t(name.size()));
    stream.write(name);
    WriteInt32(stream, Color);
}

bool TFBColor::LoadFromStream(QIODevice& stream)
{
    std::int32_t length = 0;
    if (!ReadInt32(stream, length) || length < 0 || length > stream.bytesAvailable())
        return false;
    const QByteArray name = stream.read(length);
    std::int32_t color = 0;
    if (name.size() != length || !ReadInt32(stream, color))
        return false;
    Name = DecodeStoredText(name);
    Color = color;
    return true;
}

bool TFBColor::GetColor(TColor& color) const
{
    if (Color >= 0) {
        color = TColor(Color);
        return true;
    }
    TColor chosen = clWhite;
    if (!AskColor(chosen))
        return false;
    color = chosen;
    return true;
}

TColorAsker SetColorAsker(TColorAsker asker)
{
    TColorAsker previous = std::move(Asker());
    Asker() = std::move(asker);
    return previous;
}

bool AskColor(TColor& color)
{
    const QString section = QString::fromLatin1(CustomColorsSection);
    QStringList lines = SplitLines(VQRegistry().ReadString(section, kColorsValue, QString()));
    LoadCustomColors(section);
    if (!Asker())
        return false;
    TColor chosen = color;
    if (!Asker()(chosen, lines))
        return false;
    color = chosen;
    VQRegistry().WriteString(section, kColorsValue, JoinLines(lines));
    LoadCustomColors(section);
    return true;
}

void LoadCustomColors(const QString& section)
{
    std::vector<TColor>& colors = CustomColorStore();
    colors.clear();
    const QStringList lines = SplitLines(VQRegistry().ReadString(section, kColorsValue, QString()));
    for (const QString& line : lines) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        bool ok = false;
        const uint value = eq < 0 ? 0u : line.mid(eq + 1).trimmed().toUInt(&ok, 16);
        colors.push_back(ok && value <= 0xFFFFFFu ? TColor(value) : clNoColor);
    }
}

const std::vector<TColor>& CustomColors()
{
    return CustomColorStore();
}
