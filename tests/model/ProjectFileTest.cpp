// Saving and opening projects: keys, defaults, version upgrades, hostile
// files and crash-safe saving.

#include "app/InfoAusgabe.h"
#include "calendar/Kalender.h"
#include "i18n/Localizer.h"
#include "model/BildManager.h"
#include "model/ZadoveroDocument.h"
#include "storage/DataFile.h"
#include "model/DocumentTestUtil.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <gtest/gtest.h>

#include <functional>
#include <limits>

namespace {

using TWriter = std::function<void(TCustomDataFile&)>;

// A project file's bytes made by a writer, held in memory.
QByteArray MakeFile(const TWriter& write)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadWrite);
    {
        TMemoryDataFile file(buffer);
        write(file);
    }
    return bytes;
}

void Load(TFBDocument& doc, QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TMemoryDataFile file(buffer);
    doc.LoadFromFile(file);
}

QByteArray Save(const TFBDocument& doc)
{
    return MakeFile([&](TCustomDataFile& f) { doc.SaveToFile(f); });
}

QByteArray ReadAll(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The start document of the program: a borderless A4 page filled by one
// frame.
void MakeDefaultEmptyDocument(TFBDocument& doc)
{
    doc.Clear();
    doc.PrintSetting = 10;
    doc.PrintBorderless = true;
    doc.Layouttypen = LayoutTypBit(ltDINA4Randlos);
    doc.SetShadows(false);
    TFBPage* page = AddPage(doc);
    AddElement<TFBPictureElement>(page, 105, 148.5f, 210, 297);
}

QString GoldenFile()
{
    return QStringLiteral(LUMARBO_TESTS_DIR "/model/data/DefaultEmpty.tpb");
}

class RecordingOutput : public IInfoOutput {
public:
    QStringList Texts;
    void SetStatusText(const QString&) override {}
    void ShowProgress(const QString& text) override { Texts << text; }
    void CloseProgress() override { Texts << QStringLiteral("<end>"); }
};

class ProjectFileTest : public ::testing::Test {
protected:
    TTestServices Services;
    TFBDocument Doc;
};

} // namespace

TEST_F(ProjectFileTest, DefaultEmptyDocumentMatchesGoldenFile)
{
    MakeDefaultEmptyDocument(Doc);
    const QString name = Services.TempPath(QStringLiteral("default.tpb"));
    Doc.SaveToFile(name);
    const QByteArray written = ReadAll(name);
    if (qEnvironmentVariableIsSet("LUMARBO_WRITE_GOLDEN")) {
        QFile out(GoldenFile());
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(written);
    }
    const QByteArray golden = ReadAll(GoldenFile());
    ASSERT_FALSE(golden.isEmpty()) << GoldenFile().toStdString();
    EXPECT_EQ(written, golden);

    TFBDocument back;
    back.LoadFromFile(name);
    EXPECT_EQ(back.Layouttypen, LayoutTypBit(ltDINA4Randlos));
    EXPECT_EQ(back.FileName, name);
    ASSERT_EQ(back.Pages.Count(), 1);
    EXPECT_EQ(back.Pages.Items(0)->Piclist.Count(), 1);
}

