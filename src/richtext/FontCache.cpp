#include "richtext/FontCache.h"

#include "app/Arith.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QtEndian>

#include <algorithm>

namespace {

// Families whose metrics the Liberation faces reproduce; documents name the
// former, the system has the latter.
struct TAlias {
    const char* Name;
    const char* Family;
};
constexpr TAlias kAliases[] = {
    {"Arial", "Liberation Sans"},          {"Helvetica", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"}, {"Times", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},    {"Courier", "Liberation Mono"},
};

// Installed families by lower-case name without the " [foundry]" suffix
// that the database adds when a family comes from several foundries.
QHash<QString, QString>* InstalledFamilies = nullptr;
TFontCache* TheCache = nullptr;
bool ReleaseRegistered = false;

void ReleaseFontState()
{
    ReleaseRegistered = false;
    delete TheCache;
    TheCache = nullptr;
    delete InstalledFamilies;
    InstalledFamilies = nullptr;
}

void RegisterRelease()
{
    if (!ReleaseRegistered && QCoreApplication::instance()) {
        qAddPostRoutine(ReleaseFontState);
        ReleaseRegistered = true;
    }
}

QString FamilyKey(const QString& family)
{
    QString key = family;
    const qsizetype bracket = key.indexOf(QLatin1String(" ["));
    if (bracket > 0)
        key.truncate(bracket);
    return key.toLower();
}

const QHash<QString, QString>& Installed()
{
    if (!InstalledFamilies) {
        RegisterRelease();
        InstalledFamilies = new QHash<QString, QString>;
        const QStringList families = QFontDatabase::families();
        for (const QString& family : families) {
            const QString key = FamilyKey(family);
            // The first foundry wins; the plain name is listed first when
            // there is one.
            if (!InstalledFamilies->contains(key))
                InstalledFamilies->insert(key, family);
        }
    }
    return *InstalledFamilies;
}

QString FindInstalled(const QString& name)
{
    return Installed().value(name.trimmed().toLower());
}

quint16 U16(const QByteArray& table, int offset)
{
    if (offset < 0 || offset + 2 > table.size())
        return 0;
    return qFromBigEndian<quint16>(table.constData() + offset);
}

qint16 S16(const QByteArray& table, int offset)
{
    return qint16(U16(table, offset));
}

} // namespace

QString ResolveFontFamily(const QString& name)
{
    QString family = FindInstalled(name);
    if (!family.isEmpty())
        return family;
    for (const TAlias& alias : kAliases) {
        if (name.trimmed().compare(QLatin1String(alias.Name), Qt::CaseInsensitive) == 0) {
            family = FindInstalled(QLatin1String(alias.Family));
            if (!family.isEmpty())
                return family;
        }
    }
    if (name.compare(QLatin1String("Arial"), Qt::CaseInsensitive) != 0)
        return ResolveFontFamily(QStringLiteral("Arial"));
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

std::vector<char32_t> CodePoints(QStringView text)
{
    std::vector<char32_t> codes;
    codes.reserve(std::size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            codes.push_back(QChar::surrogateToUcs4(c, text[i + 1]));
            ++i;
        } else {
            codes.push_back(c.unicode());
        }
    }
    return codes;
}

// ---------------------------------------------------------------------------

TFontInfo::TFontInfo(const TFont& font)
    : FFont(font), FFamily(ResolveFontFamily(font.Name))
{
    const QRawFont face = OpenFace(FFamily);
    if (!UseFace(face) && !LoadStandIn(face))
        UseFallbackMetrics();
    for (char32_t code = 0; code < 256; ++code)
        Low[code] = LookupGlyph(code);
}

QRawFont TFontInfo::OpenFace(const QString& family) const
{
    QFont qfont(family);
    qfont.setBold(FFont.Style.testFlag(TFontStyle::Bold));
    qfont.setItalic(FFont.Style.testFlag(TFontStyle::Italic));
    qfont.setStyleStrategy(QFont::StyleStrategy(QFont::NoFontMerging | QFont::PreferOutline));
    qfont.setHintingPreference(QFont::PreferNoHinting);
    qfont.setPixelSize(100);
    return QRawFont::fromFont(qfont);
}

bool TFontInfo::UseFace(const QRawFont& face)
{
    if (!face.isValid())
        return false;
    const QByteArray head = face.fontTable("head");
    const QByteArray hhea = face.fontTable("hhea");
    const QByteArray os2 = face.fontTable("OS/2");
    const QByteArray hmtx = face.fontTable("hmtx");
    const int em = U16(head, 18);
    const int metricCount = U16(hhea, 34);
    if (em <= 0 || hhea.size() < 36 || metricCount <= 0 || hmtx.size() < 4)
        return false;
    Raw = face;
    Hmtx = hmtx;
    FEmSquare = em;
    HMetricCount = std::min(metricCount, int(Hmtx.size() / 4));

    const int hheaAscent = S16(hhea, 4);
    const int hheaDescent = -S16(hhea, 6);
    const int lineGap = S16(hhea, 8);
    int ascent = hheaAscent;
    int descent = hheaDescent;
    int average = 0;
    if (os2.size() >= 78) {
        ascent = U16(os2, 74);
        descent = U16(os2, 76);
        average = S16(os2, 2);
    }
    FMetrics.Ascent = ascent;
    FMetrics.Descent = descent;
    FMetrics.Height = ascent + descent;
    FMetrics.InternalLeading = FMetrics.Height - FEmSquare;
    // The part of the typographic line gap that the win cell does not
    // already hold.
    FMetrics.ExternalLeading =
        std::max(0, lineGap - ((ascent + descent) - (hheaAscent + hheaDescent)));
    FMetrics.MaxCharWidth = U16(hhea, 10);
    FMetrics.AveCharWidth = average > 0 ? average : FMetrics.MaxCharWidth / 2;
    return true;
}

bool TFontInfo::LoadStandIn(const QRawFont& face)
{
    // A face without sfnt tables (a Type 1 font) has outlines but none of
    // the design-unit figures the layout is made from. Measuring with one
    // face and drawing with another would put glyphs where the line break
    // did not expect them, so one readable face does both: the same design
    // in the same style from another foundry when one is installed, else
    // whatever draws Arial in the requested bold and italic.
    if (face.isValid()) {
        const QString key = FamilyKey(FFamily);
        const QStringList families = QFontDatabase::families();
        for (const QString& family : families) {
            if (family == FFamily || FamilyKey(family) != key)
                continue;
            const QRawFont other = OpenFace(family);
            if (other.styleName().compare(face.styleName(), Qt::CaseInsensitive) == 0
                && UseFace(other)) {
                FFamily = family;
                return true;
            }
        }
    }
    const QString standIn = ResolveFontFamily(QStringLiteral("Arial"));
    if (standIn != FFamily && UseFace(OpenFace(standIn))) {
        FFamily = standIn;
        return true;
    }
    return false;
}

void TFontInfo::UseFallbackMetrics()
{
    // No readable face at all (a system without fonts): plausible Arial-like
    // figures keep layout working.
    Raw = QRawFont();
    Hmtx.clear();
    HMetricCount = 0;
    FEmSquare = 2048;
    FMetrics = {2288, 1854, 434, 240, 67, 904, 4096};
}

TFontInfo::TGlyph TFontInfo::LookupGlyph(char32_t code) const
{
    if (HMetricCount == 0)
        return {0, 1024};
    TGlyph glyph;
    QChar chars[2];
    int count = 1;
    if (QChar::requiresSurrogates(code)) {
        chars[0] = QChar(QChar::highSurrogate(code));
        chars[1] = QChar(QChar::lowSurrogate(code));
        count = 2;
    } else {
        chars[0] = QChar(char16_t(code));
    }
    quint32 indexes[2] = {0, 0};
    int glyphCount = 2;
    if (Raw.glyphIndexesForChars(chars, count, indexes, &glyphCount) && glyphCount > 0)
        glyph.Index = indexes[0];
    const int entry = std::min(int(glyph.Index), HMetricCount - 1);
    glyph.Advance = U16(Hmtx, entry * 4);
    return glyph;
}

TFontInfo::TGlyph TFontInfo::Glyph(char32_t code) const
{
    if (code < 256)
        return Low[code];
    auto it = High.constFind(code);
    if (it != High.constEnd())
        return *it;
    const TGlyph glyph = LookupGlyph(code);
    High.insert(code, glyph);
    return glyph;
}

std::int64_t TFontInfo::TextAdvance(QStringView text) const
{
    std::int64_t sum = 0;
    for (char32_t code : CodePoints(text))
        sum += Advance(code);
    return sum;
}

TTextMetrics TFontInfo::DeviceMetrics(int emPixels) const
{
    const double scale = double(emPixels) / FEmSquare;
    TTextMetrics m;
    m.Ascent = RoundHalfEven(FMetrics.Ascent * scale);
    m.Descent = RoundHalfEven(FMetrics.Descent * scale);
    m.Height = m.Ascent + m.Descent;
    m.InternalLeading = m.Height - emPixels;
    m.ExternalLeading = RoundHalfEven(FMetrics.ExternalLeading * scale);
    m.AveCharWidth = RoundHalfEven(FMetrics.AveCharWidth * scale);
    m.MaxCharWidth = RoundHalfEven(FMetrics.MaxCharWidth * scale);
    return m;
}

// ---------------------------------------------------------------------------

TFontInfo& TFontCache::Lookup(const TFont& font)
{
    for (const auto& info : Infos) {
        const TFont& f = info->Font();
        if (f.Name == font.Name && f.Style == font.Style && f.Charset == font.Charset)
            return *info;
    }
    Infos.insert(Infos.begin(), std::make_unique<TFontInfo>(font));
    return *Infos.front();
}

TFontCache& FontCache()
{
    if (!TheCache) {
        RegisterRelease();
        TheCache = new TFontCache;
    }
    return *TheCache;
}
