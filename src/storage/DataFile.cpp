#include "storage/DataFile.h"

#include "app/Arith.h"
#include "app/Codec1252.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtEndian>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include <fcntl.h>
#include <unistd.h>

namespace {

const QString kInvalidFormat = QStringLiteral("Invalid file format.");
const QString kWriteProtected = QStringLiteral("Die Datei ist schreibgeschützt");
constexpr char kSignature[] = "VQ DataFile";
constexpr int kSignatureLength = 11;
constexpr qint32 kEntryKind = 1;

constexpr int kPathOffset = 4;
constexpr int kKeyOffset = 132;
constexpr int kSizeOffset = 164;

// Dates of the years 1 to 9999 as days since 30 December 1899.
constexpr double kFirstDay = -693593;
constexpr double kLastDay = 2958465;
constexpr qint64 kMsPerDay = 86400000;

[[noreturn]] void RaiseInvalidFormat()
{
    throw EDataFileError(kInvalidFormat);
}

QString Fold(const QString& s)
{
    return s.toCaseFolded();
}

QString NameKey(const QString& foldedPath, const QString& foldedKey)
{
    return foldedPath + QChar(0) + foldedKey;
}

// Text of a zero-terminated field; a field without a zero is taken whole.
QString FieldText(const char* field, int size)
{
    const void* zero = std::memchr(field, 0, size_t(size));
    const int len = zero ? int(static_cast<const char*>(zero) - field) : size;
    return DecodeStoredText(QByteArray(field, len));
}

// A name must fit its field with the terminating zero; a cut name could
// collide with another one, so it is refused.
QByteArray EncodeName(const QString& name, int fieldSize, bool isPath)
{
    const QByteArray bytes = EncodeStoredText(name);
    if (bytes.size() >= fieldSize || bytes.contains('\0')) {
        const QString what = isPath ? QStringLiteral("Pfad") : QStringLiteral("Schlüssel");
        throw EDataFileError(
            QStringLiteral("Ungültiger %1 \"%2\" für die Datendatei (höchstens %3 Bytes, "
                           "keine Nullzeichen)")
                .arg(what, name)
                .arg(fieldSize - 1));
    }
    return bytes;
}

// Text written by WriteString and font names end at their first zero
// character.
QByteArray EncodeValueText(const QString& text)
{
    const qsizetype zero = text.indexOf(QChar(0));
    return EncodeStoredText(zero < 0 ? text : text.left(zero));
}

QString DecodeValueText(const QByteArray& bytes)
{
    const qsizetype zero = bytes.indexOf('\0');
    return DecodeStoredText(zero < 0 ? bytes : bytes.left(zero));
}

template <typename T>
QByteArray LittleEndianBytes(T value)
{
    QByteArray b(sizeof(T), Qt::Uninitialized);
    qToLittleEndian(value, b.data());
    return b;
}

} // namespace

// ---------------------------------------------------------------------------
// TFontRecord

QFont TFontRecord::ToQFont() const
{
    QFont f(Name);
    if (Size > 0)
        f.setPointSize(Size);
    f.setBold(Style & fsBold);
    f.setItalic(Style & fsItalic);
    f.setUnderline(Style & fsUnderline);
    f.setStrikeOut(Style & fsStrikeOut);
    f.setFixedPitch(Pitch == fpFixed);
    return f;
}

void TFontRecord::AssignFont(const QFont& font)
{
    Name = font.family();
    const double points = font.pointSizeF();
    if (points > 0)
        Size = std::uint16_t(std::clamp(RoundHalfEven(points), 0, 65535));
    Style = (font.bold() ? fsBold : 0) | (font.italic() ? fsItalic : 0)
            | (font.underline() ? fsUnderline : 0) | (font.strikeOut() ? fsStrikeOut : 0);
    if (font.fixedPitch())
        Pitch = fpFixed;
    else if (Pitch == fpFixed)
        Pitch = fpDefault;
}

// ---------------------------------------------------------------------------
// TCustomDataFile

TCustomDataFile::~TCustomDataFile() = default;

void TCustomDataFile::CheckHeader()
{
    const qint64 size = Stream->size();
    if (size == 0)
        return;
    char sig[kSignatureLength];
    if (size < HeaderSize || !Stream->seek(0) || Stream->read(sig, kSignatureLength) != kSignatureLength
        || std::memcmp(sig, kSignature, kSignatureLength) != 0)
        RaiseInvalidFormat();
}

