// The wizard window driven without a modal loop: shown, clicked and typed at
// through synthetic input events, its result read afterwards.

#include "app/Errors.h"
#include "calendar/Kalender.h"
#include "i18n/Localizer.h"
#include "model/ZadoveroDocument.h"
#include "model/ZadoveroDocumentHelper.h"
#include "support/TestSupport.h"
#include "wizard/ui/DateiNeuDlg.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Input as the window system delivers it, through the application so that
// ignored events reach the parents.
void SendMouse(QWidget* w, QEvent::Type type, const QPoint& pos)
{
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
void MouseClick(QWidget* w, const QPoint& pos)
{
    SendMouse(w, QEvent::MouseButtonPress, pos);
    SendMouse(w, QEvent::MouseButtonRelease, pos);
}
void MouseClick(QPushButton* b)
{
    MouseClick(b, b->rect().center());
}
void MouseDClick(QWidget* w, const QPoint& pos)
{
    MouseClick(w, pos);
    SendMouse(w, QEvent::MouseButtonDblClick, pos);
    SendMouse(w, QEvent::MouseButtonRelease, pos);
}
void KeyClick(QWidget* w, Qt::Key key)
{
    const QString text = key == Qt::Key_Backspace ? QStringLiteral("\b")
                         : key == Qt::Key_Return  ? QStringLiteral("\r")
                         : key == Qt::Key_Escape  ? QStringLiteral("\x1b")
                                                  : QString();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

class DateiNeuDlgTest : public ::testing::Test {
protected:
    TTestServices Env;
    QStringList Pictures; // every picture the window asked for
    TFBDocument Doc;

    std::unique_ptr<TDateiNeuDlg> Open(bool show = true)
    {
        auto dlg = std::make_unique<TDateiNeuDlg>(
            nullptr, [] { return 2026; },
            [this](const QString& name) {
                Pictures << name;
                QImage image(400, 300, QImage::Format_RGB32);
                image.fill(Qt::darkCyan);
                return image;
            });
        dlg->SetDocument(&Doc);
        if (show) {
            dlg->show();
            QApplication::processEvents();
        }
        return dlg;
    }

    // A project the user has been working on.
    void MakeUserProject()
    {
        ApplyProductSetup(Doc, 81, 3, 0);
        Doc.Dokumentname = QStringLiteral("Urlaub");
        Doc.FileName = QStringLiteral("/home/user/Urlaub.tpb");
        Doc.Modified = true;
    }
    void ExpectUserProjectUnchanged()
    {
        EXPECT_EQ(Doc.Pages.Count(), 3);
        EXPECT_EQ(Doc.Dokumentname, QStringLiteral("Urlaub"));
        EXPECT_EQ(Doc.FileName, QStringLiteral("/home/user/Urlaub.tpb"));
        EXPECT_TRUE(Doc.Modified);
    }

    static QStringList Entries(const TDateiNeuDlg& dlg)
    {
        QStringList l;
        for (int i = 0; i < dlg.lbSteps->count(); ++i)
            l << dlg.lbSteps->item(i)->text();
        return l;
    }
    static QPoint EntryCentre(const TDateiNeuDlg& dlg, int row)
    {
        return dlg.lbSteps->visualItemRect(dlg.lbSteps->item(row)).center();
    }
    static void Click(TDateiNeuDlg& dlg, int row)
    {
        MouseClick(dlg.lbSteps->viewport(), EntryCentre(dlg, row));
    }
    static void DoubleClick(TDateiNeuDlg& dlg, int row)
    {
        MouseDClick(dlg.lbSteps->viewport(), EntryCentre(dlg, row));
    }
    static void Key(TDateiNeuDlg& dlg, Qt::Key key) { KeyClick(dlg.lbSteps, key); }
};

TEST_F(DateiNeuDlgTest, StartsOnTheProductList)
{
    auto dlg = Open();
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Neues Projekt anlegen"));
    EXPECT_EQ(dlg->size(), QSize(580, 386));
    const struct {
        QWidget* Widget;
        QRect Geometry;
    } layout[] = {
        {dlg->panCaption, {0, 0, 580, 40}},        {dlg->lbSteps, {0, 40, 180, 300}},
        {dlg->imgWizzard, {180, 40, 400, 300}},    {dlg->BtnDateiOeffnen, {6, 352, 151, 25}},
        {dlg->BtnZurueck, {293, 352, 85, 25}},     {dlg->BtnWeiter, {383, 352, 85, 25}},
        {dlg->BtnAbbrechen, {485, 352, 85, 25}},
    };
    for (const auto& l : layout)
        EXPECT_EQ(l.Widget->geometry(), l.Geometry) << l.Widget->objectName().toStdString();
    EXPECT_EQ(dlg->BtnDateiOeffnen->text(), QStringLiteral("Projekt öffnen..."));
    EXPECT_EQ(dlg->BtnZurueck->text(), QStringLiteral("<< Zurück"));
    EXPECT_EQ(dlg->BtnAbbrechen->text(), QStringLiteral("Abbrechen"));
    EXPECT_TRUE(dlg->BtnWeiter->isDefault());

    EXPECT_EQ(dlg->lblCaption->text(), QStringLiteral("Wählen Sie Ihr Format"));
    const QStringList entries = Entries(*dlg);
    ASSERT_EQ(entries.size(), 11);
    EXPECT_EQ(entries.first(), QStringLiteral("Photo-Buch 10x15"));
    EXPECT_EQ(entries.last(), QStringLiteral("Photo-Ballons"));
    EXPECT_EQ(dlg->lbSteps->currentRow(), 0);
    EXPECT_FALSE(dlg->BtnZurueck->isEnabled());
    EXPECT_EQ(dlg->BtnWeiter->text(), QStringLiteral("OK")); // the first product has no choices
    EXPECT_EQ(Pictures, QStringList{QStringLiteral("WIZ_QUARN_PB_10X15")});
    EXPECT_FALSE(dlg->imgWizzard->pixmap().isNull());
    EXPECT_TRUE(dlg->imgWizzard->hasScaledContents());

    // Eleven entries share the 300 pixels of the list.
    EXPECT_EQ(dlg->ItemHeight(), 27);
    EXPECT_EQ(dlg->lbSteps->visualItemRect(dlg->lbSteps->item(0)).height(), 27);
    EXPECT_EQ(dlg->lbSteps->visualItemRect(dlg->lbSteps->item(10)).bottom(), 11 * 27 - 1);
}

TEST_F(DateiNeuDlgTest, ClickDoubleClickBackspaceAndZurueck)
{
    auto dlg = Open();
    Click(*dlg, 1);
    EXPECT_EQ(Pictures.last(), QStringLiteral("WIZ_QUARN_PB_A5"));
    EXPECT_EQ(dlg->BtnWeiter->text(), QStringLiteral("Weiter >>"));

    // Backspace on the root level does nothing.
    Key(*dlg, Qt::Key_Backspace);
    EXPECT_EQ(Entries(*dlg).size(), 11);
    EXPECT_EQ(dlg->lbSteps->currentRow(), 1);

    MouseClick(dlg->BtnWeiter);
    EXPECT_EQ(dlg->lblCaption->text(), QStringLiteral("Photo-Buch A5 - Wählen Sie Ihr Grundlayout"));
    EXPECT_EQ(Entries(*dlg), (QStringList{QStringLiteral("Photo-Buch A5"), QStringLiteral("Photo-Buch A5 randlos")}));
    EXPECT_TRUE(dlg->BtnZurueck->isEnabled());

    // A double click descends like Weiter.
    DoubleClick(*dlg, 1);
    EXPECT_EQ(dlg->lblCaption->text(), QStringLiteral("Photo-Buch A5 randlos - Wählen Sie Ihr Grundlayout"));
    EXPECT_EQ(Entries(*dlg), (QStringList{QStringLiteral("Randlos"), QStringLiteral("Ornata"),
                                          QStringLiteral("Lateo"), QStringLiteral("Altivo")}));
    EXPECT_EQ(dlg->lbSteps->currentRow(), 0);
    EXPECT_EQ(Pictures.last(), QStringLiteral("WIZ_PHOTOBOOK_8_5_FULLSIZE_R"));
    EXPECT_EQ(dlg->BtnWeiter->text(), QStringLiteral("OK"));

    // Up again: the step that was left is the selected entry, its picture shows.
    Key(*dlg, Qt::Key_Backspace);
    EXPECT_EQ(dlg->lblCaption->text(), QStringLiteral("Photo-Buch A5 - Wählen Sie Ihr Grundlayout"));
    EXPECT_EQ(dlg->lbSteps->currentRow(), 1);
    EXPECT_EQ(dlg->Wizzard().SelectedStep()->Caption, QStringLiteral("Photo-Buch A5 randlos"));
    EXPECT_EQ(Pictures.last(), QStringLiteral("WIZ_PHOTOBOOK_8_5_FULLSIZE_R"));
    EXPECT_TRUE(dlg->lbSteps->item(1)->isSelected());

    MouseClick(dlg->BtnZurueck);
    EXPECT_EQ(Entries(*dlg).size(), 11);
    EXPECT_EQ(dlg->lbSteps->currentRow(), 1);
    EXPECT_FALSE(dlg->BtnZurueck->isEnabled());
    EXPECT_EQ(dlg->BtnWeiter->text(), QStringLiteral("Weiter >>"));
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(Doc.Pages.Count(), 0);
}

// "2028" under the desk calendar's "Layout 2", chosen with the keyboard.
TEST_F(DateiNeuDlgTest, ConfirmingAYearSetsUpTheCalendar)
{
    MakeUserProject();
    auto dlg = Open();
    Key(*dlg, Qt::Key_Down);
    Key(*dlg, Qt::Key_Down);
    EXPECT_EQ(Pictures.last(), QStringLiteral("WIZ_QUARN_PK_A5"));
    Key(*dlg, Qt::Key_Return);
    EXPECT_EQ(dlg->lblCaption->text(), QStringLiteral("Photo-Tischkalender A5 - Wählen Sie Ihr Grundlayout"));
    Key(*dlg, Qt::Key_Down);
    Key(*dlg, Qt::Key_Enter);
    EXPECT_EQ(dlg->lblCaption->text(), QStringLiteral("Wählen Sie das gewünschte Jahr"));
    EXPECT_EQ(Entries(*dlg), (QStringList{"2026", "2027", "2028", "2029", "2030"}));
    EXPECT_EQ(Pictures.last(), QStringLiteral("WIZ_KALENDER_A5_2"));
    Click(*dlg, 2);
    ExpectUserProjectUnchanged(); // browsing changes nothing
    MouseClick(dlg->BtnWeiter);

    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), TDateiNeuDlg::mrProduct);
    EXPECT_EQ(Doc.Dokumentname, QStringLiteral("Photo-Tischkalender A5"));
    EXPECT_TRUE(Doc.FileName.isEmpty());
    EXPECT_EQ(Doc.LayoutStil, 11);
    ASSERT_EQ(Doc.Pages.Count(), 12);
    for (int p = 0; p < 12; ++p) {
        ASSERT_EQ(Doc.Pages.Items(p)->Kalenderlist.Count(), 1);
        const auto* k = static_cast<const TFBKalenderElement*>(Doc.Pages.Items(p)->Kalenderlist.Items(0));
        EXPECT_EQ(k->KalenderData().Jahr(), 2028);
    }
}

