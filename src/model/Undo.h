#pragma once

// The undo stack. Every editing command pushes a record before it changes
// the document; the record keeps, in a small in-memory data file, what it
// needs to put the changed part back. Pages and elements are addressed by
// position, pictures travel as complete store records, so a picture the
// store released in the meantime comes back.

#include <QBuffer>
#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

class TCustomDataFile;
class TMemoryDataFile;
class TFBDocument;
class TFBElement;
class TFBKalenderElement;
class TFBPage;
class TFBPictureElement;

// The selection and the shown view of the main window, as records keep it.
struct TUndoUIState {
    int ViewIndex = 0;
    bool HasFocusedElement = false;
    QString Focustyp; // "Pic", "Kalender" or "Sizeable"
    int PageIndex = -1;
    int ElementIndex = -1;
};

// Implemented by the main window: what it shows now, and going back to a
// state after an undo.
class IUndoUIHost {
public:
    virtual ~IUndoUIHost() = default;
    virtual TUndoUIState CurrentUIState() const = 0;
    // Goes to state.ViewIndex; element is the selection found in the
    // document (none when it is gone), to be selected only when its page
    // belongs to the view shown.
    virtual void ApplyUIState(const TUndoUIState& state, TFBElement* element) = 0;
};

// The "Focustyp" of a selected element ("" for none or an unknown kind).
QString FocusTypeOf(const TFBElement* element);
// The element a restored state selects: none unless the page and the index
// exist in the list the type names.
TFBElement* FindFocusedElement(const TFBDocument& document, const TUndoUIState& state);
// The state that names the view and the selected element (none: no focus).
TUndoUIState UIStateOf(const TFBDocument& document, int viewIndex, const TFBElement* selection);

class TUndoItem {
public:
    TUndoItem();
    virtual ~TUndoItem();
    TUndoItem(const TUndoItem&) = delete;
    TUndoItem& operator=(const TUndoItem&) = delete;

    virtual void Undo(TFBDocument& document);

    TCustomDataFile& Data();
    // The main window's state at the path "UIState".
    void SaveUIState(const TUndoUIState& state);
    // False when the record holds no state.
    bool ReadUIState(TUndoUIState& state);

protected:
    QByteArray FBytes;
    QBuffer FStream;
    std::unique_ptr<TMemoryDataFile> FData;
};

class TUndoBildEinfuegen : public TUndoItem {
public:
    explicit TUndoBildEinfuegen(TFBPictureElement& frame);
    void Undo(TFBDocument& document) override;
};
class TUndoFarbeEinfuegen : public TUndoBildEinfuegen {
public:
    using TUndoBildEinfuegen::TUndoBildEinfuegen;
};
class TUndoBildLoeschen : public TUndoBildEinfuegen {
public:
    using TUndoBildEinfuegen::TUndoBildEinfuegen;
};
class TUndoBildDrehen : public TUndoBildEinfuegen {
public:
    using TUndoBildEinfuegen::TUndoBildEinfuegen;
};
class TUndoBildFilter : public TUndoBildEinfuegen {
public:
    using TUndoBildEinfuegen::TUndoBildEinfuegen;
};

class TUndoBildRahmen : public TUndoItem {
public:
    explicit TUndoBildRahmen(TFBPictureElement& frame);
    void Undo(TFBDocument& document) override;
};

class TUndoBildZoomPan : public TUndoItem {
public:
    explicit TUndoBildZoomPan(TFBPictureElement& frame);
    void Undo(TFBDocument& document) override;
    bool IsFor(const TFBPictureElement& frame);
};

class TUndoBildAustauschen : public TUndoItem {
public:
    TUndoBildAustauschen(TFBPictureElement& target, TFBPictureElement& source);
    void Undo(TFBDocument& document) override;
};

class TUndoSeiteEinfuegen : public TUndoItem {
public:
    explicit TUndoSeiteEinfuegen(int viewIndex);
    void Undo(TFBDocument& document) override;
};

class TUndoSeiteVerschieben : public TUndoItem {
public:
    TUndoSeiteVerschieben(int oldViewIndex, int newViewIndex);
    void Undo(TFBDocument& document) override;
};

