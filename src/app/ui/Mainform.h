#pragma once

#include "i18n/ui/LocalizerForm.h"
#include "model/Undo.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class IProjectDialogs;
class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QSlider;
class QSplitter;
class QTabWidget;
class QToolButton;
class TFBDocument;
class TFBElement;
class TFBMainView;
class TFBPage;
class TMulticaster;
class TWindowInfoOutput;

// The main window: tool bar, title panel, the left tabs, the spread view
// with its top bar, the bottom tabs and the status bar, plus the menus.
class TMaster : public QMainWindow, public TLocalizerForm, public IUndoUIHost {
    Q_OBJECT
public:
    explicit TMaster(QWidget* parent = nullptr);
    ~TMaster() override;

    // The one document; it always holds a project (the default empty one
    // until the wizard or a file fills it).
    TFBDocument& Document() { return *FDocument; }
    // Replaces the file dialogs and the wizard (tests script them).
    void SetProjectDialogs(std::unique_ptr<IProjectDialogs> dialogs);

    // Project commands. Each may raise; the menu and button handlers run
    // them through RunCommand.
    void BtnAlbumNeuClick();
    void BtnAlbumOeffnenClick();
    void BtnAlbumSpeichernClick();
    void mnuDateiSpeichernUnterClick();
    // Reads a project into the document. A file that cannot be opened leaves
    // everything as it was; one that fails part-way leaves the default empty
    // document without a file name.
    void OpenFile(const QString& fileName);
    // The question before new, open and quit when there are unsaved
    // changes; false when the user cancelled (the command stops). With
    // stopWhenSaveCancelled, cancelling the save dialog after "Yes" stops
    // the command too.
    bool AskSaveChanges(bool stopWhenSaveCancelled = false);
    // Whether the window may close now (asks about unsaved changes).
    bool FormCloseQuery();
    // Start step: one argument naming an existing file opens it, anything
    // else starts the new-project wizard. Errors are shown, the program goes
    // on with the default document.
    void StartWithArguments(const QStringList& args);

    // Brings the views to a new or opened project.
    void RefreshAfterProjectChange();
    // Run before anything frees pages or elements: no view may keep
    // pointing at them.
    void BeforeStructureChange();
    TFBMainView* MainView() const { return FMainView; }
    TMulticaster& Multicaster() { return *FMulticaster; }
    // The view shown by the main view, as the page buttons and others ask
    // for it through the multicaster.
    void BtnSeiteZurueckClick();
    void BtnSeiteVorClick();
    // Undoes the last step on the document, or beeps when there is none.
    void BtnRueckgaengigClick();
    // The undo commands are enabled while there is something to undo
    // (checked whenever the program goes idle).
    void UpdateUndoCommands();

    // What undo records keep of the window, and going back to it.
    TUndoUIState CurrentUIState() const override;
    void ApplyUIState(const TUndoUIState& state, TFBElement* element) override;
    // Property tab and command enablement after a selection change.
    void UpdateTools();

    // Caption and application title: "Quarn Lumarbo - " + file or
    // "Unbenannt".
    void UpdateTitle();
    void UpdateTitlePanel();
    void UpdatePageLabel();
    QString CurrentFileName() const;

    // Language menu: which items show, and choosing one.
    void UpdateLanguageMenu();
    void ChooseLanguage(int id);

    // The manual for the current language, the German one, or the
    // program-named one; empty when none exists.
    QString ManualFile() const;

    // Writes the window position to section "Master" (also run on close).
    void SaveWindowPosition();
    void RestoreWindowPosition();

    // The controls, by the names the language tables use.
    QWidget* panToolbar = nullptr;
    QLabel* panTitel = nullptr;
    QWidget* panWerkzeug = nullptr;
    QTabWidget* PageControlLeft = nullptr;
    QSplitter* Splitter1 = nullptr;
    QWidget* panMain = nullptr;
    QWidget* panMainviewTop = nullptr;
    QWidget* panMainView = nullptr;
    QSplitter* Splitter2 = nullptr;
    QWidget* panSeitenliste = nullptr;
    QTabWidget* pagecontrolBottom = nullptr;
    QToolButton* BtnSeiteZurueck = nullptr;
    QLabel* lblSeitenzahl = nullptr;
    QToolButton* BtnSeiteVor = nullptr;
    QLabel* imgZoom = nullptr;
    QSlider* tbMainViewZoom = nullptr;

    QToolButton* BtnAlbumNeu = nullptr;
    QToolButton* BtnAlbumOeffnen = nullptr;
    QToolButton* BtnAlbumSpeichern = nullptr;
    QToolButton* BtnAlbumDrucken = nullptr;
    QToolButton* BtnRueckgaengig = nullptr;
    QToolButton* BtnEntfernen = nullptr;
    QToolButton* BtnBlattausrichtung = nullptr;
    QToolButton* BtnTextEinfuegen = nullptr;
    QToolButton* BtnBilderschatten = nullptr;

    QMenu* mnuDatei = nullptr;
    QMenu* mnuBearbeiten = nullptr;
    QMenu* mnuSprache = nullptr;
    QMenu* mnuFenstergroesse = nullptr;
    QMenu* mnuHilfe = nullptr;
    QAction* mnuDateiNeu = nullptr;
    QAction* mnuDateiOeffnen = nullptr;
    QAction* mnuDateiSpeichern = nullptr;
    QAction* mnuDateiSpeichernUnter = nullptr;
    QAction* mnuDrucken = nullptr;
    QAction* mnuDruckereinrichtung = nullptr;
    QAction* mnuBeenden = nullptr;
    QAction* mnuRueckgaengig = nullptr;
    QAction* mnuBearbeitenAusschneiden = nullptr;
    QAction* mnuBearbeitenKopieren = nullptr;
    QAction* mnuBearbeitenEinfuegen = nullptr;
    QAction* mnuBearbeitenDuplizieren = nullptr;
    QAction* mnuNewsletter = nullptr;
    QAction* mnu800x600 = nullptr;
    QAction* mnu1024x768 = nullptr;
    QAction* mnuHandbuch = nullptr;
    QAction* mnuQuarnHomepage = nullptr;
    QAction* mnuQuarnKreativerPhotospass = nullptr;
    QAction* mnuHilfeUeber = nullptr;
    QList<QAction*> LanguageItems;

protected:
    void RegisterTexts() override;
    void AfterTranslate() override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateToolbar();
    void CreateMenus();
    void CreateAreas();
    void LayoutTopBar();
    void OpenPdf(const QString& file);
    void OpenWebPage(const QString& settingName, const QString& fallback);

    // Writes the project; a missing name asks for one. False when the user
    // cancelled the file dialog.
    bool SaveProject(bool askName);
    // The open dialog and OpenFile, without the unsaved-changes question.
    void OpenProjectAsked();
    void RefreshAfterShadowChange();
    void ConnectProjectCommands();

    // The multicaster's receivers: what the main window passes on to the
    // view (and later the page strip and panels), skipping the sender.
    void OnElementChanged(const void* sender, TFBElement* element, TFBPage* page);
    void OnViewChanged(const void* sender, int viewIndex);
    void OnPagesChanged(const void* sender);
    void CreateMainView();

    std::unique_ptr<TFBDocument> FDocument;
    std::unique_ptr<TMulticaster> FMulticaster;
    TFBMainView* FMainView = nullptr;
    int FReceiverKey = 0;
    std::unique_ptr<IProjectDialogs> Dialogs;
    std::unique_ptr<TWindowInfoOutput> InfoOutput;
    QActionGroup* LanguageGroup = nullptr;
};
