#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>

// Version parts of a program version.
struct TProjVersion {
    int vv = 0; // major
    int rr = 0; // minor
    int mm = 0; // release
    int pp = 0; // build
};

// The version information of the program. Our executables carry no version
// resource; the numbers come from the build (CMake's project version) and
// the string values from the program's identity.
class TFileInfo {
public:
    explicit TFileInfo(const QString& fileName = QString());

    const QString& FileName() const { return Name; }
    const QDateTime& Date() const { return FileDate; }
    const TProjVersion& FileVersion() const { return FileVer; }
    const TProjVersion& ProductVersion() const { return ProductVer; }
    const QString& LanguageBlock() const { return Language; }

    // The standard string values: "CompanyName", "FileDescription",
    // "FileVersion", "InternalName", "LegalCopyright", "OriginalFilename",
    // "ProductName", "ProductVersion". Any other name: "Nicht gefunden".
    QString GetValue(const QString& name) const;

    // "V. 1.2.3 " on the start picture.
    QString StartPictureText() const;
    // "V 1.2.3 Build 0004" in the info box.
    QString InfoBoxText() const;
    // "1.02.0003.0004" for the "Version" setting.
    QString RegistryText() const;

private:
    QString Name;
    QDateTime FileDate;
    TProjVersion FileVer;
    TProjVersion ProductVer;
    QString Language = QStringLiteral("040704E4");
    QMap<QString, QString> Strings;
};
