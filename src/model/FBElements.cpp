// Elements, element lists and picture links of the document model.

#include "app/Arith.h"
#include "calendar/Kalender.h"
#include "calendar/KalenderPainter.h"
#include "model/BildManager.h"
#include "model/FrameOutline.h"
#include "model/ZadoveroDocument.h"
#include "render/ShadowBitmap.h"
#include "storage/DataFile.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

const QString kClassname = QStringLiteral("Classname");
const QString kCenterX = QStringLiteral("CenterX");
const QString kCenterY = QStringLiteral("CenterY");
const QString kWidth = QStringLiteral("Width");
const QString kHeight = QStringLiteral("Height");
const QString kAngle = QStringLiteral("Angle");
const QString kCanZoomAndTrack = QStringLiteral("CanZoomAndTrack");
const QString kZoom = QStringLiteral("Zoom");
const QString kOffsetX = QStringLiteral("OffsetX");
const QString kOffsetY = QStringLiteral("OffsetY");
const QString kRefIndex = QStringLiteral("RefIndex");
const QString kBorderWidth = QStringLiteral("BorderWidth");
const QString kBorderColor = QStringLiteral("BorderColor");
const QString kRegionTyp = QStringLiteral("RegionTyp");
const QString kRTF = QStringLiteral("RTF");
const QString kHasShadow = QStringLiteral("HasShadow");
const QString kHorzAlign = QStringLiteral("HorzAlign");
const QString kVertAlign = QStringLiteral("VertAlign");
const QString kIsLeftPage = QStringLiteral("IsLeftPage");
const QString kFile = QStringLiteral("File");
const QString kKalenderData = QStringLiteral("/KalenderData");

// Stored floats come from untrusted files: a value that is not finite or
// lies outside what a page could ever hold takes the default.
float ReadSaneFloat(TCustomDataFile& file, const QString& path, const QString& key, float def, double lo,
                    double hi)
{
    const double v = file.ReadFloat(path, key, def);
    if (!std::isfinite(v) || v < lo || v > hi)
        return def;
    return float(v);
}

// An 8-bit field read from a 32-bit entry: outside its table the default.
std::uint8_t ReadSmallInt(TCustomDataFile& file, const QString& path, const QString& key, int def, int maxValue)
{
    const qint32 v = file.ReadInteger(path, key, def);
    return std::uint8_t(v >= 0 && v <= maxValue ? v : def);
}

constexpr double kMaxCoordinate = 100000; // 100 m
constexpr double kMaxAngle = 36000;

float ClampZoom(float z)
{
    if (std::isnan(z))
        return 1;
    return std::clamp(z, 1.0f, 4.0f);
}

float ClampOffset(float o)
{
    if (std::isnan(o))
        return 0.5f;
    return std::clamp(o, 0.0f, 1.0f);
}

bool HasEmbeddedPicture(TCustomDataFile& file, const QString& path)
{
    TDataFileEntry entry;
    return file.FindEntry(path, kFile, entry);
}

} // namespace

// ---------------------------------------------------------------------------
// TFBElement

TFBElement::TFBElement(TFBPage* page)
    : Page(page)
{
}

TFBElement::~TFBElement() = default;

TFBDocument* TFBElement::Document() const
{
    return Page ? Page->Document : nullptr;
}

TBildmanager* TFBElement::Store() const
{
    TFBDocument* doc = Document();
    return doc ? &doc->Bildmanager() : nullptr;
}

void TFBElement::Draw(TDrawContext&, bool) {}

void TFBElement::WriteGeometry(TCustomDataFile& file, const QString& path) const
{
    file.WriteFloat(path, kCenterX, CenterX);
    file.WriteFloat(path, kCenterY, CenterY);
    file.WriteFloat(path, kWidth, Width);
    file.WriteFloat(path, kHeight, Height);
    file.WriteFloat(path, kAngle, Angle);
}

