#include "model/ZadoveroDocument.h"

#include "app/Arith.h"
#include "app/Format.h"
#include "app/InfoAusgabe.h"
#include "app/Services.h"
#include "calendar/Kalender.h"
#include "i18n/Localizer.h"
#include "model/BildManager.h"
#include "storage/DataFile.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

const QString kSection = QStringLiteral("TFBDocument");

const char* const kLayoutTypNames[LayoutTypCount] = {
    "ltPhotoBook86",      "ltPhotoBook85",        "ltPhotoBook46",      "ltPhotoBooklet43",
    "ltSingles10x15",     "ltPhotoBook88",        "ltPhotoBook85Randlos", "ltDINA4",
    "ltDINA4Randlos",     "ltSingles13x18",       "ltPhotoBookGravo",   "ltPhotoBookGravoRandlos",
    "ltPhotobook10x15A",  "ltPhotobook10x15B",    "ltKalenderA4",       "ltKalenderA5",
    "ltKalenderA6",
};

const char* const kLayoutStilNames[LayoutStilCount] = {
    "None",   "Ornata",   "Lateo",    "Altivo",   "Plenovo",  "Ornata R", "Lateo R",  "Altivo R",
    "Spezial", "QuarnVesto", "Layout 1", "Layout 2", "Layout 3", "Layout 4", "Deckblatt",
};

const TColor kLayoutStilColors[LayoutStilCount] = {
    0xFFFFFF, 0xE0FFFF, 0xFFE0FF, 0xFFFFE0, 0xE0E0FF, 0xE0FFE0, 0xFFE0E0, 0xC0E0E0,
    0xE0E0C0, 0x80FF80, 0xE0FFFF, 0xFFE0FF, 0xFFFFE0, 0xE0E0FF, 0xE0FFE0,
};

const char* const kPrintSettingNames[PrintSettingCount] = {
    "",          "Miravel",          "PhotoBook86",  "10x15",          "PhotoBook46",
    "PhotoBook85Randlos", "PhotoBook85Normal", "KalenderA4Randlos", "KalenderA5Randlos", "DINA4",
    "DINA4Randlos", "13x18",         "Corvena10x15", "PhotobookGravo", "PhotobookGravoRandlos",
    "PhotoBook46Beidseitig", "KalenderA6Randlos", "KalenderA6",
};

// Texts of this unit, translated in its own section.
const char* const kTexts[] = {
    "Dokument wird gespeichert", "Bilder werden gespeichert", "Dokument wird geladen",
    "Seitenlayout %d wird geladen", "Bilder werden geladen", "Seite", "Titelseite",
};

QString Tr(const char* german)
{
    const QString key = QString::fromUtf8(german);
    return TServices::Exists() ? Localizer().Lookup(kSection, key, key) : key;
}

QString TrFmt(const char* german, const QVariantList& args)
{
    const QString key = QString::fromUtf8(german);
    return TServices::Exists() ? Localizer().TranslateFmt(kSection, key, args) : Format(key, args);
}

void Info(const QString& text)
{
    if (TServices::Exists())
        InfoAusgabe().SetInfo(text);
}

QString TranslateId(const QString& value)
{
    if (value.left(3) == QLatin1String("ID_") && TServices::Exists())
        return Localizer().Translate(value);
    return value;
}

const QString kDoc = QStringLiteral("Doc");
const QString kPages = QStringLiteral("Doc/Pages");
const QString kLinks = QStringLiteral("Doc/PictureLinkList");
const QString kAnzahl = QStringLiteral("Anzahl");
const QString kClassname = QStringLiteral("Classname");
const QString kPhotopapier = QStringLiteral("ID_Photopapier_gl\u00e4nzend");

QString PagePath(int i)
{
    return kPages + QStringLiteral("/Page") + QString::number(i);
}


float ReadDocFloat(TCustomDataFile& file, const QString& key, float def, double lo, double hi)
{
    const double v = file.ReadFloat(kDoc, key, def);
    if (!std::isfinite(v) || v < lo || v > hi)
        return def;
    return float(v);
}

std::uint8_t ReadDocByte(TCustomDataFile& file, const QString& path, const QString& key, int def, int maxValue)
{
    const qint32 v = file.ReadInteger(path, key, def);
    return std::uint8_t(v >= 0 && v <= maxValue ? v : def);
}

constexpr double kMaxLength = 10000; // 10 m: no page or paper is larger

[[noreturn]] void RaiseInvalidFormat()
{
    throw EDataFileError(QStringLiteral("Invalid file format."));
}

} // namespace

// ---------------------------------------------------------------------------
// Enumeration names