TEST_F(ProjectFileTest, RoundTripKeepsEveryField)
{
    Doc.ScreenMode = 1;
    Doc.DocType = 1;
    Doc.PictureShadowsAllowed = false;
    Doc.PrintPaperName = QStringLiteral("13x18 cm");
    Doc.PrintPaperType = QStringLiteral("Matt \u2013 \u00fcberall"); // beyond Windows-1252 as well
    Doc.PageWidth = 148.123f;
    Doc.PageHeight = 209.987f;
    Doc.Stegbreite = 2.345f;
    Doc.Umschlagbreite = 3.21f;
    Doc.PrintPaperSize = -2;
    Doc.PrintPaperWidth = 130.1f;
    Doc.PrintPaperHeight = 180.7f;
    Doc.PrintSetting = 15;
    Doc.Dokumentname = QStringLiteral("Photo-Buch A5");
    Doc.PicturesHaveShadows = false;
    Doc.PrintBorderless = true;
    Doc.Layouttypen = LayoutTypBit(ltPhotoBook85) | LayoutTypBit(ltKalenderA6);
    Doc.LayoutSubTyp = QStringLiteral("Altivo R");
    Doc.LayoutStil = 7;
    Doc.ScreenQuerformatWinkel = -90.5f;
    Doc.NurEinLayoutStil = true;
    Doc.Feiertage.Add(QStringLiteral("Neujahr"), QStringLiteral(", "), QDate(2025, 1, 1));
    Doc.Geburtstage.Add(QStringLiteral("Anna"), QStringLiteral(", "), QDate(2025, 3, 7));

    TFBPage* p0 = AddPage(Doc);
    TFBPage* p1 = AddPage(Doc);
    TFBPage* p2 = AddPage(Doc);
    p1->Seitenausrichtung = 1;
    p1->Seitenfarbe = 0x123456;
    p1->CustomLayoutStil = 3;
    auto* a = AddElement<TFBPictureElement>(p1, 140.25f, 100.5f, 20.125f, 30.75f);
    a->Angle = 12.5f;
    a->RegionTyp = 2;
    a->SetSolidColor(0x00FF00);
    a->SetZoom(2.5f);
    a->SetOffsetX(0.25f);
    a->SetOffsetY(0.875f);
    a->SetBorderWidth(0.7f);
    a->SetBorderColor(0xABCDEF);
    AddElement<TFBPictureElement>(p1, 10, 10, 10, 10); // empty
    auto* b = AddElement<TFBPictureElement>(p2, 8, 100.5f, 20, 30.75f);
    TFBPictureLink* link = Doc.AddPictureLink();
    link->Add(a);
    link->Add(b);
    a->Sync();
    auto* cal = AddElement<TFBKalenderElement>(p0, 70, 160, 120, 80);
    cal->Angle = -3;
    cal->KalenderData().SetMonat(8);
    cal->KalenderData().SetJahr(2031);
    cal->KalenderData().Typ = kt2WochenVertical;
    cal->KalenderData().Color = 0x00AABB;
    auto* text = AddElement<TFBTextElement>(p2, 50, 60, 70, 20);
    const QString rtf = QStringLiteral("{\\rtf1\\ansi {\\b Gr\u00fc\u00dfe} \u20ac}");
    text->SetRTF(rtf);
    text->SetHasShadow(true);
    text->SetHorzAlign(3);
    text->SetVertAlign(2);
    auto* clip = AddElement<TFBClipartElement>(p2, 20, 30, 40, 50);
    const int clipRef = Doc.Bildmanager().AddBitmap(QImage(10, 10, QImage::Format_ARGB32));
    clip->SetRefIndex(clipRef);
    Doc.Bildmanager().DecRefCount(clipRef);
    Doc.DocVersion = 5;

    const QByteArray saved = Save(Doc);
    if (const QString seeds = qEnvironmentVariable("LUMARBO_PROJECT_SEEDS"); !seeds.isEmpty()) {
        QFile seed(QDir(seeds).filePath(QStringLiteral("every-element.tpb")));
        ASSERT_TRUE(seed.open(QIODevice::WriteOnly));
        seed.write(saved);
    }
    TFBDocument back;
    back.FileName = QStringLiteral("stays empty");
    Load(back, saved);

    EXPECT_EQ(back.ScreenMode, 1);
    EXPECT_EQ(back.DocType, 1);
    EXPECT_FALSE(back.PictureShadowsAllowed);
    EXPECT_FALSE(back.Modified);
    EXPECT_TRUE(back.FileName.isEmpty());
    EXPECT_EQ(back.PrintPaperName, Doc.PrintPaperName);
    EXPECT_EQ(back.PrintPaperType, Doc.PrintPaperType);
    EXPECT_EQ(back.PageWidth, Doc.PageWidth);
    EXPECT_EQ(back.PageHeight, Doc.PageHeight);
    EXPECT_EQ(back.Stegbreite, Doc.Stegbreite);
    EXPECT_EQ(back.Umschlagbreite, Doc.Umschlagbreite);
    EXPECT_EQ(back.PrintPaperSize, -2);
    EXPECT_EQ(back.PrintPaperWidth, Doc.PrintPaperWidth);
    EXPECT_EQ(back.PrintPaperHeight, Doc.PrintPaperHeight);
    EXPECT_EQ(back.PrintSetting, 15);
    EXPECT_EQ(back.Dokumentname, Doc.Dokumentname);
    EXPECT_FALSE(back.PicturesHaveShadows);
    EXPECT_TRUE(back.PrintBorderless);
    EXPECT_EQ(back.DocVersion, 5);
    EXPECT_EQ(back.Layouttypen, Doc.Layouttypen);
    EXPECT_EQ(back.LayoutSubTyp, Doc.LayoutSubTyp);
    EXPECT_EQ(back.LayoutStil, 7);
    EXPECT_EQ(back.ScreenQuerformatWinkel, Doc.ScreenQuerformatWinkel);
    EXPECT_TRUE(back.NurEinLayoutStil);
    ASSERT_EQ(back.Feiertage.Count(), 1);
    EXPECT_EQ(back.Feiertage.Items(0).Text, QStringLiteral("Neujahr"));
    ASSERT_EQ(back.Geburtstage.Count(), 1);
    EXPECT_EQ(back.Geburtstage.Items(0).Datum, QDate(2025, 3, 7));

    ASSERT_EQ(back.Pages.Count(), 3);
    const TFBPage* q1 = back.Pages.Items(1);
    EXPECT_EQ(q1->Seitenausrichtung, 1);
    EXPECT_EQ(q1->Seitenfarbe, 0x123456u);
    EXPECT_EQ(q1->CustomLayoutStil, 3);
    ASSERT_EQ(q1->Piclist.Count(), 2);
    const TFBPictureElement* a2 = Frame(q1, 0);
    EXPECT_EQ(a2->CenterX, a->CenterX);
    EXPECT_EQ(a2->CenterY, a->CenterY);
    EXPECT_EQ(a2->Width, a->Width);
    EXPECT_EQ(a2->Height, a->Height);
    EXPECT_EQ(a2->Angle, a->Angle);
    EXPECT_EQ(a2->RegionTyp, 2);
    EXPECT_FALSE(a2->CanZoomAndTrack);
    EXPECT_EQ(a2->Zoom(), 2.5f);
    EXPECT_EQ(a2->OffsetX(), 0.25f);
    EXPECT_EQ(a2->OffsetY(), 0.875f);
    EXPECT_EQ(a2->BorderWidth(), 0.7f);
    EXPECT_EQ(a2->BorderColor(), 0xABCDEFu);
    EXPECT_EQ(a2->RefIndex(), a->RefIndex());
    EXPECT_FALSE(Frame(q1, 1)->HasPicture());
    const TFBPage* q2 = back.Pages.Items(2);
    ASSERT_EQ(back.PictureLinks.size(), 1u);
    ASSERT_EQ(back.PictureLinks[0]->List.size(), 2u);
    EXPECT_EQ(back.PictureLinks[0]->List[0], a2);
    EXPECT_EQ(back.PictureLinks[0]->List[1], Frame(q2, 0));
    EXPECT_EQ(Frame(q2, 0)->Link, back.PictureLinks[0].get());
    EXPECT_EQ(Frame(q2, 0)->RefIndex(), a->RefIndex());

    ASSERT_EQ(back.Pages.Items(0)->Kalenderlist.Count(), 1);
    auto* cal2 = static_cast<TFBKalenderElement*>(back.Pages.Items(0)->Kalenderlist.Items(0));
    EXPECT_EQ(cal2->Angle, -3.0f);
    EXPECT_EQ(cal2->KalenderData().Monat(), 8);
    EXPECT_EQ(cal2->KalenderData().Jahr(), 2031);
    EXPECT_EQ(cal2->KalenderData().Typ, kt2WochenVertical);
    EXPECT_EQ(cal2->KalenderData().Color, 0x00AABBu);

    ASSERT_EQ(q2->Elementlist.Count(), 2);
    auto* text2 = dynamic_cast<TFBTextElement*>(q2->Elementlist.Items(0));
    ASSERT_NE(text2, nullptr);
    EXPECT_EQ(text2->RTF(), rtf);
    EXPECT_TRUE(text2->HasShadow());
    EXPECT_EQ(text2->HorzAlign(), 3);
    EXPECT_EQ(text2->VertAlign(), 2);
    auto* clip2 = dynamic_cast<TFBClipartElement*>(q2->Elementlist.Items(1));
    ASSERT_NE(clip2, nullptr);
    EXPECT_EQ(clip2->RefIndex(), clipRef);
    EXPECT_EQ(clip2->Width, 40.0f);

    ASSERT_NE(back.Bildmanager().Find(a->RefIndex()), nullptr);
    EXPECT_EQ(back.Bildmanager().Find(a->RefIndex())->RefCount, 2);
    EXPECT_EQ(back.Bildmanager().Find(clipRef)->RefCount, 1);

    // Saved again, the file is the same.
    EXPECT_EQ(Save(back), Save(Doc));
}