void TFBElement::ReadGeometry(TCustomDataFile& file, const QString& path)
{
    CenterX = ReadSaneFloat(file, path, kCenterX, 10, -kMaxCoordinate, kMaxCoordinate);
    CenterY = ReadSaneFloat(file, path, kCenterY, 10, -kMaxCoordinate, kMaxCoordinate);
    Width = ReadSaneFloat(file, path, kWidth, 10, 0, kMaxCoordinate);
    Height = ReadSaneFloat(file, path, kHeight, 10, 0, kMaxCoordinate);
    Angle = ReadSaneFloat(file, path, kAngle, 0, -kMaxAngle, kMaxAngle);
}

void TFBElement::SaveToDataFile(TCustomDataFile& file, const QString& path) const
{
    file.WriteString(path, kClassname, ClassName());
    WriteGeometry(file, path);
}

void TFBElement::LoadFromDataFile(TCustomDataFile& file, const QString& path)
{
    ReadGeometry(file, path);
}

void TFBElement::WriteEmbeddedRecord(TCustomDataFile& file, const QString& path) const
{
    file.WriteString(path, kClassname, ClassName());
}

void TFBElement::ReadEmbeddedRecord(TCustomDataFile&, const QString&) {}

bool TFBElement::HitTest(float x, float y) const
{
    return -Width / 2 <= x && x <= Width / 2 && -Height / 2 <= y && y <= Height / 2;
}

void TFBElement::GetRotatedSize(float& w, float& h) const
{
    const double a = std::fmod(double(Angle), 180.0);
    if (a == 0) {
        w = Width;
        h = Height;
        return;
    }
    if (std::fabs(a) == 90) {
        w = Height;
        h = Width;
        return;
    }
    const double rad = double(Angle) * std::numbers::pi / 180.0;
    const double c = std::fabs(std::cos(rad));
    const double s = std::fabs(std::sin(rad));
    w = float(Width * c + Height * s);
    h = float(Width * s + Height * c);
}

// ---------------------------------------------------------------------------
// TFBPictureElement

TFBPictureElement::TFBPictureElement(TFBPage* page)
    : TFBElement(page)
{
}

TFBPictureElement::~TFBPictureElement()
{
    if (Link) {
        TFBPictureLink* link = Link;
        if (link->Document)
            link->Document->DeletePictureLink(link);
        else
            link->UnlinkAll();
    }
    if (FRefIndex != -1)
        if (TBildmanager* store = Store())
            store->DecRefCount(FRefIndex);
}

int TFBPictureElement::IndexInList() const
{
    return Page ? Page->Piclist.IndexOf(this) : -1;
}

void TFBPictureElement::SetRefIndex(int index)
{
    if (TBildmanager* store = Store()) {
        store->IncRefCount(index);
        store->DecRefCount(FRefIndex);
    }
    FRefIndex = index;
}

void TFBPictureElement::Sync()
{
    if (Link)
        Link->Sync(this);
}

void TFBPictureElement::SetZoom(float z)
{
    FZoom = ClampZoom(z);
    Sync();
}

void TFBPictureElement::SetOffsetX(float x)
{
    FOffsetX = ClampOffset(x);
    Sync();
}

void TFBPictureElement::SetOffsetY(float y)
{
    FOffsetY = ClampOffset(y);
    Sync();
}

void TFBPictureElement::SetBorderWidth(float w)
{
    FBorderWidth = std::isfinite(w) ? w : 0;
    Sync();
}

void TFBPictureElement::SetBorderColor(TColor c)
{
    FBorderColor = c;
    Sync();
}

void TFBPictureElement::LoadPicture(const QString& fileName)
{
    FZoom = 1;
    FOffsetX = 0.5f;
    FOffsetY = 0.5f;
    SetRefIndex(-1);
    if (TBildmanager* store = Store())
        FRefIndex = store->AddFile(fileName);
    CanZoomAndTrack = true;
    Sync();
}

void TFBPictureElement::SetSolidColor(TColor color)
{
    ClearPicture();
    QImage img(48, 48, QImage::Format_ARGB32);
    img.fill(ToQColor(color));
    SetRefIndex(-1);
    if (TBildmanager* store = Store())
        FRefIndex = store->AddBitmap(img);
    CanZoomAndTrack = false;
    Sync();
}