void TCustomDataFile::WriteHeader()
{
    QByteArray header(HeaderSize, '\0');
    std::memcpy(header.data(), kSignature, kSignatureLength);
    if (!Stream->seek(0) || Stream->write(header) != HeaderSize) {
        FWriteFailed = true;
        RaiseWriteError();
    }
    FAppendable = true;
}

void TCustomDataFile::RaiseWriteError() const
{
    throw EDataFileError(QStringLiteral("Die Datei \"%1\" konnte nicht geschrieben werden: %2")
                             .arg(StreamName, Stream ? Stream->errorString() : QString()));
}

bool TCustomDataFile::ReadHeaderAt(qint64 position, TDataFileEntry& entry, QByteArray& raw)
{
    // Checked before seeking: a writable QBuffer would grow to reach a
    // position past its end.
    if (position < 0 || position > Stream->size() - EntryHeaderSize)
        return false;
    raw.resize(EntryHeaderSize);
    if (!Stream->seek(position) || Stream->read(raw.data(), EntryHeaderSize) != EntryHeaderSize)
        return false;
    const char* d = raw.constData();
    entry.Kind = qFromLittleEndian<qint32>(d);
    entry.Path = FieldText(d + kPathOffset, PathFieldSize);
    entry.Key = FieldText(d + kKeyOffset, KeyFieldSize);
    entry.Size = qFromLittleEndian<qint32>(d + kSizeOffset);
    entry.ValuePosition = position + EntryHeaderSize;
    return true;
}

// Some carriers (the system clipboard) hand back a block longer than what
// was put in, padded with zeros. Zeros up to the end hold no entry, so they
// end the data instead of counting as a damaged entry.
bool TCustomDataFile::ZerosToEnd(qint64 position)
{
    if (!Stream->seek(position))
        return false;
    char chunk[4096];
    for (;;) {
        const qint64 n = Stream->read(chunk, sizeof chunk);
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        for (qint64 i = 0; i < n; ++i)
            if (chunk[i] != 0)
                return false;
    }
}

void TCustomDataFile::BuildCache()
{
    FIndex.clear();
    FByName.clear();
    FByPath.clear();
    try {
        const qint64 end = Stream->size();
        qint64 pos = HeaderSize;
        TDataFileEntry e;
        QByteArray raw;
        while (ReadHeaderAt(pos, e, raw)) {
            if (e.Kind != kEntryKind) {
                if (ZerosToEnd(pos))
                    break;
                RaiseInvalidFormat();
            }
            if (e.Size < 0 || e.Size > end - e.ValuePosition)
                RaiseInvalidFormat();
            const QString path = Fold(e.Path);
            const qsizetype n = qsizetype(FIndex.size());
            // The first entry of a name wins, as on the linear walk.
            const QString name = NameKey(path, Fold(e.Key));
            if (!FByName.contains(name))
                FByName.insert(name, n);
            if (!FByPath.contains(path))
                FByPath.insert(path, n);
            FIndex.push_back({pos, e.Path, e.Key});
            pos = e.ValuePosition + e.Size;
        }
    } catch (...) {
        FIndex.clear();
        FByName.clear();
        FByPath.clear();
        throw;
    }
}

void TCustomDataFile::CheckAppendable()
{
    const qint64 end = Stream->size();
    qint64 pos = HeaderSize;
    TDataFileEntry e;
    QByteArray raw;
    while (pos < end) {
        if (!ReadHeaderAt(pos, e, raw) || e.Kind != kEntryKind || e.Size < 0
            || e.Size > end - e.ValuePosition)
            RaiseInvalidFormat();
        pos = e.ValuePosition + e.Size;
    }
    FAppendable = true;
}

