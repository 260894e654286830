#include "storage/DataFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <limits>

#include <sys/resource.h>

namespace {

using ::testing::HasSubstr;

const QByteArray kHeader("VQ DataFile\0\0\0\0\0\0\0\0\0", 20);

// One raw entry header followed by its value, as another writer (or a
// damaged file) would have put it.
QByteArray RawEntry(qint32 kind, const QByteArray& path, const QByteArray& key, qint32 size,
                    const QByteArray& value)
{
    QByteArray e(168, '\0');
    qToLittleEndian(kind, e.data());
    e.replace(4, path.size(), path);
    e.replace(132, key.size(), key);
    qToLittleEndian(size, e.data() + 164);
    return e + value;
}

QByteArray RawEntry(const QByteArray& path, const QByteArray& key, const QByteArray& value)
{
    return RawEntry(1, path, key, qint32(value.size()), value);
}

QByteArray ReadAll(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// Writes through a memory container and hands back the bytes.
QByteArray MemoryBytes(const std::function<void(TMemoryDataFile&)>& write)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadWrite);
    TMemoryDataFile f(buf);
    write(f);
    return bytes;
}

// A read-only view of bytes for the scan route.
class TReader {
public:
    explicit TReader(const QByteArray& bytes) : Bytes(bytes), Buf(&Bytes)
    {
        Buf.open(QIODevice::ReadOnly);
        File = std::make_unique<TMemoryDataFile>(Buf);
    }
    TMemoryDataFile& operator*() { return *File; }
    TMemoryDataFile* operator->() { return File.get(); }

private:
    QByteArray Bytes;
    QBuffer Buf;
    std::unique_ptr<TMemoryDataFile> File;
};

QString ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.message();
    }
    return QString();
}

class DataFileTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    QString Path(const QString& name) const { return Dir.filePath(name); }
    // Temporary files left beside the targets.
    QStringList Leftovers() const
    {
        return QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot)
            .filter(QStringLiteral(".tmp"));
    }
};

// ---------------------------------------------------------------------------
// Byte layout

TEST_F(DataFileTest, EmptyContainerIsTheHeaderOnly)
{
    EXPECT_EQ(MemoryBytes([](TMemoryDataFile&) {}), kHeader);

    TDataFile f(Path("new.tpb"));
    f.Commit();
    EXPECT_EQ(ReadAll(Path("new.tpb")), kHeader);
}

TEST_F(DataFileTest, IntegerEntryLayout)
{
    qint64 written = 0;
    const QByteArray bytes = MemoryBytes([&](TMemoryDataFile& f) {
        written = f.WriteInteger("Doc", "DocVersion", 5);
    });
    EXPECT_EQ(written, 4);
    ASSERT_EQ(bytes.size(), 20 + 172);
    QByteArray expected = kHeader;
    expected += QByteArray("\x01\0\0\0", 4);
    expected += QByteArray("Doc") + QByteArray(125, '\0');
    expected += QByteArray("DocVersion") + QByteArray(22, '\0');
    expected += QByteArray("\x04\0\0\0\x05\0\0\0", 8);
    EXPECT_EQ(bytes, expected);
}

TEST_F(DataFileTest, ValueEncodings)
{
    TFontRecord font;
    font.Charset = 0;
    font.Color = 0x00336699;
    font.Pitch = TFontRecord::fpVariable;
    font.Size = 12;
    font.Style = TFontRecord::fsBold | TFontRecord::fsUnderline;
    font.Name = "Arial";
    const QDateTime noon(QDate(1900, 1, 1), QTime(12, 0), Qt::LocalTime);

    struct Case {
        const char* Name;
        std::function<qint64(TCustomDataFile&)> Write;
        QByteArray Value;
    };
    const Case cases[] = {
        {"string", [](TCustomDataFile& f) { return f.WriteString("p", "k", "abc"); },
         QByteArray("abc\0", 4)},
        {"string cut at zero", [](TCustomDataFile& f) { return f.WriteString("p", "k", QString::fromLatin1("ab\0cd", 5)); },
         QByteArray("ab\0", 3)},
        {"cp1252", [](TCustomDataFile& f) { return f.WriteString("p", "k", "Grüße €"); },
         QByteArray("Gr\xFC\xDF" "e \x80\0", 8)},
        {"bool", [](TCustomDataFile& f) { return f.WriteBool("p", "k", true); }, QByteArray("\x01", 1)},
        {"float", [](TCustomDataFile& f) { return f.WriteFloat("p", "k", 148.5); },
         QByteArray("\0\0\0\0\0\x90\x62\x40", 8)},
        {"date", [&](TCustomDataFile& f) { return f.WriteDateTime("p", "k", noon); },
         QByteArray("\0\0\0\0\0\0\x04\x40", 8)}, // 2.5
        {"font", [&](TCustomDataFile& f) { return f.WriteFont("p", "k", font); },
         QByteArray("\x00\x99\x66\x33\x00\x01\x0C\x00\x05" "Arial\0", 15)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        qint64 written = -1;
        const QByteArray bytes = MemoryBytes([&](TMemoryDataFile& f) { written = c.Write(f); });
        EXPECT_EQ(written, c.Value.size());
        EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 20 + 164), c.Value.size());
        EXPECT_EQ(bytes.mid(20 + 168), c.Value);
    }
}