void TFBPictureElement::ClearPicture()
{
    if (!HasPicture())
        return;
    SetRefIndex(-1);
    CanZoomAndTrack = true;
    Sync();
}

QImage TFBPictureElement::GetPicture() const
{
    TBildmanager* store = Store();
    if (!store || !HasPicture())
        return QImage();
    return store->GetBitmap(FRefIndex);
}

void TFBPictureElement::SwapPicture(TFBPictureElement& other)
{
    std::swap(FRefIndex, other.FRefIndex);
    std::swap(CanZoomAndTrack, other.CanZoomAndTrack);
    std::swap(FOffsetX, other.FOffsetX);
    std::swap(FOffsetY, other.FOffsetY);
    std::swap(FZoom, other.FZoom);
    Sync();
    other.Sync();
}

void TFBPictureElement::CopyPictureFrom(const TFBPictureElement& other)
{
    SetRefIndex(other.FRefIndex);
    CanZoomAndTrack = other.CanZoomAndTrack;
    SetOffsetX(other.FOffsetX);
    SetOffsetY(other.FOffsetY);
    SetZoom(other.FZoom);
    Sync();
}

void TFBPictureElement::RotatePicture(int direction)
{
    TBildmanager* store = Store();
    if (!store || !HasPicture())
        return;
    const int unique = store->MakeUnique(FRefIndex);
    if (unique == -1)
        return;
    // A copy takes over this frame's reference from the shared item.
    FRefIndex = unique;
    store->RotateBild(FRefIndex, direction);
    Sync();
}

int TFBPictureElement::GetScreenAngle() const
{
    const TFBDocument* doc = Document();
    if (!doc || !Page->Seitenausrichtung)
        return 0;
    return RoundHalfEven(doc->ScreenQuerformatWinkel);
}

bool TFBPictureElement::HitTest(float x, float y) const
{
    if (!TFBElement::HitTest(x, y))
        return false;
    if (RegionTyp == 0)
        return true;
    return FrameOutlineContains(RegionTyp, Width, Height, x, y);
}

TRect TFBPictureElement::SourceRect(int source) const
{
    TBildmanager* store = Store();
    if (!store || !HasPicture())
        return TRect();
    const TBildManagerListItem* item = store->Find(FRefIndex);
    if (!item)
        return TRect();
    double pw = 0, ph = 0;
    if (source == 0) {
        pw = item->PicWidth;
        ph = item->PicHeight;
        if (pw <= 0 || ph <= 0) {
            const QImage full = store->GetBitmap(FRefIndex);
            pw = full.width();
            ph = full.height();
        }
    } else {
        const QImage thumb = store->GetThumbnail(FRefIndex);
        pw = thumb.width();
        ph = thumb.height();
    }
    if (pw <= 0 || ph <= 0)
        return TRect();

    const TRectF u = Link ? Link->GetUnionRect(this) : Rect();
    const double w = double(u.Right) - u.Left;
    const double h = double(u.Bottom) - u.Top;
    if (!std::isfinite(w) || !std::isfinite(h) || w <= 0 || h <= 0)
        return TRect();

    // The largest box of the frame's aspect that fits the picture.
    double d = pw;
    double e = h * d / w;
    if (ph < e) {
        e = ph;
        d = w * e / h;
    }
    const double g = d / FZoom;
    const double v = e / FZoom;
    TRect r;
    if (!Link) {
        r.Left = RoundHalfEven((pw - g) * FOffsetX);
        r.Top = RoundHalfEven((ph - v) * FOffsetY);
        r.Right = r.Left + RoundHalfEven(g);
        r.Bottom = r.Top + RoundHalfEven(v);
    } else {
        const double t = (pw - g) * FOffsetX;
        const double s = (ph - v) * FOffsetY;
        r.Left = RoundHalfEven(t + (double(Left()) - u.Left) / w * g);
        r.Right = RoundHalfEven(t + (double(Right()) - u.Left) / w * g);
        r.Top = RoundHalfEven(s + (double(Top()) - u.Top) / h * v);
        r.Bottom = RoundHalfEven(s + (double(Bottom()) - u.Top) / h * v);
    }
    r.Left = std::max(r.Left, 0);
    r.Top = std::max(r.Top, 0);
    r.Right = std::min(r.Right, int(pw));
    r.Bottom = std::min(r.Bottom, int(ph));
    return r;
}

