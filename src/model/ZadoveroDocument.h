#pragma once

// The one project in memory: the document with its print and layout
// settings, its pages, the elements on each page and the picture links.
// Every editing, drawing, printing, storing and undo path works on these
// classes.

#include "app/Colors.h"
#include "calendar/KalenderBesondereTage.h"
#include "model/OwningList.h"
#include "render/Transformation.h"

#include <QString>

#include <cstdint>
#include <array>
#include <memory>
#include <vector>

class TBildmanager;
class TCustomDataFile;
class TDrawContext;
class TKalenderData;
class TKalenderPainter;
class TLocalizer;
class TShadowBitmap;
class QImage;

class TFBDocument;
class TFBPage;
class TFBElement;
class TFBPictureElement;
class TFBPictureLink;

// The page-format families whose templates a document offers.
enum TFBLayoutTyp : int {
    ltPhotoBook86,
    ltPhotoBook85,
    ltPhotoBook46,
    ltPhotoBooklet43,
    ltSingles10x15,
    ltPhotoBook88,
    ltPhotoBook85Randlos,
    ltDINA4,
    ltDINA4Randlos,
    ltSingles13x18,
    ltPhotoBookGravo,
    ltPhotoBookGravoRandlos,
    ltPhotobook10x15A,
    ltPhotobook10x15B,
    ltKalenderA4,
    ltKalenderA5,
    ltKalenderA6,
};
constexpr int LayoutTypCount = 17;
// A set of TFBLayoutTyp, bit n for member n.
using TFBLayoutTypen = std::uint32_t;
constexpr TFBLayoutTypen AllLayoutTypen = (1u << LayoutTypCount) - 1;
constexpr TFBLayoutTypen LayoutTypBit(TFBLayoutTyp t) { return 1u << int(t); }

// "[ltDINA4,ltDINA4Randlos]": member names in member order, no blanks; "[]"
// for the empty set.
QString LayoutTypenToString(TFBLayoutTypen set);
// Reads names (case-insensitively) from a set text, skipping blanks,
// control characters, brackets and commas. Parsing stops at the first
// unknown name or character; the members found before it are kept. False
// when it stopped early.
bool LayoutTypenFromString(const QString& text, TFBLayoutTypen& set);
QString LayoutTypName(int member);

// The layout styles 0..14 ("None" .. "Deckblatt") and their list tints.
constexpr int LayoutStilCount = 15;
QString LayoutStilName(int stil);
TColor LayoutStilColor(int stil);
// The products 1..17 ("Miravel" .. "KalenderA6"); "" for 0 and others.
constexpr int PrintSettingCount = 18;
QString PrintSettingName(int setting);

// The element kinds of TFBPage::ElementAt.
enum : unsigned { ekPicture = 1, ekFree = 2, ekKalender = 4, ekAll = 7 };

class TFBElementList : public TOwningList<TFBElement> {};
class TFBPageList : public TOwningList<TFBPage> {};

class TFBPage {
public:
    explicit TFBPage(TFBDocument* document);
    ~TFBPage();
    TFBPage(const TFBPage&) = delete;
    TFBPage& operator=(const TFBPage&) = delete;

    TFBElementList Piclist;     // picture frames
    TFBElementList Elementlist; // free elements (text, clip-art)
    std::uint8_t Seitenausrichtung = 0; // non-zero: landscape
    TFBElementList Kalenderlist;
    TColor Seitenfarbe = 0xFFFFFF; // white: no background colour
    std::uint8_t CustomLayoutStil = 0; // 0: the document's LayoutStil
    TFBDocument* Document = nullptr;

    // Empties the page, then gives it empty frames and default calendars at
    // the places of source's frames and calendars (free elements are not
    // copied). None: the page is just emptied.
    void CopyLayoutFrom(const TFBPage* source);
    // The topmost element of the requested kinds (ek* bits) under the point
    // (page coordinates): free elements, calendars, frames, each from the
    // last to the first.
    TFBElement* ElementAt(float x, float y, unsigned kinds) const;
    bool IsLeftPage() const;
    int PageIndex() const;
    int SpreadIndex() const;
    // Any free element or calendar, or a frame holding a picture.
    bool HasContent() const;
};