TEST_F(ProjectFileTest, HeaderOnlyFileGivesOneEmptyPageWithReadDefaults)
{
    Load(Doc, MakeFile([](TCustomDataFile&) {}));
    ASSERT_EQ(Doc.Pages.Count(), 1);
    EXPECT_EQ(Doc.Pages.Items(0)->Seitenfarbe, 0xFFFFFFu);
    EXPECT_FLOAT_EQ(Doc.PageWidth, 148.5f);
    EXPECT_FLOAT_EQ(Doc.PageHeight, 210);
    EXPECT_EQ(Doc.ScreenMode, 1);
    EXPECT_EQ(Doc.DocType, 1);
    EXPECT_EQ(Doc.PrintSetting, 0);
    EXPECT_EQ(Doc.Layouttypen, AllLayoutTypen);
    EXPECT_EQ(Doc.PrintPaperName, QStringLiteral("ID_DINA4"));
    EXPECT_EQ(Doc.PrintPaperType, Localizer().Translate(QStringLiteral("ID_Photopapier_gl\u00e4nzend")));
    EXPECT_TRUE(Doc.PicturesHaveShadows);
    EXPECT_FLOAT_EQ(Doc.ScreenQuerformatWinkel, 90);
    EXPECT_EQ(Doc.DocVersion, 5);
    EXPECT_TRUE(Doc.PictureLinks.empty());

    // Without "Doc/Pages" the one page still reads record 0.
    Load(Doc, MakeFile([](TCustomDataFile& f) {
        f.WriteInteger(QStringLiteral("Doc/Pages/Page0"), QStringLiteral("Seitenfarbe"), 0x00FF00);
        f.WriteInteger(QStringLiteral("Doc/Pages/Page0/Piclist"), QStringLiteral("Anzahl"), 1);
        f.WriteString(QStringLiteral("Doc/Pages/Page0/Piclist/Pic0"), QStringLiteral("Classname"),
                      QStringLiteral("TFBPictureElement"));
    }));
    ASSERT_EQ(Doc.Pages.Count(), 1);
    EXPECT_EQ(Doc.Pages.Items(0)->Seitenfarbe, 0x00FF00u);
    ASSERT_EQ(Doc.Pages.Items(0)->Piclist.Count(), 1);
    const TFBPictureElement* f = Frame(Doc.Pages.Items(0), 0);
    EXPECT_FLOAT_EQ(f->CenterX, 10);
    EXPECT_FLOAT_EQ(f->Width, 10);
    EXPECT_TRUE(f->CanZoomAndTrack);
    EXPECT_FLOAT_EQ(f->Zoom(), 1);
    EXPECT_EQ(f->RefIndex(), -1);
}

