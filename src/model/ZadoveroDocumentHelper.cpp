#include "model/ZadoveroDocumentHelper.h"

#include "app/Colors.h"
#include "calendar/Kalender.h"
#include "i18n/Localizer.h"
#include "richtext/FontCache.h"

#include <algorithm>
#include <initializer_list>

namespace {

// One frame of a catalogue row: a rectangle (left, top, width, height), or a
// turned frame (centre x, centre y, width, height, angle).
struct TRowFrame {
    bool Turned;
    float A, B, C, D, E;
};

TRowFrame R(float l, float t, float w, float h) { return {false, l, t, w, h, 0}; }
TRowFrame C(float cx, float cy, float w, float h, float a) { return {true, cx, cy, w, h, a}; }

struct TRow {
    const char* Key;
    const char* Name;
    float PageWidth, PageHeight;
    TFBLayoutTypen Types;
    std::uint8_t Stil;
    bool Double;
    std::initializer_list<TRowFrame> Frames;
    std::initializer_list<TRowFrame> LeftFrames = {};
};

constexpr bool D = true;
constexpr bool S = false;

// The booklet, the book lines with margins (163.5 x 210: binding margin
// 12.75, outer 5.5, top and bottom 6.5, gutter 4), the borderless lines and
// the full-bleed line (148.5 x 210), the large book (210 x 210), the test
// formats and the Vesto layouts.
const TRow kRows[] = {
    {"FullsizeBooklet1", "Fullsize Single", 76.2f, 101.6f, 8, 4, S, {R(0, 0, 76.2f, 101.6f)}},
    {"FullsizeBooklet2", "Fullsize Panorama", 76.2f, 101.6f, 8, 4, D, {R(0, 0, 76.2f, 101.6f)}},
    {"BorderBooklet1", "Border Single", 76.2f, 101.6f, 8, 1, S, {R(5, 5, 66.2f, 91.6f)}},
    {"BorderBooklet2", "Border Panorama", 76.2f, 101.6f, 8, 1, D, {R(0, 5, 71.2f, 91.6f)}},

    {"Ornata1", "Ornata A", 163.5f, 210, 3, 1, S,
     {R(12.75f, 6.5f, 145.25f, 96.5f), R(12.75f, 107, 145.25f, 96.5f)}},
    {"Ornata2", "Ornata B", 163.5f, 210, 3, 1, S, {R(12.75f, 6.5f, 145.25f, 197)}},
    {"Ornata3", "Ornata C", 163.5f, 210, 3, 1, S,
     {R(12.75f, 6.5f, 69.5f, 96.5f), R(88.5f, 6.5f, 69.5f, 96.5f), R(12.75f, 107, 145.25f, 96.5f)}},
    {"Ornata4", "Ornata D", 163.5f, 210, 3, 1, S,
     {R(12.75f, 6.5f, 69.5f, 96.5f), R(88.5f, 6.5f, 69.5f, 96.5f), R(12.75f, 107, 69.5f, 96.5f),
      R(88.5f, 107, 69.5f, 96.5f)}},
    {"Ornata5", "Ornata Panorama", 163.5f, 210, 3, 1, D, {R(5.5f, 6.5f, 152.5f, 197)}},
    {"Lateo2", "Lateo A", 163.5f, 210, 3, 2, S,
     {R(12.75f, 32.375f, 145.25f, 70.625f), R(12.75f, 107, 145.25f, 70.625f)}},
    {"Lateo1", "Lateo B", 163.5f, 210, 3, 2, S, {R(12.75f, 32.375f, 145.25f, 145.25f)}},
    {"Lateo3", "Lateo C", 163.5f, 210, 3, 2, S,
     {R(12.75f, 32.375f, 69.5f, 70.625f), R(88.5f, 32.375f, 69.5f, 70.625f),
      R(12.75f, 107, 145.25f, 70.625f)}},
    {"Lateo4", "Lateo D", 163.5f, 210, 3, 2, S,
     {R(12.75f, 32.375f, 69.5f, 145.25f), R(88.5f, 32.375f, 69.5f, 70.625f),
      R(88.5f, 107, 69.5f, 70.625f)}},
    {"Lateo5", "Lateo E", 163.5f, 210, 3, 2, S,
     {R(12.75f, 32.375f, 69.5f, 70.625f), R(88.5f, 32.375f, 69.5f, 70.625f),
      R(12.75f, 107, 69.5f, 70.625f), R(88.5f, 107, 69.5f, 70.625f)}},
    {"Lateo6", "Lateo Panorama", 163.5f, 210, 3, 2, D, {R(12.75f, 32.375f, 145.25f, 145.25f)}},
    {"Altivo2", "Altivo A", 163.5f, 210, 3, 3, S,
     {R(12.75f, 6.5f, 112.75f, 96.5f), R(12.75f, 107, 112.75f, 96.5f)}},
    {"Altivo1", "Altivo B", 163.5f, 210, 3, 3, S, {R(12.75f, 6.5f, 112.75f, 197)}},
    {"Altivo4", "Altivo C", 163.5f, 210, 3, 3, S,
     {R(12.75f, 6.5f, 112.75f, 63), R(12.75f, 73.5f, 112.75f, 130)}},
    {"Altivo3", "Altivo D", 163.5f, 210, 3, 3, S,
     {R(12.75f, 6.5f, 112.75f, 63), R(12.75f, 73.5f, 112.75f, 63), R(12.75f, 140.5f, 112.75f, 63)}},
    {"Altivo5", "Altivo Panorama", 163.5f, 210, 3, 3, D, {R(12.75f, 6.5f, 112.75f, 197)}},

    {"OrnataR1", "Ornata A", 148.5f, 210, 64, 5, S, {R(0, 6.5f, 144, 96.5f), R(0, 107, 144, 96.5f)}},
    {"OrnataR2", "Ornata B", 148.5f, 210, 64, 5, S, {R(0, 6.5f, 144, 197)}},
    {"OrnataR3", "Ornata C", 148.5f, 210, 64, 5, S,
     {R(0, 6.5f, 69.5f, 96.5f), R(76, 6.5f, 68, 96.5f), R(0, 107, 144, 96.5f)}},
    {"OrnataR4", "Ornata D", 148.5f, 210, 64, 5, S,
     {R(0, 6.5f, 69, 96.5f), R(76, 6.5f, 68, 96.5f), R(0, 107, 69, 96.5f), R(76, 107, 68, 96.5f)}},
    {"OrnataR5", "Ornata Panorama", 148.5f, 210, 64, 5, D, {R(0, 6.5f, 144, 197)}},
    {"LateoR2", "Lateo A", 148.5f, 210, 64, 6, S,
     {R(0, 32.375f, 144, 70.625f), R(0, 107, 144, 70.625f)}},
    {"LateoR1", "Lateo B", 148.5f, 210, 64, 6, S, {R(0, 32.375f, 144, 145.25f)}},
    {"LateoR3", "Lateo C", 148.5f, 210, 64, 6, S,
     {R(0, 32.375f, 69.5f, 70.625f), R(74.5f, 32.375f, 69.5f, 70.625f), R(0, 107, 144, 70.625f)}},
    {"LateoR4", "Lateo D", 148.5f, 210, 64, 6, S,
     {R(0, 32.375f, 69.5f, 145.25f), R(74.5f, 32.375f, 69.5f, 70.625f),
      R(74.5f, 107, 69.5f, 70.625f)}},
    {"LateoR5", "Lateo E", 148.5f, 210, 64, 6, S,
     {R(0, 32.375f, 69.5f, 70.625f), R(74.5f, 32.375f, 69.5f, 70.625f), R(0, 107, 69.5f, 70.625f),
      R(74.5f, 107, 69.5f, 70.625f)}},
    {"LateoR6", "Lateo Panorama", 148.5f, 210, 64, 6, D, {R(0, 32.375f, 144, 145.25f)}},
    {"AltivoR2", "Altivo A", 148.5f, 210, 64, 7, S,
     {R(0, 6.5f, 112.75f, 96.5f), R(0, 107, 112.75f, 96.5f)}},
    {"AltivoR1", "Altivo B", 148.5f, 210, 64, 7, S, {R(0, 6.5f, 112.75f, 197)}},
    {"AltivoR4", "Altivo C", 148.5f, 210, 64, 7, S,
     {R(0, 6.5f, 112.75f, 63), R(0, 73.5f, 112.75f, 130)}},
    {"AltivoR3", "Altivo D", 148.5f, 210, 64, 7, S,
     {R(0, 6.5f, 112.75f, 63), R(0, 73.5f, 112.75f, 63), R(0, 140.5f, 112.75f, 63)}},
    {"AltivoR5", "Altivo Panorama", 148.5f, 210, 64, 7, D, {R(0, 6.5f, 112.75f, 197)}},

    {"FullSize3", "Fullsize A", 148.5f, 210, 64, 4, S,
     {R(0, 0, 148.5f, 103.5f), R(0, 106.5f, 148.5f, 103.5f)}},
    {"FullSize1", "Fullsize B", 148.5f, 210, 64, 4, S, {R(0, 0, 148.5f, 210)}},
    {"FullSize3", "Fullsize C", 148.5f, 210, 64, 4, S,
     {R(0, 0, 72.8f, 103.5f), R(75.7f, 0, 72.8f, 103.5f), R(0, 106.5f, 148.5f, 103.5f)}},
    {"FullSize3", "Fullsize D", 148.5f, 210, 64, 4, S,
     {R(0, 0, 72.8f, 103.5f), R(75.7f, 0, 72.8f, 103.5f), R(0, 106.5f, 72.8f, 103.5f),
      R(75.7f, 106.5f, 72.8f, 103.5f)}},
    {"FullSize2", "Fullsize Panorama", 148.5f, 210, 64, 4, D, {R(0, 0, 148.5f, 210)}},

    {"GravoBorderLayout1", "Layout 1", 210, 210, 1024, 1, S, {R(10, 5, 195, 200)}},
    {"GravoBorderLayout2", "Layout 2", 210, 210, 1024, 1, S, {R(10, 40, 195, 130)}},
    {"GravoBorderLayout2a", "Layout 2a", 210, 210, 1024, 1, S,
     {R(10, 40, 95, 130), R(110, 40, 95, 130)}},
    {"GravoBorderLayout3", "Layout 3", 210, 210, 1024, 1, S, {R(45, 5, 130, 200)}},
    {"GravoBorderLayout3a", "Layout 3a", 210, 210, 1024, 1, S,
     {R(45, 5, 130, 97.5f), R(45, 107.5f, 130, 97.5f)}},
    {"GravoBorderLayout4", "Layout 4", 210, 210, 1024, 1, S, {R(10, 5, 130, 200)}},
    {"GravoBorderLayout5", "Layout Panorama", 210, 210, 1024, 1, D, {R(10, 5, 195, 200)}},
    {"GravoBorderLayout6", "Layout 6", 210, 210, 1024, 1, S,
     {R(10, 5, 95, 98), R(10, 108, 95, 98), R(110, 5, 95, 98), R(110, 107, 95, 98)}},
    {"GravoBorderLayout7", "Layout 7", 210, 210, 1024, 1, S, {R(10, 5, 195, 98), R(10, 107, 195, 98)}},
    {"GravoBorderLayout8", "Layout 8", 210, 210, 1024, 1, S,
     {R(10, 5, 95, 98), R(110, 5, 95, 98), R(10, 107, 195, 98)}},
    {"GravoBorderLayout9", "Layout 9", 210, 210, 1024, 1, S,
     {R(10, 5, 95, 200), R(110, 5, 95, 98), R(110, 107, 95, 98)}},
    {"GravoFullLayout1", "Layout 1", 210, 210, 2048, 1, S, {R(0, 0, 210, 210)}},
    {"GravoFullLayout2", "Layout Panorama", 210, 210, 2048, 1, D, {R(0, 0, 210, 210)}},
    {"GravoFullLayout3", "Layout 3", 210, 210, 2048, 1, S, {R(0, 0, 210, 103), R(0, 107, 210, 103)}},
    {"GravoFullLayout4", "Layout 4", 210, 210, 2048, 1, S,
     {R(0, 0, 102.5f, 103), R(107.5f, 0, 102.5f, 103), R(0, 107, 210, 103)}},
    {"GravoFullLayout4", "Layout 4", 210, 210, 2048, 1, S,
     {R(0, 0, 102.5f, 103), R(107.5f, 0, 102.5f, 103), R(0, 107, 102.5f, 103),
      R(107.5f, 107, 102.5f, 103)}},

    {"TestLayout1", "Layout 1", 152.4f, 114.3f, 4096, 1, S, {R(14, 7, 133.5f, 100)}},
    {"TestLayout2", "Layout 1", 148.5f, 114.3f, 8192, 1, S, {R(14, 8.5f, 129.5f, 97)}},

    {"QuarnDouble", "Vesto A", 148.5f, 210, 66, 9, S,
     {C(74.25f, 58.5f, 122.5f, 85.5f, -12), C(74.25f, 151.5f, 122.5f, 85.5f, -12)}},
    {"QuarnDoubleReverse", "Vesto B", 148.5f, 210, 66, 9, S,
     {C(74.25f, 58.5f, 122.5f, 85.5f, 12), C(74.25f, 151.5f, 122.5f, 85.5f, 12)}},
    {"QuarnSingle", "Vesto C", 148.5f, 210, 66, 9, S, {C(74.25f, 105, 115, 185, -8)}},
    {"QuarnSingleReverse", "Vesto D", 148.5f, 210, 66, 9, S, {C(74.25f, 105, 115, 185, 8)}},
    {"QuarnAngular", "Vesto E", 148.5f, 210, 66, 9, S,
     {C(61.29f, 45.3f, 100.5f, 59, -12), C(73.97f, 104.97f, 100.5f, 59, -12),
      C(86.65f, 164.64f, 100.5f, 59, -12)}},
    {"QuarnAngularReverse", "Vesto F", 148.5f, 210, 66, 9, S,
     {C(61.85f, 164.64f, 100.5f, 59, -348), C(74.53f, 104.97f, 100.5f, 59, -348),
      C(87.21f, 45.3f, 100.5f, 59, -348)}},
    {"QuarnNesting", "Vesto G", 148.5f, 210, 66, 9, S,
     {R(6, 27.5f, 45, 106), R(55, 27.5f, 87.5f, 45), R(6, 137.5f, 87.5f, 45), R(97.5f, 76.5f, 45, 106)}},
    {"QuarnChessboard", "Vesto H", 148.5f, 210, 66, 9, S,
     {R(6, 6, 68.25f, 49.5f), R(74.25f, 55.5f, 68.25f, 49.5f), R(6, 105, 68.25f, 49.5f),
      R(74.25f, 154.5f, 68.25f, 49.5f)}},
    {"QuarnFancy", "Vesto I", 148.5f, 210, 66, 9, S,
     {C(39.5f, 42, 50.5f, 50.5f, -347), C(108, 42, 50.5f, 50.5f, -13), C(39.5f, 114, 50.5f, 50.5f, -13),
      C(108, 114, 50.5f, 50.5f, -347), R(0, 153, 148.5f, 45)}},
    {"QuarnPanorama Velto", "Vesto J", 148.5f, 210, 66, 9, D,
     {R(0, 125, 148.5f, 70), C(74.25f, 58.5f, 122.5f, 85.5f, 12)},
     {R(0, 125, 148.5f, 70), C(74.25f, 58.5f, 122.5f, 85.5f, -12)}},
    {"QuarnPanorama Single", "Vesto K", 148.5f, 210, 66, 9, D, {C(0, 105, 252, 154.5f, -10)},
     {C(148.5f, 105, 252, 154.5f, -10)}},
};

void AddRowFrame(TFBPageTemplate& t, const TRowFrame& f, bool left)
{
    if (f.Turned)
        left ? t.AddLeftFrame(f.A, f.B, f.C, f.D, f.E) : t.AddFrame(f.A, f.B, f.C, f.D, f.E);
    else
        left ? t.AddLeftFrameRect(f.A, f.B, f.C, f.D) : t.AddFrameRect(f.A, f.B, f.C, f.D);
}

std::unique_ptr<TFBPageTemplate> MakeTemplate(const TRow& row)
{
    auto t = std::make_unique<TFBPageTemplate>();
    t->Key = QString::fromLatin1(row.Key);
    t->Name = QString::fromLatin1(row.Name);
    t->PageWidth = row.PageWidth;
    t->PageHeight = row.PageHeight;
    t->Layouttypen = row.Types;
    t->LayoutStil = row.Stil;
    t->Doppelseite = row.Double;
    for (const TRowFrame& f : row.Frames)
        AddRowFrame(*t, f, false);
    for (const TRowFrame& f : row.LeftFrames)
        AddRowFrame(*t, f, true);
    return t;
}

constexpr int kFrench = 2;

struct TNamedColor {
    const char* Name; // UTF-8
    int R, G, B;
};

const TNamedColor kColors[] = {
    {"hellgrau", 233, 233, 233}, {"grau", 177, 177, 177},    {"dunkelgrau", 93, 93, 93},
    {"schwarz", 0, 0, 0},        {"hellgelb", 255, 240, 184}, {"gelb", 255, 231, 121},
    {"orange", 255, 190, 104},   {"rosa", 255, 199, 203},    {"lila", 231, 201, 255},
    {"blau", 208, 220, 255},     {"hellblau", 231, 251, 255}, {"hellgrün", 231, 244, 216},
    {"grün", 231, 244, 153},
};
const char* const kOwnColor = "Eigene Farbe";
const QString kColorSection = QStringLiteral("Farben");

} // namespace