int TFBPictureElement::GetResolution() const
{
    if (!HasPicture())
        return 0;
    const TRect r = SourceRect(0);
    const double side = Width > Height ? Width : Height;
    const double pixels = Width > Height ? r.Right - r.Left : r.Bottom - r.Top;
    if (!std::isfinite(side) || side <= 0)
        return 0;
    return RoundHalfEven(pixels / (side / 25.4));
}

TFBPictureElement* TFBPictureElement::NextPictureElement() const
{
    if (!Page)
        return nullptr;
    const int i = Page->Piclist.IndexOf(this);
    if (i >= 0 && i + 1 < Page->Piclist.Count())
        return static_cast<TFBPictureElement*>(Page->Piclist.Items(i + 1));
    const TFBDocument* doc = Page->Document;
    if (!doc)
        return nullptr;
    for (int p = doc->IndexOfPage(Page) + 1; p > 0 && p < doc->Pages.Count(); ++p) {
        const TFBPage* next = doc->Pages.Items(p);
        if (next->Piclist.Count() > 0)
            return static_cast<TFBPictureElement*>(next->Piclist.Items(0));
    }
    return nullptr;
}

void TFBPictureElement::SaveToDataFile(TCustomDataFile& file, const QString& path) const
{
    TFBElement::SaveToDataFile(file, path);
    file.WriteBool(path, kCanZoomAndTrack, CanZoomAndTrack);
    file.WriteFloat(path, kZoom, FZoom);
    file.WriteFloat(path, kOffsetX, FOffsetX);
    file.WriteFloat(path, kOffsetY, FOffsetY);
    file.WriteInteger(path, kRefIndex, FRefIndex);
    file.WriteFloat(path, kBorderWidth, FBorderWidth);
    file.WriteInteger(path, kBorderColor, qint32(FBorderColor));
    file.WriteInteger(path, kRegionTyp, RegionTyp);
}

void TFBPictureElement::LoadFromDataFile(TCustomDataFile& file, const QString& path)
{
    TFBElement::LoadFromDataFile(file, path);
    CanZoomAndTrack = file.ReadBool(path, kCanZoomAndTrack, true);
    FZoom = ClampZoom(float(file.ReadFloat(path, kZoom, 1)));
    FOffsetX = ClampOffset(float(file.ReadFloat(path, kOffsetX, 0.5)));
    FOffsetY = ClampOffset(float(file.ReadFloat(path, kOffsetY, 0.5)));
    const qint32 ref = file.ReadInteger(path, kRefIndex, -1);
    FRefIndex = ref < 0 ? -1 : ref;
    FBorderWidth = ReadSaneFloat(file, path, kBorderWidth, 0, 0, kMaxCoordinate);
    FBorderColor = TColor(file.ReadInteger(path, kBorderColor, 0)) & 0xFFFFFF;
    RegionTyp = ReadSmallInt(file, path, kRegionTyp, 0, 2);
}

void TFBPictureElement::WriteEmbeddedRecord(TCustomDataFile& file, const QString& path) const
{
    TFBElement::WriteEmbeddedRecord(file, path);
    file.WriteBool(path, kCanZoomAndTrack, CanZoomAndTrack);
    file.WriteFloat(path, kZoom, FZoom);
    file.WriteFloat(path, kOffsetX, FOffsetX);
    file.WriteFloat(path, kOffsetY, FOffsetY);
    file.WriteInteger(path, kRefIndex, FRefIndex);
    file.WriteFloat(path, kBorderWidth, FBorderWidth);
    file.WriteInteger(path, kBorderColor, qint32(FBorderColor));
    file.WriteInteger(path, kRegionTyp, RegionTyp);
    if (HasPicture())
        if (TBildmanager* store = Store())
            store->WriteEmbeddedRecord(file, path, FRefIndex);
}