TEST_F(DateiNeuDlgTest, LeafProductsFinishWithTheirPageCount)
{
    const struct {
        int Row;
        int Pages;
        const char* Name;
    } cases[] = {{0, 25, "Photo-Buch 10x15"}, {5, 50, "10x15cm"}, {9, 20, "Flaschenetiketten"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        auto dlg = Open();
        DoubleClick(*dlg, c.Row);
        EXPECT_EQ(dlg->result(), TDateiNeuDlg::mrProduct);
        EXPECT_EQ(Doc.Pages.Count(), c.Pages);
        EXPECT_EQ(Doc.Dokumentname, QString::fromUtf8(c.Name));
    }
}

TEST_F(DateiNeuDlgTest, CancelAndOpenLeaveTheDocumentUntouched)
{
    const struct {
        const char* Way;
        void (*Do)(TDateiNeuDlg&);
        int Result;
    } cases[] = {
        {"Abbrechen", [](TDateiNeuDlg& d) { MouseClick(d.BtnAbbrechen); },
         TDateiNeuDlg::mrCancel},
        {"Escape", [](TDateiNeuDlg& d) { KeyClick(d.lbSteps, Qt::Key_Escape); }, TDateiNeuDlg::mrCancel},
        {"close box", [](TDateiNeuDlg& d) { d.close(); }, TDateiNeuDlg::mrCancel},
        {"Projekt öffnen", [](TDateiNeuDlg& d) { MouseClick(d.BtnDateiOeffnen); },
         TDateiNeuDlg::mrDateiOeffnen},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Way);
        MakeUserProject();
        auto dlg = Open();
        // Browse down to a leaf first.
        Click(*dlg, 3);
        Key(*dlg, Qt::Key_Return);
        Key(*dlg, Qt::Key_Return);
        ASSERT_EQ(dlg->lblCaption->text(), QStringLiteral("Wählen Sie das gewünschte Jahr"));
        c.Do(*dlg);
        EXPECT_FALSE(dlg->isVisible());
        EXPECT_EQ(dlg->result(), c.Result);
        ExpectUserProjectUnchanged();
    }
}