const TFBPageTemplateList& PageTemplateCatalogue()
{
    static const TFBPageTemplateList catalogue = [] {
        TFBPageTemplateList list;
        for (const TRow& row : kRows)
            list.push_back(MakeTemplate(row));
        return list;
    }();
    return catalogue;
}

void FillLayoutList(TFBPageTemplateList& list, TFBLayoutTypen types, int style, bool onlyStyle)
{
    list.clear();
    for (const TRow& row : kRows) {
        if ((row.Types & types) == 0 || (onlyStyle && row.Stil != style))
            continue;
        list.push_back(MakeTemplate(row));
    }
    if (style != 0)
        std::stable_partition(list.begin(), list.end(),
                              [style](const auto& t) { return t->LayoutStil == style; });
    if (Localizer().CurrentLanguage == kFrench)
        for (auto& t : list)
            t->Name.replace(QStringLiteral("Fullsize"), QStringLiteral("Pleine page"));
}

const TFBPageTemplate* FindPageTemplate(const QString& key)
{
    for (const auto& t : PageTemplateCatalogue())
        if (t->Key.compare(key, Qt::CaseInsensitive) == 0)
            return t.get();
    return nullptr;
}

void FillColorList(TFBColorList& list)
{
    list.clear();
    RegisterColorTexts(Localizer());
    for (const TNamedColor& c : kColors)
        list.push_back(std::make_unique<TFBColor>(
            Localizer().TranslateFormText(kColorSection, QString::fromUtf8(c.Name)),
            std::int32_t(RGBColor(c.R, c.G, c.B))));
    list.push_back(std::make_unique<TFBColor>(
        Localizer().TranslateFormText(kColorSection, QString::fromUtf8(kOwnColor)), -1));
}