void TFBPictureElement::ReadEmbeddedRecord(TCustomDataFile& file, const QString& path)
{
    SetRefIndex(-1);
    CanZoomAndTrack = file.ReadBool(path, kCanZoomAndTrack, true);
    FZoom = ClampZoom(float(file.ReadFloat(path, kZoom, 1)));
    FOffsetX = ClampOffset(float(file.ReadFloat(path, kOffsetX, 0.5)));
    FOffsetY = ClampOffset(float(file.ReadFloat(path, kOffsetY, 0.5)));
    if (TBildmanager* store = Store(); store && HasEmbeddedPicture(file, path))
        FRefIndex = store->AddFromEmbeddedRecord(file, path);
    FBorderWidth = ReadSaneFloat(file, path, kBorderWidth, 0, 0, kMaxCoordinate);
    FBorderColor = TColor(file.ReadInteger(path, kBorderColor, 0)) & 0xFFFFFF;
    RegionTyp = ReadSmallInt(file, path, kRegionTyp, 0, 2);
    Sync();
}

// ---------------------------------------------------------------------------
// TFBSizeableElement

int TFBSizeableElement::IndexInList() const
{
    return Page ? Page->Elementlist.IndexOf(this) : -1;
}

void TFBSizeableElement::WriteEmbeddedRecord(TCustomDataFile& file, const QString& path) const
{
    TFBElement::WriteEmbeddedRecord(file, path);
    WriteGeometry(file, path);
    file.WriteBool(path, kIsLeftPage, Page && Page->IsLeftPage());
}

void TFBSizeableElement::ReadEmbeddedRecord(TCustomDataFile& file, const QString& path)
{
    ReadGeometry(file, path);
}

// ---------------------------------------------------------------------------
// TFBTextElement

TFBTextElement::TFBTextElement(TFBPage* page)
    : TFBSizeableElement(page)
{
}

TFBTextElement::~TFBTextElement() = default;

void TFBTextElement::SetRTF(const QString& rtf)
{
    FRTF = rtf;
    ShadowDirty = true;
}

void TFBTextElement::SetHasShadow(bool value)
{
    FHasShadow = value;
    if (!value) {
        FShadow.reset();
        return;
    }
    if (!FShadow)
        FShadow = std::make_unique<TShadowBitmap>();
    ShadowDirty = true;
}

void TFBTextElement::SetHorzAlign(std::uint8_t value)
{
    FHorzAlign = value;
    ShadowDirty = true;
}

void TFBTextElement::SetVertAlign(std::uint8_t value)
{
    FVertAlign = value;
    ShadowDirty = true;
}

void TFBTextElement::WriteTextKeys(TCustomDataFile& file, const QString& path) const
{
    file.WriteString(path, kRTF, FRTF);
    file.WriteBool(path, kHasShadow, FHasShadow);
    file.WriteInteger(path, kHorzAlign, FHorzAlign);
    file.WriteInteger(path, kVertAlign, FVertAlign);
}

void TFBTextElement::ReadTextKeys(TCustomDataFile& file, const QString& path)
{
    SetRTF(file.ReadString(path, kRTF, QString()));
    SetHasShadow(file.ReadBool(path, kHasShadow, false));
    SetHorzAlign(ReadSmallInt(file, path, kHorzAlign, 0, 3));
    SetVertAlign(ReadSmallInt(file, path, kVertAlign, 0, 2));
}

void TFBTextElement::SaveToDataFile(TCustomDataFile& file, const QString& path) const
{
    TFBSizeableElement::SaveToDataFile(file, path);
    WriteTextKeys(file, path);
}

void TFBTextElement::LoadFromDataFile(TCustomDataFile& file, const QString& path)
{
    TFBSizeableElement::LoadFromDataFile(file, path);
    ReadTextKeys(file, path);
}

void TFBTextElement::WriteEmbeddedRecord(TCustomDataFile& file, const QString& path) const
{
    TFBSizeableElement::WriteEmbeddedRecord(file, path);
    WriteTextKeys(file, path);
}