TEST_F(ProjectFileTest, LayouttypenKey)
{
    struct Case {
        const char* Stored; // nullptr: key absent
        TFBLayoutTypen Expected;
    };
    const Case cases[] = {
        {nullptr, AllLayoutTypen},
        {"", AllLayoutTypen},
        {"[]", 0},
        {"[ltdina4randlos]", LayoutTypBit(ltDINA4Randlos)},
        {"[ltKalenderA4, ltWhatever, ltKalenderA5]", LayoutTypBit(ltKalenderA4)},
    };
    for (const Case& c : cases) {
        Load(Doc, MakeFile([&](TCustomDataFile& f) {
            if (c.Stored)
                f.WriteString(QStringLiteral("Doc"), QStringLiteral("Layouttypen"), QString::fromLatin1(c.Stored));
        }));
        EXPECT_EQ(Doc.Layouttypen, c.Expected) << (c.Stored ? c.Stored : "(absent)");
    }
}

TEST_F(ProjectFileTest, OldVersionsAreBroughtUpToDate)
{
    struct Case {
        int Version;
        const char* Dokumentname;
        const char* LayoutSubTyp;
        int StoredPrintSetting, StoredLayoutStil;
        bool CalendarOnFirstPage;
        int PrintSetting, LayoutStil;
        bool NurEinLayoutStil;
    };
    const Case cases[] = {
        {1, "Photobook 8:5", "", 9, 0, false, 2, 0, false},
        {1, "10x15 Singles", "", 9, 0, false, 3, 0, false},
        {1, "Miravel A5", "", 9, 0, false, 1, 0, false},
        {1, "photobook", "", 9, 0, false, 9, 0, false}, // containment is case-sensitive
        {2, "Photobook", "Ornata R", 4, 0, false, 4, 1, false},
        {2, "", "Layout 2", 0, 3, false, 0, 11, false},
        {2, "", "Sonstwas", 0, 6, false, 0, 6, false},
        {3, "", "Ornata", 0, 4, false, 0, 4, false},
        {4, "", "", 7, 0, true, 7, 0, true},
        {5, "", "", 7, 0, true, 7, 0, false},
        {4, "", "", 7, 0, false, 7, 0, false},
    };
    for (const Case& c : cases) {
        Load(Doc, MakeFile([&](TCustomDataFile& f) {
            const QString doc = QStringLiteral("Doc");
            f.WriteInteger(doc, QStringLiteral("DocVersion"), c.Version);
            f.WriteString(doc, QStringLiteral("Dokumentname"), QString::fromLatin1(c.Dokumentname));
            f.WriteInteger(doc, QStringLiteral("PrintSetting"), c.StoredPrintSetting);
            f.WriteString(doc, QStringLiteral("LayoutSubTyp"), QString::fromLatin1(c.LayoutSubTyp));
            f.WriteInteger(doc, QStringLiteral("LayoutStil"), c.StoredLayoutStil);
            f.WriteInteger(QStringLiteral("Doc/Pages"), QStringLiteral("Anzahl"), 1);
            if (c.CalendarOnFirstPage) {
                f.WriteInteger(QStringLiteral("Doc/Pages/Page0/Kalenderlist"), QStringLiteral("Anzahl"), 1);
                f.WriteString(QStringLiteral("Doc/Pages/Page0/Kalenderlist/Kalender0"), QStringLiteral("Classname"),
                              QStringLiteral("TFBKalenderElement"));
            }
        }));
        SCOPED_TRACE(testing::Message() << "version " << c.Version << " " << c.Dokumentname << " / "
                                        << c.LayoutSubTyp);
        EXPECT_EQ(Doc.PrintSetting, c.PrintSetting);
        EXPECT_EQ(Doc.LayoutStil, c.LayoutStil);
        EXPECT_EQ(Doc.NurEinLayoutStil, c.NurEinLayoutStil);
        EXPECT_EQ(Doc.DocVersion, 5);
        TFBDocument again;
        Load(again, Save(Doc));
        EXPECT_EQ(again.DocVersion, 5);
        EXPECT_EQ(again.NurEinLayoutStil, c.NurEinLayoutStil);
    }
}

