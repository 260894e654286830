#include "calendar/KalenderBesondereTage.h"
#include "calendar/ui/DlgFeiertagGeburtstag.h"
#include "support/TestSupport.h"

#include "storage/DataFile.h"

#include <QBuffer>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace {

const QString kSep = QStringLiteral(", ");

class DlgFeiertagGeburtstagTest : public ::testing::Test {
protected:
    TTestServices Env;
    TKalenderTageListe Feiertage;
    TKalenderTageListe Geburtstage;
    int Modified = 0;

    std::unique_ptr<TDlgFeiertagGeburtstag> Open(int month, int year)
    {
        return std::make_unique<TDlgFeiertagGeburtstag>(nullptr, month, year, Feiertage, Geburtstage,
                                                        [this] { ++Modified; });
    }
    static QString Cell(TDlgFeiertagGeburtstag& dlg, const QDate& date, int column)
    {
        return dlg.sg->item(date.dayOfYear() - 1, column)->text();
    }
    static void Type(TDlgFeiertagGeburtstag& dlg, const QDate& date, int column, const QString& text)
    {
        dlg.sg->item(date.dayOfYear() - 1, column)->setText(text);
    }
    static QString TextOf(const TKalenderTageListe& list, const QDate& date)
    {
        QString text;
        return list.TextOfDate(date, text) ? text : QStringLiteral("<none>");
    }
};

} // namespace

TEST_F(DlgFeiertagGeburtstagTest, OneRowPerDayOfTheYear)
{
    const struct {
        int Year;
        int Rows; // header included
    } cases[] = {{2024, 367}, {2023, 366}, {2000, 367}, {1900, 366}};
    for (const auto& c : cases) {
        auto dlg = Open(1, c.Year);
        EXPECT_EQ(dlg->sg->rowCount() + 1, c.Rows) << c.Year;
        EXPECT_EQ(dlg->sg->columnCount(), 3);
        EXPECT_EQ(dlg->sg->item(0, 0)->text(), QStringLiteral("01.01.%1").arg(c.Year));
        EXPECT_EQ(dlg->sg->item(dlg->sg->rowCount() - 1, 0)->text(), QStringLiteral("31.12.%1").arg(c.Year));
    }
    auto dlg = Open(3, 2024);
    EXPECT_EQ(dlg->sg->item(59, 0)->text(), QStringLiteral("29.02.2024"));
    EXPECT_EQ(dlg->sg->horizontalHeaderItem(0)->text(), QStringLiteral("Datum"));
    EXPECT_EQ(dlg->sg->horizontalHeaderItem(1)->text(), QStringLiteral("Feiertage"));
    EXPECT_EQ(dlg->sg->horizontalHeaderItem(2)->text(), QStringLiteral("Geburtstage"));
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Feiertage und Geburtstage"));
}

