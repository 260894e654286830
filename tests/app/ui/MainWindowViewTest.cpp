#include "app/ui/Mainform.h"
#include "editor/Multicaster.h"
#include "editor/ui/ZadoveroMainview.h"
#include "model/ZadoveroDocument.h"
#include "model/ZadoveroDocumentHelper.h"
#include "model/DocumentTestUtil.h"
#include "support/TestSupport.h"

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
    }
    QStringList VisibleBottomTabs() const
    {
        QStringList tabs;
        for (int i = 0; i < Master.pagecontrolBottom->count(); ++i)
            if (Master.pagecontrolBottom->isTabVisible(i))
                tabs << Master.pagecontrolBottom->widget(i)->objectName();
        return tabs;
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