TEST_F(DataFileTest, RoundTripOfEveryKind)
{
    TFontRecord font;
    font.Charset = 238;
    font.Color = 0x80000008;
    font.Pitch = TFontRecord::fpFixed;
    font.Size = 65535;
    font.Style = 15;
    font.Name = "Liberation Mono";
    const QDateTime when(QDate(2031, 7, 14), QTime(18, 30, 15, 250), Qt::LocalTime);
    const QByteArray blob("\0\x01\x02\xFF", 4);

    auto write = [&](TCustomDataFile& f) {
        f.WriteInteger("Doc", "Int", -123456789);
        f.WriteFloat("Doc", "Float", -0.1);
        f.WriteDateTime("Doc", "When", when);
        f.WriteBool("Doc", "Yes", true);
        f.WriteBool("Doc", "No", false);
        f.WriteString("Doc/Texte", "Leer", "");
        f.WriteString("Doc/Texte", "Text", "Zeile 1\r\nZeile 2");
        f.WriteFont("Doc/Fonts", "Font", font);
        f.WriteBuffer("Doc/Blob", "Bytes", blob);
    };
    auto check = [&](TCustomDataFile& f) {
        EXPECT_EQ(f.ReadInteger("Doc", "Int", 0), -123456789);
        EXPECT_EQ(f.ReadFloat("Doc", "Float", 0), -0.1);
        EXPECT_EQ(f.ReadDateTime("Doc", "When", {}), when);
        EXPECT_TRUE(f.ReadBool("Doc", "Yes", false));
        EXPECT_FALSE(f.ReadBool("Doc", "No", true));
        EXPECT_EQ(f.ReadString("Doc/Texte", "Leer", "default"), QString());
        EXPECT_EQ(f.ReadString("Doc/Texte", "Text", {}), "Zeile 1\r\nZeile 2");
        TFontRecord read;
        EXPECT_TRUE(f.ReadFont("Doc/Fonts", "Font", read));
        EXPECT_EQ(read, font);
        QByteArray bytes;
        EXPECT_EQ(f.ReadBuffer("Doc/Blob", "Bytes", bytes), 4);
        EXPECT_EQ(bytes, blob);
    };

    const QByteArray memory = MemoryBytes(write);
    {
        SCOPED_TRACE("memory, scan route");
        TReader r(memory);
        check(*r);
    }
    {
        TDataFile f(Path("all.tpb"), TDataFile::Create);
        write(f);
        f.Commit();
    }
    EXPECT_EQ(ReadAll(Path("all.tpb")), memory);
    {
        SCOPED_TRACE("file, index route");
        TDataFile f(Path("all.tpb"));
        EXPECT_EQ(f.Index().size(), 9u);
        check(f);
    }

    // The fuzz target's seeds are containers like this one.
    const QByteArray seeds = qgetenv("LUMARBO_DATAFILE_SEEDS");
    if (!seeds.isEmpty())
        WriteAll(QString::fromLocal8Bit(seeds) + "/every-kind.tpb", memory);
}

// ---------------------------------------------------------------------------
// Lookup

