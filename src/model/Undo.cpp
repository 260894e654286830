#include "model/Undo.h"

#include "app/Services.h"

#include "model/BildManager.h"
#include "model/ZadoveroDocument.h"
#include "storage/DataFile.h"

#include <algorithm>

namespace {

const QString kRoot;
const QString kUIState = QStringLiteral("UIState");
const QString kPageIndex = QStringLiteral("PageIndex");
const QString kPicIndex = QStringLiteral("PicIndex");
const QString kElemIndex = QStringLiteral("ElemIndex");
const QString kKalIndex = QStringLiteral("KalIndex");
const QString kAnzahl = QStringLiteral("Anzahl");
const QString kPicElement = QStringLiteral("PicElement");
const QString kBild = QStringLiteral("Bild");
const QString kElement = QStringLiteral("Element");
// The clip-art's picture beside its element record, so a restored clip-art
// never points at a freed or reissued store index.
const QString kElementBild = QStringLiteral("ElementBild");
const QString kViewIndex = QStringLiteral("ViewIndex");
const QString kPictureLinkCount = QStringLiteral("PictureLinkCount");
const QString kClassname = QStringLiteral("Classname");
// The reader's default that marks a missing class name.
const QString kNoClass = QStringLiteral("##gg##");
constexpr int kNoViewIndex = -99;

struct TPageSide {
    const char* Has;
    const char* Page;
    const char* Pics;
    const char* Cliparts;
};
const TPageSide kLeftSide{"HasLeftPage", "Left", "LeftPics", "LeftClipPics"};
const TPageSide kRightSide{"HasRightPage", "Right", "RightPics", "RightClipPics"};

TFBPage* PageAt(const TFBDocument& doc, int index)
{
    return index >= 0 && index < doc.Pages.Count() ? doc.Pages.Items(index) : nullptr;
}

TFBElement* ItemAt(const TFBElementList& list, int index)
{
    return index >= 0 && index < list.Count() ? list.Items(index) : nullptr;
}

TFBPictureElement* FrameAt(const TFBDocument& doc, int pageIndex, int picIndex)
{
    const TFBPage* page = PageAt(doc, pageIndex);
    return page ? static_cast<TFBPictureElement*>(ItemAt(page->Piclist, picIndex)) : nullptr;
}

int PageIndexOf(const TFBElement& element)
{
    const TFBDocument* doc = element.Document();
    return doc ? doc->IndexOfPage(element.Page) : -1;
}

bool HasRecord(TCustomDataFile& file, const QString& path)
{
    TDataFileEntry entry;
    return file.FindEntry(path, TCustomDataFile::TestKey, entry);
}

// Element records carry store indices that were never counted for this
// element; this puts target in place of the current index without
// changing any count.
template <class T>
void SetRefUncounted(TBildmanager& store, T& element, int target)
{
    const int current = element.RefIndex();
    store.IncRefCount(current);
    element.SetRefIndex(target); // counts target, releases current
    store.DecRefCount(target);
}

// After an element record was read: the uncounted index it brought is
// dropped and the picture saved beside the record is taken instead. The
// store may have freed or reissued the old index since; the saved picture
// is added again (or found, when it is still there) and counted.
template <class T>
void AdoptPicture(TBildmanager& store, T& element, TCustomDataFile& file, const QString& picturePath)
{
    const int read = element.RefIndex();
    SetRefUncounted(store, element, -1);
    if (read == -1 || !HasRecord(file, picturePath))
        return;
    element.SetRefIndex(store.AddFromUndoRecord(file, picturePath));
}

void WritePicture(TCustomDataFile& file, const QString& path, const TFBDocument* doc, int refIndex)
{
    if (doc && refIndex != -1)
        doc->Bildmanager().WriteUndoRecord(file, path, refIndex);
}

// The clip-art's picture, when the element is one that holds a picture.
void WriteElementPicture(TCustomDataFile& file, const QString& path, const TFBElement& element)
{
    if (const auto* clip = dynamic_cast<const TFBClipartElement*>(&element))
        WritePicture(file, path, element.Document(), clip->RefIndex());
}

void AdoptElementPicture(TFBDocument& doc, TFBElement& element, TCustomDataFile& file, const QString& path)
{
    if (auto* clip = dynamic_cast<TFBClipartElement*>(&element))
        AdoptPicture(doc.Bildmanager(), *clip, file, path);
}

QString ItemPath(const QString& path, int i)
{
    return path + QLatin1Char('/') + QString::number(i);
}

void WritePageRecord(TCustomDataFile& file, const TPageSide& side, TFBPage& page)
{
    const QString p = QLatin1String(side.Page);
    file.WriteInteger(p, QStringLiteral("Seitenausrichtung"), page.Seitenausrichtung);
    file.WriteInteger(p, QStringLiteral("Seitenfarbe"), qint32(page.Seitenfarbe));
    file.WriteInteger(p, QStringLiteral("CustomLayoutStil"), page.CustomLayoutStil);
    for (int which = 0; which < 3; ++which) {
        const TFBElementList& list = PageElementList(page, which);
        const QString lp = p + QLatin1String(PageListPaths[std::size_t(which)].List);
        file.WriteInteger(lp, kAnzahl, list.Count());
        for (int j = 0; j < list.Count(); ++j)
            list.Items(j)->SaveToDataFile(file, lp + QLatin1String(PageListPaths[std::size_t(which)].Item) + QString::number(j));
    }
    const TFBDocument* doc = page.Document;
    for (int i = 0; i < page.Piclist.Count(); ++i)
        WritePicture(file, ItemPath(QLatin1String(side.Pics), i), doc,
                     static_cast<TFBPictureElement*>(page.Piclist.Items(i))->RefIndex());
    for (int i = 0; i < page.Elementlist.Count(); ++i)
        WriteElementPicture(file, ItemPath(QLatin1String(side.Cliparts), i), *page.Elementlist.Items(i));
}

// Empties the page and fills it from the record; every picture is adopted
// from the record, none is taken on trust from a stored index.
void ReadPageRecord(TCustomDataFile& file, const TPageSide& side, TFBPage& page)
{
    TFBDocument& doc = *page.Document;
    page.Elementlist.Clear();
    page.Kalenderlist.Clear();
    page.Piclist.Clear();
    const QString p = QLatin1String(side.Page);
    page.Seitenausrichtung = std::uint8_t(file.ReadInteger(p, QStringLiteral("Seitenausrichtung"), 0));
    page.Seitenfarbe = TColor(file.ReadInteger(p, QStringLiteral("Seitenfarbe"), 0xFFFFFF)) & 0xFFFFFF;
    page.CustomLayoutStil = std::uint8_t(
        std::clamp<qint32>(file.ReadInteger(p, QStringLiteral("CustomLayoutStil"), 0), 0, LayoutStilCount - 1));
    for (int which = 0; which < 3; ++which) {
        const QString lp = p + QLatin1String(PageListPaths[std::size_t(which)].List);
        const int n = file.ReadInteger(lp, kAnzahl, 0);
        for (int j = 0; j < n; ++j) {
            const QString ep = lp + QLatin1String(PageListPaths[std::size_t(which)].Item) + QString::number(j);
            if (!HasRecord(file, ep))
                break;
            std::unique_ptr<TFBElement> element = CreateElement(file.ReadString(ep, kClassname, QString()), &page);
            if (!element || !ElementFitsPageList(*element, which))
                continue;
            element->LoadFromDataFile(file, ep);
            // Pictures were saved by the position in the list as written.
            const int at = j;
            TFBElement* added = PageElementList(page, which).Add(std::move(element));
            if (which == 0)
                AdoptPicture(doc.Bildmanager(), *static_cast<TFBPictureElement*>(added), file,
                             ItemPath(QLatin1String(side.Pics), at));
            else if (which == 2)
                AdoptElementPicture(doc, *added, file, ItemPath(QLatin1String(side.Cliparts), at));
        }
    }
}

void WriteView(TUndoItem& item, TFBDocument& doc, int viewIndex)
{
    TCustomDataFile& file = item.Data();
    file.WriteInteger(kRoot, kViewIndex, viewIndex);
    TFBPage* left = doc.LeftPage(viewIndex);
    TFBPage* right = doc.RightPage(viewIndex);
    if (right == left)
        right = nullptr;
    if (left) {
        file.WriteBool(kRoot, QLatin1String(kLeftSide.Has), true);
        WritePageRecord(file, kLeftSide, *left);
    }
    if (right) {
        file.WriteBool(kRoot, QLatin1String(kRightSide.Has), true);
        WritePageRecord(file, kRightSide, *right);
    }
    int n = 0;
    for (const auto& link : doc.PictureLinks) {
        bool touches = false;
        for (const TFBPictureElement* member : link->List)
            touches = touches || (member->Page && (member->Page == left || member->Page == right));
        if (!touches)
            continue;
        const QString lp = QStringLiteral("PicLink") + QString::number(n++);
        file.WriteInteger(lp, kAnzahl, int(link->List.size()));
        for (std::size_t j = 0; j < link->List.size(); ++j) {
            const TFBPictureElement* member = link->List[j];
            const QString mp = lp + QStringLiteral("/Pic") + QString::number(j);
            file.WriteInteger(mp, kPageIndex, doc.IndexOfPage(member->Page));
            file.WriteInteger(mp, kPicIndex, member->IndexInList());
        }
    }
    file.WriteInteger(kRoot, kPictureLinkCount, n);
}

void ReadLinks(TCustomDataFile& file, TFBDocument& doc)
{
    const int n = file.ReadInteger(kRoot, kPictureLinkCount, 0);
    for (int i = 0; i < n; ++i) {
        const QString lp = QStringLiteral("PicLink") + QString::number(i);
        if (!HasRecord(file, lp))
            break;
        TFBPictureLink* link = doc.AddPictureLink();
        const int members = file.ReadInteger(lp, kAnzahl, 0);
        for (int j = 0; j < members; ++j) {
            const QString mp = lp + QStringLiteral("/Pic") + QString::number(j);
            if (!HasRecord(file, mp))
                break;
            TFBPictureElement* frame =
                FrameAt(doc, file.ReadInteger(mp, kPageIndex, -1), file.ReadInteger(mp, kPicIndex, -1));
            if (frame && !frame->Link)
                link->Add(frame);
        }
        // Every member already belongs to a newer link.
        if (link->List.empty())
            doc.DeletePictureLink(link);
    }
}

} // namespace

