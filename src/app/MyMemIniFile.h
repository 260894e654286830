#pragma once

#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>

// An ini file held in memory: named sections, each a list of "key=value"
// lines. It holds the language tables, so lookups follow their rules:
// section and key match without regard to letter case, the first line of a
// key wins, and nothing around keys or values is trimmed.
class TMyMemIniFile {
public:
    // UTF-16LE lines (byte-order mark optional) as the language tables are.
    void LoadFromWideStream(QIODevice& stream);
    void LoadFromWideBytes(const QByteArray& bytes);
    // 8-bit lines in Windows-1252 (a UTF-8 byte-order mark selects UTF-8).
    void LoadFromStream(QIODevice& stream);
    // A file of UTF-16 lines; when it does not exist, everything is cleared.
    void LoadFromFile(const QString& name);
    // Parses lines already decoded.
    void SetLines(const QStringList& lines);

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // False when the section or key is missing.
    bool FindString(const QString& section, const QString& key, QString& value) const;
    void WriteString(const QString& section, const QString& key, const QString& value);
    QStringList ReadSection(const QString& section) const;
    QStringList ReadSections() const;
    QStringList ReadSectionValues(const QString& section) const;
    bool SectionExists(const QString& section) const;
    void DeleteKey(const QString& section, const QString& key);
    void EraseSection(const QString& section);
    void Clear();
    // Appends raw lines to a section (created when missing).
    void AppendLines(const QString& section, const QStringList& lines);

    // Each section as "[name]", its lines and an empty line, Windows-1252.
    void SaveToStream(QIODevice& stream) const;
    // Throws when the file cannot be written.
    void SaveToFile(const QString& name) const;
    void UpdateFile() {}

private:
    struct Section {
        QString Name;
        QStringList Lines;
    };
    const Section* FindSection(const QString& name) const;
    Section* FindSection(const QString& name);
    static qsizetype IndexOfName(const QStringList& lines, const QString& key);

    QList<Section> Sections;
};
