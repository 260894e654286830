#pragma once

#include "app/InfoAusgabe.h"
#include "i18n/ui/LocalizerForm.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QStatusBar;

// The small always-on-top window that shows the text of a long operation.
class TProgressDlg : public QDialog, public TLocalizerForm {
    Q_OBJECT
public:
    explicit TProgressDlg(QWidget* owner);
    void SetText(const QString& text);
    QString Text() const;

private:
    QLabel* lblInfo;
};

// Status bar and progress window of a main window.
class TWindowInfoOutput : public IInfoOutput {
public:
    TWindowInfoOutput(QWidget* mainWindow, QStatusBar* statusBar);
    ~TWindowInfoOutput() override;

    void SetStatusText(const QString& text) override;
    void ShowProgress(const QString& text) override;
    void CloseProgress() override;

    TProgressDlg* Progress() const { return Dlg; }

private:
    QWidget* Main;
    QPointer<QStatusBar> Status;
    QPointer<TProgressDlg> Dlg;
};