QString LayoutTypName(int member)
{
    if (member < 0 || member >= LayoutTypCount)
        return QString();
    return QString::fromLatin1(kLayoutTypNames[member]);
}

QString LayoutTypenToString(TFBLayoutTypen set)
{
    QStringList names;
    for (int i = 0; i < LayoutTypCount; ++i)
        if (set & (1u << i))
            names << LayoutTypName(i);
    return QLatin1Char('[') + names.join(QLatin1Char(',')) + QLatin1Char(']');
}

bool LayoutTypenFromString(const QString& text, TFBLayoutTypen& set)
{
    set = 0;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const QChar c = text[i];
        if (c.unicode() <= ' ' || c == QLatin1Char('[') || c == QLatin1Char(']') || c == QLatin1Char(',')) {
            ++i;
            continue;
        }
        if (!(c.isLetterOrNumber() || c == QLatin1Char('_')))
            return false;
        qsizetype j = i;
        while (j < n && (text[j].isLetterOrNumber() || text[j] == QLatin1Char('_')))
            ++j;
        const QString name = text.mid(i, j - i);
        int member = -1;
        for (int m = 0; m < LayoutTypCount && member < 0; ++m)
            if (name.compare(QLatin1String(kLayoutTypNames[m]), Qt::CaseInsensitive) == 0)
                member = m;
        if (member < 0)
            return false;
        set |= 1u << member;
        i = j;
    }
    return true;
}

QString LayoutStilName(int stil)
{
    return stil >= 0 && stil < LayoutStilCount ? QString::fromLatin1(kLayoutStilNames[stil]) : QString();
}

TColor LayoutStilColor(int stil)
{
    return stil >= 0 && stil < LayoutStilCount ? kLayoutStilColors[stil] : clWhite;
}

QString PrintSettingName(int setting)
{
    return setting >= 0 && setting < PrintSettingCount ? QString::fromLatin1(kPrintSettingNames[setting])
                                                       : QString();
}

void RegisterDocumentTexts(TLocalizer& localizer)
{
    for (const char* t : kTexts)
        localizer.RegisterSectionText(kSection, QString::fromUtf8(t));
}

// ---------------------------------------------------------------------------
// TFBPage

TFBPage::TFBPage(TFBDocument* document)
    : Document(document)
{
}

TFBPage::~TFBPage() = default;

void TFBPage::CopyLayoutFrom(const TFBPage* source)
{
    Piclist.Clear();
    Kalenderlist.Clear();
    Elementlist.Clear();
    if (!source || source == this)
        return;
    for (int i = 0; i < source->Piclist.Count(); ++i) {
        const TFBElement* from = source->Piclist.Items(i);
        auto frame = std::make_unique<TFBPictureElement>(this);
        frame->CenterX = from->CenterX;
        frame->CenterY = from->CenterY;
        frame->Width = from->Width;
        frame->Height = from->Height;
        Piclist.Add(std::move(frame));
    }
    for (int i = 0; i < source->Kalenderlist.Count(); ++i) {
        const TFBElement* from = source->Kalenderlist.Items(i);
        auto cal = std::make_unique<TFBKalenderElement>(this);
        cal->CenterX = from->CenterX;
        cal->CenterY = from->CenterY;
        cal->Width = from->Width;
        cal->Height = from->Height;
        Kalenderlist.Add(std::move(cal));
    }
}

TFBElement* TFBPage::ElementAt(float x, float y, unsigned kinds) const
{
    const std::array<std::pair<unsigned, const TFBElementList*>, 3> order = {{
        {ekFree, &Elementlist},
        {ekKalender, &Kalenderlist},
        {ekPicture, &Piclist},
    }};
    for (const auto& [kind, list] : order) {
        if (!(kinds & kind))
            continue;
        for (int i = list->Count() - 1; i >= 0; --i) {
            TFBElement* el = list->Items(i);
            TTransformation t;
            t.Translate(el->CenterX, el->CenterY);
            t.Rotate(el->Angle);
            float lx = 0, ly = 0;
            t.InverseTransformPoint(x, y, lx, ly);
            if (el->HitTest(lx, ly))
                return el;
        }
    }
    return nullptr;
}

bool TFBPage::IsLeftPage() const
{
    if (!Document)
        return false;
    const int i = PageIndex();
    if (i < 0)
        return false;
    return (Document->ScreenMode == 1 && i % 2 == 1) || (Document->ScreenMode == 2 && i % 2 == 0);
}

int TFBPage::PageIndex() const
{
    return Document ? Document->IndexOfPage(this) : -1;
}

int TFBPage::SpreadIndex() const
{
    return Document ? Document->SpreadOfPage(PageIndex()) : -1;
}

