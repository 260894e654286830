#include "model/ui/ColorPrompt.h"

#include "model/ZadoveroColor.h"

#include <QColorDialog>
#include <QPointer>

namespace {

QString LineName(int index)
{
    return QStringLiteral("Color") + QChar(u'A' + index);
}

void ApplyLines(const QStringList& lines)
{
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, Qt::white);
    for (int i = 0; i < lines.size() && i < QColorDialog::customCount(); ++i) {
        const qsizetype eq = lines[i].indexOf(QLatin1Char('='));
        bool ok = false;
        const uint value = eq < 0 ? 0u : lines[i].mid(eq + 1).trimmed().toUInt(&ok, 16);
        if (ok && value <= 0xFFFFFFu)
            QColorDialog::setCustomColor(i, ToQColor(TColor(value)));
    }
}

QStringList DialogLines()
{
    QStringList lines;
    for (int i = 0; i < QColorDialog::customCount(); ++i) {
        const TColor c = FromQColor(QColorDialog::customColor(i));
        lines << LineName(i) + QLatin1Char('=') +
                     QStringLiteral("%1").arg(c & 0xFFFFFFu, 6, 16, QLatin1Char('0')).toUpper();
    }
    return lines;
}

} // namespace

void InstallColorDialogAsker(QWidget* owner)
{
    QPointer<QWidget> parent(owner);
    SetColorAsker([parent](TColor& color, QStringList& lines) {
        ApplyLines(lines);
        QColorDialog dialog(ToQColor(color), parent.data());
        dialog.setOption(QColorDialog::DontUseNativeDialog, true);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        color = FromQColor(dialog.selectedColor());
        lines = DialogLines();
        return true;
    });
}
