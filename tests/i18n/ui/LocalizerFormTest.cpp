#include "i18n/ui/LocalizerForm.h"
#include "support/TestSupport.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

QByteArray Wide(const QString& text)
{
    QByteArray out("\xFF\xFE", 2);
    for (QChar c : text) {
        out.append(char(c.unicode() & 0xFF));
        out.append(char(c.unicode() >> 8));
    }
    return out;
}

// A small dialog with the kinds of properties a table translates.
class TTestDlg : public QDialog, public TLocalizerForm {
public:
    int AfterTranslateRuns = 0;
    QLabel* lblInfo;
    QPushButton* BtnOK;
    QComboBox* cbFormat;
    QLineEdit* edName;
    QButtonGroup* rgAusrichtung;
    QTabWidget* pcTabs;

    TTestDlg()
        : TLocalizerForm(this, QStringLiteral("TTestDlg"))
    {
        setWindowTitle(QStringLiteral("Testdialog"));
        auto* l = new QVBoxLayout(this);
        lblInfo = new QLabel(QStringLiteral("Hinweis"), this);
        lblInfo->setObjectName(QStringLiteral("lblInfo"));
        BtnOK = new QPushButton(QStringLiteral("OK"), this);
        BtnOK->setObjectName(QStringLiteral("BtnOK"));
        BtnOK->setToolTip(QStringLiteral("Übernehmen"));
        cbFormat = new QComboBox(this);
        cbFormat->setObjectName(QStringLiteral("cbFormat"));
        cbFormat->addItems({QStringLiteral("Hoch"), QStringLiteral("Quer"), QStringLiteral("Quadrat")});
        edName = new QLineEdit(QStringLiteral("Eingabe des Nutzers"), this);
        edName->setObjectName(QStringLiteral("edName"));
        rgAusrichtung = new QButtonGroup(this);
        rgAusrichtung->setObjectName(QStringLiteral("rgAusrichtung"));
        auto* links = new QRadioButton(QStringLiteral("Links"), this);
        auto* rechts = new QRadioButton(QStringLiteral("Rechts"), this);
        rgAusrichtung->addButton(rechts, 1);
        rgAusrichtung->addButton(links, 0);
        pcTabs = new QTabWidget(this);
        auto* page = new QWidget(pcTabs);
        page->setObjectName(QStringLiteral("tsSeite"));
        pcTabs->addTab(page, QStringLiteral("Seite"));
        for (QWidget* w : std::initializer_list<QWidget*>{lblInfo, BtnOK, cbFormat, edName, links, rechts, pcTabs})
            l->addWidget(w);
        InitLocalizer();
    }

protected:
    void AfterTranslate() override { ++AfterTranslateRuns; }
};

class LocalizerFormTest : public ::testing::Test {
protected:
    TTestServices Env;
    TLocalizer& Loc = Env.Services().Localizer();

    void UseEnglish(const QString& table)
    {
        Loc.TableSource = [table](int id, QByteArray* bytes) {
            if (id != 0 && id != 1)
                return false;
            if (bytes)
                *bytes = Wide(id == 1 ? table : QStringLiteral("[Default]\r\nx=x\r\n"));
            return true;
        };
        Loc.EnabledLanguages = 0x3;
    }
};

} // namespace

