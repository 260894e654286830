#pragma once

#include "i18n/ui/LocalizerForm.h"
#include "wizard/DateiNeuWizzard.h"

#include <QDialog>
#include <QImage>

#include <functional>
#include <memory>

class QLabel;
class QListWidget;
class QPushButton;
class TFBDocument;

// The current year the calendar entries start from.
using TWizzardYearSource = std::function<int()>;
// The picture of a picture name (throws when it is missing).
using TWizzardPictureLoader = std::function<QImage(const QString& pictureName)>;

// The new-project wizard: the product catalogue as a list of steps with a
// question above and a picture beside it. Confirming a product turns the
// document into a new project of it; nothing else touches the document.
class TDateiNeuDlg : public QDialog, public TLocalizerForm {
    Q_OBJECT
public:
    // The results of Execute.
    static constexpr int mrProduct = 1;
    static constexpr int mrCancel = 2;
    static constexpr int mrDateiOeffnen = 100;

    // Without a year source the system clock's year is used, without a
    // loader the built-in pictures.
    explicit TDateiNeuDlg(QWidget* parent = nullptr, TWizzardYearSource currentYear = {},
                          TWizzardPictureLoader pictureLoader = {});
    ~TDateiNeuDlg() override;

    // Shows the wizard modally on doc: mrProduct when doc now holds a new
    // project, mrDateiOeffnen when the user wants to open one instead,
    // mrCancel (doc untouched) otherwise.
    int Execute(TFBDocument& doc);
    // The document a confirmed product is set up in (not owned).
    void SetDocument(TFBDocument* doc) { FDoc = doc; }

    TDateiNeuWizzard& Wizzard() { return *FWizzard; }
    TWizzardStep& Root() { return FWizzard->Root(); }
    int ItemHeight() const { return FItemHeight; }

    QWidget* panCaption;
    QLabel* lblCaption;
    QListWidget* lbSteps;
    QLabel* imgWizzard;
    QPushButton* BtnDateiOeffnen;
    QPushButton* BtnZurueck;
    QPushButton* BtnWeiter;
    QPushButton* BtnAbbrechen;

    // Lists the children of step and selects the first.
    void ShowLevel(TWizzardStep* step);
    // Selects step: its list entry, its picture and the Weiter caption.
    void ShowStep(TWizzardStep* step);

    void lbStepsClick();
    void lbStepsDblClick();
    // Down one level; on a leaf the product is set up in the document
    // (FinishWithProduct) and the window closes with mrProduct.
    void BtnWeiterClick();
    // Up one level, the left step selected.
    void BtnZurueckClick();
    void BtnDateiOeffnenClick();

    // Escape, Abbrechen and the close box all end with mrCancel.
    void reject() override;

protected:
    void RegisterTexts() override;
    void AfterTranslate() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildSteps();
    // The widgets for the wizard's current level and selected step.
    void ShowCurrentLevel();
    void ShowSelectedStep();

    std::unique_ptr<TDateiNeuWizzard> FWizzard;
    TWizzardYearSource FCurrentYear;
    TWizzardPictureLoader FPictureLoader;
    TFBDocument* FDoc = nullptr;
    int FItemHeight = 30;
};