QString FocusTypeOf(const TFBElement* element)
{
    if (dynamic_cast<const TFBPictureElement*>(element))
        return QStringLiteral("Pic");
    if (dynamic_cast<const TFBKalenderElement*>(element))
        return QStringLiteral("Kalender");
    if (dynamic_cast<const TFBSizeableElement*>(element))
        return QStringLiteral("Sizeable");
    return QString();
}

TUndoUIState UIStateOf(const TFBDocument& document, int viewIndex, const TFBElement* selection)
{
    TUndoUIState state;
    state.ViewIndex = viewIndex;
    if (!selection || !selection->Page)
        return state;
    state.Focustyp = FocusTypeOf(selection);
    state.PageIndex = document.Pages.IndexOf(selection->Page);
    const TFBPage& page = *selection->Page;
    if (state.Focustyp == QLatin1String("Pic"))
        state.ElementIndex = page.Piclist.IndexOf(selection);
    else if (state.Focustyp == QLatin1String("Kalender"))
        state.ElementIndex = page.Kalenderlist.IndexOf(selection);
    else if (state.Focustyp == QLatin1String("Sizeable"))
        state.ElementIndex = page.Elementlist.IndexOf(selection);
    state.HasFocusedElement = state.PageIndex >= 0 && state.ElementIndex >= 0;
    if (!state.HasFocusedElement) {
        state.Focustyp.clear();
        state.PageIndex = state.ElementIndex = -1;
    }
    return state;
}

