#include "app/DataFolder.h"

#include "app/VQRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString ProgramFolder()
{
    QString dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

bool SameContent(const QString& a, const QString& b)
{
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return false;
    if (fa.size() != fb.size())
        return false;
    while (!fa.atEnd()) {
        if (fa.read(1 << 16) != fb.read(1 << 16))
            return false;
    }
    return true;
}

} // namespace

QString GetDataFolder()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!base.isEmpty()) {
        QString key = QString::fromLatin1(TVQRegIniFile::ProgramKey).mid(9);
        key.replace(QLatin1Char('\\'), QLatin1Char('/'));
        const QString folder = base + QLatin1Char('/') + key + QLatin1Char('/');
        if (QDir().mkpath(folder))
            return folder;
    }
    return ProgramFolder();
}

QString GetDataFileIn(const QString& dataFolder, const QString& programFolder, const QString& fileName)
{
    const QString target = QDir(dataFolder).filePath(fileName);
    const QString old = QDir(programFolder).filePath(fileName);
    if (!QFileInfo::exists(target) && QFileInfo::exists(old)
        && QFileInfo(target).absoluteFilePath() != QFileInfo(old).absoluteFilePath()) {
        if (QFile::copy(old, target)) {
            if (SameContent(old, target))
                QFile::remove(old);
            else
                QFile::remove(target);
        }
    }
    return target;
}

QString GetDataFile(const QString& fileName)
{
    return GetDataFileIn(GetDataFolder(), ProgramFolder(), fileName);
}
