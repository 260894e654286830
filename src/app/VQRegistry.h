#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>

// The program's settings between runs. The store behaves like the per-user
// registry key it stands in for ("Software\Quarn\Lumarbo"): sections are
// sub-keys whose names may contain backslashes, section and value names match
// without regard to letter case, values are strings, integers or binary
// blocks. It is kept in one JSON file under the XDG config folder
// ($XDG_CONFIG_HOME/Quarn/Lumarbo/registry.json); every write replaces the
// file atomically, so a crash half-way leaves the previous settings intact.
class TVQRegIniFile {
public:
    static constexpr const char* ProgramKey = "Software\\Quarn\\Lumarbo";

    // fileName empty: the default location above.
    explicit TVQRegIniFile(const QString& fileName = QString());

    static QString DefaultFileName();
    const QString& FileName() const { return File; }

    bool ReadBool(const QString& section, const QString& name, bool def) const;
    int ReadInteger(const QString& section, const QString& name, int def) const;
    QString ReadString(const QString& section, const QString& name, const QString& def) const;
    // Floats are stored as text with the comma as decimal separator ("2,5"),
    // whatever the user's locale; text that does not parse gives def.
    double ReadFloat(const QString& section, const QString& name, double def) const;

    void WriteBool(const QString& section, const QString& name, bool value);
    void WriteInteger(const QString& section, const QString& name, int value);
    void WriteString(const QString& section, const QString& name, const QString& value);
    void WriteFloat(const QString& section, const QString& name, double value);

    // -1 when the value does not exist.
    int GetDataSize(const QString& section, const QString& name) const;
    // Copies the binary value into buffer; returns the bytes read (0 when
    // the value is missing). A buffer smaller than the value raises.
    int ReadBinaryData(const QString& section, const QString& name, void* buffer, int size) const;
    void WriteBinaryData(const QString& section, const QString& name, const void* buffer, int size);
    QByteArray ReadBinary(const QString& section, const QString& name) const;

    bool ValueExists(const QString& section, const QString& name) const;
    void DeleteKey(const QString& section, const QString& name);

private:
    enum class Kind { String, Integer, Binary };
    struct Value {
        QString Name;
        Kind Type = Kind::String;
        QVariant Data;
    };
    struct Section {
        QString Name;
        QHash<QString, Value> Values; // keyed by the folded name
    };

    const Value* Find(const QString& section, const QString& name) const;
    void Put(const QString& section, const QString& name, Kind kind, const QVariant& data);
    void Load();
    void Save() const;

    QString File;
    QHash<QString, Section> Sections; // keyed by the folded section name
};

// Float text with the comma as decimal separator, as the settings keep it.
QString FloatToCommaText(double v);
bool CommaTextToFloat(const QString& text, double& out);

// The program's settings store (owned by the services object).
TVQRegIniFile& VQRegistry();
