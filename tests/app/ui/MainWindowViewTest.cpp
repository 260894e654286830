#include "app/ui/Mainform.h"
#include "editor/Multicaster.h"
#include "editor/ui/ZadoveroMainview.h"
#include "model/ZadoveroDocument.h"
#include "model/ZadoveroDocumentHelper.h"
#include "model/DocumentTestUtil.h"
#include "model/Undo.h"
#include "support/TestSupport.h"

#include <QEventLoop>
#include <QTimer>
#include <QLabel>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class MainWindowView : public ::testing::Test {
protected:
    TTestServices Env;
    TMaster Master;

    TFBDocument& Doc() { return Master.Document(); }
    TFBMainView& View() { return *Master.MainView(); }

    // A ten-page photo book shown in the window.
    void MakeBook()
    {
        ApplyProductSetup(Doc(), 31, 10, 0);
        Master.RefreshAfterProjectChange();
        Master.UpdateTools();
    }
    QStringList VisibleBottomTabs() const
    {
        QStringList tabs;
        for (int i = 0; i < Master.pagecontrolBottom->count(); ++i)
            if (Master.pagecontrolBottom->isTabVisible(i))
                tabs << Master.pagecontrolBottom->widget(i)->objectName();
        return tabs;
    }
    // Lets the event loop go idle once (it waits for a timer).
    static void Idle()
    {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    QString ActiveBottomTab() const { return Master.pagecontrolBottom->currentWidget()->objectName(); }
};

} // namespace

TEST_F(MainWindowView, PageButtonsStopAtTheEndsAndTheLabelFollows)
{
    MakeBook();
    const int last = Doc().SpreadCount() - 1;
    ASSERT_GT(last, 1);
    EXPECT_EQ(View().ViewIndex(), 0);
    EXPECT_EQ(Master.lblSeitenzahl->text(), Doc().GetSpreadName(0));

    Master.BtnSeiteZurueck->click();
    EXPECT_EQ(View().ViewIndex(), 0);
    for (int i = 0; i < last + 2; ++i)
        Master.BtnSeiteVor->click();
    EXPECT_EQ(View().ViewIndex(), last);
    EXPECT_EQ(Master.lblSeitenzahl->text(), Doc().GetSpreadName(last));
    Master.BtnSeiteZurueck->click();
    EXPECT_EQ(View().ViewIndex(), last - 1);

    // A view moved by someone else is followed by the label; a negative
    // index is ignored.
    Master.Multicaster().ViewChanged(&View(), 1);
    Master.Multicaster().ViewChanged(&Master, -1);
    EXPECT_EQ(Master.lblSeitenzahl->text(), Doc().GetSpreadName(View().ViewIndex()));

    // A new project starts at its first view.
    Master.RefreshAfterProjectChange();
    EXPECT_EQ(View().ViewIndex(), 0);
}

TEST_F(MainWindowView, ZoomBarAndViewFollowEachOtherWithoutEcho)
{
    MakeBook();
    Master.resize(1024, 740);
    Master.show();
    Master.tbMainViewZoom->setValue(250);
    EXPECT_FLOAT_EQ(View().Zoom(), 2.5f);

    int barChanges = 0;
    QObject::connect(Master.tbMainViewZoom, &QSlider::valueChanged, [&] { ++barChanges; });
    View().SetZoom(3.456f);
    // The bar shows the view's zoom but does not zoom the view again (which
    // would round it to the bar's steps).
    EXPECT_EQ(Master.tbMainViewZoom->value(), 346);
    EXPECT_EQ(barChanges, 0);
    EXPECT_FLOAT_EQ(View().Zoom(), 3.456f);
}

TEST_F(MainWindowView, PropertyTabFollowsTheSelection)
{
    SetupDefaultDocument(Doc());
    TFBPage* page = Doc().Pages.Items(0);
    auto* text = AddElement<TFBTextElement>(page, 50, 50, 40, 20);
    auto* colour = AddElement<TFBPictureElement>(page, 100, 100, 30, 30);
    colour->SetSolidColor(0x0000FF);
    auto* calendar = AddElement<TFBKalenderElement>(page, 100, 200, 80, 60);
    Master.RefreshAfterProjectChange();

    struct Case {
        TFBElement* Selected;
        const char* Tab;
    };
    const Case cases[] = {
        {text, "tsText"},
        {colour, "tsFarbflaeche"},
        {calendar, "tsKalender"},
        {nullptr, "tsSeiten"},
    };
    for (const Case& c : cases) {
        View().Select(c.Selected);
        const QString tab = QString::fromLatin1(c.Tab);
        EXPECT_EQ(ActiveBottomTab(), tab);
        QStringList expected{QStringLiteral("tsSeiten")};
        if (tab != expected.constFirst())
            expected << tab;
        EXPECT_EQ(VisibleBottomTabs(), expected);
    }

    // Opening or creating a project never leaves the view pointing at a
    // freed element.
    View().Select(text);
    Master.BeforeStructureChange();
    EXPECT_EQ(View().Selection(), nullptr);
    EXPECT_EQ(ActiveBottomTab(), QStringLiteral("tsSeiten"));
}

TEST_F(MainWindowView, UndoGoesBackToTheRecordedViewAndSelection)
{
    MakeBook();
    Master.show();
    // An empty history: disabled commands, and a beep if asked anyway.
    Idle();
    EXPECT_FALSE(Master.BtnRueckgaengig->isEnabled());
    Master.BtnRueckgaengigClick();
    EXPECT_EQ(Env.Prompts().Beeps, 1);

    // A step recorded on spread 2 with a frame selected.
    View().ShowView(2);
    TFBPage* page = Doc().RightPage(2);
    ASSERT_NE(page, nullptr);
    ASSERT_GT(page->Piclist.Count(), 0);
    TFBElement* frame = page->Piclist.Items(0);
    View().Select(frame);
    const TColor before = page->Seitenfarbe;
    GetUndoManager().AddSeitenhintergrund(*page);
    page->Seitenfarbe = 0x123456;
    Idle();
    EXPECT_TRUE(Master.BtnRueckgaengig->isEnabled());

    // Elsewhere meanwhile; undo comes back to where the step was made.
    View().ShowView(0);
    Master.BtnRueckgaengig->click();
    EXPECT_EQ(page->Seitenfarbe, before);
    EXPECT_EQ(View().ViewIndex(), 2);
    EXPECT_EQ(View().Selection(), frame);
    EXPECT_EQ(Master.lblSeitenzahl->text(), Doc().GetSpreadName(2));
    EXPECT_EQ(Env.Prompts().Beeps, 1);
    EXPECT_FALSE(Master.BtnRueckgaengig->isEnabled());
}

TEST_F(MainWindowView, ShadowButtonChangesTheProjectAndMarksItModified)
{
    MakeBook();
    Doc().Modified = false;
    const bool shadows = Doc().PicturesHaveShadows;
    ASSERT_TRUE(Master.BtnBilderschatten->isEnabled());
    Master.BtnBilderschatten->click();
    EXPECT_EQ(Doc().PicturesHaveShadows, !shadows);
    EXPECT_EQ(Master.BtnBilderschatten->isChecked(), !shadows);
    EXPECT_TRUE(Doc().Modified);
}
