#include "app/VQRegistry.h"

#include "app/Errors.h"
#include "app/Services.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include <cmath>
#include <cstring>

namespace {

QString Fold(const QString& s)
{
    return s.toCaseFolded();
}

// A section "Druckeinstellung\X" and "\Druckeinstellung\X\" address the
// same key, as they would in the registry.
QString NormalSection(const QString& s)
{
    QString r = s;
    while (r.startsWith(QLatin1Char('\\')))
        r.remove(0, 1);
    while (r.endsWith(QLatin1Char('\\')))
        r.chop(1);
    return r;
}

} // namespace

QString FloatToCommaText(double v)
{
    if (std::isnan(v))
        return QStringLiteral("NAN");
    if (std::isinf(v))
        return v > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    QString s = QString::number(v, 'g', 15);
    // 1.5e-10 -> 1,5E-10; 1e+20 -> 1E20, the usual Windows float text.
    const qsizetype e = s.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        QString mant = s.left(e);
        QString exp = s.mid(e + 1);
        QString sign;
        if (exp.startsWith(QLatin1Char('-')))
            sign = QStringLiteral("-");
        exp.remove(QLatin1Char('+')).remove(QLatin1Char('-'));
        while (exp.size() > 1 && exp.startsWith(QLatin1Char('0')))
            exp.remove(0, 1);
        s = mant + QLatin1Char('E') + sign + exp;
    }
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    return s;
}

bool CommaTextToFloat(const QString& text, double& out)
{
    static const QRegularExpression re(
        QStringLiteral("^\\s*([+-]?(?:\\d+(?:,\\d*)?|,\\d+)(?:[eE][+-]?\\d+)?)\\s*$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return false;
    QString t = m.captured(1);
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok)
        return false;
    out = v;
    return true;
}

QString TVQRegIniFile::DefaultFileName()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    // The program key without "Software\" names the folder.
    QString key = QString::fromLatin1(ProgramKey).mid(9);
    key.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return base + QLatin1Char('/') + key + QStringLiteral("/registry.json");
}

TVQRegIniFile::TVQRegIniFile(const QString& fileName)
    : File(fileName.isEmpty() ? DefaultFileName() : fileName)
{
    Load();
}

void TVQRegIniFile::Load()
{
    Sections.clear();
    QFile f(File);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll());
    const QJsonArray sections = doc.object().value(QStringLiteral("sections")).toArray();
    for (const QJsonValue& sv : sections) {
        const QJsonObject so = sv.toObject();
        const QString name = NormalSection(so.value(QStringLiteral("name")).toString());
        Section& sec = Sections[Fold(name)];
        if (sec.Name.isEmpty())
            sec.Name = name;
        for (const QJsonValue& vv : so.value(QStringLiteral("values")).toArray()) {
            const QJsonObject vo = vv.toObject();
            Value v;
            v.Name = vo.value(QStringLiteral("name")).toString();
            const QString type = vo.value(QStringLiteral("type")).toString();
            const QJsonValue data = vo.value(QStringLiteral("data"));
            if (type == QLatin1String("integer")) {
                v.Type = Kind::Integer;
                v.Data = int(data.toDouble());
            } else if (type == QLatin1String("binary")) {
                v.Type = Kind::Binary;
                v.Data = QByteArray::fromBase64(data.toString().toLatin1());
            } else {
                v.Type = Kind::String;
                v.Data = data.toString();
            }
            const QString key = Fold(v.Name);
            if (!sec.Values.contains(key))
                sec.Values.insert(key, v);
        }
    }
}

void TVQRegIniFile::Save() const
{
    QJsonArray sections;
    QStringList keys = Sections.keys();
    keys.sort();
    for (const QString& k : keys) {
        const Section& sec = Sections[k];
        QJsonArray values;
        QStringList vkeys = sec.Values.keys();
        vkeys.sort();
        for (const QString& vk : vkeys) {
            const Value& v = sec.Values[vk];
            QJsonObject vo;
            vo.insert(QStringLiteral("name"), v.Name);
            switch (v.Type) {
            case Kind::Integer:
                vo.insert(QStringLiteral("type"), QStringLiteral("integer"));
                vo.insert(QStringLiteral("data"), v.Data.toInt());
                break;
            case Kind::Binary:
                vo.insert(QStringLiteral("type"), QStringLiteral("binary"));
                vo.insert(QStringLiteral("data"), QString::fromLatin1(v.Data.toByteArray().toBase64()));
                break;
            case Kind::String:
                vo.insert(QStringLiteral("type"), QStringLiteral("string"));
                vo.insert(QStringLiteral("data"), v.Data.toString());
                break;
            }
            values.append(vo);
        }
        QJsonObject so;
        so.insert(QStringLiteral("name"), sec.Name);
        so.insert(QStringLiteral("values"), values);
        sections.append(so);
    }
    QJsonObject root;
    root.insert(QStringLiteral("sections"), sections);

    // A settings write that fails must not take the program down (the
    // window position is written while it closes); the old file stays.
    QDir().mkpath(QFileInfo(File).absolutePath());
    QSaveFile f(File);
    if (!f.open(QIODevice::WriteOnly))
        return;
    f.write(QJsonDocument(root).toJson(QJsonDocument::Indented));
    f.commit();
}