bool TFBPage::HasContent() const
{
    if (Elementlist.Count() > 0 || Kalenderlist.Count() > 0)
        return true;
    for (int i = 0; i < Piclist.Count(); ++i)
        if (static_cast<const TFBPictureElement*>(Piclist.Items(i))->HasPicture())
            return true;
    return false;
}

// ---------------------------------------------------------------------------
// TFBDocument

TFBDocument::TFBDocument(TBildmanager* store)
{
    if (!store) {
        FOwnStore = std::make_unique<TBildmanager>();
        store = FOwnStore.get();
    }
    FStore = store;
    if (TServices::Exists())
        RegisterDocumentTexts(Localizer());
    Clear();
}

TFBDocument::~TFBDocument()
{
    PictureLinks.clear();
    Pages.Clear();
}

void TFBDocument::Clear()
{
    PictureLinks.clear();
    Pages.Clear();
    ScreenMode = 0;
    DocType = 0;
    PictureShadowsAllowed = true;
    Modified = false;
    PrintPaperName = QStringLiteral("ID_DINA4");
    PrintPaperType = kPhotopapier;
    PageWidth = 210;
    PageHeight = 297;
    Stegbreite = 2;
    Umschlagbreite = 4;
    PrintPaperSize = 9;
    PrintPaperWidth = 210;
    PrintPaperHeight = 297;
    PrintSetting = 0;
    Dokumentname.clear();
    PicturesHaveShadows = true;
    PrintBorderless = false;
    DocVersion = CurrentDocVersion;
    FileName.clear();
    Layouttypen = AllLayoutTypen;
    LayoutSubTyp.clear();
    LayoutStil = 0;
    ScreenQuerformatWinkel = 90;
    NurEinLayoutStil = false;
    FStore->Clear();
    Feiertage.Clear();
    Geburtstage.Clear();
}

// --- spreads ---------------------------------------------------------------

int TFBDocument::LeftPageIndex(int spread) const
{
    switch (ScreenMode) {
    case 0:
        return spread;
    case 1:
        return 2 * spread - 1;
    case 2:
        return 2 * spread;
    default:
        return -1;
    }
}

int TFBDocument::RightPageIndex(int spread) const
{
    switch (ScreenMode) {
    case 0:
        return spread;
    case 1:
        return 2 * spread;
    case 2:
        return 2 * spread + 1;
    default:
        return -1;
    }
}

TFBPage* TFBDocument::LeftPage(int spread) const
{
    const int i = LeftPageIndex(spread);
    return i >= 0 && i < Pages.Count() ? Pages.Items(i) : nullptr;
}

TFBPage* TFBDocument::RightPage(int spread) const
{
    const int i = RightPageIndex(spread);
    return i >= 0 && i < Pages.Count() ? Pages.Items(i) : nullptr;
}

int TFBDocument::SpreadCount() const
{
    const int n = Pages.Count();
    switch (ScreenMode) {
    case 0:
        return n;
    case 1:
        return n / 2 + 1;
    case 2:
        return n / 2;
    default:
        return 0;
    }
}

int TFBDocument::SpreadOfPage(int pageIndex) const
{
    if (pageIndex < 0)
        return -1;
    switch (ScreenMode) {
    case 0:
        return pageIndex;
    case 1:
        return (pageIndex + 1) / 2;
    case 2:
        return pageIndex / 2;
    default:
        return -1;
    }
}

int TFBDocument::IndexOfPage(const TFBPage* page) const
{
    return Pages.IndexOf(page);
}

void TFBDocument::GetDisplaySize(float& width, float& height) const
{
    switch (ScreenMode) {
    case 0:
        width = PageWidth;
        height = PageHeight;
        break;
    case 1:
        width = 2 * PageWidth + Stegbreite + 2 * Umschlagbreite;
        height = PageHeight + 2 * Umschlagbreite;
        break;
    case 2:
        width = 2 * PageWidth;
        height = PageHeight;
        break;
    default:
        width = 10;
        height = 10;
        break;
    }
}

void TFBDocument::PageOrigin(TTransformation& transformation, const TFBPage* page) const
{
    if (!page)
        return;
    const bool left = page->IsLeftPage();
    if (ScreenMode == 1) {
        if (left)
            transformation.Translate(Umschlagbreite, Umschlagbreite);
        else
            transformation.Translate(Umschlagbreite + PageWidth + Stegbreite, Umschlagbreite);
    } else if (ScreenMode == 2 && !left) {
        transformation.Translate(PageWidth, 0);
    }
}