class TFBElement {
public:
    explicit TFBElement(TFBPage* page);
    virtual ~TFBElement();
    TFBElement(const TFBElement&) = delete;
    TFBElement& operator=(const TFBElement&) = delete;

    TFBPage* Page = nullptr;
    float CenterX = 0;
    float CenterY = 0;
    float Width = 0;
    float Height = 0;
    float Angle = 0;

    virtual QString ClassName() const { return QStringLiteral("TFBElement"); }
    // Drawing of frames, text and clip-art comes with the page drawer.
    virtual void Draw(TDrawContext& context, bool quality);
    virtual void SaveToDataFile(TCustomDataFile& file, const QString& path) const;
    // Picture references read here are not counted: the picture store's
    // section carries the counts (see TFBDocument::LoadFromFile).
    virtual void LoadFromDataFile(TCustomDataFile& file, const QString& path);
    // The self-contained record of the clipboard, carrying the picture.
    virtual void WriteEmbeddedRecord(TCustomDataFile& file, const QString& path) const;
    virtual void ReadEmbeddedRecord(TCustomDataFile& file, const QString& path);
    virtual int IndexInList() const { return -1; }
    virtual bool PrintsViaBitmap() const { return false; }
    // x, y in the element's own frame (origin at the centre, unrotated).
    virtual bool HitTest(float x, float y) const;

    float Left() const { return CenterX - Width / 2; }
    float Right() const { return CenterX + Width / 2; }
    float Top() const { return CenterY - Height / 2; }
    float Bottom() const { return CenterY + Height / 2; }
    TRectF Rect() const { return RectF(Left(), Top(), Right(), Bottom()); }
    TFBDocument* Document() const;
    // The axis-parallel box around the turned element.
    void GetRotatedSize(float& w, float& h) const;

protected:
    // The document's picture store; none for an element without a page.
    TBildmanager* Store() const;
    void WriteGeometry(TCustomDataFile& file, const QString& path) const;
    void ReadGeometry(TCustomDataFile& file, const QString& path);
};

class TFBPictureElement : public TFBElement {
public:
    explicit TFBPictureElement(TFBPage* page);
    // Dissolves the link, then releases the picture.
    ~TFBPictureElement() override;

    QString ClassName() const override { return QStringLiteral("TFBPictureElement"); }
    void SaveToDataFile(TCustomDataFile& file, const QString& path) const override;
    void LoadFromDataFile(TCustomDataFile& file, const QString& path) override;
    void WriteEmbeddedRecord(TCustomDataFile& file, const QString& path) const override;
    void ReadEmbeddedRecord(TCustomDataFile& file, const QString& path) override;
    int IndexInList() const override;
    bool PrintsViaBitmap() const override { return true; }
    bool HitTest(float x, float y) const override;
    // Shadow, picture and border (render/DocDrawer.cpp); quality set: from
    // the thumbnail.
    void Draw(TDrawContext& context, bool quality) override;

    bool CanZoomAndTrack = false;
    TFBPictureLink* Link = nullptr; // not owned
    std::uint8_t RegionTyp = 0;     // 0 rectangle, 1 ellipse, 2 heart

    float BorderWidth() const { return FBorderWidth; }
    TColor BorderColor() const { return FBorderColor; }
    float Zoom() const { return FZoom; }
    float OffsetX() const { return FOffsetX; }
    float OffsetY() const { return FOffsetY; }
    int RefIndex() const { return FRefIndex; }

    // Each stores the value (clamped) and brings the link's other frames
    // along.
    void SetZoom(float z);
    void SetOffsetX(float x);
    void SetOffsetY(float y);
    void SetBorderWidth(float w);
    void SetBorderColor(TColor c);
    // Takes a reference to the new index before releasing the old one, so
    // assigning the same index never frees the picture.
    void SetRefIndex(int index);