TEST_F(DataFileTest, LookupRules)
{
    const QByteArray bytes = MemoryBytes([](TMemoryDataFile& f) {
        f.WriteInteger("Doc", "DocVersion", 5);
        f.WriteInteger("Doc", "DocVersion", 6);
        f.WriteInteger("Doc/Pages/Page0", "Seitenfarbe", 255);
        f.WriteInteger("Doc/Pages/Page0", "CustomLayoutStil", 3);
        f.WriteInteger("Größe", "Ärger", 7);
    });
    struct Case {
        const char* Path;
        const char* Key;
        int Expected;
    };
    const Case cases[] = {
        {"Doc", "DocVersion", 5},              // the first of two wins
        {"doc", "docversion", 5},              // letter case does not count
        {"größe", "äRGER", 7},
        {"Doc/Pages/Page0", "$$test", 255},    // any key: the first under the path
        {"Doc/Pages/Page0", "$$TEST", -1},     // ... spelt exactly
        {"Doc/Pages", "$$test", -1},           // paths are not prefixes
        {"Doc/Pages/Page0 ", "Seitenfarbe", -1},
    };
    WriteAll(Path("lookup.tpb"), bytes);
    TDataFile indexed(Path("lookup.tpb"));
    TReader scanned(bytes);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Path) + "/" + c.Key);
        EXPECT_EQ(scanned->ReadInteger(c.Path, c.Key, -1), c.Expected);
        EXPECT_EQ(indexed.ReadInteger(c.Path, c.Key, -1), c.Expected);
    }
}

TEST_F(DataFileTest, ShortEntriesGiveDefaults)
{
    const QByteArray bytes = MemoryBytes([](TMemoryDataFile& f) {
        f.WriteBuffer("p", "two", QByteArray("\x07\x00", 2));
        f.WriteBuffer("p", "seven", QByteArray(7, '\x01'));
        f.WriteBuffer("p", "none", QByteArray());
        f.WriteBuffer("p", "nine", QByteArray(9, '\x01'));
        f.WriteBuffer("p", "long", QByteArray("\x2A\0\0\0\xFF\xFF", 6)); // longer than the type
    });
    TReader r(bytes);
    const QDateTime def(QDate(2000, 1, 1), QTime(0, 0), Qt::LocalTime);
    EXPECT_EQ(r->ReadInteger("p", "two", -1), -1);
    EXPECT_EQ(r->ReadInteger("p", "long", -1), 42);
    EXPECT_EQ(r->ReadFloat("p", "seven", 1.5), 1.5);
    EXPECT_EQ(r->ReadDateTime("p", "seven", def), def);
    EXPECT_TRUE(r->ReadBool("p", "none", true));
    EXPECT_EQ(r->ReadString("p", "none", "default"), QString());
    EXPECT_EQ(r->ReadString("p", "missing", "default"), "default");
    TFontRecord font;
    font.Name = "unchanged";
    EXPECT_FALSE(r->ReadFont("p", "nine", font));
    EXPECT_EQ(font.Name, "unchanged");
}

TEST_F(DataFileTest, BufferAndStreamReads)
{
    const QByteArray value("0123456789", 10);
    const QByteArray bytes = MemoryBytes([&](TMemoryDataFile& f) {
        QBuffer source;
        source.setData(value);
        source.open(QIODevice::ReadOnly);
        source.seek(5); // the whole stream is taken, from its start
        EXPECT_EQ(f.WriteStream("p", "k", source), 10);
    });
    TReader r(bytes);

    char small[4] = {};
    EXPECT_EQ(r->ReadBuffer("p", "k", small, 4), 4);
    EXPECT_EQ(QByteArray(small, 4), "0123");
    EXPECT_EQ(r->ReadBuffer("p", "missing", small, 4), -1);

    QBuffer target;
    target.setData("old content that is longer");
    target.open(QIODevice::ReadWrite);
    EXPECT_EQ(r->ReadStream("p", "missing", target), -1);
    EXPECT_EQ(target.data(), "old content that is longer");
    EXPECT_EQ(r->ReadStream("p", "k", target), 10);
    EXPECT_EQ(target.data(), value);
    EXPECT_EQ(target.pos(), 0);
}

// ---------------------------------------------------------------------------
// Text outside Windows-1252