TFBElement* FindFocusedElement(const TFBDocument& document, const TUndoUIState& state)
{
    if (!state.HasFocusedElement || state.PageIndex < 0 || state.ElementIndex < 0)
        return nullptr;
    const TFBPage* page = PageAt(document, state.PageIndex);
    if (!page)
        return nullptr;
    if (state.Focustyp == QLatin1String("Pic"))
        return ItemAt(page->Piclist, state.ElementIndex);
    if (state.Focustyp == QLatin1String("Kalender"))
        return ItemAt(page->Kalenderlist, state.ElementIndex);
    if (state.Focustyp == QLatin1String("Sizeable"))
        return ItemAt(page->Elementlist, state.ElementIndex);
    return nullptr;
}

// ---------------------------------------------------------------------------
// TUndoItem

TUndoItem::TUndoItem()
    : FStream(&FBytes)
{
    FStream.open(QIODevice::ReadWrite);
    FData = std::make_unique<TMemoryDataFile>(FStream);
}

TUndoItem::~TUndoItem() = default;

TCustomDataFile& TUndoItem::Data()
{
    return *FData;
}

void TUndoItem::Undo(TFBDocument&) {}

void TUndoItem::SaveUIState(const TUndoUIState& state)
{
    TCustomDataFile& file = Data();
    file.WriteInteger(kUIState, kViewIndex, state.ViewIndex);
    if (!state.HasFocusedElement)
        return;
    file.WriteBool(kUIState, QStringLiteral("HasFocusedElement"), true);
    file.WriteString(kUIState, QStringLiteral("Focustyp"), state.Focustyp);
    file.WriteInteger(kUIState, kPageIndex, state.PageIndex);
    file.WriteInteger(kUIState, QStringLiteral("ElementIndex"), state.ElementIndex);
}

