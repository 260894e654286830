// Fuzzes the data file reader: opening a container from untrusted bytes (a
// project file, a clipboard block), building its index, and every typed read
// on both lookup routes, plus an append and read-back on a copy.
//
// Build and run (clang, ASan/UBSan):
//   CXX=clang++ CC=clang cmake -S /work/main -B /work/main/build-a-fuzz -G Ninja \
//       -DLUMARBO_FUZZ=ON -DLUMARBO_TESTS=OFF -DLUMARBO_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
//   ninja -C /work/main/build-a-fuzz fuzz_datafile
//   cp -r /work/main/fuzz/corpus/datafile /tmp/datafile-corpus
//   nice -n 19 /work/main/build-a-fuzz/fuzz/fuzz_datafile -max_total_time=600 \
//       -rss_limit_mb=2048 /tmp/datafile-corpus
// The seeds are small valid containers: "every-kind.tpb" is written by the
// storage tests when LUMARBO_DATAFILE_SEEDS names a folder, the others are
// assembled byte for byte.

#include "storage/DataFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QIODevice>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void ReadEveryKind(TCustomDataFile& f, const QString& path, const QString& key)
{
    f.ReadInteger(path, key, 0);
    f.ReadFloat(path, key, 0);
    f.ReadDateTime(path, key, QDateTime());
    f.ReadBool(path, key, false);
    f.ReadString(path, key, QString());
    TFontRecord font;
    f.ReadFont(path, key, font);
    QByteArray bytes;
    const qint64 n = f.ReadBuffer(path, key, bytes);
    char small[16];
    const qint64 m = f.ReadBuffer(path, key, small, sizeof small);
    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    const qint64 s = f.ReadStream(path, key, stream);
    // All three see the same stored bytes.
    if (n != s || (n >= 0 && m != std::min<qint64>(n, sizeof small)) || (n >= 0 && stream.data() != bytes))
        std::abort();
}

void Exercise(const QByteArray& input)
{
    QByteArray data = input;
    QBuffer buf(&data);
    buf.open(QIODevice::ReadOnly);
    TMemoryDataFile f(buf);

    // Scan route.
    ReadEveryKind(f, QStringLiteral("Doc"), QStringLiteral("DocVersion"));
    ReadEveryKind(f, QStringLiteral("Doc"), TCustomDataFile::TestKey);

    // Index route, with the names the file itself holds.
    f.BuildCache();
    const auto index = f.Index();
    int budget = 32;
    for (const TDataFileCacheItem& item : index) {
        if (--budget < 0)
            break;
        ReadEveryKind(f, item.Path, item.Key);
        ReadEveryKind(f, item.Path, TCustomDataFile::TestKey);
    }

    // Append to a writable copy and read the value back through a fresh
    // container over the same bytes.
    QByteArray copy = input;
    QBuffer wbuf(&copy);
    wbuf.open(QIODevice::ReadWrite);
    TMemoryDataFile w(wbuf);
    const QString path = index.empty() ? QStringLiteral("Fuzz") : index.front().Path;
    const QString key = QStringLiteral("Fuzz-Neu");
    const bool existed = w.ReadBuffer(path, key, nullptr, 0) >= 0;
    const QByteArray value = input.left(64);
    w.WriteBuffer(path, key, value);
    TMemoryDataFile r(wbuf);
    QByteArray back;
    if (!existed && (r.ReadBuffer(path, key, back) != value.size() || back != value))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        Exercise(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    } catch (const Exception&) {
        // Refusing damaged input is the expected outcome.
    }
    return 0;
}
