#include "app/FileAssociation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

QString DataHome(const QString& given)
{
    return given.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) : given;
}

// Writes text when the file does not already hold it; true when written.
bool WriteIfChanged(const QString& path, const QByteArray& text)
{
    QFile old(path);
    if (old.open(QIODevice::ReadOnly) && old.readAll() == text)
        return false;
    old.close();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
        return false;
    return f.commit();
}

// Desktop entries quote arguments with double quotes and escape these.
QString QuoteExec(const QString& path)
{
    QString p = path;
    for (const char* c : {"\\", "\"", "`", "$"})
        p.replace(QString::fromLatin1(c), QStringLiteral("\\") + QString::fromLatin1(c));
    return QLatin1Char('"') + p + QLatin1Char('"');
}

} // namespace

bool RegisterFileAssociation(const QString& programPath, const QString& dataHome)
{
    const QString home = DataHome(dataHome);
    if (home.isEmpty())
        return false;
    const QByteArray mime =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"application/x-lumarbo-project\">\n"
        "    <comment>Lumarbo Datei</comment>\n"
        "    <glob pattern=\"*.tpb\"/>\n"
        "    <magic priority=\"60\"><match type=\"string\" offset=\"0\" value=\"VQ DataFile\"/></magic>\n"
        "  </mime-type>\n"
        "</mime-info>\n";
    const QString name = QFileInfo(programPath).completeBaseName();
    const QByteArray desktop = QStringLiteral("[Desktop Entry]\n"
                                              "Type=Application\n"
                                              "Name=Quarn Lumarbo\n"
                                              "Comment=%1 Datei\n"
                                              "Exec=%2 %f\n"
                                              "MimeType=application/x-lumarbo-project;\n"
                                              "Terminal=false\n"
                                              "Categories=Graphics;Photography;\n")
                                   .arg(name, QuoteExec(programPath))
                                   .toUtf8();
    const bool mimeChanged = WriteIfChanged(home + QStringLiteral("/mime/packages/lumarbo.xml"), mime);
    const bool entryChanged = WriteIfChanged(home + QStringLiteral("/applications/lumarbo.desktop"), desktop);
    return mimeChanged || entryChanged;
}

void NotifyAssociationsChanged(const QString& dataHome)
{
    const QString home = DataHome(dataHome);
    if (home.isEmpty())
        return;
    // Both tools are optional; without them the desktop picks the change up
    // at its next start.
    const QString mimeTool = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
    if (!mimeTool.isEmpty())
        QProcess::startDetached(mimeTool, {home + QStringLiteral("/mime")});
    const QString desktopTool = QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
    if (!desktopTool.isEmpty())
        QProcess::startDetached(desktopTool, {home + QStringLiteral("/applications")});
}
