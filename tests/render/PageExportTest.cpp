// Export of spreads as PNG files from a saved project.
#include "calendar/Kalender.h"
#include "i18n/Localizer.h"
#include "model/BildManager.h"
#include "model/ZadoveroDocument.h"
#include "render/PageExport.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace {

class PageExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterKalenderTexts(Svc.Services().Localizer());
        RegisterDocumentTexts(Svc.Services().Localizer());
        OutDir = Svc.TempPath(QStringLiteral("out"));
    }

    // A book of three pages: the cover (spread 0, right page), then pages 2
    // and 3 side by side. Page 2 has a picture and a text, page 3 a
    // calendar on a coloured page and an empty frame.
    QString SaveBook()
    {
        TFBDocument doc;
        doc.ScreenMode = 1;
        doc.PageWidth = 148;
        doc.PageHeight = 105;
        for (int i = 0; i < 3; ++i)
            doc.Pages.Add(std::make_unique<TFBPage>(&doc));
        auto place = [](TFBElement* el, float cx, float cy, float w, float h) {
            el->CenterX = cx;
            el->CenterY = cy;
            el->Width = w;
            el->Height = h;
        };
        QImage red(300, 200, QImage::Format_RGB32);
        red.fill(Qt::red);
        for (int p : {0, 1}) {
            auto* f = static_cast<TFBPictureElement*>(doc.Pages.Items(p)->Piclist.Add(
                std::make_unique<TFBPictureElement>(doc.Pages.Items(p))));
            place(f, 74, 40, 100, 60);
            f->SetRefIndex(doc.Bildmanager().AddBitmap(red));
        }
        auto* text = static_cast<TFBTextElement*>(doc.Pages.Items(1)->Elementlist.Add(
            std::make_unique<TFBTextElement>(doc.Pages.Items(1))));
        place(text, 74, 88, 120, 20);
        text->SetRTF(QStringLiteral(
            "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs40 Sommer am See}"));
        text->SetHasShadow(true);
        TFBPage* calPage = doc.Pages.Items(2);
        calPage->Seitenfarbe = RGBColor(250, 240, 200);
        auto* cal = static_cast<TFBKalenderElement*>(
            calPage->Kalenderlist.Add(std::make_unique<TFBKalenderElement>(calPage)));
        place(cal, 74, 70, 130, 60);
        auto* empty = static_cast<TFBPictureElement*>(
            calPage->Piclist.Add(std::make_unique<TFBPictureElement>(calPage)));
        place(empty, 74, 20, 60, 30);
        const QString file = Svc.TempPath(QStringLiteral("book.tpb"));
        doc.SaveToFile(file);
        return file;
    }

    TTestServices Svc;
    QString OutDir;
};

TEST_F(PageExportTest, WritesOnePngPerSpread)
{
    const QString project = SaveBook();
    QString message;
    ASSERT_EQ(ExportProjectAsPng(project, OutDir, 100, message), 0) << message.toStdString();

    const QStringList files = QDir(OutDir).entryList({QStringLiteral("*.png")}, QDir::Files,
                                                     QDir::Name);
    ASSERT_EQ(files, QStringList({QStringLiteral("01 Seite 1.png"),
                                  QStringLiteral("02 Seite 2 - 3.png")}));
    const double px = 100 / 25.4;
    const QImage cover(QDir(OutDir).filePath(files[0]));
    const QImage spread(QDir(OutDir).filePath(files[1]));
    EXPECT_NEAR(cover.width(), 148 * px, 1);
    EXPECT_NEAR(spread.width(), 2 * 148 * px, 1);
    EXPECT_NEAR(spread.height(), 105 * px, 1);

    auto at = [&](const QImage& img, double x, double y) {
        return img.pixelColor(int(x * px), int(y * px));
    };
    // Pictures are stored compressed: red within a step or two.
    auto isRed = [](QColor c) { return c.red() > 245 && c.green() < 10 && c.blue() < 10; };
    EXPECT_TRUE(isRed(at(cover, 74, 40)));
    EXPECT_TRUE(isRed(at(spread, 74, 40)));
    // The right page keeps its colour; its empty frame leaves no outline.
    EXPECT_EQ(at(spread, 148 + 10, 10), QColor(250, 240, 200));
    for (double x = 148 + 44 - 1; x <= 148 + 44 + 1; x += 0.1)
        EXPECT_EQ(at(spread, x, 20), QColor(250, 240, 200)) << x;
}

TEST_F(PageExportTest, FailuresGiveAMessageAndAStatus)
{
    QString message;
    EXPECT_EQ(ExportProjectAsPng(Svc.TempPath(QStringLiteral("none.tpb")), OutDir, 150, message),
              1);
    EXPECT_TRUE(message.contains(QStringLiteral("none.tpb")));

    const QString garbage = Svc.TempPath(QStringLiteral("garbage.tpb"));
    QFile f(garbage);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is no project");
    f.close();
    message.clear();
    EXPECT_EQ(ExportProjectAsPng(garbage, OutDir, 150, message), 1);
    EXPECT_FALSE(message.isEmpty());

    const QString project = SaveBook();
    for (int dpi : {0, kExportMaxDpi + 1}) {
        message.clear();
        EXPECT_EQ(ExportProjectAsPng(project, OutDir, dpi, message), 2);
        EXPECT_FALSE(message.isEmpty());
    }
    EXPECT_TRUE(QDir(OutDir).entryList({QStringLiteral("*.png")}).isEmpty());
}

TEST(PageExportFileName, NumberedAndSafe)
{
    struct Case {
        int Index, Count;
        const char* Name;
        const char* Expected;
    } cases[] = {
        {0, 3, "Seite 1", "01 Seite 1.png"},
        {11, 120, "Seite 22 - 23", "012 Seite 22 - 23.png"},
        {4, 12, "Mai/Juni: \"Urlaub\"", "05 Mai_Juni_ _Urlaub_.png"},
        {0, 1, "", "01.png"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExportFileName(c.Index, c.Count, QString::fromUtf8(c.Name)),
                  QString::fromUtf8(c.Expected));
}

} // namespace