bool TUndoItem::ReadUIState(TUndoUIState& state)
{
    TCustomDataFile& file = Data();
    state = TUndoUIState();
    state.ViewIndex = file.ReadInteger(kUIState, kViewIndex, kNoViewIndex);
    if (state.ViewIndex == kNoViewIndex)
        return false;
    state.HasFocusedElement = file.ReadBool(kUIState, QStringLiteral("HasFocusedElement"), false);
    state.Focustyp = file.ReadString(kUIState, QStringLiteral("Focustyp"), QString());
    state.PageIndex = file.ReadInteger(kUIState, kPageIndex, -1);
    state.ElementIndex = file.ReadInteger(kUIState, QStringLiteral("ElementIndex"), -1);
    return true;
}

// ---------------------------------------------------------------------------
// Picture records

TUndoBildEinfuegen::TUndoBildEinfuegen(TFBPictureElement& frame)
{
    TCustomDataFile& file = Data();
    file.WriteInteger(kRoot, kPageIndex, PageIndexOf(frame));
    file.WriteInteger(kRoot, kPicIndex, frame.IndexInList());
    frame.SaveToDataFile(file, kPicElement);
    if (frame.HasPicture())
        WritePicture(file, kBild, frame.Document(), frame.RefIndex());
}

void TUndoBildEinfuegen::Undo(TFBDocument& document)
{
    TCustomDataFile& file = Data();
    TFBPictureElement* frame =
        FrameAt(document, file.ReadInteger(kRoot, kPageIndex, -1), file.ReadInteger(kRoot, kPicIndex, -1));
    if (!frame)
        return;
    frame->ClearPicture();
    frame->LoadFromDataFile(file, kPicElement);
    AdoptPicture(document.Bildmanager(), *frame, file, kBild);
    frame->Sync();
}

TUndoBildRahmen::TUndoBildRahmen(TFBPictureElement& frame)
{
    TCustomDataFile& file = Data();
    file.WriteInteger(kRoot, kPageIndex, PageIndexOf(frame));
    file.WriteInteger(kRoot, kPicIndex, frame.IndexInList());
    file.WriteInteger(kRoot, QStringLiteral("BorderColor"), qint32(frame.BorderColor()));
    file.WriteFloat(kRoot, QStringLiteral("BorderWidth"), frame.BorderWidth());
}

void TUndoBildRahmen::Undo(TFBDocument& document)
{
    TCustomDataFile& file = Data();
    TFBPictureElement* frame =
        FrameAt(document, file.ReadInteger(kRoot, kPageIndex, -1), file.ReadInteger(kRoot, kPicIndex, -1));
    if (!frame)
        return;
    frame->SetBorderColor(
        TColor(file.ReadInteger(kRoot, QStringLiteral("BorderColor"), qint32(frame->BorderColor()))) & 0xFFFFFF);
    frame->SetBorderWidth(float(file.ReadFloat(kRoot, QStringLiteral("BorderWidth"), frame->BorderWidth())));
}

TUndoBildZoomPan::TUndoBildZoomPan(TFBPictureElement& frame)
{
    TCustomDataFile& file = Data();
    file.WriteInteger(kRoot, kPageIndex, PageIndexOf(frame));
    file.WriteInteger(kRoot, kPicIndex, frame.IndexInList());
    file.WriteFloat(kRoot, QStringLiteral("Zoom"), frame.Zoom());
    file.WriteFloat(kRoot, QStringLiteral("OffsetX"), frame.OffsetX());
    file.WriteFloat(kRoot, QStringLiteral("OffsetY"), frame.OffsetY());
}

bool TUndoBildZoomPan::IsFor(const TFBPictureElement& frame)
{
    TCustomDataFile& file = Data();
    return file.ReadInteger(kRoot, kPageIndex, -1) == PageIndexOf(frame)
           && file.ReadInteger(kRoot, kPicIndex, -1) == frame.IndexInList();
}