bool TCustomDataFile::FindEntry(const QString& path, const QString& key, TDataFileEntry& entry)
{
    const bool anyKey = key == TestKey;
    const QString foldedPath = Fold(path);
    const QString foldedKey = anyKey ? QString() : Fold(key);
    QByteArray raw;

    if (!FIndex.empty()) {
        const auto& table = anyKey ? FByPath : FByName;
        const auto it = table.constFind(anyKey ? foldedPath : NameKey(foldedPath, foldedKey));
        if (it == table.cend())
            return false;
        return ReadHeaderAt(FIndex[size_t(*it)].Position, entry, raw);
    }

    const qint64 end = Stream->size();
    qint64 pos = HeaderSize;
    while (ReadHeaderAt(pos, entry, raw)) {
        if (entry.Kind != kEntryKind) {
            if (ZerosToEnd(pos))
                return false;
            RaiseInvalidFormat();
        }
        if (entry.Size < 0 || entry.Size > end - entry.ValuePosition)
            RaiseInvalidFormat();
        if (Fold(entry.Path) == foldedPath && (anyKey || Fold(entry.Key) == foldedKey)) {
            Stream->seek(entry.ValuePosition);
            return true;
        }
        pos = entry.ValuePosition + entry.Size;
    }
    return false;
}

bool TCustomDataFile::FindValue(const QString& path, const QString& key, TFoundValue& value)
{
    TDataFileEntry e;
    if (!FindEntry(path, key, e))
        return false;
    // The index route does not re-check sizes, and the file may have
    // changed since it was indexed: never read past the end.
    const qint64 remaining = std::max<qint64>(0, Stream->size() - e.ValuePosition);
    value.Position = e.ValuePosition;
    value.Size = std::clamp<qint64>(e.Size, 0, remaining);
    return true;
}

QByteArray TCustomDataFile::ReadValue(const QString& path, const QString& key, qint64 maxBytes,
                                      bool& found)
{
    TFoundValue v;
    found = FindValue(path, key, v);
    if (!found)
        return {};
    const qint64 n = std::min(v.Size, maxBytes);
    if (n <= 0 || !Stream->seek(v.Position))
        return {};
    QByteArray bytes(n, Qt::Uninitialized);
    const qint64 got = Stream->read(bytes.data(), n);
    bytes.truncate(std::max<qint64>(got, 0));
    return bytes;
}

qint32 TCustomDataFile::ReadInteger(const QString& path, const QString& key, qint32 def)
{
    bool found;
    const QByteArray b = ReadValue(path, key, 4, found);
    return b.size() == 4 ? qFromLittleEndian<qint32>(b.constData()) : def;
}

double TCustomDataFile::ReadFloat(const QString& path, const QString& key, double def)
{
    bool found;
    const QByteArray b = ReadValue(path, key, 8, found);
    return b.size() == 8 ? qFromLittleEndian<double>(b.constData()) : def;
}

QDateTime TCustomDataFile::ReadDateTime(const QString& path, const QString& key, const QDateTime& def)
{
    bool found;
    const QByteArray b = ReadValue(path, key, 8, found);
    QDateTime out;
    if (b.size() == 8 && DaysToDateTime(qFromLittleEndian<double>(b.constData()), out))
        return out;
    return def;
}

bool TCustomDataFile::ReadBool(const QString& path, const QString& key, bool def)
{
    bool found;
    const QByteArray b = ReadValue(path, key, 1, found);
    return b.size() == 1 ? b[0] != 0 : def;
}

QString TCustomDataFile::ReadString(const QString& path, const QString& key, const QString& def)
{
    bool found;
    const QByteArray b = ReadValue(path, key, std::numeric_limits<qint64>::max(), found);
    return found ? DecodeValueText(b) : def;
}

bool TCustomDataFile::ReadFont(const QString& path, const QString& key, TFontRecord& font)
{
    bool found;
    const QByteArray b = ReadValue(path, key, std::numeric_limits<qint64>::max(), found);
    if (b.size() <= 9)
        return false;
    const char* d = b.constData();
    TFontRecord f;
    f.Charset = std::uint8_t(d[0]);
    f.Color = qFromLittleEndian<std::uint32_t>(d + 1);
    f.Pitch = std::uint8_t(d[5]);
    f.Size = qFromLittleEndian<std::uint16_t>(d + 6);
    f.Style = std::uint8_t(d[8]);
    f.Name = DecodeValueText(b.mid(9));
    font = f;
    return true;
}

qint64 TCustomDataFile::ReadBuffer(const QString& path, const QString& key, QByteArray& buffer)
{
    bool found;
    QByteArray b = ReadValue(path, key, std::numeric_limits<qint64>::max(), found);
    if (!found)
        return -1;
    buffer = std::move(b);
    return buffer.size();
}