TEST_F(DataFileTest, TextOutsideCp1252SurvivesAsUtf8)
{
    const QString name = QStringLiteral(u"Łukasz");
    const QString path = QStringLiteral(u"Bilder/Łódź");
    const QString key = QStringLiteral(u"名前");
    TFontRecord font;
    font.Name = QStringLiteral(u"Noto Sans 日本");
    const QByteArray bytes = MemoryBytes([&](TMemoryDataFile& f) {
        f.WriteString(path, key, name);
        f.WriteFont("p", "font", font);
    });
    EXPECT_EQ(bytes.mid(20 + 4, 3), "\xEF\xBB\xBF");
    const QByteArray value = "\xEF\xBB\xBF" + name.toUtf8() + QByteArray(1, '\0');
    EXPECT_EQ(bytes.mid(20 + 168, value.size()), value);

    TReader r(bytes);
    EXPECT_EQ(r->ReadString(QStringLiteral(u"bilder/łÓdź"), key, {}), name);
    TFontRecord read;
    EXPECT_TRUE(r->ReadFont("p", "font", read));
    EXPECT_EQ(read.Name, font.Name);
}

TEST_F(DataFileTest, NamesMustFitTheirFields)
{
    struct Case {
        QString Path;
        QString Key;
        bool Fits;
    };
    const QString l = QStringLiteral(u"Ł"); // two UTF-8 bytes, plus the 3-byte mark once
    const Case cases[] = {
        {QString(127, 'p'), "k", true},
        {QString(128, 'p'), "k", false},
        {"p", QString(31, 'k'), true},
        {"p", QString(32, 'k'), false},
        {l.repeated(62), "k", true},  // 3 + 124 bytes
        {l.repeated(63), "k", false}, // 3 + 126 bytes, though only 63 characters
        {"p", l.repeated(14), true},  // 3 + 28
        {"p", l.repeated(15), false}, // 3 + 30
        {QString::fromLatin1("a\0b", 3), "k", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Path.toStdString() + " / " + c.Key.toStdString());
        QByteArray bytes;
        QBuffer buf(&bytes);
        buf.open(QIODevice::ReadWrite);
        TMemoryDataFile f(buf);
        const QString error = ErrorOf([&] { f.WriteInteger(c.Path, c.Key, 1); });
        if (c.Fits) {
            EXPECT_EQ(error, QString());
            TMemoryDataFile back(buf);
            EXPECT_EQ(back.ReadInteger(c.Path, c.Key, 0), 1);
        } else {
            EXPECT_FALSE(error.isEmpty());
            EXPECT_EQ(bytes, kHeader); // nothing cut, nothing written
        }
    }
}

// ---------------------------------------------------------------------------
// Date-time

class DataFileDateTest : public ::testing::Test {
protected:
    // Calendar-day arithmetic must not depend on daylight saving time.
    void SetUp() override
    {
        OldTz = qgetenv("TZ");
        HadTz = qEnvironmentVariableIsSet("TZ");
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }
    void TearDown() override
    {
        if (HadTz)
            qputenv("TZ", OldTz);
        else
            qunsetenv("TZ");
        tzset();
    }
    QByteArray OldTz;
    bool HadTz = false;
};

TEST_F(DataFileDateTest, DaysSince1899)
{
    struct Case {
        QDate Date;
        QTime Time;
        double Days;
    };
    const Case cases[] = {
        {QDate(1899, 12, 30), QTime(0, 0), 0.0},
        {QDate(1900, 1, 1), QTime(0, 0), 2.0},
        {QDate(1899, 12, 29), QTime(6, 0), -1.25},
        {QDate(1899, 12, 30), QTime(18, 0), 0.75},
        {QDate(2024, 3, 31), QTime(12, 0), 45382.5},  // spring forward
        {QDate(2024, 10, 27), QTime(23, 0), 45592.0 + 23.0 / 24}, // fall back
        {QDate(1, 1, 1), QTime(0, 0), -693593.0},
        {QDate(9999, 12, 31), QTime(0, 0), 2958465.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Date.toString(Qt::ISODate).toStdString());
        const QDateTime dt(c.Date, c.Time, Qt::LocalTime);
        EXPECT_DOUBLE_EQ(TCustomDataFile::DateTimeToDays(dt), c.Days);
        QDateTime back;
        ASSERT_TRUE(TCustomDataFile::DaysToDateTime(c.Days, back));
        EXPECT_EQ(back, dt);
    }
    // Just before midnight rounds into the next day, not to 24:00.
    QDateTime dt;
    ASSERT_TRUE(TCustomDataFile::DaysToDateTime(1.0 - 1e-10, dt));
    EXPECT_EQ(dt, QDateTime(QDate(1899, 12, 31), QTime(0, 0), Qt::LocalTime));
}