void TUndoBildZoomPan::Undo(TFBDocument& document)
{
    TCustomDataFile& file = Data();
    TFBPictureElement* frame =
        FrameAt(document, file.ReadInteger(kRoot, kPageIndex, -1), file.ReadInteger(kRoot, kPicIndex, -1));
    if (!frame)
        return;
    frame->SetZoom(float(file.ReadFloat(kRoot, QStringLiteral("Zoom"), 1)));
    frame->SetOffsetX(float(file.ReadFloat(kRoot, QStringLiteral("OffsetX"), 0.5)));
    frame->SetOffsetY(float(file.ReadFloat(kRoot, QStringLiteral("OffsetY"), 0.5)));
}

TUndoBildAustauschen::TUndoBildAustauschen(TFBPictureElement& target, TFBPictureElement& source)
{
    TCustomDataFile& file = Data();
    file.WriteInteger(kRoot, QStringLiteral("SrcPageIndex"), PageIndexOf(target));
    file.WriteInteger(kRoot, QStringLiteral("SrcPicIndex"), target.IndexInList());
    file.WriteInteger(kRoot, QStringLiteral("DestPageIndex"), PageIndexOf(source));
    file.WriteInteger(kRoot, QStringLiteral("DestPicIndex"), source.IndexInList());
}

void TUndoBildAustauschen::Undo(TFBDocument& document)
{
    TCustomDataFile& file = Data();
    TFBPictureElement* a = FrameAt(document, file.ReadInteger(kRoot, QStringLiteral("SrcPageIndex"), -1),
                                   file.ReadInteger(kRoot, QStringLiteral("SrcPicIndex"), -1));
    TFBPictureElement* b = FrameAt(document, file.ReadInteger(kRoot, QStringLiteral("DestPageIndex"), -1),
                                   file.ReadInteger(kRoot, QStringLiteral("DestPicIndex"), -1));
    if (a && b && a != b)
        a->SwapPicture(*b);
}

// ---------------------------------------------------------------------------
// Page records

TUndoSeiteEinfuegen::TUndoSeiteEinfuegen(int viewIndex)
{
    Data().WriteInteger(kRoot, QStringLiteral("NewPageIndex"), viewIndex);
}

void TUndoSeiteEinfuegen::Undo(TFBDocument& document)
{
    const int view = Data().ReadInteger(kRoot, QStringLiteral("NewPageIndex"), -1);
    if (view >= 0 && view < document.SpreadCount())
        document.DeleteSpread(view);
}

TUndoSeiteVerschieben::TUndoSeiteVerschieben(int oldViewIndex, int newViewIndex)
{
    Data().WriteInteger(kRoot, QStringLiteral("SrcIndex"), oldViewIndex);
    Data().WriteInteger(kRoot, QStringLiteral("DestIndex"), newViewIndex);
}

void TUndoSeiteVerschieben::Undo(TFBDocument& document)
{
    // MoveSpread ignores indices that designate no spread.
    document.MoveSpread(Data().ReadInteger(kRoot, QStringLiteral("DestIndex"), -1),
                        Data().ReadInteger(kRoot, QStringLiteral("SrcIndex"), -1));
}

TUndoSeiteLoeschen::TUndoSeiteLoeschen(TFBDocument& document, int viewIndex)
{
    WriteView(*this, document, viewIndex);
}

void TUndoSeiteLoeschen::Undo(TFBDocument& document)
{
    TCustomDataFile& file = Data();
    const int view = file.ReadInteger(kRoot, kViewIndex, -1);
    if (view < 0)
        return;
    const bool hasLeft = file.ReadBool(kRoot, QLatin1String(kLeftSide.Has), false);
    const bool hasRight = file.ReadBool(kRoot, QLatin1String(kRightSide.Has), false);
    const int left = document.LeftPageIndex(view);
    const int right = document.RightPageIndex(view);
    // Both places are checked before anything is inserted.
    const int count = document.Pages.Count();
    if (hasLeft && (left < 0 || left > count))
        return;
    if (hasRight && (right < 0 || right > count + (hasLeft ? 1 : 0)))
        return;
    if (hasLeft) {
        TFBPage* page = document.Pages.Insert(left, std::make_unique<TFBPage>(&document));
        ReadPageRecord(file, kLeftSide, *page);
    }
    if (hasRight) {
        TFBPage* page = document.Pages.Insert(right, std::make_unique<TFBPage>(&document));
        ReadPageRecord(file, kRightSide, *page);
    }
    ReadLinks(file, document);
    document.Modified = true;
}

TUndoLayoutEinfuegen::TUndoLayoutEinfuegen(TFBDocument& document, int viewIndex)
{
    WriteView(*this, document, viewIndex);
}

