#pragma once

#include "i18n/ui/LocalizerForm.h"

#include <QDialog>

#include <functional>

class QPushButton;
class QTableWidget;
class TKalenderTageListe;

// Edits a document's holidays and birthdays for one year: one row per day
// with the date, an editable holiday cell and an editable birthday cell.
// The lists change only on OK; entries of other years are never touched.
class TDlgFeiertagGeburtstag : public QDialog, public TLocalizerForm {
    Q_OBJECT
public:
    // The grid starts at the 1st of month. onModified runs when OK changed
    // either list (the caller marks its document modified).
    TDlgFeiertagGeburtstag(QWidget* parent, int month, int year, TKalenderTageListe& feiertage,
                           TKalenderTageListe& geburtstage, std::function<void()> onModified = {});

    int Year() const { return FYear; }
    // The date of a grid row (day of the year - 1).
    QDate RowDate(int row) const;

    QTableWidget* sg;
    QPushButton* BtnOK;
    QPushButton* BtnAbbrechen;
    QPushButton* BtnFeiertageBerechnen;

    // Replaces the year's entries of both lists by the non-empty cells.
    void BtnOKClick();
    // Fills the holiday column with the German holidays of the year; the
    // list itself changes only when OK follows.
    void BtnFeiertageBerechnenClick();

protected:
    void RegisterTexts() override;
    void AfterTranslate() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FillColumn(int column, const TKalenderTageListe& list);
    void StoreColumn(int column, TKalenderTageListe& list);
    void SizeColumns();

    int FMonth;
    int FYear;
    TKalenderTageListe& Feiertage;
    TKalenderTageListe& Geburtstage;
    std::function<void()> OnModified;
};

// Shows the dialog modally; returns mrOk or mrCancel.
int ShowFeiertagGeburtstag(int month, int year, TKalenderTageListe& feiertage,
                           TKalenderTageListe& geburtstage, std::function<void()> onModified = {},
                           QWidget* parent = nullptr);
