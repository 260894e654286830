#include "app/ui/ProjectDialogs.h"

#include "i18n/Localizer.h"
#include "wizard/ui/DateiNeuDlg.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

namespace {

// The documents folder, or the home folder where there is none (a fresh
// account): a missing start folder would end up as the proposed file name.
QString StartFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

} // namespace

QString ProjectFileFilter()
{
    return QStringLiteral("TPB-") + Localizer().TranslateFormText(QStringLiteral("TMaster"), QStringLiteral("Dateien")) +
           QStringLiteral(" (*.tpb)");
}

QString WithProjectExtension(const QString& fileName)
{
    if (fileName.isEmpty() || fileName.endsWith(QStringLiteral(".tpb"), Qt::CaseInsensitive))
        return fileName;
    return fileName + QStringLiteral(".tpb");
}

QString TQtProjectDialogs::AskOpenFileName(QWidget* parent, const QString& filter)
{
    QFileDialog dlg(parent, QStringLiteral("Brondel Datei öffnen"), StartFolder(), filter);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setDefaultSuffix(QStringLiteral("tpb"));
    dlg.setOption(QFileDialog::DontUseNativeDialog, false);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return QString();
    return dlg.selectedFiles().constFirst();
}

QString TQtProjectDialogs::AskSaveFileName(QWidget* parent, const QString& filter)
{
    QFileDialog dlg(parent, QStringLiteral("Album speichern"), StartFolder(), filter);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setDefaultSuffix(QStringLiteral("tpb"));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return QString();
    return WithProjectExtension(dlg.selectedFiles().constFirst());
}

int TQtProjectDialogs::RunNewProjectWizard(QWidget* parent, TFBDocument& document)
{
    TDateiNeuDlg wizard(parent);
    return wizard.Execute(document);
}
