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

QByteArray Resource(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

bool RegisterFileAssociation(const QString& programPath, const QString& dataHome)
{
    const QString home = DataHome(dataHome);
    if (home.isEmpty())
        return false;
    // The same files the install rule puts under the prefix; only the
    // program path differs, since a per-user entry must find this very
    // program.
    const QByteArray mime = Resource(QStringLiteral(":/linux/lumarbo-mime.xml"));
    QString desktop = QString::fromUtf8(Resource(QStringLiteral(":/linux/lumarbo.desktop")));
    const QByteArray icon = Resource(QStringLiteral(":/images/lumarbo.svg"));
    if (mime.isEmpty() || desktop.isEmpty())
        return false;
    desktop.replace(QStringLiteral("Exec=lumarbo %f"), QStringLiteral("Exec=") + QuoteExec(programPath) +
                                                          QStringLiteral(" %f"));
    const bool mimeChanged = WriteIfChanged(home + QStringLiteral("/mime/packages/lumarbo.xml"), mime);
    const bool entryChanged =
        WriteIfChanged(home + QStringLiteral("/applications/lumarbo.desktop"), desktop.toUtf8());
    if (!icon.isEmpty())
        WriteIfChanged(home + QStringLiteral("/icons/hicolor/scalable/apps/lumarbo.svg"), icon);
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
