#include "calendar/ui/DlgFeiertagGeburtstag.h"

#include "app/Prompts.h"
#include "calendar/KalenderBesondereTage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

const QString kSeparator = QStringLiteral(", ");

enum { colDatum = 0, colFeiertage = 1, colGeburtstage = 2 };

// The entries of a list, in date order, to tell whether OK changed it.
std::vector<std::pair<QDate, QString>> Snapshot(const TKalenderTageListe& list)
{
    std::vector<std::pair<QDate, QString>> out;
    for (int i = 0; i < list.Count(); ++i)
        out.emplace_back(list.Items(i).Datum, list.Items(i).Text);
    std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return out;
}

} // namespace

TDlgFeiertagGeburtstag::TDlgFeiertagGeburtstag(QWidget* parent, int month, int year,
                                               TKalenderTageListe& feiertage,
                                               TKalenderTageListe& geburtstage,
                                               std::function<void()> onModified)
    : QDialog(parent)
    , TLocalizerForm(this, QStringLiteral("TDlgFeiertagGeburtstag"))
    , FMonth(std::clamp(month, 1, 12))
    , FYear(year)
    , Feiertage(feiertage)
    , Geburtstage(geburtstage)
    , OnModified(std::move(onModified))
{
    setWindowTitle(QStringLiteral("Feiertage und Geburtstage"));
    resize(560, 520);

    const int days = QDate(FYear, 1, 1).daysInYear();
    sg = new QTableWidget(days, 3, this);
    sg->setObjectName(QStringLiteral("sg"));
    sg->verticalHeader()->setVisible(false);
    sg->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    sg->verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    sg->setSelectionMode(QAbstractItemView::SingleSelection);
    sg->setEditTriggers(QAbstractItemView::AllEditTriggers);
    for (int row = 0; row < days; ++row) {
        // The dates are shown but can be neither selected nor edited.
        auto* date = new QTableWidgetItem(RowDate(row).toString(QStringLiteral("dd.MM.yyyy")));
        date->setFlags(Qt::ItemIsEnabled);
        sg->setItem(row, colDatum, date);
        sg->setItem(row, colFeiertage, new QTableWidgetItem());
        sg->setItem(row, colGeburtstage, new QTableWidgetItem());
    }
    FillColumn(colFeiertage, Feiertage);
    FillColumn(colGeburtstage, Geburtstage);
    // A cursor moved onto a date goes on to the holiday cell of its row.
    connect(sg, &QTableWidget::currentCellChanged, this, [this](int row, int column) {
        if (row >= 0 && column == colDatum)
            sg->setCurrentCell(row, colFeiertage);
    });

    BtnFeiertageBerechnen = new QPushButton(QStringLiteral("Feiertage berechnen"), this);
    BtnFeiertageBerechnen->setObjectName(QStringLiteral("BtnFeiertageBerechnen"));
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setDefault(true);
    BtnAbbrechen = new QPushButton(QStringLiteral("Abbrechen"), this);
    BtnAbbrechen->setObjectName(QStringLiteral("BtnAbbrechen"));
    connect(BtnFeiertageBerechnen, &QPushButton::clicked, this, [this] { BtnFeiertageBerechnenClick(); });
    connect(BtnOK, &QPushButton::clicked, this, [this] { BtnOKClick(); });
    connect(BtnAbbrechen, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnFeiertageBerechnen);
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnAbbrechen);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sg);
    layout->addLayout(buttons);

    InitLocalizer();

    const int first = QDate(FYear, FMonth, 1).dayOfYear() - 1;
    sg->setCurrentCell(first, colFeiertage);
    sg->scrollToItem(sg->item(first, colFeiertage), QAbstractItemView::PositionAtTop);
}

QDate TDlgFeiertagGeburtstag::RowDate(int row) const
{
    return QDate(FYear, 1, 1).addDays(row);
}

void TDlgFeiertagGeburtstag::RegisterTexts()
{
    TLocalizer& loc = Localizer();
    for (const char* t : {"Datum", "Feiertage", "Geburtstage"})
        loc.RegisterFormText(FormClass(), QString::fromUtf8(t));
}

void TDlgFeiertagGeburtstag::AfterTranslate()
{
    sg->setHorizontalHeaderLabels({Tr(QStringLiteral("Datum")), Tr(QStringLiteral("Feiertage")),
                                   Tr(QStringLiteral("Geburtstage"))});
    // The calculation knows only the German holidays.
    BtnFeiertageBerechnen->setVisible(Localizer().CurrentLanguage == 0);
    SizeColumns();
}

void TDlgFeiertagGeburtstag::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    SizeColumns();
}

void TDlgFeiertagGeburtstag::SizeColumns()
{
    const int dateWidth = sg->fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000")) + 10;
    sg->setColumnWidth(colDatum, dateWidth);
    const int rest = std::max(0, sg->viewport()->width() - dateWidth) / 2;
    sg->setColumnWidth(colFeiertage, rest);
    sg->setColumnWidth(colGeburtstage, rest);
}

void TDlgFeiertagGeburtstag::FillColumn(int column, const TKalenderTageListe& list)
{
    for (int row = 0; row < sg->rowCount(); ++row)
        sg->item(row, column)->setText(QString());
    for (int i = 0; i < list.Count(); ++i) {
        const TKalendertagSpezial& entry = list.Items(i);
        if (entry.Datum.year() != FYear)
            continue;
        QTableWidgetItem* cell = sg->item(entry.Datum.dayOfYear() - 1, column);
        // A file may hold two entries of one date; both stay in the cell, so
        // that OK does not lose one of them.
        cell->setText(cell->text().isEmpty() ? entry.Text : cell->text() + kSeparator + entry.Text);
    }
}

void TDlgFeiertagGeburtstag::StoreColumn(int column, TKalenderTageListe& list)
{
    list.DeleteYear(FYear);
    for (int row = 0; row < sg->rowCount(); ++row) {
        const QString text = sg->item(row, column)->text();
        if (!text.trimmed().isEmpty())
            list.Add(text, kSeparator, RowDate(row));
    }
}

void TDlgFeiertagGeburtstag::BtnOKClick()
{
    // Leaving the current cell commits a text still in its editor.
    sg->setCurrentItem(nullptr);

    const auto feiertageBefore = Snapshot(Feiertage);
    const auto geburtstageBefore = Snapshot(Geburtstage);
    StoreColumn(colFeiertage, Feiertage);
    StoreColumn(colGeburtstage, Geburtstage);
    if (OnModified && (Snapshot(Feiertage) != feiertageBefore || Snapshot(Geburtstage) != geburtstageBefore))
        OnModified();
    accept();
}

void TDlgFeiertagGeburtstag::BtnFeiertageBerechnenClick()
{
    TKalenderTageListe holidays;
    AddGermanHolidays(holidays, FYear);
    FillColumn(colFeiertage, holidays);
    Prompter().MessageDlg(QStringLiteral("Die deutschen Feiertage wurden eingetragen.\r\n\r\n"
                                         "Sie können die Feiertage, die für Ihr Bundesland nicht "
                                         "zutreffen, herauslöschen."),
                          TMsgDlgType::Information, mbOK);
}

int ShowFeiertagGeburtstag(int month, int year, TKalenderTageListe& feiertage,
                           TKalenderTageListe& geburtstage, std::function<void()> onModified,
                           QWidget* parent)
{
    TDlgFeiertagGeburtstag dlg(parent, month, year, feiertage, geburtstage, std::move(onModified));
    return dlg.exec() == QDialog::Accepted ? mrOk : mrCancel;
}
