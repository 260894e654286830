// Fuzzes opening a project: a data file container from untrusted bytes read
// into the document (pages, elements, links, pictures, special days). A
// document that loaded must be consistent: every held picture exists and is
// counted at least once per holder, every link member points back to its
// link, and saving it and reading that back gives the same file again.
//
// Build and run (clang, ASan/UBSan):
//   CXX=clang++ CC=clang cmake -S /work/main -B /work/main/build-g-fuzz -G Ninja \
//       -DLUMARBO_FUZZ=ON -DLUMARBO_TESTS=OFF -DLUMARBO_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
//   ninja -C /work/main/build-g-fuzz fuzz_projectload
//   cp -r /work/main/fuzz/corpus/projectload /tmp/projectload-corpus
//   nice -n 19 /work/main/build-g-fuzz/fuzz/fuzz_projectload -max_total_time=600 \
//       -rss_limit_mb=2048 /tmp/projectload-corpus
// Seeds: the default empty document of the model tests and a project with
// every kind of element (written by the model tests when
// LUMARBO_PROJECT_SEEDS names a folder).

#include "app/Errors.h"
#include "model/BildManager.h"
#include "model/ZadoveroDocument.h"
#include "storage/DataFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QHash>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QByteArray SaveToBytes(const TFBDocument& doc)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadWrite);
    TMemoryDataFile file(buffer);
    doc.SaveToFile(file);
    return bytes;
}

bool LoadFromBytes(TFBDocument& doc, QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        TMemoryDataFile file(buffer);
        doc.LoadFromFile(file);
    } catch (const Exception&) {
        return false;
    }
    return true;
}

void CheckConsistent(const TFBDocument& doc)
{
    QHash<int, int> holders;
    for (int p = 0; p < doc.Pages.Count(); ++p) {
        const TFBPage* page = doc.Pages.Items(p);
        if (page->Document != &doc)
            std::abort();
        for (int i = 0; i < page->Piclist.Count(); ++i) {
            const auto* frame = dynamic_cast<const TFBPictureElement*>(page->Piclist.Items(i));
            if (!frame || frame->Page != page)
                std::abort();
            if (frame->RefIndex() != -1)
                ++holders[frame->RefIndex()];
            if (frame->Link && std::find(frame->Link->List.begin(), frame->Link->List.end(), frame)
                                   == frame->Link->List.end())
                std::abort();
        }
        for (int i = 0; i < page->Elementlist.Count(); ++i)
            if (const auto* clip = dynamic_cast<const TFBClipartElement*>(page->Elementlist.Items(i));
                clip && clip->RefIndex() != -1)
                ++holders[clip->RefIndex()];
    }
    for (auto it = holders.cbegin(); it != holders.cend(); ++it) {
        const TBildManagerListItem* item = doc.Bildmanager().Find(it.key());
        if (!item || item->RefCount < it.value())
            std::abort();
    }
    for (const auto& link : doc.PictureLinks)
        for (const TFBPictureElement* member : link->List)
            if (member->Link != link.get())
                std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    TFBDocument doc;
    if (!LoadFromBytes(doc, input)) {
        // A failed load leaves the cleared document behind.
        if (doc.Pages.Count() != 0 || !doc.PictureLinks.empty() || doc.Bildmanager().Count() != 0)
            std::abort();
        return 0;
    }
    CheckConsistent(doc);
    const QByteArray saved = SaveToBytes(doc);
    TFBDocument again;
    if (!LoadFromBytes(again, saved))
        std::abort();
    CheckConsistent(again);
    if (SaveToBytes(again) != saved)
        std::abort();
    return 0;
}