TEST_F(LocalizerFormTest, TranslatesByObjectNameAndProperty)
{
    UseEnglish(QStringLiteral("[TTestDlg]\r\n"
                              "TestDlg.Caption=Test dialog\r\n"
                              "lblInfo.Caption=Note#13##10#second line\r\n"
                              "BtnOK.Hint=Apply\r\n"
                              "cbFormat.Items0=Portrait\r\n"
                              "cbFormat.Items2=Square\r\n"     // gap at 1: stops after 0
                              "rgAusrichtung.Items0=Left\r\n"
                              "rgAusrichtung.Items1=Right\r\n"
                              "edName.Text=overwritten\r\n"
                              "tsSeite.Caption=Page\r\n"));
    TTestDlg dlg;
    EXPECT_EQ(dlg.AfterTranslateRuns, 1);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Testdialog"));

    Loc.SwitchLanguage(1);
    EXPECT_EQ(dlg.AfterTranslateRuns, 2);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Test dialog"));
    EXPECT_EQ(dlg.lblInfo->text(), QStringLiteral("Note\r\nsecond line"));
    EXPECT_EQ(dlg.BtnOK->toolTip(), QStringLiteral("Apply"));
    EXPECT_EQ(dlg.BtnOK->text(), QStringLiteral("OK")); // no entry: the designed text stays
    EXPECT_EQ(dlg.cbFormat->itemText(0), QStringLiteral("Portrait"));
    EXPECT_EQ(dlg.cbFormat->itemText(1), QStringLiteral("Quer"));
    EXPECT_EQ(dlg.cbFormat->itemText(2), QStringLiteral("Quadrat"));
    EXPECT_EQ(dlg.rgAusrichtung->button(0)->text(), QStringLiteral("Left"));
    EXPECT_EQ(dlg.rgAusrichtung->button(1)->text(), QStringLiteral("Right"));
    EXPECT_EQ(dlg.edName->text(), QStringLiteral("Eingabe des Nutzers")); // user input is never replaced
    EXPECT_EQ(dlg.pcTabs->tabText(0), QStringLiteral("Page"));
}

TEST_F(LocalizerFormTest, StringListsGrowWhenTheTableHasMoreLines)
{
    UseEnglish(QStringLiteral("[TTestDlg]\r\ncbFormat.Items0=a\r\ncbFormat.Items1=b\r\ncbFormat.Items2=c\r\n"
                              "cbFormat.Items3=d\r\n"));
    TTestDlg dlg;
    Loc.SwitchLanguage(1);
    ASSERT_EQ(dlg.cbFormat->count(), 4);
    EXPECT_EQ(dlg.cbFormat->itemText(3), QStringLiteral("d"));
}

TEST_F(LocalizerFormTest, CollectionModeWritesTheDesignTexts)
{
    UseEnglish(QStringLiteral("[TTestDlg]\r\nTestDlg.Caption=Test dialog\r\n"));
    Loc.ResWriteMode = true;
    Loc.RegisterFormText(QStringLiteral("TTestDlg"), QStringLiteral("Zeile#1"), QStringLiteral("a\r\nb"));
    TTestDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Testdialog"));
    const TMyMemIniFile& t = Loc.LanguageTable;
    const QString s = QStringLiteral("TTestDlg");
    EXPECT_EQ(t.ReadString(s, QStringLiteral("TestDlg.Caption"), QString()), QStringLiteral("Testdialog"));
    EXPECT_EQ(t.ReadString(s, QStringLiteral("BtnOK.Hint"), QString()), QStringLiteral("Übernehmen"));
    EXPECT_EQ(t.ReadString(s, QStringLiteral("cbFormat.Items2"), QString()), QStringLiteral("Quadrat"));
    EXPECT_EQ(t.ReadString(s, QStringLiteral("edName.Text"), QStringLiteral("-")), QStringLiteral("-"));

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("lumarbo.txt"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[TTestDlg]\r\nBtnOK.Hint=old\r\nKept=yes\r\n");
    }
    Loc.WriteCollection(file);
    TMyMemIniFile written;
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    written.LoadFromStream(f);
    EXPECT_EQ(written.ReadString(s, QStringLiteral("BtnOK.Hint"), QString()), QStringLiteral("Übernehmen"));
    EXPECT_EQ(written.ReadString(s, QStringLiteral("Kept"), QString()), QStringLiteral("yes"));
    EXPECT_EQ(written.ReadString(s, QStringLiteral("Zeile#1"), QString()), QStringLiteral("a#13##10#b"));
    Loc.ResWriteMode = false;
}
