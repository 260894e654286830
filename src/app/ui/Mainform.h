#pragma once

#include "i18n/ui/LocalizerForm.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QSlider;
class QSplitter;
class QTabWidget;
class QToolButton;
class TWindowInfoOutput;

// The main window: tool bar, title panel, the left tabs, the spread view
// with its top bar, the bottom tabs and the status bar, plus the menus.
class TMaster : public QMainWindow, public TLocalizerForm {
    Q_OBJECT
public:
    explicit TMaster(QWidget* parent = nullptr);
    ~TMaster() override;

    // Caption and application title: "Quarn Lumarbo - " + file or
    // "Unbenannt".
    void UpdateTitle();
    void UpdatePageLabel();
    QString CurrentFileName() const { return FileName; }

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

    QString FileName;
    std::unique_ptr<TWindowInfoOutput> InfoOutput;
    QActionGroup* LanguageGroup = nullptr;
};
