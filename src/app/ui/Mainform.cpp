#include "app/ui/Mainform.h"

#include "app/FileAssociation.h"
#include "app/Services.h"
#include "app/VQRegistry.h"
#include "app/WaitCursor.h"
#include "app/WindowPlacement.h"
#include "app/ui/Command.h"
#include "app/ui/DlgInfo.h"
#include "app/ui/ProgressDlg.h"
#include "app/InfoAusgabe.h"
#include "app/Prompts.h"
#include "app/ui/ProjectDialogs.h"
#include "app/Arith.h"
#include "editor/Multicaster.h"
#include "editor/ui/ZadoveroMainview.h"
#include "model/Undo.h"
#include "model/ZadoveroColor.h"
#include "model/ZadoveroDocument.h"
#include "model/ZadoveroDocumentHelper.h"
#include "model/ui/ColorPrompt.h"
#include "storage/DataFile.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSlider>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <utility>

namespace {

const QString kMaster = QStringLiteral("Master");
const QString kBaseTitle = QStringLiteral("Quarn Lumarbo");

// Language items of the menu in their order: caption and language id.
struct LanguageItem {
    const char* Name;
    const char* Caption;
    int Id;
};
constexpr LanguageItem kLanguageItems[] = {
    {"mnuSpracheDeutsch", "Deutsch", 0},       {"mnuSpracheEnglish", "English", 1},
    {"mnuSpracheFrancais", "Français", 2},     {"mnuSpracheEspanol", "Español", 4},
    {"mnuSpracheNederlands", "Nederlands", 9}, {"mnuSpracheItaliano", "Italiano", 3},
    {"mnuSprachePortugues", "Português", 5},  {"mnuSpracheDansk", "Dansk", 18},
};

QWidget* Panel(QWidget* parent, const char* name)
{
    auto* w = new QWidget(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

} // namespace

TMaster::TMaster(QWidget* parent)
    : QMainWindow(parent)
    , TLocalizerForm(this, QStringLiteral("TMaster"))
    , FDocument(std::make_unique<TFBDocument>())
    , FMulticaster(std::make_unique<TMulticaster>())
    , Dialogs(std::make_unique<TQtProjectDialogs>())
{
    setMinimumSize(700, 500);
    resize(1024, 740);
    CreateToolbar();
    CreateAreas();
    CreateMenus();

    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(status);
    InfoOutput = std::make_unique<TWindowInfoOutput>(this, status);
    InfoAusgabe().SetOutput(InfoOutput.get());

    // The project file type opens with this program; failures are ignored.
    if (RegisterFileAssociation(QCoreApplication::applicationFilePath())) {
        NotifyAssociationsChanged();
        raise();
        activateWindow();
    }

    // Window position, title, then the language: the translation of the
    // window runs once the stored language is loaded.
    RestoreWindowPosition();
    PageControlLeft->setCurrentIndex(0);
    SetupDefaultDocument(*FDocument);
    UpdateTitle();
    CreateMainView();
    ConnectProjectCommands();
    UpdatePageLabel();
    UpdateTools();

    GetUndoManager().SetUIHost(this);
    // The idle check of the undo commands: Qt's event dispatcher tells when
    // it is about to wait for the next event.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            [this] { UpdateUndoCommands(); });
    connect(mnuRueckgaengig, &QAction::triggered, this, [this] { RunCommand([this] { BtnRueckgaengigClick(); }); });
    connect(BtnRueckgaengig, &QToolButton::clicked, this, [this] { RunCommand([this] { BtnRueckgaengigClick(); }); });
    UpdateUndoCommands();

    InstallColorDialogAsker(this);
    LoadCustomColors(QStringLiteral("CustomColors"));

    InitLocalizer();
    TLocalizer& loc = Localizer();
    loc.SetEnabledLanguages((1u << 0) | (1u << 1) | (1u << 2) | (1u << 3) | (1u << 4) | (1u << 9));
    loc.SelectInitialLanguage();
    UpdateLanguageMenu();
}

TMaster::~TMaster()
{
    if (TServices::Exists())
        GetUndoManager().SetUIHost(nullptr);
    FMulticaster->Disconnect(FReceiverKey);
    // The view holds the document and the multicaster, which die with the
    // members, before the base class would free the child widgets.
    TFBMainView* view = std::exchange(FMainView, nullptr);
    disconnect(view, nullptr, this, nullptr);
    delete view;
    if (TServices::Exists() && InfoAusgabe().GetOutput() == InfoOutput.get())
        InfoAusgabe().SetOutput(nullptr);
}

void TMaster::CreateToolbar()
{
    panToolbar = Panel(this, "panToolbar");
    panToolbar->setFixedHeight(64);
    panToolbar->setAutoFillBackground(true);
    panToolbar->setBackgroundRole(QPalette::Button);
    auto* row = new QHBoxLayout(panToolbar);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(2);
    auto make = [&](const char* name, const char* caption, const char* hint, QStyle::StandardPixmap icon) {
        auto* b = new QToolButton(panToolbar);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(QString::fromUtf8(caption));
        b->setToolTip(QString::fromUtf8(hint));
        b->setIcon(style()->standardIcon(icon));
        b->setIconSize(QSize(24, 24));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setAutoRaise(true);
        b->setMinimumWidth(64);
        row->addWidget(b);
        return b;
    };
    BtnAlbumNeu = make("BtnAlbumNeu", "Neu", "Neues Album", QStyle::SP_FileIcon);
    BtnAlbumOeffnen = make("BtnAlbumOeffnen", "Öffnen", "Album öffnen", QStyle::SP_DialogOpenButton);
    BtnAlbumSpeichern = make("BtnAlbumSpeichern", "Speichern", "Album speichern", QStyle::SP_DialogSaveButton);
    BtnAlbumDrucken = make("BtnAlbumDrucken", "Drucken", "Album drucken", QStyle::SP_ComputerIcon);
    BtnRueckgaengig = make("BtnRueckgaengig", "Undo", "Rückgängig", QStyle::SP_ArrowBack);
    BtnEntfernen = make("BtnEntfernen", "Entfernen", "Entfernen", QStyle::SP_TrashIcon);
    BtnBlattausrichtung = make("BtnBlattausrichtung", "Ausrichtung", "Ausrichtung", QStyle::SP_BrowserReload);
    BtnTextEinfuegen = make("BtnTextEinfuegen", "Text", "Text einfügen", QStyle::SP_FileDialogDetailedView);
    BtnBilderschatten = make("BtnBilderschatten", "Bilderschatten", "Bilder mit Schatten hinterlegen",
                             QStyle::SP_TitleBarShadeButton);
    BtnBilderschatten->setCheckable(true);
    row->addStretch(1);
    // The commands behind these come with the editing view and printing.
    for (QToolButton* b : {BtnAlbumDrucken, BtnEntfernen, BtnBlattausrichtung, BtnTextEinfuegen})
        b->setEnabled(false);
}

void TMaster::CreateAreas()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("panClient"));
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(panToolbar);