TEST_F(ProjectFileTest, LinkMembersMustNameAFreeFrame)
{
    Load(Doc, MakeFile([](TCustomDataFile& f) {
        f.WriteInteger(QStringLiteral("Doc/Pages"), QStringLiteral("Anzahl"), 2);
        for (int p = 0; p < 2; ++p) {
            const QString list = QStringLiteral("Doc/Pages/Page%1/Piclist").arg(p);
            f.WriteInteger(list, QStringLiteral("Anzahl"), 1);
            f.WriteString(list + QStringLiteral("/Pic0"), QStringLiteral("Classname"),
                          QStringLiteral("TFBPictureElement"));
        }
        f.WriteInteger(QStringLiteral("Doc/PictureLinkList"), QStringLiteral("Anzahl"), 2);
        const int members[][2] = {{3, 0}, {0, 0}, {1, 5}, {0, 0}, {-1, 0}, {1, -1}, {1, 0}};
        const QString l0 = QStringLiteral("Doc/PictureLinkList/Link0/List");
        f.WriteInteger(l0, QStringLiteral("Anzahl"), int(std::size(members)));
        for (std::size_t j = 0; j < std::size(members); ++j) {
            f.WriteInteger(l0 + QStringLiteral("/Pic%1").arg(j), QStringLiteral("PageIndex"), members[j][0]);
            f.WriteInteger(l0 + QStringLiteral("/Pic%1").arg(j), QStringLiteral("PicIndex"), members[j][1]);
        }
        const QString l1 = QStringLiteral("Doc/PictureLinkList/Link1/List");
        f.WriteInteger(l1, QStringLiteral("Anzahl"), 1);
        f.WriteInteger(l1 + QStringLiteral("/Pic0"), QStringLiteral("PageIndex"), 0);
        f.WriteInteger(l1 + QStringLiteral("/Pic0"), QStringLiteral("PicIndex"), 0);
    }));
    ASSERT_EQ(Doc.PictureLinks.size(), 2u);
    const auto& first = Doc.PictureLinks[0]->List;
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0], Frame(Doc.Pages.Items(0), 0));
    EXPECT_EQ(first[1], Frame(Doc.Pages.Items(1), 0));
    EXPECT_TRUE(Doc.PictureLinks[1]->List.empty()); // its only member is already linked
}