qint64 TCustomDataFile::ReadBuffer(const QString& path, const QString& key, void* buffer,
                                   qint64 capacity)
{
    bool found;
    const QByteArray b = ReadValue(path, key, std::max<qint64>(capacity, 0), found);
    if (!found)
        return -1;
    if (!b.isEmpty())
        std::memcpy(buffer, b.constData(), size_t(b.size()));
    return b.size();
}

qint64 TCustomDataFile::ReadStream(const QString& path, const QString& key, QIODevice& stream)
{
    bool found;
    const QByteArray b = ReadValue(path, key, std::numeric_limits<qint64>::max(), found);
    if (!found)
        return -1;
    if (!stream.isOpen() && !stream.open(QIODevice::ReadWrite))
        throw EDataFileError(QStringLiteral("Der Zielstrom kann nicht geöffnet werden"));
    if (auto* buf = qobject_cast<QBuffer*>(&stream)) {
        buf->seek(0);
        buf->buffer().clear();
    } else if (auto* file = qobject_cast<QFileDevice*>(&stream)) {
        if (!file->resize(0))
            throw EDataFileError(file->errorString());
        file->seek(0);
    } else {
        throw EDataFileError(QStringLiteral("Der Zielstrom kann nicht geleert werden"));
    }
    if (stream.write(b) != b.size())
        throw EDataFileError(stream.errorString());
    stream.seek(0);
    return b.size();
}

qint64 TCustomDataFile::WriteBuffer(const QString& path, const QString& key, qint64 size,
                                    const void* bytes)
{
    if (FReadOnly)
        throw EDataFileError(kWriteProtected);
    if (FWriteFailed)
        RaiseWriteError();
    const QByteArray p = EncodeName(path, PathFieldSize, true);
    const QByteArray k = EncodeName(key, KeyFieldSize, false);
    if (size < 0 || size > std::numeric_limits<qint32>::max())
        throw EDataFileError(
            QStringLiteral("Der Wert \"%1/%2\" ist zu groß für die Datendatei").arg(path, key));
    if (!FAppendable)
        CheckAppendable();
    BeforeWrite();

    QByteArray header(EntryHeaderSize, '\0');
    char* h = header.data();
    qToLittleEndian<qint32>(kEntryKind, h);
    std::memcpy(h + kPathOffset, p.constData(), size_t(p.size()));
    std::memcpy(h + kKeyOffset, k.constData(), size_t(k.size()));
    qToLittleEndian<qint32>(qint32(size), h + kSizeOffset);

    if (!Stream->seek(Stream->size()) || Stream->write(header) != EntryHeaderSize) {
        FWriteFailed = true;
        RaiseWriteError();
    }
    const char* data = static_cast<const char*>(bytes);
    qint64 done = 0;
    while (done < size) {
        const qint64 n = Stream->write(data + done, size - done);
        if (n <= 0) {
            FWriteFailed = true;
            RaiseWriteError();
        }
        done += n;
    }
    return size;
}

qint64 TCustomDataFile::WriteBuffer(const QString& path, const QString& key, const QByteArray& bytes)
{
    return WriteBuffer(path, key, bytes.size(), bytes.constData());
}

qint64 TCustomDataFile::WriteInteger(const QString& path, const QString& key, qint32 value)
{
    return WriteBuffer(path, key, LittleEndianBytes(value));
}

qint64 TCustomDataFile::WriteFloat(const QString& path, const QString& key, double value)
{
    return WriteBuffer(path, key, LittleEndianBytes(value));
}

qint64 TCustomDataFile::WriteDateTime(const QString& path, const QString& key, const QDateTime& value)
{
    return WriteBuffer(path, key, LittleEndianBytes(DateTimeToDays(value)));
}

qint64 TCustomDataFile::WriteBool(const QString& path, const QString& key, bool value)
{
    return WriteBuffer(path, key, QByteArray(1, value ? '\1' : '\0'));
}

qint64 TCustomDataFile::WriteString(const QString& path, const QString& key, const QString& value)
{
    QByteArray b = EncodeValueText(value);
    b.append('\0');
    return WriteBuffer(path, key, b);
}