    panTitel = new QLabel(central);
    panTitel->setObjectName(QStringLiteral("panTitel"));
    panTitel->setFixedHeight(26);
    panTitel->setAlignment(Qt::AlignCenter);
    panTitel->setAutoFillBackground(true);
    QPalette tp = panTitel->palette();
    tp.setColor(QPalette::Window, tp.color(QPalette::Dark));
    tp.setColor(QPalette::WindowText, tp.color(QPalette::Base));
    panTitel->setPalette(tp);
    QFont tf(QStringLiteral("Arial"));
    tf.setBold(true);
    tf.setPixelSize(16);
    panTitel->setFont(tf);
    column->addWidget(panTitel);

    Splitter1 = new QSplitter(Qt::Horizontal, central);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setChildrenCollapsible(false);
    column->addWidget(Splitter1, 1);

    panWerkzeug = Panel(Splitter1, "panWerkzeug");
    auto* left = new QVBoxLayout(panWerkzeug);
    left->setContentsMargins(0, 0, 0, 0);
    PageControlLeft = new QTabWidget(panWerkzeug);
    PageControlLeft->setObjectName(QStringLiteral("PageControlLeft"));
    // All four tabs stay in view in every language; the area widens instead.
    PageControlLeft->setUsesScrollButtons(false);
    struct Tab {
        const char* Name;
        const char* Caption;
    };
    for (const Tab& t : {Tab{"tsBilder", "Bilder"}, Tab{"tsLayouts", "Layouts"}, Tab{"tsFarben", "Farben"},
                         Tab{"tsClipart", "Clipart"}})
        PageControlLeft->addTab(Panel(PageControlLeft, t.Name), QString::fromUtf8(t.Caption));
    left->addWidget(PageControlLeft);
    Splitter1->addWidget(panWerkzeug);