const TVQRegIniFile::Value* TVQRegIniFile::Find(const QString& section, const QString& name) const
{
    const auto s = Sections.constFind(Fold(NormalSection(section)));
    if (s == Sections.constEnd())
        return nullptr;
    const auto v = s->Values.constFind(Fold(name));
    return v == s->Values.constEnd() ? nullptr : &*v;
}

void TVQRegIniFile::Put(const QString& section, const QString& name, Kind kind, const QVariant& data)
{
    // Another running instance may have written since we loaded; start from
    // what is on disk so its values are kept.
    Load();
    const QString secName = NormalSection(section);
    Section& sec = Sections[Fold(secName)];
    if (sec.Name.isEmpty())
        sec.Name = secName;
    Value& v = sec.Values[Fold(name)];
    if (v.Name.isEmpty())
        v.Name = name;
    v.Type = kind;
    v.Data = data;
    Save();
}

bool TVQRegIniFile::ReadBool(const QString& section, const QString& name, bool def) const
{
    return ReadInteger(section, name, def ? 1 : 0) != 0;
}

int TVQRegIniFile::ReadInteger(const QString& section, const QString& name, int def) const
{
    const Value* v = Find(section, name);
    if (!v)
        return def;
    switch (v->Type) {
    case Kind::Integer:
        return v->Data.toInt();
    case Kind::String: {
        bool ok = false;
        const int i = v->Data.toString().trimmed().toInt(&ok);
        return ok ? i : def;
    }
    case Kind::Binary: {
        const QByteArray b = v->Data.toByteArray();
        if (b.size() != 4)
            return def;
        qint32 i;
        std::memcpy(&i, b.constData(), 4);
        return i;
    }
    }
    return def;
}

QString TVQRegIniFile::ReadString(const QString& section, const QString& name, const QString& def) const
{
    const Value* v = Find(section, name);
    if (!v)
        return def;
    switch (v->Type) {
    case Kind::String:
        return v->Data.toString();
    case Kind::Integer:
        return QString::number(v->Data.toInt());
    case Kind::Binary:
        return def;
    }
    return def;
}

double TVQRegIniFile::ReadFloat(const QString& section, const QString& name, double def) const
{
    const Value* v = Find(section, name);
    if (!v || v->Type != Kind::String)
        return def;
    double d = 0;
    return CommaTextToFloat(v->Data.toString(), d) ? d : def;
}

void TVQRegIniFile::WriteBool(const QString& section, const QString& name, bool value)
{
    WriteInteger(section, name, value ? 1 : 0);
}

void TVQRegIniFile::WriteInteger(const QString& section, const QString& name, int value)
{
    Put(section, name, Kind::Integer, value);
}

void TVQRegIniFile::WriteString(const QString& section, const QString& name, const QString& value)
{
    Put(section, name, Kind::String, value);
}

void TVQRegIniFile::WriteFloat(const QString& section, const QString& name, double value)
{
    WriteString(section, name, FloatToCommaText(value));
}

int TVQRegIniFile::GetDataSize(const QString& section, const QString& name) const
{
    const Value* v = Find(section, name);
    if (!v)
        return -1;
    switch (v->Type) {
    case Kind::Binary:
        return int(v->Data.toByteArray().size());
    case Kind::Integer:
        return 4;
    case Kind::String:
        // The registry counts UTF-16 units and the terminating zero.
        return int((v->Data.toString().size() + 1) * 2);
    }
    return -1;
}

QByteArray TVQRegIniFile::ReadBinary(const QString& section, const QString& name) const
{
    const Value* v = Find(section, name);
    if (!v || v->Type != Kind::Binary)
        return {};
    return v->Data.toByteArray();
}

int TVQRegIniFile::ReadBinaryData(const QString& section, const QString& name, void* buffer, int size) const
{
    const Value* v = Find(section, name);
    if (!v)
        return 0;
    if (v->Type != Kind::Binary)
        throw Exception(QStringLiteral("Ungültiger Datentyp für '%1'").arg(name));
    const QByteArray b = v->Data.toByteArray();
    if (b.size() > size)
        throw Exception(QStringLiteral("Fehler beim Lesen von '%1'").arg(name));
    if (!b.isEmpty())
        std::memcpy(buffer, b.constData(), size_t(b.size()));
    return int(b.size());
}

void TVQRegIniFile::WriteBinaryData(const QString& section, const QString& name, const void* buffer, int size)
{
    Put(section, name, Kind::Binary, QByteArray(static_cast<const char*>(buffer), size < 0 ? 0 : size));
}

bool TVQRegIniFile::ValueExists(const QString& section, const QString& name) const
{
    return Find(section, name) != nullptr;
}

void TVQRegIniFile::DeleteKey(const QString& section, const QString& name)
{
    Load();
    auto s = Sections.find(Fold(NormalSection(section)));
    if (s == Sections.end() || s->Values.remove(Fold(name)) == 0)
        return;
    Save();
}

TVQRegIniFile& VQRegistry()
{
    return TServices::Instance().Registry();
}