class TUndoSeiteLoeschen : public TUndoItem {
public:
    TUndoSeiteLoeschen(TFBDocument& document, int viewIndex);
    void Undo(TFBDocument& document) override;
};

class TUndoLayoutEinfuegen : public TUndoItem {
public:
    TUndoLayoutEinfuegen(TFBDocument& document, int viewIndex);
    void Undo(TFBDocument& document) override;
};

class TUndoElementSizePos : public TUndoItem {
public:
    explicit TUndoElementSizePos(TFBElement& element);
    void Undo(TFBDocument& document) override;
    void AddDestination(TFBElement& element);
};

class TUndoElementEinfuegen : public TUndoItem {
public:
    explicit TUndoElementEinfuegen(TFBElement& element);
    void Undo(TFBDocument& document) override;
};

class TUndoElementLoeschen : public TUndoItem {
public:
    explicit TUndoElementLoeschen(TFBElement& element);
    void Undo(TFBDocument& document) override;
};

class TUndoKalenderEigenschaften : public TUndoItem {
public:
    explicit TUndoKalenderEigenschaften(TFBKalenderElement& calendar);
    void Undo(TFBDocument& document) override;
};

class TUndoKalenderJahrSetzen : public TUndoItem {
public:
    explicit TUndoKalenderJahrSetzen(const TFBDocument& document);
    void Undo(TFBDocument& document) override;
};

class TUndoKalenderEigenschaftenFuerAlle : public TUndoItem {
public:
    explicit TUndoKalenderEigenschaftenFuerAlle(const TFBDocument& document);
    void Undo(TFBDocument& document) override;
};

class TUndoSeitenhintergrund : public TUndoItem {
public:
    explicit TUndoSeitenhintergrund(TFBPage& page);
    void Undo(TFBDocument& document) override;
};

class TUndoManager {
public:
    TUndoManager();
    ~TUndoManager();
    TUndoManager(const TUndoManager&) = delete;
    TUndoManager& operator=(const TUndoManager&) = delete;

    // Not owned; none: records carry no UI state and nothing is restored.
    void SetUIHost(IUndoUIHost* host) { FHost = host; }

    void AddBildEinfuegen(TFBPictureElement& frame);
    void AddFarbeEinfuegen(TFBPictureElement& frame);
    void AddBildLoeschen(TFBPictureElement& frame);
    void AddBildDrehen(TFBPictureElement& frame);
    void AddBildFilter(TFBPictureElement& frame);
    void AddBildRahmen(TFBPictureElement& frame);
    // With merge a wheel gesture on one frame keeps its first record.
    void AddBildZoomPan(TFBPictureElement& frame, bool merge);
    void AddBildAustauschen(TFBPictureElement& target, TFBPictureElement& source);
    void AddSeiteEinfuegen(int viewIndex);
    void AddSeiteVerschieben(int oldViewIndex, int newViewIndex);
    void AddSeiteLoeschen(TFBDocument& document, int viewIndex);
    void AddLayoutEinfuegen(TFBDocument& document, int viewIndex);
    void AddElementSizePos(TFBElement& element);
    void AddElementEinfuegen(TFBElement& element);
    void AddElementLoeschen(TFBElement& element);
    void AddKalenderEigenschaften(TFBKalenderElement& calendar);
    void AddKalenderJahrSetzen(const TFBDocument& document);
    void AddKalenderEigenschaftenFuerAlle(const TFBDocument& document);
    void AddSeitenhintergrund(TFBPage& page);
    // Completes the top size/position record with where the element ended.
    void AddToElementSizePos(TFBElement& element);

    bool CanUndo() const { return !FStack.empty(); }
    int Count() const { return int(FStack.size()); }
    TUndoItem* Top() const { return FStack.empty() ? nullptr : FStack.back().get(); }
    void Undo(TFBDocument& document);
    // A command that was given up (a cancelled filter dialog).
    void DropLast();
    void Clear();

private:
    void Push(std::unique_ptr<TUndoItem> item);

    std::vector<std::unique_ptr<TUndoItem>> FStack;
    IUndoUIHost* FHost = nullptr;
};

// The program's undo stack, made at its first use.
TUndoManager& GetUndoManager();