void RegisterColorTexts(TLocalizer& localizer)
{
    for (const TNamedColor& c : kColors)
        localizer.RegisterSectionText(kColorSection, QString::fromUtf8(c.Name));
    localizer.RegisterSectionText(kColorSection, QString::fromUtf8(kOwnColor));
}

// ---------------------------------------------------------------------------
// Product set-ups

namespace {

TFontFamilyCheck& FamilyCheck()
{
    static TFontFamilyCheck check;
    return check;
}

bool FamilyInstalled(const QString& family)
{
    if (FamilyCheck())
        return FamilyCheck()(family);
    return ResolveFontFamily(family).compare(family, Qt::CaseInsensitive) == 0;
}

// Presets name paddings left, top, right, bottom.
TPaddingData P(float l, float t, float r, float b)
{
    TPaddingData p;
    p.Left = l;
    p.Top = t;
    p.Right = r;
    p.Bottom = b;
    return p;
}

void SetPresetFont(TFont& font, TFontStyles style = {}, TColor color = clNoColor)
{
    const QString trebuchet = QStringLiteral("Trebuchet MS");
    font.Name = FamilyInstalled(trebuchet) ? trebuchet : QStringLiteral("Arial");
    font.Style = style;
    if (color != clNoColor)
        font.Color = color;
}

constexpr auto kItalic = TFontStyles(TFontStyle::Italic);
constexpr auto kBold = TFontStyles(TFontStyle::Bold);

void PresetA4_1(TKalenderData& k)
{
    k.MonatJahrSize = 15;
    SetPresetFont(k.MonatJahrFont, kItalic, 0x333333);
    k.MonatJahrFontHeight = 40;
    k.WochentagSize = 18;
    k.WochentagFontHeight = 33;
    SetPresetFont(k.WochentagFont, kBold);
    k.WochentagColorZeile = 0xDDDDDD;
    k.WochentagRowSpacing = P(1, 10, 1, 35);
    k.ColorZellen = 0xDDDDDD;
    k.CellSpacing = P(7, 7, 7, 7);
    SetPresetFont(k.Font);
    k.FontHeight = 37;
    k.FTextAlign = 9;
    k.CellPadding = P(0, 0, 0, 7);
    k.ShowSondertage = true;
    k.SondertagSize = 5;
    SetPresetFont(k.SondertagFont);
    k.SondertagFontHeight = 30;
    k.SondertagRowSpacing = P(1, 10, 1, 0);
}

void PresetA4_2(TKalenderData& k)
{
    k.Color = 0xE0E0E0;
    k.MonatJahrSize = 20;
    SetPresetFont(k.MonatJahrFont, kItalic, 0x333333);
    k.MonatJahrFontHeight = 45;
    k.ShowMonatJahrOnBottom = true;
    k.WochentagSize = 18;
    k.WochentagFontHeight = 47;
    SetPresetFont(k.WochentagFont, kBold);
    k.WochentagColorZeile = 0xD0D0D0;
    k.WochentagRowSpacing = P(0, 0, 0, 30);
    k.WochentagRowPadding = P(5, 0, 5, 0);
    SetPresetFont(k.Font);
    k.FontHeight = 70;
    k.FTextAlign = 5;
    k.CellPadding = P(0, 0, 0, 0);
    k.RowSpacing = P(0, 10, 0, 10);
    k.RowPadding = P(5, 0, 5, 0);
    k.ColorZeilen = 0xF0F0F0;
    k.ShowSondertage = true;
    k.SondertagSize = 7;
    SetPresetFont(k.SondertagFont);
    k.SondertagFontHeight = 35;
    k.SondertagRowPadding = P(1, 2, 1, 2);
    k.SondertagColorZeile = 0xD0D0D0;
}

void PresetA4_3(TKalenderData& k)
{
    k.MonatJahrSize = 40;
    SetPresetFont(k.MonatJahrFont, kItalic, 0x333333);
    k.MonatJahrFontHeight = 80;
    k.MonatJahrTextAlign = 6;
    k.ShowWochentage = false;
    SetPresetFont(k.Font);
    k.FontHeight = 45;
    k.ShowSondertage = true;
    k.SondertagSize = 25;
    SetPresetFont(k.SondertagFont);
    k.SondertagFontHeight = 35;
    k.SondertagRowPadding = P(1, 2, 1, 2);
}

void PresetA4_4(TKalenderData& k)
{
    k.ShowWochentage = false;
    k.WochentagRowPadding = P(2, 4, 22, 2);
    k.ShowMonatJahrOnBottom = true;
    k.MonatJahrZweizeilig = true;
    k.MonatJahrColorZeile = 0x606060;
    SetPresetFont(k.MonatJahrFont, kItalic, clWhite);
    k.MonatJahrFontHeight = 35;
    k.MonatJahrSize = 6.7f;
    k.MonatJahrRowPadding = P(0, 0, 22, 0);
    k.MonatJahrTextAlign = 6;
    k.RowPadding = P(0, 4, 22, 2);
    k.FTextAlign = 6;
    SetPresetFont(k.Font, kBold);
    k.FontHeight = 60;
    k.ShowSondertage = true;
    k.SondertagSize = 5;
    SetPresetFont(k.SondertagFont);
    k.SondertagFontHeight = 13;
    k.SondertagRowPadding = P(5, 2, 22, 10);
    k.SonderTagTextAlign = 10;
}

void PresetA5_1(TKalenderData& k)
{
    k.Color = 0xE0E0E0;
    k.MonatJahrSize = 20;
    SetPresetFont(k.MonatJahrFont, kItalic, clWhite);
    k.MonatJahrColorZeile = 0x333333;
    k.MonatJahrFontHeight = 45;
    k.ShowMonatJahrOnBottom = true;
    k.MonatJahrZweizeilig = true;
    k.MonatJahrRowSpacing = P(0, 15, 0, 0);
    k.WochentagSize = 13;
    k.WochentagFontHeight = 47;
    SetPresetFont(k.WochentagFont, kBold);
    k.WochentagColorZeile = 0xD0D0D0;
    k.WochentagRowSpacing = P(0, 0, 0, 47);
    k.WochentagRowPadding = P(5, 0, 5, 0);
    SetPresetFont(k.Font);
    k.FontHeight = 70;
    k.FTextAlign = 5;
    k.CellPadding = P(0, 0, 0, 0);
    k.RowSpacing = P(0, 32, 0, 32);
    k.RowPadding = P(5, 0, 5, 0);
    k.ColorZeilen = 0xF0F0F0;
    k.ShowSondertage = true;
    k.SondertagSize = 7;
    SetPresetFont(k.SondertagFont);
    k.SondertagFontHeight = 20;
    k.SondertagRowPadding = P(1, 2, 1, 2);
    k.SondertagColorZeile = 0xD0D0D0;
}

void PresetA5_2(TKalenderData& k)
{
    k.MonatJahrSize = 15;
    SetPresetFont(k.MonatJahrFont, kItalic);
    k.MonatJahrFontHeight = 60;
    k.MonatJahrRowSpacing = P(0, 0, 0, 0);
    k.WochentagSize = 13;
    k.WochentagFontHeight = 45;
    SetPresetFont(k.WochentagFont, kBold, clWhite);
    k.WochentagColorZeile = 0x808080;
    k.WochentagRowSpacing = P(0, 0, 0, 0);
    k.WochentagRowPadding = P(5, 0, 5, 0);
    SetPresetFont(k.Font);
    k.FontHeight = 47;
    k.CellPadding = P(0, 0, 0, 0);
    k.RowSpacing = P(0, 0, 0, 0);
    k.RowPadding = P(5, 0, 5, 0);
    k.ShowSondertage = true;
    k.SondertagSize = 7;
    SetPresetFont(k.SondertagFont);
    k.SondertagFontHeight = 30;
    k.SondertagRowSpacing = P(5, 10, 5, 0);
}

void PresetA5_3(TKalenderData& k)
{
    k.MonatJahrSize = 40;
    SetPresetFont(k.MonatJahrFont, kItalic, 0x333333);
    k.MonatJahrFontHeight = 70;
    k.MonatJahrTextAlign = 6;
    k.MonatJahrRowSpacing = P(0, 0, 0.8f, 0);
    k.ShowWochentage = false;
    SetPresetFont(k.Font);
    k.FontHeight = 40;
    k.ShowSondertage = true;
    k.SondertagSize = 25;
    SetPresetFont(k.SondertagFont);
    k.SondertagFontHeight = 35;
    k.SondertagRowPadding = P(1, 2, 1, 2);
}

struct TPreset {
    const char* Name;
    void (*Apply)(TKalenderData&);
};

const TPreset kPresets[] = {
    {"A4-1", PresetA4_1}, {"A4-2", PresetA4_2}, {"A4-3", PresetA4_3}, {"A4-4", PresetA4_4},
    {"A5-1", PresetA5_1}, {"A5-2", PresetA5_2}, {"A5-3", PresetA5_3},
};

struct TBox {
    float CX, CY, W, H;
};

struct TCalendarSetup {
    int Code;
    TBox Kalender;
    int Typ;
    std::initializer_list<TBox> Frames;
    const char* Preset;
};

const TCalendarSetup kCalendarSetups[] = {
    {61, {105, 110, 160, 170}, ktKalender4x7, {{105, 253, 210, 88}}, "A4-1"},
    {62, {105, 245, 188, 70}, ktKalender4x7, {{105, 113, 188, 186}}, "A4-2"},
    {63, {105, 282, 194, 20}, ktHorizontal, {{105, 131.5f, 210, 263}}, "A4-3"},
    {64, {187, 148.5f, 46, 297}, ktVertical, {{82, 148.5f, 164, 297}}, "A4-4"},
    {71, {169, 76, 60, 123}, ktKalender4x7, {{72, 76, 123, 123}}, "A5-1"},
    {72, {105, 60, 210, 105}, ktKalender4x7,
     {{15, 133.5f, 30, 30}, {45, 133.5f, 30, 30}, {75, 133.5f, 30, 30}, {105, 133.5f, 30, 30},
      {135, 133.5f, 30, 30}, {165, 133.5f, 30, 30}, {195, 133.5f, 30, 30}},
     "A5-2"},
    {73, {105, 133, 190, 20}, ktHorizontal, {{105, 68, 210, 98}}, "A5-3"},
};

// The document columns of a product.
struct TProduct {
    std::initializer_list<int> Codes;
    float PageWidth, PageHeight;
    const char* Paper;
    int PaperSize;
    float PaperWidth, PaperHeight;
    int PrintSetting;
    bool Borderless;
    TFBLayoutTypen Types;
    int DocTypeAndMode;
    bool Shadows;
};

const TProduct kProducts[] = {
    {{31, 32, 33}, 148.5f, 210, "ID_DINA4", 9, 210, 297, 6, false, 2, 1, true},
    {{41, 42, 43, 44}, 148.5f, 210, "ID_DINA4", 9, 210, 297, 5, true, 64, 1, false},
    {{21}, 101.6f, 152.4f, "ID_10x15", -1, 101.6f, 152.4f, 3, true, 16, 0, false},
    {{101}, 101.6f, 152.4f, "ID_10x15", -1, 101.6f, 152.4f, 12, true, 16, 0, false},
    {{22}, 130, 180, "13x18 cm", -2, 130, 180, 11, true, 512, 0, false},
    {{81}, 210, 297, "ID_DINA4", 9, 210, 297, 9, false, 128, 0, true},
    {{82}, 210, 297, "ID_DINA4", 9, 210, 297, 10, true, 256, 0, false},
    {{102, 103, 104, 150, 151}, 210, 297, "ID_DINA4", 9, 210, 297, 9, false, 0, 0, false},
    {{61, 62, 63, 64}, 210, 297, "ID_DINA4", 9, 210, 297, 7, true, 16384, 0, false},
    {{71, 72, 73}, 210, 148.5f, "ID_DINA4", 9, 210, 297, 8, true, 32768, 0, false},
};

const TProduct* FindProduct(int code)
{
    for (const TProduct& p : kProducts)
        for (int c : p.Codes)
            if (c == code)
                return &p;
    return nullptr;
}

// Style text, style value and the keys of the first page and the others.
struct TBookLine {
    int Code;
    const char* SubTyp;
    int Stil;
    const char* First;
    const char* Others;
};

const TBookLine kBookLines[] = {
    {31, "Ornata", 1, "Ornata2", "Ornata1"},     {32, "Lateo", 2, "Lateo1", "Lateo2"},
    {33, "Altivo", 3, "Altivo1", "Altivo2"},     {41, "Ornata", 5, "OrnataR2", "OrnataR1"},
    {42, "Lateo", 6, "LateoR1", "LateoR2"},      {43, "Altivo", 7, "AltivoR1", "AltivoR2"},
    {44, "Fullpage", 4, "FullSize1", "FullSize3"},
};

void ApplyTemplate(const char* key, TFBPage* page)
{
    if (const TFBPageTemplate* t = FindPageTemplate(QString::fromLatin1(key)))
        t->ApplyTo(page);
}

TFBPictureElement* AddFrame(TFBPage* page, float cx, float cy, float w, float h)
{
    auto frame = std::make_unique<TFBPictureElement>(page);
    frame->CenterX = cx;
    frame->CenterY = cy;
    frame->Width = w;
    frame->Height = h;
    return static_cast<TFBPictureElement*>(page->Piclist.Add(std::move(frame)));
}

} // namespace