    // Raises what the picture store raises; the frame is then empty.
    void LoadPicture(const QString& fileName);
    void SetSolidColor(TColor color);
    void ClearPicture();
    bool HasPicture() const { return FRefIndex != -1; }
    QImage GetPicture() const;
    void SwapPicture(TFBPictureElement& other);
    void CopyPictureFrom(const TFBPictureElement& other);
    // 0 a quarter turn clockwise, 1 half, 2 a quarter counter-clockwise.
    void RotatePicture(int direction);
    int GetScreenAngle() const;
    // The part of the picture that the frame shows, in pixels of the full
    // bitmap (source 0) or of the store's preview (source 1); empty when
    // there is nothing to show.
    TRect SourceRect(int source) const;
    int GetResolution() const;
    TFBPictureElement* NextPictureElement() const;
    void Sync();

private:
    friend class TFBPictureLink;
    friend class TFBDocument;
    float FBorderWidth = 0;
    TColor FBorderColor = 0;
    float FZoom = 1;
    float FOffsetY = 0.5f;
    float FOffsetX = 0.5f;
    int FRefIndex = -1;
};

// The freely placed elements.
class TFBSizeableElement : public TFBElement {
public:
    using TFBElement::TFBElement;
    QString ClassName() const override { return QStringLiteral("TFBSizeableElement"); }
    void WriteEmbeddedRecord(TCustomDataFile& file, const QString& path) const override;
    void ReadEmbeddedRecord(TCustomDataFile& file, const QString& path) override;
    int IndexInList() const override;
};

class TFBTextElement : public TFBSizeableElement {
public:
    explicit TFBTextElement(TFBPage* page);
    ~TFBTextElement() override;

    QString ClassName() const override { return QStringLiteral("TFBTextElement"); }
    void SaveToDataFile(TCustomDataFile& file, const QString& path) const override;
    void LoadFromDataFile(TCustomDataFile& file, const QString& path) override;
    void WriteEmbeddedRecord(TCustomDataFile& file, const QString& path) const override;
    void ReadEmbeddedRecord(TCustomDataFile& file, const QString& path) override;
    bool PrintsViaBitmap() const override { return FHasShadow; }
    // The cached shadow, then the text (render/DocDrawer.cpp).
    void Draw(TDrawContext& context, bool quality) override;

    float ShadowWidth = 0;
    float ShadowHeight = 0;
    bool ShadowDirty = true;
    float ShadowBitmapWidth = 0;
    float ShadowBitmapHeight = 0;

    // The text in rich text format, kept verbatim (a text that does not
    // parse is saved back as it was read).
    const QString& RTF() const { return FRTF; }
    void SetRTF(const QString& rtf);
    bool HasShadow() const { return FHasShadow; }
    // Off frees the shadow picture; on creates it when missing.
    void SetHasShadow(bool value);
    TShadowBitmap* ShadowBitmap() const { return FShadow.get(); }
    std::uint8_t HorzAlign() const { return FHorzAlign; }
    std::uint8_t VertAlign() const { return FVertAlign; }
    void SetHorzAlign(std::uint8_t value);
    void SetVertAlign(std::uint8_t value);

private:
    void ReadTextKeys(TCustomDataFile& file, const QString& path);
    void WriteTextKeys(TCustomDataFile& file, const QString& path) const;

    QString FRTF;
    std::unique_ptr<TShadowBitmap> FShadow;
    bool FHasShadow = false;
    std::uint8_t FHorzAlign = 0;
    std::uint8_t FVertAlign = 0;
};

class TFBClipartElement : public TFBSizeableElement {
public:
    using TFBSizeableElement::TFBSizeableElement;
    ~TFBClipartElement() override;