QString TFBDocument::GetSpreadName(int spread) const
{
    if (ScreenMode != 0) {
        QString text;
        const int l = LeftPageIndex(spread);
        const int r = RightPageIndex(spread);
        if (l >= 0)
            text = QString::number(l + 1);
        if (r != l && r >= 0 && r < Pages.Count()) {
            if (!text.isEmpty())
                text += QStringLiteral(" - ");
            text += QString::number(r + 1);
        }
        return Tr("Seite") + QLatin1Char(' ') + text;
    }
    if (IsKalender()) {
        const TFBPage* page = spread >= 0 && spread < Pages.Count() ? Pages.Items(spread) : nullptr;
        if (page && page->Kalenderlist.Count() > 0)
            return MonthName(static_cast<TFBKalenderElement*>(page->Kalenderlist.Items(0))->KalenderData().Monat());
        if (spread == 12)
            return Tr("Titelseite");
        return MonthName(spread + 1);
    }
    return Tr("Seite") + QLatin1Char(' ') + QString::number(spread + 1);
}

std::uint8_t TFBDocument::GetSpreadOrientation(int spread) const
{
    if (const TFBPage* l = LeftPage(spread))
        return l->Seitenausrichtung;
    if (const TFBPage* r = RightPage(spread))
        return r->Seitenausrichtung;
    return 0;
}

void TFBDocument::SetSpreadOrientation(int spread, std::uint8_t value)
{
    if (TFBPage* l = LeftPage(spread))
        l->Seitenausrichtung = value;
    if (TFBPage* r = RightPage(spread))
        r->Seitenausrichtung = value;
}

bool TFBDocument::CanDeleteSpread(int spread) const
{
    if (IsKalender())
        return false;
    if (ScreenMode == 1 || ScreenMode == 2)
        return spread > 0 && spread < SpreadCount() - 1;
    return Pages.Count() > 1;
}

bool TFBDocument::CanInsertSpread(int spread) const
{
    if (IsKalender())
        return false;
    if (ScreenMode == 1 || ScreenMode == 2)
        return spread > 0 && spread < SpreadCount() - 1;
    return true;
}

void TFBDocument::InsertSpread(int at, int source)
{
    const int n = Pages.Count();
    if (ScreenMode == 0) {
        if (at < 0 || at > n || source < 0 || source >= n)
            return;
        const TFBPage* from = Pages.Items(source);
        auto page = std::make_unique<TFBPage>(this);
        page->Seitenausrichtung = from->Seitenausrichtung;
        page->CopyLayoutFrom(from);
        Pages.Insert(at, std::move(page));
        return;
    }
    if (ScreenMode != 1 && ScreenMode != 2)
        return;
    const int at0 = LeftPageIndex(at);
    if (at0 < 0 || at0 > n || source < 0 || source >= SpreadCount())
        return;
    // Both pages are made even when the source spread lacks one, so the
    // pages behind keep their side of the spread.
    const TFBPage* fromLeft = LeftPage(source);
    const TFBPage* fromRight = RightPage(source);
    auto left = std::make_unique<TFBPage>(this);
    auto right = std::make_unique<TFBPage>(this);
    if (fromLeft) {
        left->Seitenausrichtung = fromLeft->Seitenausrichtung;
        left->CopyLayoutFrom(fromLeft);
    }
    if (fromRight) {
        right->Seitenausrichtung = fromRight->Seitenausrichtung;
        right->CopyLayoutFrom(fromRight);
    }
    Pages.Insert(at0, std::move(left));
    Pages.Insert(at0 + 1, std::move(right));
}

void TFBDocument::DeleteSpread(int spread)
{
    if (spread < 0 || spread >= SpreadCount())
        return;
    if (ScreenMode == 0) {
        Pages.Delete(spread);
    } else {
        TFBPage* left = LeftPage(spread);
        TFBPage* right = RightPage(spread);
        if (right)
            Pages.Remove(right);
        if (left)
            Pages.Remove(left);
    }
    Modified = true;
}

void TFBDocument::MoveSpread(int from, int to)
{
    const int count = SpreadCount();
    if (from < 0 || from >= count || to < 0 || to >= count || from == to)
        return;
    if (ScreenMode == 0) {
        Pages.Move(from, to);
        return;
    }
    TFBPage* left = LeftPage(from);
    TFBPage* right = RightPage(from);
    if (!left || !right || !LeftPage(to) || !RightPage(to))
        return;
    const int l = LeftPageIndex(to);
    const int r = RightPageIndex(to);
    std::unique_ptr<TFBPage> rightPage = Pages.Extract(right);
    std::unique_ptr<TFBPage> leftPage = Pages.Extract(left);
    Pages.Insert(l, std::move(leftPage));
    Pages.Insert(r, std::move(rightPage));
}

