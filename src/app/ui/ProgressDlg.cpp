#include "app/ui/ProgressDlg.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>

TProgressDlg::TProgressDlg(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
    , TLocalizerForm(this, QStringLiteral("TProgressDlg"))
{
    setWindowTitle(QStringLiteral("Fortschritt"));
    setFixedSize(273, 98);
    lblInfo = new QLabel(this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setGeometry(8, 12, 257, 69);
    lblInfo->setAlignment(Qt::AlignCenter);
    lblInfo->setWordWrap(false);
    if (QScreen* s = owner ? owner->screen() : QGuiApplication::primaryScreen())
        move(s->geometry().center() - rect().center());
    InitLocalizer();
}

void TProgressDlg::SetText(const QString& text)
{
    lblInfo->setText(text);
    lblInfo->repaint();
}

QString TProgressDlg::Text() const
{
    return lblInfo->text();
}

TWindowInfoOutput::TWindowInfoOutput(QWidget* mainWindow, QStatusBar* statusBar)
    : Main(mainWindow)
    , Status(statusBar)
{
}

TWindowInfoOutput::~TWindowInfoOutput()
{
    delete Dlg.data();
}

void TWindowInfoOutput::SetStatusText(const QString& text)
{
    if (Status)
        Status->showMessage(text);
}

void TWindowInfoOutput::ShowProgress(const QString& text)
{
    if (!Dlg) {
        Dlg = new TProgressDlg(Main);
        Dlg->SetText(text);
        Dlg->show();
        Dlg->repaint();
        Main->setEnabled(false);
    } else {
        Dlg->SetText(text);
    }
    // Let the text show at once; input is blocked meanwhile because the main
    // window is disabled.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TWindowInfoOutput::CloseProgress()
{
    Main->setEnabled(true);
    if (Dlg) {
        Dlg->hide();
        delete Dlg.data();
    }
}