    panMain = Panel(Splitter1, "panMain");
    auto* mainColumn = new QVBoxLayout(panMain);
    mainColumn->setContentsMargins(0, 0, 0, 0);
    mainColumn->setSpacing(0);
    panMainviewTop = Panel(panMain, "panMainviewTop");
    panMainviewTop->setFixedHeight(25);
    panMainviewTop->installEventFilter(this);
    BtnSeiteZurueck = new QToolButton(panMainviewTop);
    BtnSeiteZurueck->setObjectName(QStringLiteral("BtnSeiteZurueck"));
    BtnSeiteZurueck->setArrowType(Qt::LeftArrow);
    BtnSeiteZurueck->setAutoRaise(true);
    BtnSeiteZurueck->setEnabled(false);
    lblSeitenzahl = new QLabel(panMainviewTop);
    lblSeitenzahl->setObjectName(QStringLiteral("lblSeitenzahl"));
    lblSeitenzahl->setAlignment(Qt::AlignCenter);
    BtnSeiteVor = new QToolButton(panMainviewTop);
    BtnSeiteVor->setObjectName(QStringLiteral("BtnSeiteVor"));
    BtnSeiteVor->setArrowType(Qt::RightArrow);
    BtnSeiteVor->setAutoRaise(true);
    BtnSeiteVor->setEnabled(false);
    imgZoom = new QLabel(panMainviewTop);
    imgZoom->setObjectName(QStringLiteral("imgZoom"));
    imgZoom->setPixmap(style()->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(16, 16));
    tbMainViewZoom = new QSlider(Qt::Horizontal, panMainviewTop);
    tbMainViewZoom->setObjectName(QStringLiteral("tbMainViewZoom"));
    tbMainViewZoom->setRange(100, 800);
    tbMainViewZoom->setValue(100);
    tbMainViewZoom->setEnabled(false);
    mainColumn->addWidget(panMainviewTop);

    Splitter2 = new QSplitter(Qt::Vertical, panMain);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    Splitter2->setChildrenCollapsible(false);
    panMainView = Panel(Splitter2, "panMainView");
    panMainView->setAutoFillBackground(true);
    panMainView->setBackgroundRole(QPalette::Button);
    Splitter2->addWidget(panMainView);
    panSeitenliste = Panel(Splitter2, "panSeitenliste");
    panSeitenliste->setMinimumHeight(168);
    auto* bottom = new QVBoxLayout(panSeitenliste);
    bottom->setContentsMargins(0, 0, 0, 0);
    pagecontrolBottom = new QTabWidget(panSeitenliste);
    pagecontrolBottom->setObjectName(QStringLiteral("pagecontrolBottom"));
    for (const Tab& t : {Tab{"tsSeiten", "Seiten"}, Tab{"tsText", "Text"}, Tab{"tsBild", "Bild"},
                         Tab{"tsFarbflaeche", "Farbfläche"}, Tab{"tsKalender", "Kalender"}})
        pagecontrolBottom->addTab(Panel(pagecontrolBottom, t.Name), QString::fromUtf8(t.Caption));
    bottom->addWidget(pagecontrolBottom);
    Splitter2->addWidget(panSeitenliste);
    Splitter2->setStretchFactor(0, 1);
    Splitter2->setStretchFactor(1, 0);
    Splitter2->setSizes({400, 168});
    mainColumn->addWidget(Splitter2, 1);
    Splitter1->addWidget(panMain);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({280, 744});

    setCentralWidget(central);
}