TEST_F(ProjectFileTest, HostileValuesFallBackToDefaults)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    Load(Doc, MakeFile([&](TCustomDataFile& f) {
        const QString doc = QStringLiteral("Doc");
        f.WriteFloat(doc, QStringLiteral("PageWidth"), nan);
        f.WriteFloat(doc, QStringLiteral("PageHeight"), 1e30);
        f.WriteFloat(doc, QStringLiteral("Stegbreite"), -inf);
        f.WriteFloat(doc, QStringLiteral("ScreenQuerformatWinkel"), inf);
        f.WriteInteger(doc, QStringLiteral("ScreenMode"), 7);
        f.WriteInteger(doc, QStringLiteral("DocType"), 300);
        f.WriteInteger(doc, QStringLiteral("PrintSetting"), 18);
        f.WriteInteger(doc, QStringLiteral("LayoutStil"), -1);
        f.WriteInteger(QStringLiteral("Doc/Pages"), QStringLiteral("Anzahl"), 1);
        const QString p = QStringLiteral("Doc/Pages/Page0");
        f.WriteInteger(p, QStringLiteral("Seitenausrichtung"), 256);
        f.WriteInteger(p, QStringLiteral("CustomLayoutStil"), 15);
        // Frames: one hostile, one text record in the frame list.
        f.WriteInteger(p + QStringLiteral("/Piclist"), QStringLiteral("Anzahl"), 2);
        const QString e0 = p + QStringLiteral("/Piclist/Pic0");
        f.WriteString(e0, QStringLiteral("Classname"), QStringLiteral("TFBPictureElement"));
        f.WriteFloat(e0, QStringLiteral("CenterX"), inf);
        f.WriteFloat(e0, QStringLiteral("Width"), -5);
        f.WriteFloat(e0, QStringLiteral("Zoom"), nan);
        f.WriteFloat(e0, QStringLiteral("OffsetX"), 7);
        f.WriteInteger(e0, QStringLiteral("RegionTyp"), 3);
        f.WriteInteger(e0, QStringLiteral("RefIndex"), 42); // no such picture
        f.WriteString(p + QStringLiteral("/Piclist/Pic1"), QStringLiteral("Classname"),
                      QStringLiteral("TFBTextElement"));
        // Free elements: a bare element, a frame, a text with broken RTF, an
        // unknown class.
        f.WriteInteger(p + QStringLiteral("/Elementlist"), QStringLiteral("Anzahl"), 4);
        const char* classes[] = {"TFBElement", "TFBPictureElement", "TFBTextElement", "TFBFoo"};
        for (int j = 0; j < 4; ++j)
            f.WriteString(p + QStringLiteral("/Elementlist/Element%1").arg(j), QStringLiteral("Classname"),
                          QString::fromLatin1(classes[j]));
        f.WriteString(p + QStringLiteral("/Elementlist/Element2"), QStringLiteral("RTF"),
                      QStringLiteral("{\\rtf1 {\\b offen \\'"));
        f.WriteInteger(p + QStringLiteral("/Elementlist/Element2"), QStringLiteral("HorzAlign"), 9);
        f.WriteInteger(p + QStringLiteral("/Kalenderlist"), QStringLiteral("Anzahl"), -4);
    }));
    EXPECT_FLOAT_EQ(Doc.PageWidth, 148.5f);
    EXPECT_FLOAT_EQ(Doc.PageHeight, 210);
    EXPECT_FLOAT_EQ(Doc.Stegbreite, 2);
    EXPECT_FLOAT_EQ(Doc.ScreenQuerformatWinkel, 90);
    EXPECT_EQ(Doc.ScreenMode, 1);
    EXPECT_EQ(Doc.DocType, 1);
    EXPECT_EQ(Doc.PrintSetting, 0);
    EXPECT_EQ(Doc.LayoutStil, 0);
    ASSERT_EQ(Doc.Pages.Count(), 1);
    const TFBPage* page = Doc.Pages.Items(0);
    EXPECT_EQ(page->Seitenausrichtung, 0);
    EXPECT_EQ(page->CustomLayoutStil, 0);
    ASSERT_EQ(page->Piclist.Count(), 1);
    const TFBPictureElement* f = Frame(page, 0);
    EXPECT_FLOAT_EQ(f->CenterX, 10);
    EXPECT_FLOAT_EQ(f->Width, 10);
    EXPECT_FLOAT_EQ(f->Zoom(), 1);
    EXPECT_FLOAT_EQ(f->OffsetX(), 1);
    EXPECT_EQ(f->RegionTyp, 0);
    EXPECT_EQ(f->RefIndex(), -1);
    EXPECT_EQ(page->Kalenderlist.Count(), 0);
    ASSERT_EQ(page->Elementlist.Count(), 1);
    auto* text = dynamic_cast<TFBTextElement*>(page->Elementlist.Items(0));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->HorzAlign(), 0);

    // The unreadable text goes back out unchanged.
    TFBDocument again;
    Load(again, Save(Doc));
    EXPECT_EQ(static_cast<TFBTextElement*>(again.Pages.Items(0)->Elementlist.Items(0))->RTF(),
              QStringLiteral("{\\rtf1 {\\b offen \\'"));
}

