#include "app/ui/MessageBoxPrompter.h"

#include "i18n/Localizer.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

int TMessageBoxPrompter::MessageDlg(const QString& text, TMsgDlgType type, unsigned buttons)
{
    TLocalizer& loc = Localizer();
    QMessageBox box(QApplication::activeWindow());
    box.setText(text);
    switch (type) {
    case TMsgDlgType::Warning:
        box.setIcon(QMessageBox::Warning);
        box.setWindowTitle(loc.RuntimeText(QStringLiteral("IDS_mtWarning")));
        break;
    case TMsgDlgType::Error:
        box.setIcon(QMessageBox::Critical);
        box.setWindowTitle(loc.RuntimeText(QStringLiteral("IDS_mtError")));
        break;
    case TMsgDlgType::Information:
        box.setIcon(QMessageBox::Information);
        box.setWindowTitle(loc.RuntimeText(QStringLiteral("IDS_mtInformation")));
        break;
    case TMsgDlgType::Confirmation:
        box.setIcon(QMessageBox::Question);
        box.setWindowTitle(loc.RuntimeText(QStringLiteral("IDS_mtConfimation")));
        break;
    case TMsgDlgType::Custom:
        box.setWindowTitle(QApplication::applicationDisplayName());
        break;
    }
    struct B {
        unsigned Flag;
        const char* Key;
        QMessageBox::ButtonRole Role;
        int Result;
    };
    static const B table[] = {
        {mbYes, "IDS_mbYes", QMessageBox::YesRole, mrYes},
        {mbNo, "IDS_mbNo", QMessageBox::NoRole, mrNo},
        {mbOK, "IDS_mbOK", QMessageBox::AcceptRole, mrOk},
        {mbCancel, "IDS_mbCancel", QMessageBox::RejectRole, mrCancel},
        {mbAbort, "IDS_mbAbort", QMessageBox::RejectRole, mrAbort},
        {mbRetry, "IDS_mbRetry", QMessageBox::AcceptRole, mrRetry},
        {mbIgnore, "IDS_mbIgnore", QMessageBox::AcceptRole, mrIgnore},
        {mbAll, "IDS_mbAll", QMessageBox::YesRole, mrAll},
        {mbNoToAll, "IDS_mbNoToAll", QMessageBox::NoRole, mrNoToAll},
        {mbYesToAll, "IDS_mbYesToAll", QMessageBox::YesRole, mrYesToAll},
        {mbHelp, "IDS_mbHelp", QMessageBox::HelpRole, mrNone},
    };
    QList<QPair<QAbstractButton*, int>> made;
    for (const B& b : table)
        if (buttons & b.Flag) {
            QPushButton* pb = box.addButton(loc.RuntimeText(QString::fromLatin1(b.Key)), b.Role);
            made.append({pb, b.Result});
        }
    if (made.isEmpty())
        made.append({box.addButton(loc.RuntimeText(QStringLiteral("IDS_mbOK")), QMessageBox::AcceptRole), mrOk});
    // Escape and the close box answer Cancel when there is one.
    for (const auto& m : made)
        if (m.second == mrCancel)
            box.setEscapeButton(m.first);
    box.exec();
    for (const auto& m : made)
        if (box.clickedButton() == m.first)
            return m.second;
    return (buttons & mbCancel) ? mrCancel : mrNone;
}

void TMessageBoxPrompter::Beep()
{
    QApplication::beep();
}
