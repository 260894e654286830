#pragma once

#include "app/Colors.h"
#include "app/Errors.h"

#include <QByteArray>
#include <QDateTime>
#include <QFont>
#include <QHash>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QFile;
class QIODevice;

// The one serialisation container: project files, clipboard records, undo
// records and the copying of calendar settings all use it.
//
// A container is a 20-byte header ("VQ DataFile" and 9 zero bytes) followed
// by entries that are only ever appended. Each entry is a 168-byte header
// (kind 1, path, key, value size; little-endian) and the value bytes. Values
// are addressed by path and key, matched without regard to letter case; the
// accessor decides how the bytes are interpreted. Writing a key twice adds a
// second entry and readers see the first one, so writers fill a new or empty
// container and write each path and key once.
//
// Text (values, paths, keys) is stored in Windows-1252 when it fits, else as
// EF BB BF followed by UTF-8 (app/Codec1252.h). Path and key limits count the
// bytes of that encoded form.

// Errors of the container: a damaged or foreign file ("Invalid file format."),
// a write-protected target, a failed write, a name too long for its field.
class EDataFileError : public Exception {
public:
    using Exception::Exception;
};

// The value bytes of a stored font: charset, colour, pitch, size in points,
// style bits and face name. Fonts in memory are QFont plus a colour; the
// conversions below keep what QFont can hold (charset and pitch travel in the
// record only).
struct TFontRecord {
    enum : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
    enum : std::uint8_t { fpDefault = 0, fpVariable = 1, fpFixed = 2 };

    std::uint8_t Charset = 1; // DEFAULT_CHARSET
    TColor Color = 0;
    std::uint8_t Pitch = fpDefault;
    std::uint16_t Size = 8;
    std::uint8_t Style = 0;
    QString Name;

    bool operator==(const TFontRecord&) const = default;

    QFont ToQFont() const;
    // Pitch follows QFont::fixedPitch(); the charset is left as it was.
    void AssignFont(const QFont& font);
};

// One entry of the index of a container opened from an existing file.
struct TDataFileCacheItem {
    qint64 Position = 0; // offset of the entry header
    QString Path;
    QString Key;
};

// A decoded 168-byte entry header plus where its value bytes start.
struct TDataFileEntry {
    qint32 Kind = 0;
    QString Path;
    QString Key;
    qint32 Size = 0;
    qint64 ValuePosition = 0;
};

class TCustomDataFile {
public:
    static constexpr int HeaderSize = 20;
    static constexpr int EntryHeaderSize = 168;
    static constexpr int PathFieldSize = 128;
    static constexpr int KeyFieldSize = 32;
    // Matches the first entry of a path whatever its key (compared with
    // letter case).
    static inline const QString TestKey = QStringLiteral("$$test");

    TCustomDataFile(const TCustomDataFile&) = delete;
    TCustomDataFile& operator=(const TCustomDataFile&) = delete;
    virtual ~TCustomDataFile();

    bool ReadOnly() const { return FReadOnly; }
    const std::vector<TDataFileCacheItem>& Index() const { return FIndex; }

    // Reads return the default when the entry is missing or holds fewer
    // bytes than the type needs; a longer entry is read from its start.
    qint32 ReadInteger(const QString& path, const QString& key, qint32 def);
    double ReadFloat(const QString& path, const QString& key, double def);
    // Days since 30 December 1899 in local time, the fraction being the time
    // of day; a stored value that is not a date of the years 1 to 9999 gives
    // the default.
    QDateTime ReadDateTime(const QString& path, const QString& key, const QDateTime& def);
    bool ReadBool(const QString& path, const QString& key, bool def);
    QString ReadString(const QString& path, const QString& key, const QString& def);
    // True when a font entry of more than 9 bytes was found and applied to
    // font in one assignment; otherwise font is untouched.
    bool ReadFont(const QString& path, const QString& key, TFontRecord& font);
    // The value bytes (cut short where the stream ends), or -1 when missing
    // (buffer then untouched).
    qint64 ReadBuffer(const QString& path, const QString& key, QByteArray& buffer);
    // At most capacity bytes into buffer; the count, or -1 when missing.
    qint64 ReadBuffer(const QString& path, const QString& key, void* buffer, qint64 capacity);
    // Found: the stream (a QBuffer or a file) is emptied, receives the value
    // bytes and is rewound; missing: -1 and the stream is untouched.
    qint64 ReadStream(const QString& path, const QString& key, QIODevice& stream);

