// Fuzzes the decoders of the private drag formats, which take whatever a
// drop delivers: file lists, fill and page template records, and the frame
// ids and view indexes that are only valid inside this run. Whatever a
// decoder accepts must survive being written and read again unchanged, and
// a frame id is only ever accepted in the exact form this run writes.
//
// Build and run (clang, ASan/UBSan):
//   CXX=clang++ CC=clang cmake -S /work/main -B /work/main/build-track-fuzz -G Ninja \
//       -DLUMARBO_FUZZ=ON -DLUMARBO_TESTS=OFF -DLUMARBO_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
//   ninja -C /work/main/build-track-fuzz fuzz_dragformats
//   cp -r /work/main/fuzz/corpus/dragformats /tmp/dragformats-corpus
//   nice -n 19 /work/main/build-track-fuzz/fuzz/fuzz_dragformats -max_total_time=300 \
//       -rss_limit_mb=2048 /tmp/dragformats-corpus
// The first input byte picks the decoder, the rest is the payload; the
// frame id decoders also get the payload behind this run's token, or the
// fuzzer could never get past it.

#include "editor/DragFormats.h"
#include "model/ZadoveroPageTemplate.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QMimeData>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

void FileList(const QByteArray& payload, bool clipart)
{
    QMimeData mime;
    mime.setData(QString::fromLatin1(clipart ? DragFormat::Clipart : DragFormat::FileList),
                 payload);
    const std::optional<QStringList> paths =
        clipart ? ClipartListFromMime(mime) : FileListFromMime(mime);
    Check(paths == DecodeFileList(payload));
    if (!paths)
        return;
    Check(paths->size() <= kMaxDragListEntries);
    for (const QString& p : *paths)
        Check(!p.trimmed().isEmpty() && !p.contains(QLatin1Char('\n')) && !p.contains(QChar(0)));
    if (clipart)
        Check(ClipartFromMime(mime) == (paths->isEmpty() ? std::nullopt
                                                          : std::optional<QString>(paths->first())));
    // Names with a stray carriage return are left out when writing.
    QStringList writable;
    for (const QString& p : *paths)
        if (!p.contains(QLatin1Char('\r')))
            writable.append(p);
    Check(DecodeFileList(EncodeFileList(*paths)) == writable);
}

void Fill(const QByteArray& payload)
{
    const std::optional<TFBColor> fill = DecodeFill(payload);
    if (!fill)
        return;
    const std::optional<TFBColor> again = DecodeFill(EncodeFill(*fill));
    Check(again && again->Name == fill->Name && again->Color == fill->Color);
}

void PageTemplate(const QByteArray& payload)
{
    const std::unique_ptr<TFBPageTemplate> t = DecodePageTemplate(payload);
    if (!t)
        return;
    const QByteArray written = EncodePageTemplate(*t);
    const std::unique_ptr<TFBPageTemplate> again = DecodePageTemplate(written);
    Check(again != nullptr && EncodePageTemplate(*again) == written);
}

void LocalId(const QByteArray& payload)
{
    const std::optional<std::int64_t> id = DecodeLocalId(payload);
    if (id) {
        Check(*id >= 0);
        Check(EncodeLocalId(*id) == payload);
    }
    QMimeData mime;
    mime.setData(QString::fromLatin1(DragFormat::View), payload);
    mime.setData(QString::fromLatin1(DragFormat::Pic), payload);
    const std::optional<int> view = ViewIndexFromMime(mime);
    Check(PicFrameIdFromMime(mime) == id);
    Check(view ? id && *view == *id : !id || *id > std::numeric_limits<int>::max());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray payload(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    switch (data[0] % 6) {
    case 0: FileList(payload, false); break;
    case 1: FileList(payload, true); break;
    case 2: Fill(payload); break;
    case 3: PageTemplate(payload); break;
    case 4: LocalId(payload); break;
    case 5: LocalId(ProcessDragToken() + payload); break;
    }
    return 0;
}