TEST_F(DateiNeuDlgTest, AMissingPictureIsReported)
{
    const auto year = [] { return 2026; };
    const auto missing = [](const QString& name) -> QImage {
        throw Exception(QStringLiteral("Bildressource nicht gefunden: ") + name);
    };
    EXPECT_THROW(TDateiNeuDlg(nullptr, year, missing), Exception);

    // Missing below the first level: the error is shown, the wizard goes on.
    bool fail = false;
    TDateiNeuDlg dlg(nullptr, year, [&](const QString& name) {
        if (fail)
            throw Exception(QStringLiteral("Bildressource nicht gefunden: ") + name);
        return QImage(400, 300, QImage::Format_RGB32);
    });
    dlg.SetDocument(&Doc);
    dlg.show();
    fail = true;
    Click(dlg, 4);
    ASSERT_EQ(Env.Prompts().Questions.size(), 1u);
    EXPECT_EQ(Env.Prompts().Questions[0].Text, QStringLiteral("Bildressource nicht gefunden: WIZ_QUARN_A4"));
    EXPECT_TRUE(dlg.isVisible());
}

// The entries are painted by the window: a gradient from light to dark, a
// shadow line at the bottom, the caption right-aligned 10 pixels inside.
TEST_F(DateiNeuDlgTest, EntriesAreDrawnWithGradientAndShadowLine)
{
    auto dlg = Open();
    const QImage list = dlg->lbSteps->grab().toImage();
    const QPalette& pal = dlg->lbSteps->palette();
    const QColor shadow = pal.color(QPalette::Active, QPalette::Dark);
    const QColor highlight = pal.color(QPalette::Active, QPalette::Highlight);
    const QColor face = pal.color(QPalette::Active, QPalette::Button);
    const int h = dlg->ItemHeight();
    for (int row : {0, 1}) {
        SCOPED_TRACE(row);
        const int top = row * h;
        const QColor base = row == 0 ? highlight : face; // entry 0 is selected
        const QColor upper = list.pixelColor(2, top + 1);
        const QColor lower = list.pixelColor(2, top + h - 3);
        EXPECT_GT(upper.lightnessF(), lower.lightnessF());
        EXPECT_NEAR(upper.hslHue(), base.hslHue(), base.hslSaturation() > 20 ? 8 : 360);
        EXPECT_EQ(list.pixelColor(2, top + h - 1).rgb(), shadow.rgb());
        // Text only left of the 10-pixel margin on the right.
        int textRight = -1;
        for (int x = 0; x < list.width(); ++x)
            for (int y = top + 2; y < top + h - 3; ++y)
                if (qAbs(list.pixelColor(x, y).lightness() - list.pixelColor(2, y).lightness()) > 60)
                    textRight = std::max(textRight, x);
        EXPECT_GT(textRight, list.width() - 40);
        EXPECT_LT(textRight, list.width() - 10);
    }
}

