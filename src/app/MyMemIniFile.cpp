#include "app/MyMemIniFile.h"

#include "app/Codec1252.h"
#include "app/Errors.h"

#include <QFile>
#include <QSaveFile>

namespace {

QStringList SplitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

QString DecodeWide(const QByteArray& bytes)
{
    qsizetype off = 0;
    if (bytes.size() >= 2 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xFE)
        off = 2;
    const qsizetype units = (bytes.size() - off) / 2;
    QString s(units, Qt::Uninitialized);
    for (qsizetype i = 0; i < units; ++i) {
        const uchar lo = uchar(bytes[off + 2 * i]);
        const uchar hi = uchar(bytes[off + 2 * i + 1]);
        s[i] = QChar(char16_t(lo | (hi << 8)));
    }
    return s;
}

} // namespace

void TMyMemIniFile::LoadFromWideBytes(const QByteArray& bytes)
{
    SetLines(SplitLines(DecodeWide(bytes)));
}

void TMyMemIniFile::LoadFromWideStream(QIODevice& stream)
{
    LoadFromWideBytes(stream.readAll());
}

void TMyMemIniFile::LoadFromStream(QIODevice& stream)
{
    const QByteArray bytes = stream.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        SetLines(SplitLines(QString::fromUtf8(bytes.mid(3))));
    else
        SetLines(SplitLines(FromCp1252(bytes)));
}

void TMyMemIniFile::LoadFromFile(const QString& name)
{
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly)) {
        Clear();
        return;
    }
    LoadFromWideStream(f);
}

void TMyMemIniFile::SetLines(const QStringList& lines)
{
    Clear();
    qsizetype current = -1; // an index: appending sections moves them
    for (const QString& line : lines) {
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']')) && line.size() >= 2) {
            const QString name = line.mid(1, line.size() - 2);
            current = -1;
            for (qsizetype i = 0; i < Sections.size(); ++i)
                if (Sections[i].Name.compare(name, Qt::CaseInsensitive) == 0)
                    current = i;
            if (current < 0) {
                Sections.append(Section{name, {}});
                current = Sections.size() - 1;
            }
            continue;
        }
        if (current >= 0)
            Sections[current].Lines.append(line);
    }
}

const TMyMemIniFile::Section* TMyMemIniFile::FindSection(const QString& name) const
{
    for (const Section& s : Sections)
        if (s.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

TMyMemIniFile::Section* TMyMemIniFile::FindSection(const QString& name)
{
    return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

qsizetype TMyMemIniFile::IndexOfName(const QStringList& lines, const QString& key)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& l = lines[i];
        const qsizetype eq = l.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        if (QStringView(l).left(eq).compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool TMyMemIniFile::FindString(const QString& section, const QString& key, QString& value) const
{
    const Section* s = FindSection(section);
    if (!s)
        return false;
    const qsizetype i = IndexOfName(s->Lines, key);
    if (i < 0)
        return false;
    const QString& l = s->Lines[i];
    value = l.mid(l.indexOf(QLatin1Char('=')) + 1);
    return true;
}

QString TMyMemIniFile::ReadString(const QString& section, const QString& key, const QString& def) const
{
    QString v;
    return FindString(section, key, v) ? v : def;
}

void TMyMemIniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    Section* s = FindSection(section);
    if (!s) {
        Sections.append(Section{section, {}});
        s = &Sections.last();
    }
    const QString line = key + QLatin1Char('=') + value;
    const qsizetype i = IndexOfName(s->Lines, key);
    if (i >= 0)
        s->Lines[i] = line;
    else
        s->Lines.append(line);
}

QStringList TMyMemIniFile::ReadSection(const QString& section) const
{
    QStringList keys;
    if (const Section* s = FindSection(section))
        for (const QString& l : s->Lines) {
            const qsizetype eq = l.indexOf(QLatin1Char('='));
            if (eq >= 0)
                keys.append(l.left(eq));
        }
    return keys;
}

QStringList TMyMemIniFile::ReadSections() const
{
    QStringList names;
    for (const Section& s : Sections)
        names.append(s.Name);
    return names;
}

QStringList TMyMemIniFile::ReadSectionValues(const QString& section) const
{
    const Section* s = FindSection(section);
    return s ? s->Lines : QStringList();
}

bool TMyMemIniFile::SectionExists(const QString& section) const
{
    return FindSection(section) != nullptr;
}

void TMyMemIniFile::DeleteKey(const QString& section, const QString& key)
{
    if (Section* s = FindSection(section)) {
        const qsizetype i = IndexOfName(s->Lines, key);
        if (i >= 0)
            s->Lines.removeAt(i);
    }
}

void TMyMemIniFile::EraseSection(const QString& section)
{
    for (qsizetype i = 0; i < Sections.size(); ++i)
        if (Sections[i].Name.compare(section, Qt::CaseInsensitive) == 0) {
            Sections.removeAt(i);
            return;
        }
}

void TMyMemIniFile::Clear()
{
    Sections.clear();
}

void TMyMemIniFile::AppendLines(const QString& section, const QStringList& lines)
{
    Section* s = FindSection(section);
    if (!s) {
        Sections.append(Section{section, {}});
        s = &Sections.last();
    }
    s->Lines.append(lines);
}

void TMyMemIniFile::SaveToStream(QIODevice& stream) const
{
    QString text;
    for (const Section& s : Sections) {
        text += QLatin1Char('[') + s.Name + QStringLiteral("]\r\n");
        for (const QString& l : s.Lines)
            text += l + QStringLiteral("\r\n");
        text += QStringLiteral("\r\n");
    }
    const QByteArray bytes = ToCp1252(text);
    if (stream.write(bytes) != bytes.size())
        throw Exception(QStringLiteral("Schreibfehler"));
}

void TMyMemIniFile::SaveToFile(const QString& name) const
{
    QSaveFile f(name);
    if (!f.open(QIODevice::WriteOnly))
        throw Exception(QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden").arg(name));
    SaveToStream(f);
    if (!f.commit())
        throw Exception(QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden").arg(name));
}
