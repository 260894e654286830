#include "app/FileInfo.h"

#include "Version.h"

#include <QCoreApplication>
#include <QFileInfo>

TFileInfo::TFileInfo(const QString& fileName)
    : Name(fileName.isEmpty() && QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : fileName)
{
    FileVer = {LUMARBO_VERSION_MAJOR, LUMARBO_VERSION_MINOR, LUMARBO_VERSION_RELEASE, LUMARBO_VERSION_BUILD};
    ProductVer = FileVer;
    FileDate = QFileInfo(Name).lastModified();
    const QString version = QStringLiteral("%1.%2.%3.%4").arg(FileVer.vv).arg(FileVer.rr).arg(FileVer.mm).arg(FileVer.pp);
    Strings = {
        {QStringLiteral("CompanyName"), QStringLiteral("Quarn")},
        {QStringLiteral("FileDescription"), QStringLiteral("Lumarbo")},
        {QStringLiteral("FileVersion"), version},
        {QStringLiteral("InternalName"), QStringLiteral("lumarbo")},
        {QStringLiteral("LegalCopyright"), QStringLiteral("Quarn")},
        {QStringLiteral("OriginalFilename"), QStringLiteral("lumarbo")},
        {QStringLiteral("ProductName"), QStringLiteral("Lumarbo")},
        {QStringLiteral("ProductVersion"), version},
    };
}

QString TFileInfo::GetValue(const QString& name) const
{
    return Strings.value(name, QStringLiteral("Nicht gefunden"));
}

QString TFileInfo::StartPictureText() const
{
    return QString::asprintf("V. %d.%d.%d ", FileVer.vv, FileVer.rr, FileVer.mm);
}

QString TFileInfo::InfoBoxText() const
{
    return QString::asprintf("V %d.%d.%d Build %.4d", FileVer.vv, FileVer.rr, FileVer.mm, FileVer.pp);
}

QString TFileInfo::RegistryText() const
{
    return QString::asprintf("%d.%.2d.%.4d.%.4d", FileVer.vv, FileVer.rr, FileVer.mm, FileVer.pp);
}