void TFBTextElement::ReadEmbeddedRecord(TCustomDataFile& file, const QString& path)
{
    TFBSizeableElement::ReadEmbeddedRecord(file, path);
    ReadTextKeys(file, path);
}

// ---------------------------------------------------------------------------
// TFBClipartElement

TFBClipartElement::~TFBClipartElement()
{
    if (FRefIndex != -1)
        if (TBildmanager* store = Store())
            store->DecRefCount(FRefIndex);
}

void TFBClipartElement::SetRefIndex(int index)
{
    if (TBildmanager* store = Store()) {
        store->IncRefCount(index);
        store->DecRefCount(FRefIndex);
    }
    FRefIndex = index;
}

void TFBClipartElement::LoadFromFile(const QString& fileName)
{
    SetRefIndex(-1);
    TBildmanager* store = Store();
    if (!store)
        return;
    FRefIndex = store->AddFile(fileName);
    const TBildManagerListItem* item = store->Find(FRefIndex);
    if (!item || item->PicWidth <= 0 || item->PicHeight <= 0)
        return;
    const TFBDocument* doc = Document();
    const double naturalW = item->PicWidth / 300.0 * 25.4;
    const double naturalH = item->PicHeight / 300.0 * 25.4;
    double w = doc->PageWidth / 2.0;
    double h = naturalH * w / naturalW;
    if (h > doc->PageHeight / 2.0) {
        h = doc->PageHeight / 2.0;
        w = naturalW * h / naturalH;
    }
    Width = float(w);
    Height = float(h);
}

bool TFBClipartElement::HitTest(float x, float y) const
{
    if (!TFBElement::HitTest(x, y))
        return false;
    TBildmanager* store = Store();
    if (!store || FRefIndex == -1)
        return true;
    const QImage img = store->GetBitmap(FRefIndex);
    if (img.isNull() || img.format() != QImage::Format_ARGB32)
        return true;
    const double w = Width, h = Height;
    if (!std::isfinite(w) || !std::isfinite(h) || w <= 0 || h <= 0)
        return true;
    // A point on the right or bottom border samples the last column or row.
    const int px = std::clamp(RoundHalfEven(img.width() * (x + w / 2) / w), 0, img.width() - 1);
    const int py = std::clamp(RoundHalfEven(img.height() * (y + h / 2) / h), 0, img.height() - 1);
    return qAlpha(img.pixel(px, py)) > 128;
}

void TFBClipartElement::SaveToDataFile(TCustomDataFile& file, const QString& path) const
{
    TFBSizeableElement::SaveToDataFile(file, path);
    file.WriteInteger(path, kRefIndex, FRefIndex);
}

void TFBClipartElement::LoadFromDataFile(TCustomDataFile& file, const QString& path)
{
    TFBSizeableElement::LoadFromDataFile(file, path);
    const qint32 ref = file.ReadInteger(path, kRefIndex, -1);
    FRefIndex = ref < 0 ? -1 : ref;
}

void TFBClipartElement::WriteEmbeddedRecord(TCustomDataFile& file, const QString& path) const
{
    TFBSizeableElement::WriteEmbeddedRecord(file, path);
    if (FRefIndex != -1)
        if (TBildmanager* store = Store())
            store->WriteEmbeddedRecord(file, path, FRefIndex);
}

void TFBClipartElement::ReadEmbeddedRecord(TCustomDataFile& file, const QString& path)
{
    TFBSizeableElement::ReadEmbeddedRecord(file, path);
    SetRefIndex(-1);
    if (TBildmanager* store = Store(); store && HasEmbeddedPicture(file, path))
        FRefIndex = store->AddFromEmbeddedRecord(file, path);
}

// ---------------------------------------------------------------------------
// TFBKalenderElement

TFBKalenderElement::TFBKalenderElement(TFBPage* page)
    : TFBElement(page)
    , FKalenderData(std::make_unique<TKalenderData>())
{
}

TFBKalenderElement::~TFBKalenderElement() = default;

int TFBKalenderElement::IndexInList() const
{
    return Page ? Page->Kalenderlist.IndexOf(this) : -1;
}