    QString ClassName() const override { return QStringLiteral("TFBClipartElement"); }
    // Always from the full bitmap (render/DocDrawer.cpp).
    void Draw(TDrawContext& context, bool quality) override;
    void SaveToDataFile(TCustomDataFile& file, const QString& path) const override;
    void LoadFromDataFile(TCustomDataFile& file, const QString& path) override;
    void WriteEmbeddedRecord(TCustomDataFile& file, const QString& path) const override;
    void ReadEmbeddedRecord(TCustomDataFile& file, const QString& path) override;
    bool PrintsViaBitmap() const override { return true; }
    // The rectangle; where the picture has straight alpha, only where it is
    // more than half opaque.
    bool HitTest(float x, float y) const override;

    int RefIndex() const { return FRefIndex; }
    void SetRefIndex(int index);
    // Adds the file to the store and sizes the element to half the page
    // width (or half its height for tall pictures), keeping the aspect.
    void LoadFromFile(const QString& fileName);

private:
    friend class TFBDocument;
    int FRefIndex = -1;
};

class TFBKalenderElement : public TFBElement {
public:
    explicit TFBKalenderElement(TFBPage* page);
    ~TFBKalenderElement() override;

    QString ClassName() const override { return QStringLiteral("TFBKalenderElement"); }
    // Paints the month with the painter of the settings' layout type.
    void Draw(TDrawContext& context, bool quality) override;
    void SaveToDataFile(TCustomDataFile& file, const QString& path) const override;
    void LoadFromDataFile(TCustomDataFile& file, const QString& path) override;
    void WriteEmbeddedRecord(TCustomDataFile& file, const QString& path) const override;
    void ReadEmbeddedRecord(TCustomDataFile& file, const QString& path) override;
    int IndexInList() const override;

    TKalenderData& KalenderData() const { return *FKalenderData; }

private:
    std::unique_ptr<TKalenderData> FKalenderData;
    std::unique_ptr<TKalenderPainter> FPainter;
};

// The class named exactly by className, created on page; none for any other
// name.
std::unique_ptr<TFBElement> CreateElement(const QString& className, TFBPage* page);

// Frames that show one picture together, each its share of the union of
// their rectangles.
class TFBPictureLink {
public:
    explicit TFBPictureLink(TFBDocument* document);
    // Members no longer point here afterwards.
    ~TFBPictureLink();
    TFBPictureLink(const TFBPictureLink&) = delete;
    TFBPictureLink& operator=(const TFBPictureLink&) = delete;

    std::vector<TFBPictureElement*> List; // not owned
    TFBDocument* Document = nullptr;

    // Ignores a frame that is already a member or is in another link.
    void Add(TFBPictureElement* frame);
    void UnlinkAll();
    // Copies the picture and its placement from frame to the other members.
    void Sync(TFBPictureElement* frame);
    // The members' rectangles around frame, those on the other page of the
    // spread shifted beside frame's page; empty when a size is not finite.
    TRectF GetUnionRect(const TFBPictureElement* frame) const;
};

class TFBDocument {
public:
    // Without a store the document makes and owns its own.
    explicit TFBDocument(TBildmanager* store = nullptr);
    ~TFBDocument();
    TFBDocument(const TFBDocument&) = delete;
    TFBDocument& operator=(const TFBDocument&) = delete;

    TFBPageList Pages;
    std::uint8_t ScreenMode = 0;
    std::uint8_t DocType = 0;
    bool PictureShadowsAllowed = true;
    bool Modified = false;
    QString PrintPaperName;
    QString PrintPaperType;
    std::vector<std::unique_ptr<TFBPictureLink>> PictureLinks;
    TKalenderTageListe Feiertage;
    TKalenderTageListe Geburtstage;
    float PageWidth = 210;
    float PageHeight = 297;
    float Stegbreite = 2;
    float Umschlagbreite = 4;
    std::int32_t PrintPaperSize = 9;
    float PrintPaperWidth = 210;
    float PrintPaperHeight = 297;
    std::uint8_t PrintSetting = 0;
    QString Dokumentname;
    bool PicturesHaveShadows = true;
    bool PrintBorderless = false;
    std::int32_t DocVersion = CurrentDocVersion;
    QString FileName;
    TFBLayoutTypen Layouttypen = AllLayoutTypen;
    QString LayoutSubTyp;
    std::uint8_t LayoutStil = 0;
    float ScreenQuerformatWinkel = 90;
    bool NurEinLayoutStil = false;