void TMaster::CreateMenus()
{
    auto action = [&](QMenu* menu, const char* name, const char* caption, QKeySequence key = {}) {
        auto* a = new QAction(QString::fromUtf8(caption), this);
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty())
            a->setShortcut(key);
        menu->addAction(a);
        return a;
    };
    auto menu = [&](const char* name, const char* caption) {
        auto* m = new QMenu(QString::fromUtf8(caption), this);
        m->setObjectName(QString::fromLatin1(name));
        menuBar()->addMenu(m);
        return m;
    };

    mnuDatei = menu("mnuDatei", "&Datei");
    mnuDateiNeu = action(mnuDatei, "mnuDateiNeu", "&Neu", QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuDateiOeffnen = action(mnuDatei, "mnuDateiOeffnen", "Ö&ffnen...", QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuDateiSpeichern = action(mnuDatei, "mnuDateiSpeichern", "&Speichern", QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuDateiSpeichernUnter = action(mnuDatei, "mnuDateiSpeichernUnter", "Speichern &unter...");
    mnuDatei->addSeparator();
    mnuDrucken = action(mnuDatei, "mnuDrucken", "&Drucken...", QKeySequence(Qt::CTRL | Qt::Key_P));
    mnuDruckereinrichtung = action(mnuDatei, "mnuDruckereinrichtung", "Drucker&einrichtung...");
    mnuDatei->addSeparator();
    mnuBeenden = action(mnuDatei, "mnuBeenden", "&Beenden", QKeySequence(Qt::ALT | Qt::Key_F4));
    connect(mnuBeenden, &QAction::triggered, this, [this] { RunCommand([this] { close(); }); });

    mnuBearbeiten = menu("mnuBearbeiten", "&Bearbeiten");
    mnuRueckgaengig = action(mnuBearbeiten, "mnuRueckgaengig", "Rückgängig", QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuBearbeiten->addSeparator();
    mnuBearbeitenAusschneiden =
        action(mnuBearbeiten, "mnuBearbeitenAusschneiden", "&Ausschneiden", QKeySequence(Qt::CTRL | Qt::Key_X));
    mnuBearbeitenKopieren =
        action(mnuBearbeiten, "mnuBearbeitenKopieren", "&Kopieren", QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuBearbeitenEinfuegen =
        action(mnuBearbeiten, "mnuBearbeitenEinfuegen", "&Einfügen", QKeySequence(Qt::CTRL | Qt::Key_V));
    mnuBearbeiten->addSeparator();
    mnuBearbeitenDuplizieren =
        action(mnuBearbeiten, "mnuBearbeitenDuplizieren", "Duplizieren", QKeySequence(Qt::CTRL | Qt::Key_D));
    mnuBearbeitenDuplizieren->setVisible(false);

    mnuSprache = menu("mnuSprache", "Sprache");
    LanguageGroup = new QActionGroup(this);
    LanguageGroup->setExclusive(true);
    for (const LanguageItem& li : kLanguageItems) {
        QAction* a = action(mnuSprache, li.Name, li.Caption);
        a->setCheckable(true);
        a->setData(li.Id);
        LanguageGroup->addAction(a);
        LanguageItems.append(a);
        const int id = li.Id;
        connect(a, &QAction::triggered, this, [this, id] { RunCommand([this, id] { ChooseLanguage(id); }); });
    }
    connect(mnuSprache, &QMenu::aboutToShow, this, [this] { UpdateLanguageMenu(); });

    mnuFenstergroesse = menu("mnuFenstergroesse", "Fenstergröße");
    mnu800x600 = action(mnuFenstergroesse, "N800x6001", "800x600");
    mnu1024x768 = action(mnuFenstergroesse, "N1024x7681", "1024x768");
    connect(mnu800x600, &QAction::triggered, this, [this] { showNormal(); resize(800, 600); });
    connect(mnu1024x768, &QAction::triggered, this, [this] { showNormal(); resize(1024, 768); });
    mnuFenstergroesse->menuAction()->setVisible(false);

    mnuNewsletter = new QAction(QStringLiteral("Newsletter"), this);
    mnuNewsletter->setObjectName(QStringLiteral("mnuNewsletter"));
    menuBar()->addAction(mnuNewsletter);
    connect(mnuNewsletter, &QAction::triggered, this, [this] {
        RunCommand([this] { OpenWebPage(QStringLiteral("NewsletterUrl"), QStringLiteral("https://quarn.example/newsletter")); });
    });

    mnuHilfe = menu("mnuHilfe", "Hilfe");
    mnuHandbuch = action(mnuHilfe, "mnuHandbuch", "Handbuch");
    mnuHilfe->addSeparator();
    mnuQuarnHomepage = action(mnuHilfe, "mnuQuarnHomepage", "Quarn Homepage");
    mnuQuarnKreativerPhotospass = action(mnuHilfe, "mnuQuarnKreativerPhotospass", "Ruzezavid Adevo-Ruzi");
    mnuHilfe->addSeparator();
    mnuHilfeUeber = action(mnuHilfe, "mnuHilfeUeber", "Über");
    connect(mnuHilfe, &QMenu::aboutToShow, this, [this] {
        mnuQuarnKreativerPhotospass->setVisible(Localizer().CurrentLanguage == 0);
        mnuHandbuch->setVisible(!ManualFile().isEmpty());
    });
    connect(mnuHandbuch, &QAction::triggered, this, [this] { RunCommand([this] { OpenPdf(ManualFile()); }); });
    connect(mnuQuarnKreativerPhotospass, &QAction::triggered, this, [this] {
        RunCommand([this] { OpenPdf(QCoreApplication::applicationDirPath() + QStringLiteral("/KT905.pdf")); });
    });
    connect(mnuQuarnHomepage, &QAction::triggered, this, [this] {
        RunCommand([this] { OpenWebPage(QStringLiteral("HomepageUrl"), QStringLiteral("https://quarn.example/")); });
    });
    connect(mnuHilfeUeber, &QAction::triggered, this, [this] {
        RunCommand([this] {
            TDlgInfo dlg(this);
            dlg.exec();
        });
    });

    // Their commands come with the editing view and printing.
    for (QAction* a : {mnuDrucken, mnuDruckereinrichtung, mnuBearbeitenAusschneiden, mnuBearbeitenKopieren,
                       mnuBearbeitenEinfuegen, mnuBearbeitenDuplizieren})
        a->setEnabled(false);
}

void TMaster::RegisterTexts()
{
    TLocalizer& loc = Localizer();
    for (const char* t : {"Unbenannt", "Dateien", "Seite wird geladen", "Fertig",
                          "Das aktuelle Album ist noch nicht gespeichert.", "Soll es jetzt gespeichert werden?"})
        loc.RegisterFormText(FormClass(), QString::fromUtf8(t));
}

void TMaster::AfterTranslate()
{
    UpdatePageLabel();
    UpdateTitle();
    mnuNewsletter->setVisible(Localizer().CurrentLanguage == 0);
    UpdateLanguageMenu();
}

QString TMaster::CurrentFileName() const
{
    return FDocument->FileName;
}

void TMaster::UpdateTitle()
{
    const QString& file = FDocument->FileName;
    const QString name = file.isEmpty() ? Tr(QStringLiteral("Unbenannt")) : QFileInfo(file).fileName();
    const QString title = kBaseTitle + QStringLiteral(" - ") + name;
    setWindowTitle(title);
    QGuiApplication::setApplicationDisplayName(kBaseTitle);
}

void TMaster::UpdateTitlePanel()
{
    const QString& name = FDocument->Dokumentname;
    panTitel->setText(Localizer().Lookup(QStringLiteral("Quarn"), name, name));
}

void TMaster::SetProjectDialogs(std::unique_ptr<IProjectDialogs> dialogs)
{
    Dialogs = std::move(dialogs);
}

void TMaster::ConnectProjectCommands()
{
    auto wire = [this](QAction* action, QToolButton* button, void (TMaster::*handler)()) {
        auto run = [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); };
        connect(action, &QAction::triggered, this, run);
        if (button)
            connect(button, &QToolButton::clicked, this, run);
    };
    wire(mnuDateiNeu, BtnAlbumNeu, &TMaster::BtnAlbumNeuClick);
    wire(mnuDateiOeffnen, BtnAlbumOeffnen, &TMaster::BtnAlbumOeffnenClick);
    wire(mnuDateiSpeichern, BtnAlbumSpeichern, &TMaster::BtnAlbumSpeichernClick);
    wire(mnuDateiSpeichernUnter, nullptr, &TMaster::mnuDateiSpeichernUnterClick);
    connect(BtnBilderschatten, &QToolButton::clicked, this, [this] {
        RunCommand([this] {
            FDocument->PicturesHaveShadows = !FDocument->PicturesHaveShadows;
            // Saved with the project: leaving without saving must ask.
            FDocument->Modified = true;
            BtnBilderschatten->setChecked(FDocument->PicturesHaveShadows);
            RefreshAfterShadowChange();
        });
    });
}

bool TMaster::AskSaveChanges(bool stopWhenSaveCancelled)
{
    const QString text = Tr(QStringLiteral("Das aktuelle Album ist noch nicht gespeichert.")) + QStringLiteral("\r\n") +
                         Tr(QStringLiteral("Soll es jetzt gespeichert werden?"));
    switch (Prompter().MessageDlg(text, TMsgDlgType::Confirmation, mbYesNoCancel)) {
    case mrYes:
        // A cancelled save dialog saves nothing; the command still goes on,
        // unless it would end the program and take the changes with it.
        return SaveProject(FDocument->FileName.isEmpty()) || !stopWhenSaveCancelled;
    case mrNo:
        return true;
    default:
        return false;
    }
}

void TMaster::BtnAlbumNeuClick()
{
    if (FDocument->Modified && !AskSaveChanges())
        return;
    // The wizard may replace every page: nothing may stay selected meanwhile.
    TFBElement* remembered = FMainView->Selection();
    BeforeStructureChange();
    const int result = Dialogs->RunNewProjectWizard(this, *FDocument);
    if (result == 1) {
        GetUndoManager().Clear();
        RefreshAfterProjectChange();
        UpdateTitle();
        FDocument->Modified = false;
        UpdateTitlePanel();
        UpdateTools();
    } else if (result == 100) {
        // The unsaved changes were settled above; the open command must not
        // ask a second time.
        OpenProjectAsked();
    } else if (remembered) {
        FMainView->Select(remembered);
    }
}

void TMaster::BtnAlbumOeffnenClick()
{
    if (FDocument->Modified && !AskSaveChanges())
        return;
    OpenProjectAsked();
}

void TMaster::OpenProjectAsked()
{
    const QString file = Dialogs->AskOpenFileName(this, ProjectFileFilter());
    if (!file.isEmpty())
        OpenFile(file);
}

void TMaster::OpenFile(const QString& fileName)
{
    TWaitCursor wait;
    const QFileInfo info(fileName);
    if (!info.isFile())
        throw EDataFileError(QStringLiteral("Die Datei \"%1\" kann nicht geöffnet werden").arg(fileName));
    // A missing or empty file would read as a fresh container; neither is a
    // project.
    if (info.size() == 0)
        throw EDataFileError(QStringLiteral("Invalid file format."));
    // Opening checks the header and reads the index: a file that is no
    // project fails here, before the document is touched.
    auto file = std::make_unique<TDataFile>(fileName);
    BeforeStructureChange();
    try {
        FDocument->LoadFromFile(*file);
    } catch (...) {
        // Never leave a half-read project under any name: the user gets the
        // default empty document, which cannot overwrite a file by saving.
        file.reset();
        SetupDefaultDocument(*FDocument);
        FDocument->FileName.clear();
        FDocument->Modified = false;
        GetUndoManager().Clear();
        UpdateTitle();
        UpdateTitlePanel();
        RefreshAfterProjectChange();
        UpdateTools();
        throw;
    }
    file.reset();
    FDocument->FileName = fileName;
    UpdateTitle();
    UpdateTitlePanel();
    UpdateTools();
    RefreshAfterProjectChange();
    InfoAusgabe().SetInfo(Tr(QStringLiteral("Fertig")));
    InfoAusgabe().SetInfo(QString());
    FDocument->Modified = false;
    GetUndoManager().Clear();
}

void TMaster::BtnAlbumSpeichernClick()
{
    SaveProject(FDocument->FileName.isEmpty());
}

void TMaster::mnuDateiSpeichernUnterClick()
{
    SaveProject(true);
}

bool TMaster::SaveProject(bool askName)
{
    QString target = FDocument->FileName;
    if (askName) {
        target = WithProjectExtension(Dialogs->AskSaveFileName(this, ProjectFileFilter()));
        if (target.isEmpty())
            return false;
    }
    TWaitCursor wait;
    // Written beside the target and put in place when complete; the file
    // name, the title and the modified flag change only after that.
    FDocument->SaveToFile(target);
    UpdateTitle();
    GetUndoManager().Clear();
    return true;
}

bool TMaster::FormCloseQuery()
{
    return !FDocument->Modified || AskSaveChanges(true);
}

void TMaster::StartWithArguments(const QStringList& args)
{
    if (args.size() == 1 && QFileInfo(args.constFirst()).isFile()) {
        RunCommand([&] { OpenFile(args.constFirst()); });
        return;
    }
    RunCommand([this] { BtnAlbumNeuClick(); });
}

void TMaster::CreateMainView()
{
    auto* box = new QVBoxLayout(panMainView);
    box->setContentsMargins(0, 0, 0, 0);
    FMainView = new TFBMainView(FDocument.get(), FMulticaster.get(), panMainView);
    FMainView->setObjectName(QStringLiteral("MainView"));
    box->addWidget(FMainView);

    TMulticaster::TReceiver receiver;
    receiver.ElementChanged = [this](const void* sender, TFBElement* element, TFBPage* page) {
        OnElementChanged(sender, element, page);
    };
    receiver.ViewChanged = [this](const void* sender, int viewIndex) { OnViewChanged(sender, viewIndex); };
    receiver.PagesChanged = [this](const void* sender) { OnPagesChanged(sender); };
    // The main window is the hub that passes every notice on, its own page
    // buttons' included, so it is registered as nobody's receiver and the
    // multicaster never skips it; the hub skips the sender itself.
    FReceiverKey = FMulticaster->Connect(nullptr, std::move(receiver));

    connect(FMainView, &TFBMainView::SelectionChanged, this, [this] { UpdateTools(); });
    connect(FMainView, &TFBMainView::ZoomChanged, this, [this] {
        // Moving the bar must not zoom the view a second time.
        const QSignalBlocker block(tbMainViewZoom);
        tbMainViewZoom->setValue(RoundHalfEven(double(FMainView->Zoom()) * 100));
    });
    connect(tbMainViewZoom, &QSlider::valueChanged, this,
            [this](int value) { RunCommand([this, value] { FMainView->SetZoom(float(value) / 100.0f); }); });
    connect(BtnSeiteZurueck, &QToolButton::clicked, this, [this] { RunCommand([this] { BtnSeiteZurueckClick(); }); });
    connect(BtnSeiteVor, &QToolButton::clicked, this, [this] { RunCommand([this] { BtnSeiteVorClick(); }); });
    BtnSeiteZurueck->setEnabled(true);
    BtnSeiteVor->setEnabled(true);
    tbMainViewZoom->setEnabled(true);
    FMainView->ShowView(0);
}

void TMaster::BtnSeiteZurueckClick()
{
    FMulticaster->ViewChanged(this, std::max(0, FMainView->ViewIndex() - 1));
}

void TMaster::BtnSeiteVorClick()
{
    const int last = std::max(0, FDocument->SpreadCount() - 1);
    FMulticaster->ViewChanged(this, std::min(last, FMainView->ViewIndex() + 1));
}

void TMaster::OnElementChanged(const void* sender, TFBElement* element, TFBPage* page)
{
    if (sender != FMainView)
        FMainView->PageChanged(page, element);
}

void TMaster::OnViewChanged(const void* sender, int viewIndex)
{
    if (viewIndex < 0)
        return;
    TWaitCursor wait;
    InfoAusgabe().SetStatus(Tr(QStringLiteral("Seite wird geladen")));
    if (sender != FMainView) {
        FMainView->ShowView(viewIndex);
        FMainView->viewport()->update();
    }
    InfoAusgabe().SetStatus(QString());
    UpdatePageLabel();
}

void TMaster::OnPagesChanged(const void* sender)
{
    if (sender != FMainView)
        FMainView->AfterStructureChange();
    UpdatePageLabel();
}

void TMaster::BtnRueckgaengigClick()
{
    TUndoManager& undo = GetUndoManager();
    if (!undo.CanUndo()) {
        Prompter().Beep();
        return;
    }
    // The step may free or replace the selected element.
    BeforeStructureChange();
    undo.Undo(*FDocument);
    FMainView->AfterStructureChange();
    FMainView->viewport()->update();
    UpdatePageLabel();
    UpdateUndoCommands();
}

void TMaster::UpdateUndoCommands()
{
    if (!TServices::Exists())
        return;
    const bool can = GetUndoManager().CanUndo();
    BtnRueckgaengig->setEnabled(can);
    mnuRueckgaengig->setEnabled(can);
}

TUndoUIState TMaster::CurrentUIState() const
{
    return UIStateOf(*FDocument, FMainView->ViewIndex(), FMainView->Selection());
}

void TMaster::ApplyUIState(const TUndoUIState& state, TFBElement* element)
{
    FMainView->ShowView(state.ViewIndex);
    UpdatePageLabel();
    if (element && element->Page &&
        (element->Page == FDocument->LeftPage(FMainView->ViewIndex()) ||
         element->Page == FDocument->RightPage(FMainView->ViewIndex())))
        FMainView->Select(element);
}

void TMaster::BeforeStructureChange()
{
    FMainView->ClearSelectionForStructureChange();
}

void TMaster::RefreshAfterShadowChange()
{
    FMainView->viewport()->update();
}

void TMaster::RefreshAfterProjectChange()
{
    FMainView->SetDocument(FDocument.get());
    FMainView->viewport()->update();
    UpdatePageLabel();
}

void TMaster::UpdateTools()
{
    // The property tab follows the selected element; only its tab shows
    // besides "Seiten".
    enum { tabSeiten, tabText, tabBild, tabFarbflaeche, tabKalender };
    int tab = tabSeiten;
    const TFBElement* selected = FMainView ? FMainView->Selection() : nullptr;
    if (auto* frame = dynamic_cast<const TFBPictureElement*>(selected))
        tab = frame->HasPicture() && !frame->CanZoomAndTrack ? tabFarbflaeche : tabBild;
    else if (dynamic_cast<const TFBTextElement*>(selected))
        tab = tabText;
    else if (dynamic_cast<const TFBKalenderElement*>(selected))
        tab = tabKalender;
    for (int i = 1; i < pagecontrolBottom->count(); ++i)
        pagecontrolBottom->setTabVisible(i, i == tab);
    pagecontrolBottom->setCurrentIndex(tab);

    const bool allowed = FDocument->PictureShadowsAllowed;
    BtnBilderschatten->setEnabled(allowed);
    BtnBilderschatten->setChecked(allowed && FDocument->PicturesHaveShadows);
}

void TMaster::UpdatePageLabel()
{
    lblSeitenzahl->setText(FMainView ? FDocument->GetSpreadName(FMainView->ViewIndex()) : QString());
    LayoutTopBar();
}

void TMaster::UpdateLanguageMenu()
{
    TLocalizer& loc = Localizer();
    for (QAction* a : LanguageItems) {
        const int id = a->data().toInt();
        a->setVisible(loc.LanguageAvailable(id));
        a->setChecked(id == loc.CurrentLanguage);
    }
}

void TMaster::ChooseLanguage(int id)
{
    Localizer().SwitchLanguage(id);
    for (QAction* a : LanguageItems)
        if (a->data().toInt() == id)
            a->setChecked(Localizer().CurrentLanguage == id);
    VQRegistry().WriteInteger(QString(), QStringLiteral("Sprache"), id);
}

QString TMaster::ManualFile() const
{
    TLocalizer& loc = Localizer();
    const QString current = loc.ManualFileName(loc.CurrentLanguage);
    if (QFileInfo::exists(current))
        return current;
    const QString german = loc.ManualFileName(0);
    if (QFileInfo::exists(german))
        return german;
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    const QString plain = exe.absolutePath() + QLatin1Char('/') + exe.completeBaseName() + QStringLiteral(".pdf");
    return QFileInfo::exists(plain) ? plain : QString();
}

void TMaster::OpenPdf(const QString& file)
{
    if (file.isEmpty() || !QFileInfo::exists(file)) {
        Prompter().ShowError(
            QStringLiteral("Die Datei \"%1\" konnte nicht gefunden werden. Bitte installieren Sie das Programm neu.")
                .arg(file));
        return;
    }
    bool opened = false;
    {
        TWaitCursor wait;
        opened = QDesktopServices::openUrl(QUrl::fromLocalFile(file));
    }
    if (!opened)
        Prompter().ShowError(Localizer().Translate(QStringLiteral("IDS_NOACROBAT")));
}

void TMaster::OpenWebPage(const QString& settingName, const QString& fallback)
{
    const QString url = VQRegistry().ReadString(QStringLiteral("Links"), settingName, fallback);
    QDesktopServices::openUrl(QUrl(url));
}

void TMaster::RestoreWindowPosition()
{
    TVQRegIniFile& reg = VQRegistry();
    const int currentState = isMaximized() ? 2 : isMinimized() ? 1 : 0;
    const int state = reg.ReadInteger(kMaster, QStringLiteral("WindowState"), currentState);
    if (state == 0) {
        const QRect stored(reg.ReadInteger(kMaster, QStringLiteral("Left"), x()),
                           reg.ReadInteger(kMaster, QStringLiteral("Top"), y()),
                           reg.ReadInteger(kMaster, QStringLiteral("Width"), width()),
                           reg.ReadInteger(kMaster, QStringLiteral("Height"), height()));
        QScreen* screen = QGuiApplication::primaryScreen();
        const QRect r = screen ? ClampWindowRect(stored, screen->geometry().size()) : stored;
        move(r.topLeft());
        resize(r.size());
    } else if (state == 2) {
        setWindowState(Qt::WindowMaximized);
    } else if (state == 1) {
        setWindowState(Qt::WindowMinimized);
    }
}

void TMaster::SaveWindowPosition()
{
    TVQRegIniFile& reg = VQRegistry();
    const int state = isMaximized() ? 2 : isMinimized() ? 1 : 0;
    reg.WriteInteger(kMaster, QStringLiteral("WindowState"), state);
    if (state != 2) {
        reg.WriteInteger(kMaster, QStringLiteral("Left"), x());
        reg.WriteInteger(kMaster, QStringLiteral("Top"), y());
        reg.WriteInteger(kMaster, QStringLiteral("Width"), width());
        reg.WriteInteger(kMaster, QStringLiteral("Height"), height());
    }
}

void TMaster::closeEvent(QCloseEvent* event)
{
    bool close = false;
    RunCommand([&] { close = FormCloseQuery(); });
    if (!close) {
        event->ignore();
        return;
    }
    SaveWindowPosition();
    event->accept();
}

bool TMaster::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == panMainviewTop && event->type() == QEvent::Resize)
        LayoutTopBar();
    return QMainWindow::eventFilter(watched, event);
}

void TMaster::LayoutTopBar()
{
    if (!panMainviewTop)
        return;
    const int w = panMainviewTop->width();
    const int h = panMainviewTop->height();
    tbMainViewZoom->setGeometry(w - 5 - 100, (h - 21) / 2, 100, 21);
    imgZoom->setGeometry(tbMainViewZoom->x() - 3 - 16, (h - 16) / 2, 16, 16);
    const int btn = 23;
    BtnSeiteZurueck->setGeometry(w / 2 - 97, (h - btn) / 2, btn, btn);
    const int labelWidth = std::max(lblSeitenzahl->sizeHint().width(), 148);
    lblSeitenzahl->setGeometry(BtnSeiteZurueck->geometry().right() + 1, 0, labelWidth, h);
    BtnSeiteVor->setGeometry(lblSeitenzahl->geometry().right() + 1, (h - btn) / 2, btn, btn);
}