void TUndoLayoutEinfuegen::Undo(TFBDocument& document)
{
    TCustomDataFile& file = Data();
    const int view = file.ReadInteger(kRoot, kViewIndex, -1);
    if (view < 0)
        return;
    TFBPage* left = document.LeftPage(view);
    TFBPage* right = document.RightPage(view);
    if (right == left)
        right = nullptr;
    if (left && file.ReadBool(kRoot, QLatin1String(kLeftSide.Has), false))
        ReadPageRecord(file, kLeftSide, *left);
    if (right && file.ReadBool(kRoot, QLatin1String(kRightSide.Has), false))
        ReadPageRecord(file, kRightSide, *right);
    ReadLinks(file, document);
    document.Modified = true;
}

TUndoSeitenhintergrund::TUndoSeitenhintergrund(TFBPage& page)
{
    Data().WriteInteger(kRoot, kPageIndex, page.Document ? page.Document->IndexOfPage(&page) : -1);
    Data().WriteInteger(kRoot, QStringLiteral("Color"), qint32(page.Seitenfarbe));
}

void TUndoSeitenhintergrund::Undo(TFBDocument& document)
{
    TFBPage* page = PageAt(document, Data().ReadInteger(kRoot, kPageIndex, -1));
    if (!page)
        return;
    page->Seitenfarbe = TColor(Data().ReadInteger(kRoot, QStringLiteral("Color"), qint32(page->Seitenfarbe))) & 0xFFFFFF;
}

// ---------------------------------------------------------------------------
// Element records

TUndoElementSizePos::TUndoElementSizePos(TFBElement& element)
{
    TCustomDataFile& file = Data();
    file.WriteInteger(kRoot, kPageIndex, PageIndexOf(element));
    file.WriteInteger(kRoot, kElemIndex, element.Page ? element.Page->Elementlist.IndexOf(&element) : -1);
    element.SaveToDataFile(file, kElement);
}

void TUndoElementSizePos::AddDestination(TFBElement& element)
{
    TCustomDataFile& file = Data();
    file.WriteInteger(kRoot, QStringLiteral("DestPageIndex"), PageIndexOf(element));
    file.WriteInteger(kRoot, QStringLiteral("DestElemIndex"),
                      element.Page ? element.Page->Elementlist.IndexOf(&element) : -1);
}

void TUndoElementSizePos::Undo(TFBDocument& document)
{
    TCustomDataFile& file = Data();
    const int s = file.ReadInteger(kRoot, kPageIndex, -1);
    const int e = file.ReadInteger(kRoot, kElemIndex, -1);
    const int d = file.ReadInteger(kRoot, QStringLiteral("DestPageIndex"), -1);
    const int de = file.ReadInteger(kRoot, QStringLiteral("DestElemIndex"), -1);
    TFBPage* home = PageAt(document, s);
    if (!home)
        return;
    // Where the move ended, when that was recorded: even a drag that came
    // back to its page leaves the element at the end of the list.
    const bool moved = d != -1;
    TFBPage* at = moved ? PageAt(document, d) : home;
    TFBElement* element = at ? ItemAt(at->Elementlist, moved ? de : e) : nullptr;
    if (!element)
        return;
    const int places = home->Elementlist.Count() + (at == home ? 0 : 1);
    if (e < 0 || e >= places)
        return;
    if (at != home)
        document.MoveElementToPage(element, home);
    home->Elementlist.Move(home->Elementlist.IndexOf(element), e);
    // The record's picture index is the one the element still holds; a
    // different one must not be taken over uncounted.
    const auto* clip = dynamic_cast<TFBClipartElement*>(element);
    const int ref = clip ? clip->RefIndex() : -1;
    element->LoadFromDataFile(file, kElement);
    if (auto* c = dynamic_cast<TFBClipartElement*>(element); c && c->RefIndex() != ref)
        SetRefUncounted(document.Bildmanager(), *c, ref);
}

TUndoElementEinfuegen::TUndoElementEinfuegen(TFBElement& element)
{
    Data().WriteInteger(kRoot, kPageIndex, PageIndexOf(element));
    Data().WriteInteger(kRoot, kElemIndex, element.Page ? element.Page->Elementlist.IndexOf(&element) : -1);
}

void TUndoElementEinfuegen::Undo(TFBDocument& document)
{
    TFBPage* page = PageAt(document, Data().ReadInteger(kRoot, kPageIndex, -1));
    const int e = Data().ReadInteger(kRoot, kElemIndex, -1);
    if (page && ItemAt(page->Elementlist, e))
        page->Elementlist.Delete(e);
}