TEST_F(ProjectFileTest, ImpossibleCountsFailAndResetTheDocument)
{
    struct Case {
        const char* Path;
        qint32 Count;
    };
    const Case cases[] = {
        {"Doc/Pages", 1000000000},
        {"Doc/Pages/Page0/Piclist", 500},
        {"Doc/PictureLinkList", std::numeric_limits<qint32>::max()},
        {"Doc/PictureLinkList/Link0/List", 100},
    };
    for (const Case& c : cases) {
        Doc.Clear();
        Doc.Dokumentname = QStringLiteral("Vorher");
        Doc.FileName = QStringLiteral("/tmp/vorher.tpb");
        Doc.Modified = true;
        AddPage(Doc);
        const QByteArray bytes = MakeFile([&](TCustomDataFile& f) {
            // Readers see the first entry of a key, so the damaged count goes first.
            f.WriteInteger(QString::fromLatin1(c.Path), QStringLiteral("Anzahl"), c.Count);
            f.WriteString(QStringLiteral("Doc"), QStringLiteral("Dokumentname"), QStringLiteral("Halb"));
            f.WriteInteger(QStringLiteral("Doc/Pages"), QStringLiteral("Anzahl"), 1);
            f.WriteInteger(QStringLiteral("Doc/PictureLinkList"), QStringLiteral("Anzahl"), 1);
        });
        try {
            Load(Doc, bytes);
            ADD_FAILURE() << c.Path << ": no error";
        } catch (const Exception& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Invalid file format.")) << c.Path;
        }
        EXPECT_EQ(Doc.Pages.Count(), 0) << c.Path;
        EXPECT_TRUE(Doc.Dokumentname.isEmpty()) << c.Path;
        EXPECT_TRUE(Doc.FileName.isEmpty()) << c.Path;
        EXPECT_FALSE(Doc.Modified) << c.Path;
        EXPECT_TRUE(Doc.PictureLinks.empty()) << c.Path;
    }
}

TEST_F(ProjectFileTest, StoredCountsNeverFreeAShownPicture)
{
    // The store's record says one holder; three frames hold the picture.
    TBildmanager other;
    const int ref = other.AddBitmap(QImage(8, 8, QImage::Format_RGB32));
    const QByteArray bytes = MakeFile([&](TCustomDataFile& f) {
        f.WriteInteger(QStringLiteral("Doc/Pages"), QStringLiteral("Anzahl"), 1);
        const QString list = QStringLiteral("Doc/Pages/Page0/Piclist");
        f.WriteInteger(list, QStringLiteral("Anzahl"), 3);
        for (int j = 0; j < 3; ++j) {
            f.WriteString(list + QStringLiteral("/Pic%1").arg(j), QStringLiteral("Classname"),
                          QStringLiteral("TFBPictureElement"));
            f.WriteInteger(list + QStringLiteral("/Pic%1").arg(j), QStringLiteral("RefIndex"), ref);
        }
        other.SaveToDataFile(f, QStringLiteral("BildManager"));
    });
    Load(Doc, bytes);
    ASSERT_NE(Doc.Bildmanager().Find(ref), nullptr);
    EXPECT_EQ(Doc.Bildmanager().Find(ref)->RefCount, 3);
    TFBPage* page = Doc.Pages.Items(0);
    page->Piclist.Delete(0);
    page->Piclist.Delete(0);
    EXPECT_NE(Doc.Bildmanager().Find(ref), nullptr);
    page->Piclist.Delete(0);
    EXPECT_EQ(Doc.Bildmanager().Find(ref), nullptr);
}