void TFBDocument::MoveElementToPage(TFBElement* element, TFBPage* page)
{
    if (!element || !page || !element->Page)
        return;
    TFBPage* from = element->Page;
    TFBElementList* source = nullptr;
    TFBElementList* target = nullptr;
    if (dynamic_cast<TFBPictureElement*>(element)) {
        source = &from->Piclist;
        target = &page->Piclist;
    } else if (dynamic_cast<TFBKalenderElement*>(element)) {
        source = &from->Kalenderlist;
        target = &page->Kalenderlist;
    } else if (dynamic_cast<TFBSizeableElement*>(element)) {
        source = &from->Elementlist;
        target = &page->Elementlist;
    } else {
        throw Exception(QStringLiteral("MoveElementToPage: el ist nicht zuordbar"));
    }
    std::unique_ptr<TFBElement> taken = source->Extract(element);
    if (!taken)
        return;
    target->Add(std::move(taken));
    element->Page = page;
    Modified = true;
}

TFBPictureLink* TFBDocument::AddPictureLink()
{
    PictureLinks.push_back(std::make_unique<TFBPictureLink>(this));
    return PictureLinks.back().get();
}

void TFBDocument::DeletePictureLink(TFBPictureLink* link)
{
    for (auto it = PictureLinks.begin(); it != PictureLinks.end(); ++it) {
        if (it->get() == link) {
            std::unique_ptr<TFBPictureLink> owned = std::move(*it);
            PictureLinks.erase(it);
            return; // owned frees the link, which unlinks its members
        }
    }
    if (link)
        link->UnlinkAll();
}

int TFBDocument::LastUsedPageIndex() const
{
    for (int i = Pages.Count() - 1; i >= 0; --i)
        if (Pages.Items(i)->HasContent())
            return i;
    return -1;
}

bool TFBDocument::IsKalender() const
{
    return PrintSetting == 7 || PrintSetting == 8 || PrintSetting == 16 || PrintSetting == 17;
}

void TFBDocument::SetShadows(bool value)
{
    PictureShadowsAllowed = value;
    PicturesHaveShadows = value;
}

QString TFBDocument::PrintPaperNameText() const
{
    return TranslateId(PrintPaperName);
}

QString TFBDocument::PrintPaperTypeText() const
{
    return TranslateId(PrintPaperType);
}

void TFBDocument::CalendarStart(int& month, int& year) const
{
    if (Pages.Count() > 0 && Pages.Items(0)->Kalenderlist.Count() > 0) {
        const TKalenderData& data =
            static_cast<TFBKalenderElement*>(Pages.Items(0)->Kalenderlist.Items(0))->KalenderData();
        month = data.Monat();
        year = data.Jahr();
        return;
    }
    month = 1;
    year = KalenderToday().year();
}