TFontFamilyCheck SetFontFamilyCheck(TFontFamilyCheck check)
{
    TFontFamilyCheck previous = std::move(FamilyCheck());
    FamilyCheck() = std::move(check);
    return previous;
}

bool ApplyKalenderPreset(TKalenderData& data, const QString& preset)
{
    data.Reset();
    for (const TPreset& p : kPresets)
        if (preset == QLatin1String(p.Name)) {
            p.Apply(data);
            return true;
        }
    return false;
}

bool ApplyProductSetup(TFBDocument& doc, int productCode, int pageCount, int year)
{
    const TProduct* product = FindProduct(productCode);
    if (!product)
        return false;
    doc.Clear();
    doc.PageWidth = product->PageWidth;
    doc.PageHeight = product->PageHeight;
    doc.PrintPaperName = QString::fromLatin1(product->Paper);
    doc.PrintPaperSize = product->PaperSize;
    doc.PrintPaperWidth = product->PaperWidth;
    doc.PrintPaperHeight = product->PaperHeight;
    doc.PrintSetting = std::uint8_t(product->PrintSetting);
    doc.PrintBorderless = product->Borderless;
    doc.Layouttypen = product->Types;
    doc.DocType = std::uint8_t(product->DocTypeAndMode);
    doc.ScreenMode = std::uint8_t(product->DocTypeAndMode);
    doc.PictureShadowsAllowed = product->Shadows;
    doc.PicturesHaveShadows = product->Shadows;

    const TCalendarSetup* calendar = nullptr;
    for (const TCalendarSetup& c : kCalendarSetups)
        if (c.Code == productCode)
            calendar = &c;
    const int pages = calendar ? 12 : std::max(pageCount, 1);
    for (int i = 0; i < pages; ++i)
        doc.Pages.Add(std::make_unique<TFBPage>(&doc));

    if (calendar) {
        doc.NurEinLayoutStil = true;
        doc.LayoutStil = std::uint8_t(productCode >= 71 ? 10 + productCode - 71 : 10 + productCode - 61);
        for (int i = 0; i < pages; ++i) {
            TFBPage* page = doc.Pages.Items(i);
            auto element = std::make_unique<TFBKalenderElement>(page);
            element->CenterX = calendar->Kalender.CX;
            element->CenterY = calendar->Kalender.CY;
            element->Width = calendar->Kalender.W;
            element->Height = calendar->Kalender.H;
            // The preset resets the calendar, so it comes first.
            TKalenderData& data = element->KalenderData();
            ApplyKalenderPreset(data, QString::fromLatin1(calendar->Preset));
            data.Typ = calendar->Typ;
            data.SetMonat(i + 1);
            data.SetJahr(year);
            page->Kalenderlist.Add(std::move(element));
            for (const TBox& b : calendar->Frames)
                AddFrame(page, b.CX, b.CY, b.W, b.H);
        }
        return true;
    }

    for (const TBookLine& line : kBookLines) {
        if (line.Code != productCode)
            continue;
        doc.LayoutSubTyp = QString::fromLatin1(line.SubTyp);
        doc.LayoutStil = std::uint8_t(line.Stil);
        ApplyTemplate(line.First, doc.Pages.Items(0));
        for (int i = 1; i < pages; ++i)
            ApplyTemplate(line.Others, doc.Pages.Items(i));
        if (productCode == 44 && pages > 10) {
            ApplyTemplate("QuarnDouble", doc.Pages.Items(9));
            ApplyTemplate("QuarnSingleReverse", doc.Pages.Items(10));
        }
        return true;
    }

    const float w = doc.PageWidth, h = doc.PageHeight;
    for (int i = 0; i < pages; ++i) {
        TFBPage* page = doc.Pages.Items(i);
        switch (productCode) {
        case 21:
        case 22:
        case 101:
            page->Seitenausrichtung = 1;
            AddFrame(page, w / 2, h / 2, w, h);
            break;
        case 81:
            AddFrame(page, w / 2, h / 2, 190, 277);
            break;
        case 82:
            AddFrame(page, w / 2, h / 2, w, h);
            break;
        case 102:
            AddFrame(page, 105, 74.25f, 152, 102);
            AddFrame(page, 105, 222.75f, 152, 102);
            break;
        case 103:
        case 104: {
            const float fw = productCode == 103 ? 92 : 82;
            const float fh = productCode == 103 ? 132 : 122;
            AddFrame(page, 55, 80, fw, fh);
            AddFrame(page, 155, 80, fw, fh);
            AddFrame(page, 55, 217, fw, fh);
            AddFrame(page, 155, 217, fw, fh);
            break;
        }
        case 150:
            AddFrame(page, 105, 155, 184, 184)->RegionTyp = 1;
            break;
        case 151:
            AddFrame(page, 105, 156, 184, 186)->RegionTyp = 2;
            break;
        default:
            break;
        }
    }
    return true;
}

void SetupDefaultDocument(TFBDocument& doc)
{
    ApplyProductSetup(doc, 82, 1, 0);
    doc.Dokumentname.clear();
}