TEST_F(DataFileDateTest, StoredValuesOutsideTheCalendarGiveTheDefault)
{
    const double bad[] = {std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::infinity(), -693594.0, 2958466.0, 1e300};
    const QDateTime def(QDate(2000, 1, 1), QTime(0, 0), Qt::LocalTime);
    for (double v : bad) {
        SCOPED_TRACE(v);
        const QByteArray bytes = MemoryBytes([&](TMemoryDataFile& f) { f.WriteFloat("p", "d", v); });
        TReader r(bytes);
        EXPECT_EQ(r->ReadDateTime("p", "d", def), def);
    }
}

// ---------------------------------------------------------------------------
// Damaged and foreign input

TEST_F(DataFileTest, DamagedContainersAreRefused)
{
    const QByteArray good = RawEntry("p", "k", QByteArray(4, '\x01'));
    struct Case {
        const char* Name;
        QByteArray Bytes;
    };
    const Case cases[] = {
        {"not a data file", QByteArray("PK\x03\x04 something else entirely")},
        {"short file", QByteArray("VQ Dat")},
        {"header cut short", kHeader.left(15)},
        {"kind 2", kHeader + RawEntry(2, "p", "k", 4, QByteArray(4, '\0'))},
        {"kind 2 after a good entry", kHeader + good + RawEntry(2, "p", "k", 0, {})},
        {"negative size", kHeader + RawEntry(1, "p", "k", -1, QByteArray(200, '\0'))},
        {"size past the end", kHeader + RawEntry(1, "p", "k", 0x7FFFFFFF, QByteArray(8, '\0'))},
        {"size one past the end", kHeader + RawEntry(1, "p", "k", 5, QByteArray(4, '\0'))},
        {"non-zero tail", kHeader + good + QByteArray(167, '\0') + QByteArray(1, '\x01')
                                     + QByteArray(10, '\0')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        WriteAll(Path("bad.tpb"), c.Bytes);
        EXPECT_EQ(ErrorOf([&] { TDataFile f(Path("bad.tpb")); }), "Invalid file format.");
        EXPECT_EQ(ReadAll(Path("bad.tpb")), c.Bytes);
        EXPECT_EQ(ErrorOf([&] {
                      TReader r(c.Bytes);
                      r->ReadInteger("none", "none", 0);
                  }),
                  "Invalid file format.");
    }
}

TEST_F(DataFileTest, TolerableEndings)
{
    const QByteArray good = RawEntry("p", "k", QByteArray("\x05\0\0\0", 4));
    struct Case {
        const char* Name;
        QByteArray Bytes;
        int Entries;
        // An entry appended behind a cut-off entry or padding could never be
        // found again, so such a container takes no writes.
        bool Appendable;
    };
    const Case cases[] = {
        {"header only", kHeader, 0, true},
        {"partial entry header", kHeader + good + QByteArray(100, '\x01'), 1, false},
        // A clipboard block may come back padded with zeros.
        {"zero padding", kHeader + good + QByteArray(4096, '\0'), 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        WriteAll(Path("ok.tpb"), c.Bytes);
        TDataFile f(Path("ok.tpb"));
        EXPECT_EQ(int(f.Index().size()), c.Entries);
        TReader r(c.Bytes);
        const int expected = c.Entries ? 5 : -1;
        EXPECT_EQ(f.ReadInteger("p", "k", -1), expected);
        EXPECT_EQ(r->ReadInteger("p", "k", -1), expected);
        EXPECT_EQ(f.ReadString("p", "missing", "d"), "d");
        EXPECT_EQ(r->ReadString("p", "missing", "d"), "d");

        QByteArray copy = c.Bytes;
        QBuffer buf(&copy);
        buf.open(QIODevice::ReadWrite);
        TMemoryDataFile w(buf);
        const QString error = ErrorOf([&] { w.WriteInteger("neu", "k", 7); });
        if (c.Appendable) {
            EXPECT_EQ(error, QString());
            EXPECT_EQ(TReader(copy)->ReadInteger("neu", "k", 0), 7);
        } else {
            EXPECT_EQ(error, "Invalid file format.");
            EXPECT_EQ(copy, c.Bytes);
        }
    }
}

TEST_F(DataFileTest, IndexedReadsStopAtTheEndOfAFileThatShrank)
{
    {
        TDataFile f(Path("shrink.tpb"), TDataFile::Create);
        f.WriteBuffer("p", "big", QByteArray(1000, 'x'));
        f.Commit();
    }
    TDataFile f(Path("shrink.tpb"));
    ASSERT_EQ(f.Index().size(), 1u);
    // Another program cuts the file while it is open.
    ASSERT_TRUE(QFile::resize(Path("shrink.tpb"), 20 + 168 + 10));
    QByteArray bytes;
    EXPECT_EQ(f.ReadBuffer("p", "big", bytes), 10);
    EXPECT_EQ(f.ReadString("p", "big", {}), QString(10, 'x'));
}

// ---------------------------------------------------------------------------
// Disk files: read-only targets and crash-safe replacement

TEST_F(DataFileTest, WriteProtectedFilesAreNeverWritten)
{
    const QByteArray old = MemoryBytes([](TMemoryDataFile& f) { f.WriteInteger("Doc", "DocVersion", 5); });
    const QString name = Path("ro.tpb");
    WriteAll(name, old);
    // Only the permission bits say so: the tests may run as root, who could
    // write anyway.
    ASSERT_TRUE(QFile::setPermissions(name, QFileDevice::ReadOwner | QFileDevice::ReadGroup));

    {
        TDataFile f(name);
        EXPECT_TRUE(f.ReadOnly());
        EXPECT_EQ(f.ReadInteger("Doc", "DocVersion", 0), 5);
        EXPECT_EQ(ErrorOf([&] { f.WriteInteger("Doc", "More", 1); }), "Die Datei ist schreibgeschützt");
        f.Commit();
    }
    EXPECT_EQ(ErrorOf([&] { TDataFile f(name, TDataFile::Create); }), "Die Datei ist schreibgeschützt");
    EXPECT_EQ(ReadAll(name), old);
    EXPECT_THAT(Leftovers(), ::testing::IsEmpty());

    // An empty protected file stays empty as well.
    const QString empty = Path("ro-empty.tpb");
    WriteAll(empty, {});
    ASSERT_TRUE(QFile::setPermissions(empty, QFileDevice::ReadOwner));
    TDataFile f(empty);
    EXPECT_TRUE(f.ReadOnly());
    EXPECT_EQ(ErrorOf([&] { f.WriteInteger("p", "k", 1); }), "Die Datei ist schreibgeschützt");
    EXPECT_EQ(ReadAll(empty), QByteArray());
}

TEST_F(DataFileTest, ReplacementAppearsOnlyOnCommit)
{
    const QString name = Path("project.tpb");
    const QByteArray old = MemoryBytes([](TMemoryDataFile& f) { f.WriteString("Doc", "Dokumentname", "alt"); });
    WriteAll(name, old);
    ASSERT_TRUE(QFile::setPermissions(name, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                | QFileDevice::ReadGroup));

    {
        TDataFile f(name, TDataFile::Create);
        f.WriteString("Doc", "Dokumentname", "neu");
        EXPECT_EQ(f.ReadString("Doc", "Dokumentname", {}), "neu"); // the new content is readable
        EXPECT_EQ(ReadAll(name), old);
        // Destroyed without Commit: as if the program had crashed.
    }
    EXPECT_EQ(ReadAll(name), old);
    EXPECT_THAT(Leftovers(), ::testing::IsEmpty());

    {
        TDataFile f(name, TDataFile::Create);
        f.WriteString("Doc", "Dokumentname", "neu");
        EXPECT_EQ(ReadAll(name), old);
        f.Commit();
        EXPECT_EQ(ErrorOf([&] { f.WriteInteger("Doc", "late", 1); }),
                  QStringLiteral("Die Datei \"%1\" ist bereits abgeschlossen").arg(name));
    }
    TDataFile back(name);
    EXPECT_EQ(back.ReadString("Doc", "Dokumentname", {}), "neu");
    EXPECT_EQ(back.Index().size(), 1u);
    // Owner, group and other bits as before (the "User" bits depend on who runs the test).
    EXPECT_EQ(int(QFile::permissions(name)) & 0x7077,
              int(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    EXPECT_THAT(Leftovers(), ::testing::IsEmpty());

    // A new container that is never committed leaves no file behind.
    {
        TDataFile f(Path("never.tpb"), TDataFile::Create);
        f.WriteInteger("p", "k", 1);
    }
    EXPECT_FALSE(QFile::exists(Path("never.tpb")));
    EXPECT_THAT(Leftovers(), ::testing::IsEmpty());
}

TEST_F(DataFileTest, AppendingToAnExistingFile)
{
    const QString name = Path("append.tpb");
    const QByteArray old = MemoryBytes([](TMemoryDataFile& f) { f.WriteInteger("Doc", "A", 1); });
    WriteAll(name, old);

    TDataFile f(name);
    f.WriteInteger("Doc", "B", 2);
    EXPECT_EQ(f.ReadInteger("Doc", "A", 0), 1); // the index still serves the old entries
    EXPECT_EQ(ReadAll(name), old);
    f.Commit();
    EXPECT_EQ(ReadAll(name), old + RawEntry("Doc", "B", QByteArray("\x02\0\0\0", 4)));
}

TEST_F(DataFileTest, ExistingEmptyFileGetsTheHeader)
{
    const QString name = Path("empty.tpb");
    WriteAll(name, {});
    TDataFile f(name);
    EXPECT_FALSE(f.ReadOnly());
    f.WriteInteger("Doc", "DocVersion", 5);
    f.Commit();
    const QByteArray bytes = ReadAll(name);
    EXPECT_EQ(bytes.left(20), kHeader);
    EXPECT_EQ(bytes.size(), 20 + 172);
}

// A write that fails half-way (the file size limit stands in for a full
// disk) must be reported and must not touch the previous file.
TEST_F(DataFileTest, FailedWriteKeepsThePreviousFile)
{
    const QString name = Path("keep.tpb");
    const QByteArray old = MemoryBytes([](TMemoryDataFile& f) { f.WriteString("Doc", "Dokumentname", "alt"); });
    WriteAll(name, old);

    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit limit = saved;
    limit.rlim_cur = 4096;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);

    QString writeError, commitError;
    {
        TDataFile f(name, TDataFile::Create);
        f.WriteString("Doc", "Dokumentname", "neu");
        writeError = ErrorOf([&] { f.WriteBuffer("BildManager/Bild0", "Daten", QByteArray(10000, 'x')); });
        commitError = ErrorOf([&] { f.Commit(); });
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_THAT(writeError.toStdString(), HasSubstr("konnte nicht geschrieben werden"));
    EXPECT_THAT(commitError.toStdString(), HasSubstr("nicht vollständig geschrieben"));
    EXPECT_EQ(ReadAll(name), old);
    EXPECT_THAT(Leftovers(), ::testing::IsEmpty());
}

// ---------------------------------------------------------------------------
// Memory containers

TEST_F(DataFileTest, MemoryContainerOverTheCallersStream)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadWrite);
    {
        TMemoryDataFile w(buf);
        w.WriteInteger("data", "Typ", 3);
    }
    buf.seek(0);
    TMemoryDataFile r(buf);
    EXPECT_EQ(r.ReadInteger("data", "Typ", 0), 3);
    r.WriteInteger("data", "Typ2", 4); // appended after the first entry
    EXPECT_EQ(bytes.size(), 20 + 2 * 172);

    // A stream the caller opened for reading gives a read-only container.
    QBuffer ro(&bytes);
    ro.open(QIODevice::ReadOnly);
    TMemoryDataFile rf(ro);
    EXPECT_TRUE(rf.ReadOnly());
    EXPECT_EQ(rf.ReadInteger("data", "Typ2", 0), 4);
    EXPECT_EQ(ErrorOf([&] { rf.WriteInteger("p", "k", 1); }), "Die Datei ist schreibgeschützt");

    QByteArray none;
    QBuffer emptyRo(&none);
    emptyRo.open(QIODevice::ReadOnly);
    TMemoryDataFile ef(emptyRo);
    EXPECT_EQ(ef.ReadInteger("p", "k", 9), 9);
    EXPECT_TRUE(none.isEmpty());
}

} // namespace