TEST_F(ProjectFileTest, SavingReplacesTheFileOnlyWhenComplete)
{
    AddPage(Doc);
    Doc.Dokumentname = QStringLiteral("Erste");
    const QString name = Services.TempPath(QStringLiteral("projekt.tpb"));
    Doc.Modified = true;
    Doc.SaveToFile(name);
    EXPECT_FALSE(Doc.Modified);
    EXPECT_EQ(Doc.FileName, name);
    const QByteArray first = ReadAll(name);

    // A write-protected target: nothing is written, the change stays unsaved.
    Doc.Dokumentname = QStringLiteral("Zweite");
    Doc.Modified = true;
    QFile::setPermissions(name, QFile::ReadOwner | QFile::ReadUser);
    EXPECT_THROW(Doc.SaveToFile(name), Exception);
    EXPECT_TRUE(Doc.Modified);
    EXPECT_EQ(ReadAll(name), first);
    QFile::setPermissions(name, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);

    // A folder that does not exist.
    const QString nowhere = Services.TempPath(QStringLiteral("fehlt/projekt.tpb"));
    EXPECT_THROW(Doc.SaveToFile(nowhere), Exception);
    EXPECT_TRUE(Doc.Modified);
    EXPECT_EQ(Doc.FileName, name);

    Doc.SaveToFile(name);
    EXPECT_FALSE(Doc.Modified);
    TFBDocument back;
    back.LoadFromFile(name);
    EXPECT_EQ(back.Dokumentname, QStringLiteral("Zweite"));

    // A foreign file is refused before the document is touched.
    const QString foreign = Services.TempPath(QStringLiteral("fremd.tpb"));
    QFile out(foreign);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("kein Projekt, nur Text");
    out.close();
    EXPECT_THROW(back.LoadFromFile(foreign), Exception);
    EXPECT_EQ(back.Dokumentname, QStringLiteral("Zweite"));
    EXPECT_EQ(back.FileName, name);
}

TEST_F(ProjectFileTest, ProgressTexts)
{
    RecordingOutput rec;
    InfoAusgabe().SetOutput(&rec);
    AddPage(Doc);
    AddPage(Doc);
    const QByteArray bytes = Save(Doc);
    auto tr = [](const char* s) {
        return Localizer().Lookup(QStringLiteral("TFBDocument"), QString::fromUtf8(s), QString::fromUtf8(s));
    };
    const QStringList saving = {tr("Dokument wird gespeichert"), QStringLiteral("Seite 1 wird gespeichert"),
                                QStringLiteral("Seite 2 wird gespeichert"),
                                QStringLiteral("Picturelinks werden gespeichert"),
                                tr("Bilder werden gespeichert")};
    EXPECT_EQ(rec.Texts.mid(0, saving.size()), saving);
    EXPECT_EQ(rec.Texts.last(), QStringLiteral("<end>"));

    rec.Texts.clear();
    TFBDocument back;
    Load(back, bytes);
    const QStringList loading = {tr("Dokument wird geladen"),
                                 Localizer().TranslateFmt(QStringLiteral("TFBDocument"),
                                                          QStringLiteral("Seitenlayout %d wird geladen"), {1}),
                                 Localizer().TranslateFmt(QStringLiteral("TFBDocument"),
                                                          QStringLiteral("Seitenlayout %d wird geladen"), {2}),
                                 QStringLiteral("Picturelinks werden geladen"), tr("Bilder werden geladen")};
    EXPECT_EQ(rec.Texts.mid(0, loading.size()), loading);
    EXPECT_EQ(rec.Texts.last(), QStringLiteral("<end>"));
    EXPECT_EQ(loading[1], QStringLiteral("Seitenlayout 1 wird geladen"));
    InfoAusgabe().SetOutput(nullptr);
}