void TFBDocument::SetCalendarStart(int year, int month)
{
    for (int p = 0; p < Pages.Count(); ++p) {
        const TFBPage* page = Pages.Items(p);
        for (int i = 0; i < page->Kalenderlist.Count(); ++i) {
            TKalenderData& data = static_cast<TFBKalenderElement*>(page->Kalenderlist.Items(i))->KalenderData();
            data.SetMonat(month);
            data.SetJahr(year);
        }
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
}

void TFBDocument::ApplyToAllCalendars(const TKalenderData& data)
{
    for (int p = 0; p < Pages.Count(); ++p) {
        const TFBPage* page = Pages.Items(p);
        for (int i = 0; i < page->Kalenderlist.Count(); ++i) {
            TKalenderData& target = static_cast<TFBKalenderElement*>(page->Kalenderlist.Items(i))->KalenderData();
            if (&target != &data)
                ApplyKalenderData(data, target);
        }
    }
}

// --- project file ----------------------------------------------------------

void TFBDocument::SaveToFile(TCustomDataFile& file) const
{
    Info(Tr("Dokument wird gespeichert"));
    file.WriteInteger(kDoc, QStringLiteral("DocVersion"), DocVersion);
    file.WriteFloat(kDoc, QStringLiteral("PageWidth"), PageWidth);
    file.WriteFloat(kDoc, QStringLiteral("PageHeight"), PageHeight);
    file.WriteFloat(kDoc, QStringLiteral("Stegbreite"), Stegbreite);
    file.WriteFloat(kDoc, QStringLiteral("Umschlagbreite"), Umschlagbreite);
    file.WriteString(kDoc, QStringLiteral("PrintPaperName"), PrintPaperName);
    file.WriteInteger(kDoc, QStringLiteral("PrintPaperSize"), PrintPaperSize);
    file.WriteFloat(kDoc, QStringLiteral("PrintPaperWidth"), PrintPaperWidth);
    file.WriteFloat(kDoc, QStringLiteral("PrintPaperHeight"), PrintPaperHeight);
    file.WriteString(kDoc, QStringLiteral("PrintPaperType"), PrintPaperType);
    file.WriteString(kDoc, QStringLiteral("Dokumentname"), Dokumentname);
    file.WriteBool(kDoc, QStringLiteral("PicturesHaveShadows"), PicturesHaveShadows);
    file.WriteBool(kDoc, QStringLiteral("PrintBorderless"), PrintBorderless);
    file.WriteBool(kDoc, QStringLiteral("PictureShadowsAllowed"), PictureShadowsAllowed);
    file.WriteInteger(kDoc, QStringLiteral("ScreenMode"), ScreenMode);
    file.WriteInteger(kDoc, QStringLiteral("DocType"), DocType);
    file.WriteInteger(kDoc, QStringLiteral("PrintSetting"), PrintSetting);
    file.WriteString(kDoc, QStringLiteral("Layouttypen"), LayoutTypenToString(Layouttypen));
    file.WriteString(kDoc, QStringLiteral("LayoutSubTyp"), LayoutSubTyp);
    file.WriteInteger(kDoc, QStringLiteral("LayoutStil"), LayoutStil);
    file.WriteFloat(kDoc, QStringLiteral("ScreenQuerformatWinkel"), ScreenQuerformatWinkel);
    file.WriteBool(kDoc, QStringLiteral("NurEinLayoutStil"), NurEinLayoutStil);
    file.WriteInteger(kPages, kAnzahl, Pages.Count());

    for (int i = 0; i < Pages.Count(); ++i) {
        Info(Format(QStringLiteral("Seite %d wird gespeichert"), {i + 1}));
        TFBPage& page = *Pages.Items(i);
        const QString p = PagePath(i);
        file.WriteInteger(p, QStringLiteral("Seitenausrichtung"), page.Seitenausrichtung);
        file.WriteInteger(p, QStringLiteral("Seitenfarbe"), qint32(page.Seitenfarbe));
        file.WriteInteger(p, QStringLiteral("CustomLayoutStil"), page.CustomLayoutStil);
        for (int which = 0; which < int(PageListPaths.size()); ++which) {
            const TFBElementList& list = PageElementList(page, which);
            const QString lp = p + QLatin1String(PageListPaths[std::size_t(which)].List);
            file.WriteInteger(lp, kAnzahl, list.Count());
            for (int j = 0; j < list.Count(); ++j)
                list.Items(j)->SaveToDataFile(
                    file, lp + QLatin1String(PageListPaths[std::size_t(which)].Item) + QString::number(j));
        }
    }

    Info(QStringLiteral("Picturelinks werden gespeichert"));
    file.WriteInteger(kLinks, kAnzahl, int(PictureLinks.size()));
    for (std::size_t i = 0; i < PictureLinks.size(); ++i) {
        const TFBPictureLink& link = *PictureLinks[i];
        const QString lp = kLinks + QStringLiteral("/Link") + QString::number(i) + QStringLiteral("/List");
        file.WriteInteger(lp, kAnzahl, int(link.List.size()));
        for (std::size_t j = 0; j < link.List.size(); ++j) {
            const TFBPictureElement* member = link.List[j];
            const QString mp = lp + QStringLiteral("/Pic") + QString::number(j);
            file.WriteInteger(mp, QStringLiteral("PageIndex"), IndexOfPage(member->Page));
            file.WriteInteger(mp, QStringLiteral("PicIndex"), member->IndexInList());
        }
    }

    Info(Tr("Bilder werden gespeichert"));
    FStore->SaveToDataFile(file, QStringLiteral("BildManager"));
    Feiertage.WriteToFile(file, QStringLiteral("Feiertage"));
    Geburtstage.WriteToFile(file, QStringLiteral("Geburtstage"));
    Info(QString());
}

void TFBDocument::SaveToFile(const QString& fileName)
{
    TDataFile file(fileName, TDataFile::Create);
    SaveToFile(file);
    file.Commit();
    FileName = fileName;
    Modified = false;
}

void TFBDocument::LoadFromFile(const QString& fileName)
{
    TDataFile file(fileName);
    LoadFromFile(file);
    FileName = fileName;
}

void TFBDocument::LoadFromFile(TCustomDataFile& file)
{
    Clear();
    try {
        ReadDocument(file);
    } catch (...) {
        Clear();
        Info(QString());
        throw;
    }
}

void TFBDocument::ReadDocument(TCustomDataFile& file)
{
    Info(Tr("Dokument wird geladen"));
    if (file.Index().empty())
        file.BuildCache();
    // Every page, element, link and link member that was saved took at least
    // one entry, so together they cannot outnumber the entries (plus the one
    // page a file without pages gets). Larger counts come from a damaged or
    // hostile file; the budget also keeps the reading time linear.
    qint64 budget = qint64(file.Index().size()) + 1;
    auto readCount = [&](const QString& path, qint32 def) {
        const qint32 n = file.ReadInteger(path, kAnzahl, def);
        if (n <= 0)
            return 0;
        if (n > budget)
            RaiseInvalidFormat();
        budget -= n;
        return int(n);
    };

    DocVersion = file.ReadInteger(kDoc, QStringLiteral("DocVersion"), 0);
    PageWidth = ReadDocFloat(file, QStringLiteral("PageWidth"), 148.5f, 0.001, kMaxLength);
    PageHeight = ReadDocFloat(file, QStringLiteral("PageHeight"), 210, 0.001, kMaxLength);
    Stegbreite = ReadDocFloat(file, QStringLiteral("Stegbreite"), 2, 0, kMaxLength);
    Umschlagbreite = ReadDocFloat(file, QStringLiteral("Umschlagbreite"), 4, 0, kMaxLength);
    PrintPaperName = file.ReadString(kDoc, QStringLiteral("PrintPaperName"), QStringLiteral("ID_DINA4"));
    PrintPaperSize = file.ReadInteger(kDoc, QStringLiteral("PrintPaperSize"), 9);
    PrintPaperWidth = ReadDocFloat(file, QStringLiteral("PrintPaperWidth"), 210, 0.001, kMaxLength);
    PrintPaperHeight = ReadDocFloat(file, QStringLiteral("PrintPaperHeight"), 297, 0.001, kMaxLength);
    PrintPaperType = file.ReadString(kDoc, QStringLiteral("PrintPaperType"), TranslateId(kPhotopapier));
    Dokumentname = file.ReadString(kDoc, QStringLiteral("Dokumentname"), QString());
    PicturesHaveShadows = file.ReadBool(kDoc, QStringLiteral("PicturesHaveShadows"), true);
    PrintBorderless = file.ReadBool(kDoc, QStringLiteral("PrintBorderless"), false);
    PictureShadowsAllowed = file.ReadBool(kDoc, QStringLiteral("PictureShadowsAllowed"), true);
    ScreenMode = ReadDocByte(file, kDoc, QStringLiteral("ScreenMode"), 1, 2);
    DocType = ReadDocByte(file, kDoc, QStringLiteral("DocType"), 1, 1);
    PrintSetting = ReadDocByte(file, kDoc, QStringLiteral("PrintSetting"), 0, PrintSettingCount - 1);
    Layouttypen = AllLayoutTypen;
    const QString set = file.ReadString(kDoc, QStringLiteral("Layouttypen"), QString());
    if (!set.isEmpty())
        LayoutTypenFromString(set, Layouttypen);
    LayoutSubTyp = file.ReadString(kDoc, QStringLiteral("LayoutSubTyp"), QString());
    LayoutStil = ReadDocByte(file, kDoc, QStringLiteral("LayoutStil"), 0, LayoutStilCount - 1);
    ScreenQuerformatWinkel = ReadDocFloat(file, QStringLiteral("ScreenQuerformatWinkel"), 90, -36000, 36000);
    NurEinLayoutStil = file.ReadBool(kDoc, QStringLiteral("NurEinLayoutStil"), false);

    const int pageCount = readCount(kPages, 1);
    for (int i = 0; i < pageCount; ++i) {
        Info(TrFmt("Seitenlayout %d wird geladen", {i + 1}));
        TFBPage& page = *Pages.Add(std::make_unique<TFBPage>(this));
        const QString p = PagePath(i);
        page.Seitenausrichtung = ReadDocByte(file, p, QStringLiteral("Seitenausrichtung"), 0, 255);
        page.Seitenfarbe = TColor(file.ReadInteger(p, QStringLiteral("Seitenfarbe"), 0xFFFFFF)) & 0xFFFFFF;
        page.CustomLayoutStil = ReadDocByte(file, p, QStringLiteral("CustomLayoutStil"), 0, LayoutStilCount - 1);
        for (int which = 0; which < int(PageListPaths.size()); ++which) {
            const QString lp = p + QLatin1String(PageListPaths[std::size_t(which)].List);
            const int n = readCount(lp, 0);
            for (int j = 0; j < n; ++j) {
                const QString ep = lp + QLatin1String(PageListPaths[std::size_t(which)].Item) + QString::number(j);
                const QString className = file.ReadString(ep, kClassname, QString());
                std::unique_ptr<TFBElement> element = CreateElement(className, &page);
                if (!element || !ElementFitsPageList(*element, which))
                    continue;
                element->LoadFromDataFile(file, ep);
                PageElementList(page, which).Add(std::move(element));
            }
        }
    }

    Info(QStringLiteral("Picturelinks werden geladen"));
    const int linkCount = readCount(kLinks, 0);
    for (int i = 0; i < linkCount; ++i) {
        TFBPictureLink* link = AddPictureLink();
        const QString lp = kLinks + QStringLiteral("/Link") + QString::number(i) + QStringLiteral("/List");
        const int members = readCount(lp, 0);
        for (int j = 0; j < members; ++j) {
            const QString mp = lp + QStringLiteral("/Pic") + QString::number(j);
            const qint32 pi = file.ReadInteger(mp, QStringLiteral("PageIndex"), -1);
            const qint32 fi = file.ReadInteger(mp, QStringLiteral("PicIndex"), -1);
            if (pi < 0 || pi >= Pages.Count())
                continue;
            const TFBPage* page = Pages.Items(pi);
            if (fi < 0 || fi >= page->Piclist.Count())
                continue;
            auto* frame = static_cast<TFBPictureElement*>(page->Piclist.Items(fi));
            if (frame->Link)
                continue;
            link->Add(frame);
        }
    }

    Info(Tr("Bilder werden geladen"));
    FStore->LoadFromDataFile(file, QStringLiteral("BildManager"));
    Feiertage.ReadFromFile(file, QStringLiteral("Feiertage"));
    Geburtstage.ReadFromFile(file, QStringLiteral("Geburtstage"));
    Info(QString());
    RepairRefCounts();

    UpgradeVersion();
    DocVersion = CurrentDocVersion;
    Modified = false;
}

void TFBDocument::UpgradeVersion()
{
    if (DocVersion < 2) {
        if (Dokumentname.contains(QLatin1String("Photobook")))
            PrintSetting = 2;
        else if (Dokumentname.contains(QLatin1String("Miravel")))
            PrintSetting = 1;
        else if (Dokumentname.contains(QLatin1String("10x15")))
            PrintSetting = 3;
    }
    if (DocVersion < 3) {
        for (int stil = 1; stil < LayoutStilCount; ++stil) {
            if (LayoutSubTyp.contains(LayoutStilName(stil))) {
                LayoutStil = std::uint8_t(stil);
                break;
            }
        }
    }
    if (DocVersion < 5 && Pages.Count() > 0 && Pages.Items(0)->Kalenderlist.Count() > 0)
        NurEinLayoutStil = true;
}

void TFBDocument::RepairRefCounts()
{
    QHash<int, int> holders;
    auto take = [&](int& ref) {
        if (ref == -1)
            return;
        if (!FStore->Find(ref)) {
            ref = -1;
            return;
        }
        ++holders[ref];
    };
    for (int p = 0; p < Pages.Count(); ++p) {
        const TFBPage* page = Pages.Items(p);
        for (int i = 0; i < page->Piclist.Count(); ++i)
            take(static_cast<TFBPictureElement*>(page->Piclist.Items(i))->FRefIndex);
        for (int i = 0; i < page->Elementlist.Count(); ++i)
            if (auto* clip = dynamic_cast<TFBClipartElement*>(page->Elementlist.Items(i)))
                take(clip->FRefIndex);
    }
    for (auto it = holders.cbegin(); it != holders.cend(); ++it) {
        const TBildManagerListItem* item = FStore->Find(it.key());
        for (qint64 count = item->RefCount; count < it.value(); ++count)
            FStore->IncRefCount(it.key());
    }
}

const std::array<TPageListPath, 3> PageListPaths = {{
    {"/Piclist", "/Pic"},
    {"/Kalenderlist", "/Kalender"},
    {"/Elementlist", "/Element"},
}};

TFBElementList& PageElementList(TFBPage& page, int which)
{
    switch (which) {
    case 0:
        return page.Piclist;
    case 1:
        return page.Kalenderlist;
    default:
        return page.Elementlist;
    }
}

bool ElementFitsPageList(const TFBElement& element, int which)
{
    switch (which) {
    case 0:
        return dynamic_cast<const TFBPictureElement*>(&element) != nullptr;
    case 1:
        return dynamic_cast<const TFBKalenderElement*>(&element) != nullptr;
    default:
        return dynamic_cast<const TFBSizeableElement*>(&element) != nullptr;
    }
}