TEST_F(DlgFeiertagGeburtstagTest, CursorStartsAtTheMonthAndDatesAreNotEditable)
{
    auto dlg = Open(3, 2024);
    EXPECT_EQ(dlg->sg->currentRow(), 60); // 1 March of a leap year
    EXPECT_EQ(dlg->sg->currentColumn(), 1);
    EXPECT_FALSE(dlg->sg->item(60, 0)->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(dlg->sg->item(60, 1)->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(dlg->sg->item(60, 2)->flags() & Qt::ItemIsEditable);
    dlg->sg->setCurrentCell(10, 0);
    EXPECT_EQ(dlg->sg->currentColumn(), 1);
    EXPECT_EQ(dlg->sg->currentRow(), 10);
}

TEST_F(DlgFeiertagGeburtstagTest, ShowsTheEntriesOfItsYearOnly)
{
    Feiertage.Add(QStringLiteral("Neujahr"), kSep, QDate(2024, 1, 1));
    Feiertage.Add(QStringLiteral("Neujahr"), kSep, QDate(2025, 1, 1));
    Geburtstage.Add(QStringLiteral("Anna, Bernd"), kSep, QDate(2024, 12, 31));
    auto dlg = Open(1, 2024);
    EXPECT_EQ(Cell(*dlg, QDate(2024, 1, 1), 1), QStringLiteral("Neujahr"));
    EXPECT_EQ(Cell(*dlg, QDate(2024, 12, 31), 2), QStringLiteral("Anna, Bernd"));
    EXPECT_EQ(Cell(*dlg, QDate(2024, 12, 31), 1), QString());
    int filled = 0;
    for (int row = 0; row < dlg->sg->rowCount(); ++row)
        filled += !dlg->sg->item(row, 1)->text().isEmpty() + !dlg->sg->item(row, 2)->text().isEmpty();
    EXPECT_EQ(filled, 2);
}

TEST_F(DlgFeiertagGeburtstagTest, OkStoresTheCellsOfTheYearAsTyped)
{
    Feiertage.Add(QStringLiteral("Alt"), kSep, QDate(2024, 5, 1));
    Feiertage.Add(QStringLiteral("Anderes Jahr"), kSep, QDate(2023, 5, 1));
    Geburtstage.Add(QStringLiteral("Clara"), kSep, QDate(2024, 8, 8));
    auto dlg = Open(5, 2024);
    Type(*dlg, QDate(2024, 5, 1), 1, QStringLiteral("Neu"));
    Type(*dlg, QDate(2024, 8, 8), 2, QString());                        // deleted
    Type(*dlg, QDate(2024, 2, 29), 2, QStringLiteral("Anna; Bernd"));   // two names, one cell
    Type(*dlg, QDate(2024, 3, 3), 2, QStringLiteral("   "));            // nothing to store
    dlg->BtnOK->click();

    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(Modified, 1);
    EXPECT_EQ(TextOf(Feiertage, QDate(2024, 5, 1)), QStringLiteral("Neu"));
    EXPECT_EQ(TextOf(Feiertage, QDate(2023, 5, 1)), QStringLiteral("Anderes Jahr"));
    EXPECT_EQ(Feiertage.Count(), 2);
    ASSERT_EQ(Geburtstage.Count(), 1);
    EXPECT_EQ(TextOf(Geburtstage, QDate(2024, 2, 29)), QStringLiteral("Anna; Bernd"));
}

TEST_F(DlgFeiertagGeburtstagTest, OkWithoutChangesLeavesTheDocumentUnmodified)
{
    Feiertage.Add(QStringLiteral("Neujahr"), kSep, QDate(2024, 1, 1));
    auto dlg = Open(1, 2024);
    dlg->BtnOK->click();
    EXPECT_EQ(Modified, 0);
    EXPECT_EQ(TextOf(Feiertage, QDate(2024, 1, 1)), QStringLiteral("Neujahr"));
}

TEST_F(DlgFeiertagGeburtstagTest, TwoStoredEntriesOfOneDateSurviveOk)
{
    // Lists read from a file are taken as stored, which may put two entries
    // on one date; the cell shows both and OK keeps both texts.
    QByteArray bytes;
    {
        QBuffer stream(&bytes);
        stream.open(QIODevice::ReadWrite);
        TMemoryDataFile f(stream);
        f.WriteInteger(QStringLiteral("G"), QStringLiteral("Anzahl"), 2);
        for (int i = 0; i < 2; ++i) {
            const QString item = QStringLiteral("G/Item%1").arg(i);
            f.WriteDateTime(item, QStringLiteral("Datum"), QDateTime(QDate(2024, 4, 4), QTime(0, 0)));
            f.WriteString(item, QStringLiteral("Text"), i ? QStringLiteral("Bernd") : QStringLiteral("Anna"));
        }
    }
    {
        QBuffer stream(&bytes);
        stream.open(QIODevice::ReadOnly);
        TMemoryDataFile f(stream);
        Geburtstage.ReadFromFile(f, QStringLiteral("G"));
    }
    ASSERT_EQ(Geburtstage.Count(), 2);
    auto dlg = Open(4, 2024);
    EXPECT_EQ(Cell(*dlg, QDate(2024, 4, 4), 2), QStringLiteral("Anna, Bernd"));
    dlg->BtnOK->click();
    ASSERT_EQ(Geburtstage.Count(), 1);
    EXPECT_EQ(TextOf(Geburtstage, QDate(2024, 4, 4)), QStringLiteral("Anna, Bernd"));
}

TEST_F(DlgFeiertagGeburtstagTest, CalculatedHolidaysReplaceOnlyTheirYearAndOnlyOnOk)
{
    Feiertage.Add(QStringLiteral("Silvester 2024"), kSep, QDate(2024, 12, 31));
    Feiertage.Add(QStringLiteral("Eigener Feiertag"), kSep, QDate(2025, 2, 14));
    Geburtstage.Add(QStringLiteral("Anna"), kSep, QDate(2025, 4, 20));

    for (bool ok : {false, true}) {
        auto dlg = Open(4, 2025);
        ASSERT_FALSE(dlg->BtnFeiertageBerechnen->isHidden());
        Env.Prompts().Questions.clear();
        dlg->BtnFeiertageBerechnen->click();
        ASSERT_EQ(Env.Prompts().Questions.size(), 1u);
        EXPECT_TRUE(Env.Prompts().Questions[0].Text.startsWith(
            QStringLiteral("Die deutschen Feiertage wurden eingetragen.\r\n\r\nSie können")));
        EXPECT_EQ(Env.Prompts().Questions[0].Type, TMsgDlgType::Information);
        // The column shows the calculation, the list is not touched yet.
        EXPECT_EQ(Cell(*dlg, QDate(2025, 4, 20), 1), QStringLiteral("Ostersonntag"));
        EXPECT_EQ(Cell(*dlg, QDate(2025, 2, 14), 1), QString());
        EXPECT_EQ(Cell(*dlg, QDate(2025, 4, 20), 2), QStringLiteral("Anna"));
        EXPECT_EQ(Feiertage.Count(), 2);
        if (!ok) {
            dlg->BtnAbbrechen->click();
            EXPECT_EQ(dlg->result(), QDialog::Rejected);
            EXPECT_EQ(Feiertage.Count(), 2);
            EXPECT_EQ(Modified, 0);
            continue;
        }
        // The user removes one holiday that does not apply to his state.
        Type(*dlg, QDate(2025, 1, 6), 1, QString());
        dlg->BtnOK->click();
        EXPECT_EQ(Modified, 1);
        EXPECT_EQ(Feiertage.Count(), 1 + 21);
        EXPECT_EQ(TextOf(Feiertage, QDate(2024, 12, 31)), QStringLiteral("Silvester 2024"));
        EXPECT_EQ(TextOf(Feiertage, QDate(2025, 2, 14)), QStringLiteral("<none>"));
        EXPECT_EQ(TextOf(Feiertage, QDate(2025, 1, 6)), QStringLiteral("<none>"));
        EXPECT_EQ(TextOf(Feiertage, QDate(2025, 11, 19)), QStringLiteral("Buß- und Bettag"));
        EXPECT_EQ(TextOf(Geburtstage, QDate(2025, 4, 20)), QStringLiteral("Anna"));
    }
}

TEST_F(DlgFeiertagGeburtstagTest, EnglishInterfaceHidesTheGermanCalculation)
{
    TLocalizer& loc = Env.Services().Localizer();
    loc.SetEnabledLanguages(0x21F);
    loc.SwitchLanguage(1);
    auto dlg = Open(1, 2024);
    EXPECT_TRUE(dlg->BtnFeiertageBerechnen->isHidden());
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Holidays and birthdays"));
    EXPECT_EQ(dlg->BtnAbbrechen->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(dlg->sg->horizontalHeaderItem(1)->text(), QStringLiteral("Holidays"));
    // Back in German the button returns.
    loc.SwitchLanguage(0);
    EXPECT_FALSE(dlg->BtnFeiertageBerechnen->isHidden());
    EXPECT_EQ(dlg->sg->horizontalHeaderItem(2)->text(), QStringLiteral("Geburtstage"));
}

TEST_F(DlgFeiertagGeburtstagTest, OkTakesTheTextOfAnOpenEditor)
{
    auto dlg = Open(6, 2024);
    dlg->show();
    QTableWidgetItem* cell = dlg->sg->item(QDate(2024, 6, 1).dayOfYear() - 1, 2);
    dlg->sg->setCurrentItem(cell);
    dlg->sg->editItem(cell);
    auto* editor = dlg->sg->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Clara"));
    dlg->BtnOK->click();
    EXPECT_EQ(TextOf(Geburtstage, QDate(2024, 6, 1)), QStringLiteral("Clara"));
}