TUndoElementLoeschen::TUndoElementLoeschen(TFBElement& element)
{
    TCustomDataFile& file = Data();
    file.WriteInteger(kRoot, kPageIndex, PageIndexOf(element));
    file.WriteInteger(kRoot, kElemIndex, element.Page ? element.Page->Elementlist.IndexOf(&element) : -1);
    element.SaveToDataFile(file, kElement);
    WriteElementPicture(file, kElementBild, element);
}

void TUndoElementLoeschen::Undo(TFBDocument& document)
{
    TCustomDataFile& file = Data();
    TFBPage* page = PageAt(document, file.ReadInteger(kRoot, kPageIndex, -1));
    const int e = file.ReadInteger(kRoot, kElemIndex, -1);
    const QString className = file.ReadString(kElement, kClassname, kNoClass);
    if (!page || className == kNoClass || e < 0 || e > page->Elementlist.Count())
        return;
    std::unique_ptr<TFBElement> element = CreateElement(className, page);
    if (!element || !ElementFitsPageList(*element, 2))
        return;
    element->LoadFromDataFile(file, kElement);
    TFBElement* added = page->Elementlist.Insert(e, std::move(element));
    AdoptElementPicture(document, *added, file, kElementBild);
}

// ---------------------------------------------------------------------------
// Calendar records

TUndoKalenderEigenschaften::TUndoKalenderEigenschaften(TFBKalenderElement& calendar)
{
    TCustomDataFile& file = Data();
    file.WriteInteger(kRoot, kPageIndex, PageIndexOf(calendar));
    file.WriteInteger(kRoot, kKalIndex, calendar.IndexInList());
    calendar.SaveToDataFile(file, QStringLiteral("Kalender"));
}

void TUndoKalenderEigenschaften::Undo(TFBDocument& document)
{
    TCustomDataFile& file = Data();
    const TFBPage* page = PageAt(document, file.ReadInteger(kRoot, kPageIndex, -1));
    if (TFBElement* cal = page ? ItemAt(page->Kalenderlist, file.ReadInteger(kRoot, kKalIndex, -1)) : nullptr)
        cal->LoadFromDataFile(file, QStringLiteral("Kalender"));
}

TUndoKalenderJahrSetzen::TUndoKalenderJahrSetzen(const TFBDocument& document)
{
    int month = 1, year = 0;
    document.CalendarStart(month, year);
    Data().WriteInteger(kRoot, QStringLiteral("Jahr"), year);
    Data().WriteInteger(kRoot, QStringLiteral("Monat"), month);
}

void TUndoKalenderJahrSetzen::Undo(TFBDocument& document)
{
    const int year = Data().ReadInteger(kRoot, QStringLiteral("Jahr"), -1);
    const int month = Data().ReadInteger(kRoot, QStringLiteral("Monat"), -1);
    if (year != -1 && month >= 1 && month <= 12)
        document.SetCalendarStart(year, month);
}

TUndoKalenderEigenschaftenFuerAlle::TUndoKalenderEigenschaftenFuerAlle(const TFBDocument& document)
{
    TCustomDataFile& file = Data();
    int n = 0;
    for (int p = 0; p < document.Pages.Count(); ++p) {
        const TFBPage* page = document.Pages.Items(p);
        for (int k = 0; k < page->Kalenderlist.Count(); ++k) {
            const QString path = QStringLiteral("data") + QString::number(n++);
            file.WriteInteger(path, kPageIndex, p);
            file.WriteInteger(path, kKalIndex, k);
            page->Kalenderlist.Items(k)->SaveToDataFile(file, path);
        }
    }
    file.WriteInteger(kRoot, kAnzahl, n);
}

void TUndoKalenderEigenschaftenFuerAlle::Undo(TFBDocument& document)
{
    TCustomDataFile& file = Data();
    const int n = file.ReadInteger(kRoot, kAnzahl, 0);
    for (int i = 0; i < n; ++i) {
        const QString path = QStringLiteral("data") + QString::number(i);
        if (!HasRecord(file, path))
            break;
        const TFBPage* page = PageAt(document, file.ReadInteger(path, kPageIndex, -1));
        if (TFBElement* cal = page ? ItemAt(page->Kalenderlist, file.ReadInteger(path, kKalIndex, -1)) : nullptr)
            cal->LoadFromDataFile(file, path);
    }
}

// ---------------------------------------------------------------------------
// TUndoManager

TUndoManager::TUndoManager() = default;
TUndoManager::~TUndoManager() = default;

