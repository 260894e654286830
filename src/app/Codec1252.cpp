#include "app/Codec1252.h"

#include <array>

namespace {

constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// -1 when the character has no byte in the code page.
int ToByte(char16_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == u)
            return int(0x80 + i);
    return -1;
}

const QByteArray kUtf8Mark("\xEF\xBB\xBF", 3);

} // namespace

char16_t Cp1252ToUnicode(unsigned char b)
{
    return (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : char16_t(b);
}

QByteArray ToCp1252(const QString& s)
{
    QByteArray out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c.isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
            // One unmappable character, not two.
            out.append('?');
            ++i;
            continue;
        }
        const int b = ToByte(c.unicode());
        out.append(b < 0 ? '?' : char(b));
    }
    return out;
}

QString FromCp1252(const char* data, qsizetype size)
{
    QString out(size, Qt::Uninitialized);
    QChar* d = out.data();
    for (qsizetype i = 0; i < size; ++i)
        d[i] = QChar(Cp1252ToUnicode(static_cast<unsigned char>(data[i])));
    return out;
}

QString FromCp1252(const QByteArray& bytes)
{
    return FromCp1252(bytes.constData(), bytes.size());
}

bool FitsCp1252(const QString& s)
{
    for (QChar c : s)
        if (ToByte(c.unicode()) < 0)
            return false;
    return true;
}

QByteArray EncodeStoredText(const QString& s)
{
    // Text that happens to begin with the characters of the mark would read
    // back as UTF-8, so it takes the marked form as well.
    static const QString markChars = QStringLiteral(u"\u00EF\u00BB\u00BF");
    if (FitsCp1252(s) && !s.startsWith(markChars))
        return ToCp1252(s);
    return kUtf8Mark + s.toUtf8();
}

QString DecodeStoredText(const QByteArray& bytes)
{
    if (bytes.startsWith(kUtf8Mark))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    return FromCp1252(bytes);
}
