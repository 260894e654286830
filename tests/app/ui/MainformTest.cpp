#include "app/InfoAusgabe.h"
#include "app/VQRegistry.h"
#include "app/ui/Command.h"
#include "app/ui/Mainform.h"
#include "app/ui/ProgressDlg.h"
#include "app/Errors.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <gtest/gtest.h>

TEST(Mainform, LanguageSwitchRenamesMenusAndButtonsAndIsRemembered)
{
    TTestServices env;
    {
        TMaster master;
        EXPECT_EQ(master.mnuDatei->title(), QStringLiteral("&Datei"));
        EXPECT_EQ(master.BtnAlbumOeffnen->text(), QStringLiteral("Öffnen"));
        EXPECT_EQ(master.windowTitle(), QStringLiteral("Quarn Lumarbo - Unbenannt"));
        // German and English are built in and offered; the others are not.
        master.UpdateLanguageMenu();
        QStringList visible;
        for (QAction* a : master.LanguageItems)
            if (a->isVisible())
                visible << a->text();
        EXPECT_EQ(visible, QStringList({QStringLiteral("Deutsch"), QStringLiteral("English")}));

        master.ChooseLanguage(1);
        EXPECT_EQ(master.mnuDatei->title(), QStringLiteral("&File"));
        EXPECT_EQ(master.BtnAlbumOeffnen->text(), QStringLiteral("Open"));
        EXPECT_EQ(master.BtnAlbumOeffnen->toolTip(), QStringLiteral("Open album"));
        EXPECT_EQ(master.pagecontrolBottom->tabText(0), QStringLiteral("Pages"));
        EXPECT_EQ(master.windowTitle(), QStringLiteral("Quarn Lumarbo - Untitled"));
        EXPECT_FALSE(master.mnuNewsletter->isVisible());
        EXPECT_EQ(env.Services().Registry().ReadInteger(QString(), QStringLiteral("Sprache"), -99), 1);
    }
    // The next start comes up in English.
    TMaster again;
    EXPECT_EQ(again.mnuDatei->title(), QStringLiteral("&File"));
}

TEST(Mainform, RestoresAndSavesTheWindowPosition)
{
    TTestServices env;
    TVQRegIniFile& reg = env.Services().Registry();
    reg.WriteInteger(QStringLiteral("Master"), QStringLiteral("WindowState"), 0);
    reg.WriteInteger(QStringLiteral("Master"), QStringLiteral("Left"), 5000);
    reg.WriteInteger(QStringLiteral("Master"), QStringLiteral("Top"), -40);
    reg.WriteInteger(QStringLiteral("Master"), QStringLiteral("Width"), 900);
    reg.WriteInteger(QStringLiteral("Master"), QStringLiteral("Height"), 700);
    TMaster master;
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_EQ(master.width(), std::min(900, screen.width()));
    EXPECT_EQ(master.x(), screen.width() - master.width());
    EXPECT_EQ(master.y(), 0);
    master.resize(800, 600);
    master.SaveWindowPosition();
    EXPECT_EQ(reg.ReadInteger(QStringLiteral("Master"), QStringLiteral("Width"), 0), 800);
    EXPECT_EQ(reg.ReadInteger(QStringLiteral("Master"), QStringLiteral("WindowState"), -1), 0);
}

TEST(Mainform, AFailedCommandLeavesNoProgressWindowAndNoDisabledWindow)
{
    TTestServices env;
    TMaster master;
    auto* output = dynamic_cast<TWindowInfoOutput*>(InfoAusgabe().GetOutput());
    ASSERT_NE(output, nullptr);
    RunCommand([&] {
        InfoAusgabe().SetInfo(QStringLiteral("Lade Projekt"));
        TProgressDlg* first = output->Progress();
        InfoAusgabe().SetInfo(QStringLiteral("Lade Bild 1"));
        // The same window shows the next text.
        EXPECT_EQ(output->Progress(), first);
        EXPECT_EQ(output->Progress()->Text(), QStringLiteral("Lade Bild 1"));
        EXPECT_FALSE(master.isEnabled());
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        throw Exception(QStringLiteral("Invalid file format."));
    });
    EXPECT_TRUE(master.isEnabled());
    EXPECT_EQ(output->Progress(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(master.statusBar()->currentMessage().isEmpty());
    ASSERT_EQ(env.Prompts().Questions.size(), 1u);
    EXPECT_EQ(env.Prompts().Questions[0].Text, QStringLiteral("Invalid file format."));
    EXPECT_EQ(env.Prompts().Questions[0].Type, TMsgDlgType::Error);
}

TEST(Mainform, StartsWithOnlyThePagesTabAndTheLayoutOfTheTopBar)
{
    TTestServices env;
    TMaster master;
    master.resize(1000, 700);
    master.show();
    QApplication::processEvents();
    EXPECT_TRUE(master.pagecontrolBottom->isTabVisible(0));
    for (int i = 1; i < master.pagecontrolBottom->count(); ++i)
        EXPECT_FALSE(master.pagecontrolBottom->isTabVisible(i));
    const int w = master.panMainviewTop->width();
    EXPECT_EQ(master.BtnSeiteZurueck->x(), w / 2 - 97);
    EXPECT_EQ(master.tbMainViewZoom->geometry().right(), w - 5 - 1);
    EXPECT_EQ(master.tbMainViewZoom->width(), 100);
    EXPECT_GE(master.width(), 700);
}