    // Each write appends one entry and returns the number of value bytes.
    // Nothing is written on a read-only container, for a path or key too
    // long for its field, for a value of more than 2 GiB, or when the stream
    // ends in a cut-off entry or padding ("Invalid file format.": an entry
    // behind it could never be read); an incomplete write raises and leaves
    // the container unusable for further writes.
    qint64 WriteInteger(const QString& path, const QString& key, qint32 value);
    qint64 WriteFloat(const QString& path, const QString& key, double value);
    qint64 WriteDateTime(const QString& path, const QString& key, const QDateTime& value);
    qint64 WriteBool(const QString& path, const QString& key, bool value);
    // Stops at the first zero character.
    qint64 WriteString(const QString& path, const QString& key, const QString& value);
    qint64 WriteFont(const QString& path, const QString& key, const TFontRecord& font);
    qint64 WriteBuffer(const QString& path, const QString& key, qint64 size, const void* bytes);
    qint64 WriteBuffer(const QString& path, const QString& key, const QByteArray& bytes);
    // The whole content of the stream from position 0, as one entry.
    qint64 WriteStream(const QString& path, const QString& key, QIODevice& stream);

    // On success the stream stands at the first value byte of the entry.
    bool FindEntry(const QString& path, const QString& key, TDataFileEntry& entry);
    // Reads every entry header into the index; a damaged entry raises
    // "Invalid file format." and leaves the index empty.
    void BuildCache();

    // Date-time values as the file holds them.
    static double DateTimeToDays(const QDateTime& value);
    static bool DaysToDateTime(double days, QDateTime& out);

protected:
    TCustomDataFile() = default;

    // Called before each write; the file container switches to its
    // temporary copy here.
    virtual void BeforeWrite() {}

    // Raises "Invalid file format." unless the stream starts with the header
    // (an empty stream passes).
    void CheckHeader();
    void WriteHeader();
    [[noreturn]] void RaiseWriteError() const;

    QIODevice* Stream = nullptr;
    bool FReadOnly = false;
    // Set when a write did not complete; the stream may end in a partial
    // entry, so nothing more is written and a file is never put in place.
    bool FWriteFailed = false;
    // The entries end exactly at the end of the stream, so an appended entry
    // will be found; checked once, before the first write.
    bool FAppendable = false;
    // Shown in write errors.
    QString StreamName;

private:
    struct TFoundValue {
        qint64 Position = 0;
        qint64 Size = 0; // the stored size, clamped to the bytes that remain
    };
    bool FindValue(const QString& path, const QString& key, TFoundValue& value);
    QByteArray ReadValue(const QString& path, const QString& key, qint64 maxBytes, bool& found);
    bool ReadHeaderAt(qint64 position, TDataFileEntry& entry, QByteArray& raw);
    bool ZerosToEnd(qint64 position);
    void CheckAppendable();

    std::vector<TDataFileCacheItem> FIndex;
    // Folded "path\0key" and folded path -> first index item, so lookups on
    // files with thousands of entries stay cheap; results equal the linear
    // walk in file order.
    QHash<QString, qsizetype> FByName;
    QHash<QString, qsizetype> FByPath;
};

// A container over a disk file, written crash-safe: changes go into a
// temporary file beside the target and replace it only in Commit(). A
// TDataFile destroyed without Commit() removes its temporary file and leaves
// the target as it was.
//
// Reading a project:
//     TDataFile f(name);                 // "Invalid file format." if foreign
//     doc.LoadFromFile(f);
// Saving a project (no need to delete the old file first; it stays intact
// until the new one is complete):
//     TDataFile f(name, TDataFile::Create);  // raises if write-protected
//     doc.SaveToFile(f);
//     f.Commit();                        // raises if the file is incomplete
class TDataFile : public TCustomDataFile {
public:
    enum TMode {
        // Existing file: read through the index; writes append to a copy and
        // need Commit(). Missing or empty file: a new container, created on
        // Commit(). A write-protected file (no write permission bit, or not
        // writable by this process) opens read-only and every write raises
        // "Die Datei ist schreibgeschützt".
        OpenOrCreate,
        // A new, empty container that replaces the target on Commit(). A
        // write-protected target raises "Die Datei ist schreibgeschützt"
        // here, before anything is written.
        Create,
    };

    explicit TDataFile(const QString& fileName, TMode mode = OpenOrCreate);
    ~TDataFile() override;

    const QString& FileName() const { return FFileName; }
    // Puts the written file in place (flushed and synced first). Nothing to
    // do when nothing was written to an existing file. Raises when a write
    // failed before or the file cannot be completed; the target then stays
    // as it was. Writes after Commit() raise.
    void Commit();

    // No write permission bit set, or not writable by this process.
    static bool IsWriteProtected(const QString& fileName);

protected:
    void BeforeWrite() override;

private:
    void StartTemporary();

    QString FFileName;
    QString Target; // FFileName with a symbolic link resolved
    // The existing file (read-only), or the header of a new container until
    // its first write: nothing touches the disk before that.
    std::unique_ptr<QIODevice> Source;
    std::unique_ptr<QFile> Temporary; // the new content beside the target
    bool NewContainer = false;
    bool Committed = false;
};

// A container over a caller's memory stream (usually a QBuffer over a
// QByteArray), which outlives the container. An empty writable stream gets
// the header; a stream opened read-only gives a read-only container. To read
// what was written, create a second TMemoryDataFile over the same stream.
class TMemoryDataFile : public TCustomDataFile {
public:
    explicit TMemoryDataFile(QIODevice& stream);
};