    static constexpr std::int32_t CurrentDocVersion = 5;

    TBildmanager& Bildmanager() const { return *FStore; }

    // Empties links, pages, the picture store and the special days, and
    // sets every field to its default.
    void Clear();

    // Writes the whole document into an empty container. Modified stays as
    // it is: a container on disk is only complete after its Commit().
    void SaveToFile(TCustomDataFile& file) const;
    // Clears the document and reads it back. When reading fails part-way
    // the document is cleared again (no file name) before the error goes
    // on, so a half-read project can never be saved over the user's file.
    void LoadFromFile(TCustomDataFile& file);
    // Saving crash-safe: the new file is written beside the old one and
    // replaces it only when complete; then FileName is set and Modified
    // cleared.
    void SaveToFile(const QString& fileName);
    void LoadFromFile(const QString& fileName);

    // Spread arithmetic of the screen mode (indices may be out of range).
    int LeftPageIndex(int spread) const;
    int RightPageIndex(int spread) const;
    TFBPage* LeftPage(int spread) const;
    TFBPage* RightPage(int spread) const;
    int SpreadCount() const;
    int SpreadOfPage(int pageIndex) const;
    int IndexOfPage(const TFBPage* page) const;
    void GetDisplaySize(float& width, float& height) const;
    // Moves the transformation to the page's place within its spread.
    void PageOrigin(TTransformation& transformation, const TFBPage* page) const;
    QString GetSpreadName(int spread) const;
    std::uint8_t GetSpreadOrientation(int spread) const;
    void SetSpreadOrientation(int spread, std::uint8_t value);
    bool CanDeleteSpread(int spread) const;
    bool CanInsertSpread(int spread) const;
    // New page(s) at spread position at with the frame and calendar layout
    // and the orientation of spread source. Nothing happens when at is not
    // a place where a spread can stand or source is not a spread.
    void InsertSpread(int at, int source);
    void DeleteSpread(int spread);
    // In modes 1 and 2 both spreads must have both pages; otherwise
    // nothing happens.
    void MoveSpread(int from, int to);
    void MoveElementToPage(TFBElement* element, TFBPage* page);
    TFBPictureLink* AddPictureLink();
    // Unlinks the members and frees the link.
    void DeletePictureLink(TFBPictureLink* link);
    int LastUsedPageIndex() const;
    bool IsKalender() const;
    void SetShadows(bool value);
    QString PrintPaperNameText() const;
    QString PrintPaperTypeText() const;
    void CalendarStart(int& month, int& year) const;
    void SetCalendarStart(int year, int month);
    void ApplyToAllCalendars(const TKalenderData& data);

private:
    void ReadDocument(TCustomDataFile& file);
    void UpgradeVersion();
    // After reading: references to unknown pictures are dropped and every
    // picture's count is raised to the number of elements that hold it.
    void RepairRefCounts();

    std::unique_ptr<TBildmanager> FOwnStore;
    TBildmanager* FStore = nullptr;
};

// The German texts of the document's messages, under section "TFBDocument".
void RegisterDocumentTexts(TLocalizer& localizer);

// The three element lists of a page (0 pictures, 1 calendars, 2 the rest) in
// the order the project file writes them, with the path parts it names them
// by; undo records use the same layout.
struct TPageListPath {
    const char* List;
    const char* Item;
};
extern const std::array<TPageListPath, 3> PageListPaths;
TFBElementList& PageElementList(TFBPage& page, int which);
// Whether an element belongs in list `which`.
bool ElementFitsPageList(const TFBElement& element, int which);