void TUndoManager::Push(std::unique_ptr<TUndoItem> item)
{
    if (FHost)
        item->SaveUIState(FHost->CurrentUIState());
    FStack.push_back(std::move(item));
}

void TUndoManager::AddBildEinfuegen(TFBPictureElement& frame) { Push(std::make_unique<TUndoBildEinfuegen>(frame)); }
void TUndoManager::AddFarbeEinfuegen(TFBPictureElement& frame) { Push(std::make_unique<TUndoFarbeEinfuegen>(frame)); }
void TUndoManager::AddBildLoeschen(TFBPictureElement& frame) { Push(std::make_unique<TUndoBildLoeschen>(frame)); }
void TUndoManager::AddBildDrehen(TFBPictureElement& frame) { Push(std::make_unique<TUndoBildDrehen>(frame)); }
void TUndoManager::AddBildFilter(TFBPictureElement& frame) { Push(std::make_unique<TUndoBildFilter>(frame)); }
void TUndoManager::AddBildRahmen(TFBPictureElement& frame) { Push(std::make_unique<TUndoBildRahmen>(frame)); }

void TUndoManager::AddBildZoomPan(TFBPictureElement& frame, bool merge)
{
    if (merge)
        if (auto* top = dynamic_cast<TUndoBildZoomPan*>(Top()); top && top->IsFor(frame))
            return;
    Push(std::make_unique<TUndoBildZoomPan>(frame));
}

void TUndoManager::AddBildAustauschen(TFBPictureElement& target, TFBPictureElement& source)
{
    Push(std::make_unique<TUndoBildAustauschen>(target, source));
}

void TUndoManager::AddSeiteEinfuegen(int viewIndex) { Push(std::make_unique<TUndoSeiteEinfuegen>(viewIndex)); }

void TUndoManager::AddSeiteVerschieben(int oldViewIndex, int newViewIndex)
{
    Push(std::make_unique<TUndoSeiteVerschieben>(oldViewIndex, newViewIndex));
}

void TUndoManager::AddSeiteLoeschen(TFBDocument& document, int viewIndex)
{
    Push(std::make_unique<TUndoSeiteLoeschen>(document, viewIndex));
}

void TUndoManager::AddLayoutEinfuegen(TFBDocument& document, int viewIndex)
{
    Push(std::make_unique<TUndoLayoutEinfuegen>(document, viewIndex));
}

void TUndoManager::AddElementSizePos(TFBElement& element) { Push(std::make_unique<TUndoElementSizePos>(element)); }
void TUndoManager::AddElementEinfuegen(TFBElement& element) { Push(std::make_unique<TUndoElementEinfuegen>(element)); }
void TUndoManager::AddElementLoeschen(TFBElement& element) { Push(std::make_unique<TUndoElementLoeschen>(element)); }

void TUndoManager::AddKalenderEigenschaften(TFBKalenderElement& calendar)
{
    Push(std::make_unique<TUndoKalenderEigenschaften>(calendar));
}

void TUndoManager::AddKalenderJahrSetzen(const TFBDocument& document)
{
    Push(std::make_unique<TUndoKalenderJahrSetzen>(document));
}

void TUndoManager::AddKalenderEigenschaftenFuerAlle(const TFBDocument& document)
{
    Push(std::make_unique<TUndoKalenderEigenschaftenFuerAlle>(document));
}

void TUndoManager::AddSeitenhintergrund(TFBPage& page) { Push(std::make_unique<TUndoSeitenhintergrund>(page)); }

void TUndoManager::AddToElementSizePos(TFBElement& element)
{
    if (auto* top = dynamic_cast<TUndoElementSizePos*>(Top()))
        top->AddDestination(element);
}

void TUndoManager::Undo(TFBDocument& document)
{
    if (FStack.empty())
        return;
    // Off the stack first: a record that fails part-way is not applied a
    // second time.
    std::unique_ptr<TUndoItem> item = std::move(FStack.back());
    FStack.pop_back();
    // Page records are read key by key; the index keeps that linear.
    item->Data().BuildCache();
    item->Undo(document);
    TUndoUIState state;
    if (FHost && item->ReadUIState(state))
        FHost->ApplyUIState(state, FindFocusedElement(document, state));
}

void TUndoManager::DropLast()
{
    if (!FStack.empty())
        FStack.pop_back();
}

void TUndoManager::Clear()
{
    FStack.clear();
}

TUndoManager& GetUndoManager()
{
    return TServices::Instance().UndoManager();
}