qint64 TCustomDataFile::WriteFont(const QString& path, const QString& key, const TFontRecord& font)
{
    QByteArray b(9, '\0');
    char* d = b.data();
    d[0] = char(font.Charset);
    qToLittleEndian<std::uint32_t>(font.Color, d + 1);
    d[5] = char(font.Pitch);
    qToLittleEndian<std::uint16_t>(font.Size, d + 6);
    d[8] = char(font.Style);
    b.append(EncodeValueText(font.Name));
    b.append('\0');
    return WriteBuffer(path, key, b);
}

qint64 TCustomDataFile::WriteStream(const QString& path, const QString& key, QIODevice& stream)
{
    if (!stream.seek(0))
        throw EDataFileError(QStringLiteral("Der Quellstrom kann nicht gelesen werden"));
    if (stream.size() > std::numeric_limits<qint32>::max())
        throw EDataFileError(
            QStringLiteral("Der Wert \"%1/%2\" ist zu groß für die Datendatei").arg(path, key));
    return WriteBuffer(path, key, stream.readAll());
}

double TCustomDataFile::DateTimeToDays(const QDateTime& value)
{
    if (!value.isValid())
        return 0;
    static const QDate epoch(1899, 12, 30);
    const QDateTime local = value.toLocalTime();
    const double days = double(epoch.daysTo(local.date()));
    const double time = double(local.time().msecsSinceStartOfDay()) / double(kMsPerDay);
    // Before the epoch the whole part counts backwards while the fraction
    // still is the time of day: -1.25 is 29 December 1899, 6:00.
    return days < 0 ? days - time : days + time;
}

bool TCustomDataFile::DaysToDateTime(double days, QDateTime& out)
{
    if (!std::isfinite(days))
        return false;
    double whole;
    const double fraction = std::modf(days, &whole);
    if (whole < kFirstDay || whole > kLastDay)
        return false;
    qint64 day = qint64(whole);
    qint64 ms = RoundHalfEven64(std::fabs(fraction) * double(kMsPerDay));
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        ++day;
    }
    static const QDate epoch(1899, 12, 30);
    out = QDateTime(epoch.addDays(day), QTime::fromMSecsSinceStartOfDay(int(ms)), Qt::LocalTime);
    return out.isValid();
}

// ---------------------------------------------------------------------------
// TDataFile

bool TDataFile::IsWriteProtected(const QString& fileName)
{
    // The permission bits stand for the read-only attribute; they count even
    // for a user (root) whom the system would let write anyway. (Qt's "User"
    // bits are what the system allows this process, so they are left out.)
    const QFileDevice::Permissions anyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (!(QFile::permissions(fileName) & anyWrite))
        return true;
    return !QFileInfo(fileName).isWritable();
}

TDataFile::TDataFile(const QString& fileName, TMode mode)
    : FFileName(fileName)
{
    StreamName = fileName;
    const QFileInfo info(fileName);
    Target = info.isSymLink() && info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    const bool exists = info.exists();
    if (exists && info.isDir())
        throw EDataFileError(QStringLiteral("Die Datei \"%1\" kann nicht geöffnet werden").arg(fileName));

    const bool protectedTarget = exists && IsWriteProtected(Target);
    if (mode == OpenOrCreate && exists && (info.size() > 0 || protectedTarget)) {
        auto file = std::make_unique<QFile>(Target);
        if (!file->open(QIODevice::ReadOnly))
            throw EDataFileError(QStringLiteral("Die Datei \"%1\" kann nicht geöffnet werden: %2")
                                     .arg(fileName, file->errorString()));
        Stream = file.get();
        Source = std::move(file);
        FReadOnly = protectedTarget;
        CheckHeader();
        BuildCache();
        return;
    }
    if (mode == Create && protectedTarget)
        throw EDataFileError(kWriteProtected);

    // A new container (also for an existing empty file): the header lives in
    // memory until the first write or Commit() creates the file beside the
    // target.
    auto buffer = std::make_unique<QBuffer>();
    buffer->open(QIODevice::ReadWrite);
    Stream = buffer.get();
    Source = std::move(buffer);
    NewContainer = true;
    WriteHeader();
}

TDataFile::~TDataFile()
{
    if (Temporary && !Committed)
        Temporary->remove();
}