void TFBKalenderElement::Draw(TDrawContext& context, bool)
{
    const TFBDocument* doc = Document();
    FPainter = CreateKalenderPainter(*FKalenderData, doc ? &doc->Geburtstage : nullptr,
                                     doc ? &doc->Feiertage : nullptr);
    FPainter->Paint(context, Left(), Top(), Width, Height);
}

void TFBKalenderElement::SaveToDataFile(TCustomDataFile& file, const QString& path) const
{
    TFBElement::SaveToDataFile(file, path);
    FKalenderData->WriteToFile(file, path + kKalenderData);
}

void TFBKalenderElement::LoadFromDataFile(TCustomDataFile& file, const QString& path)
{
    TFBElement::LoadFromDataFile(file, path);
    FKalenderData->ReadFromFile(file, path + kKalenderData);
}

void TFBKalenderElement::WriteEmbeddedRecord(TCustomDataFile& file, const QString& path) const
{
    TFBElement::WriteEmbeddedRecord(file, path);
    FKalenderData->WriteToFile(file, path + kKalenderData);
}

void TFBKalenderElement::ReadEmbeddedRecord(TCustomDataFile& file, const QString& path)
{
    FKalenderData->ReadFromFile(file, path + kKalenderData);
}

// ---------------------------------------------------------------------------
// Factory

std::unique_ptr<TFBElement> CreateElement(const QString& className, TFBPage* page)
{
    if (className == QLatin1String("TFBElement"))
        return std::make_unique<TFBElement>(page);
    if (className == QLatin1String("TFBPictureElement"))
        return std::make_unique<TFBPictureElement>(page);
    if (className == QLatin1String("TFBSizeableElement"))
        return std::make_unique<TFBSizeableElement>(page);
    if (className == QLatin1String("TFBKalenderElement"))
        return std::make_unique<TFBKalenderElement>(page);
    if (className == QLatin1String("TFBTextElement"))
        return std::make_unique<TFBTextElement>(page);
    if (className == QLatin1String("TFBClipartElement"))
        return std::make_unique<TFBClipartElement>(page);
    return nullptr;
}

// ---------------------------------------------------------------------------
// TFBPictureLink

TFBPictureLink::TFBPictureLink(TFBDocument* document)
    : Document(document)
{
}

TFBPictureLink::~TFBPictureLink()
{
    UnlinkAll();
}

void TFBPictureLink::Add(TFBPictureElement* frame)
{
    if (!frame || frame->Link)
        return;
    List.push_back(frame);
    frame->Link = this;
}

void TFBPictureLink::UnlinkAll()
{
    for (TFBPictureElement* member : List)
        if (member->Link == this)
            member->Link = nullptr;
    List.clear();
}

void TFBPictureLink::Sync(TFBPictureElement* frame)
{
    for (TFBPictureElement* member : List) {
        if (member == frame)
            continue;
        // Direct assignments: a member's setters would sync back.
        member->SetRefIndex(frame->FRefIndex);
        member->FOffsetX = frame->FOffsetX;
        member->FOffsetY = frame->FOffsetY;
        member->FZoom = frame->FZoom;
        member->CanZoomAndTrack = frame->CanZoomAndTrack;
        member->FBorderWidth = frame->FBorderWidth;
        member->FBorderColor = frame->FBorderColor;
    }
}

TRectF TFBPictureLink::GetUnionRect(const TFBPictureElement* frame) const
{
    TRectF u = frame->Rect();
    const TFBDocument* doc = frame->Document();
    const bool leftPage = frame->Page && frame->Page->IsLeftPage();
    for (const TFBPictureElement* member : List) {
        TRectF r = member->Rect();
        if (member->Page != frame->Page && doc) {
            const float shift = doc->PageWidth + doc->Stegbreite;
            r = OffsetRectF(r, leftPage ? shift : -shift, 0);
        }
        u = UnionRectF(u, r);
    }
    if (!std::isfinite(u.Left) || !std::isfinite(u.Top) || !std::isfinite(u.Right) || !std::isfinite(u.Bottom))
        return TRectF();
    return u;
}