TEST_F(DateiNeuDlgTest, ShowsTheChosenLanguage)
{
    Localizer().SwitchLanguage(1);
    ASSERT_EQ(Localizer().CurrentLanguage, 1);
    auto dlg = Open(false);
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Create a new project"));
    EXPECT_EQ(dlg->lblCaption->text(), QStringLiteral("Choose your format"));
    EXPECT_EQ(dlg->BtnDateiOeffnen->text(), QStringLiteral("Open project..."));
    EXPECT_EQ(dlg->BtnZurueck->text(), QStringLiteral("<< Back"));
    EXPECT_EQ(dlg->BtnAbbrechen->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(dlg->BtnWeiter->text(), QStringLiteral("OK"));
    EXPECT_EQ(dlg->lbSteps->item(0)->text(), QStringLiteral("Photo book 10x15"));
    dlg->lbSteps->setCurrentRow(10);
    EXPECT_EQ(dlg->BtnWeiter->text(), QStringLiteral("Next >>"));
    dlg->BtnWeiterClick();
    EXPECT_EQ(dlg->lblCaption->text(), QStringLiteral("Photo balloons Choose your base layout"));
    EXPECT_EQ(dlg->lbSteps->item(1)->text(), QStringLiteral("Heart-shaped photo balloons"));
}

} // namespace