void TDataFile::StartTemporary()
{
    const QFileInfo info(Target);
    const QString dir = info.absolutePath();
    const QString base = info.fileName().left(200);
    std::unique_ptr<QFile> temp;
    for (int attempt = 0; attempt < 100 && !temp; ++attempt) {
        const QString name = QStringLiteral("%1/.%2.%3.tmp")
                                 .arg(dir, base)
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        auto f = std::make_unique<QFile>(name);
        if (f->open(QIODevice::ReadWrite | QIODevice::NewOnly | QIODevice::Unbuffered))
            temp = std::move(f);
        else if (!QFile::exists(name))
            throw EDataFileError(QStringLiteral("Die Datei \"%1\" kann nicht angelegt werden: %2")
                                     .arg(FFileName, f->errorString()));
    }
    if (!temp)
        throw EDataFileError(QStringLiteral("Die Datei \"%1\" kann nicht angelegt werden").arg(FFileName));

    // Carry over what the container holds so far (the existing file or the
    // new header); offsets, and so the index, stay valid.
    const auto fail = [&] {
        const QString why = temp->errorString();
        temp->remove();
        throw EDataFileError(QStringLiteral("Die Datei \"%1\" konnte nicht geschrieben werden: %2")
                                 .arg(FFileName, why));
    };
    if (!Stream->seek(0))
        fail();
    QByteArray chunk;
    for (;;) {
        chunk = Stream->read(1 << 20);
        if (chunk.isEmpty())
            break;
        if (temp->write(chunk) != chunk.size())
            fail();
    }
    if (temp->size() != Stream->size())
        fail();
    Temporary = std::move(temp);
    Stream = Temporary.get();
    Source.reset();
}

void TDataFile::BeforeWrite()
{
    if (Committed)
        throw EDataFileError(
            QStringLiteral("Die Datei \"%1\" ist bereits abgeschlossen").arg(FFileName));
    if (!Temporary)
        StartTemporary();
}

void TDataFile::Commit()
{
    if (Committed)
        return;
    if (FWriteFailed)
        throw EDataFileError(
            QStringLiteral("Die Datei \"%1\" wurde nicht vollständig geschrieben").arg(FFileName));
    if (!Temporary) {
        if (!NewContainer || FReadOnly) {
            Committed = true;
            return;
        }
        StartTemporary();
    }
    // The target may have been protected since it was opened; renaming would
    // replace it all the same.
    if (QFileInfo::exists(Target) && IsWriteProtected(Target))
        throw EDataFileError(kWriteProtected);

    const auto fail = [&](const QString& why) {
        FWriteFailed = true;
        throw EDataFileError(QStringLiteral("Die Datei \"%1\" konnte nicht geschrieben werden: %2")
                                 .arg(FFileName, why));
    };
    if (!Temporary->flush())
        fail(Temporary->errorString());
    if (::fsync(Temporary->handle()) != 0)
        fail(QString::fromLocal8Bit(std::strerror(errno)));
    if (QFileInfo::exists(Target))
        Temporary->setPermissions(QFile::permissions(Target));
    const QByteArray from = QFile::encodeName(Temporary->fileName());
    const QByteArray to = QFile::encodeName(Target);
    if (::rename(from.constData(), to.constData()) != 0)
        fail(QString::fromLocal8Bit(std::strerror(errno)));
    Committed = true;
    // Make the new name itself durable; a failure here loses nothing that
    // the rename has not already done.
    const int dirFd = ::open(QFile::encodeName(QFileInfo(Target).absolutePath()).constData(),
                             O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

// ---------------------------------------------------------------------------
// TMemoryDataFile

TMemoryDataFile::TMemoryDataFile(QIODevice& stream)
{
    StreamName = QStringLiteral("Speicher");
    if (!stream.isOpen() && !stream.open(QIODevice::ReadWrite))
        throw EDataFileError(QStringLiteral("Der Datenstrom kann nicht geöffnet werden"));
    if (stream.isSequential())
        throw EDataFileError(QStringLiteral("Der Datenstrom erlaubt keinen wahlfreien Zugriff"));
    Stream = &stream;
    FReadOnly = !stream.isWritable();
    if (stream.size() == 0) {
        if (!FReadOnly)
            WriteHeader();
    } else {
        CheckHeader();
    }
}
