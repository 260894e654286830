#include "model/BildManager.h"

#include "app/Errors.h"
#include "app/InfoAusgabe.h"
#include "model/PictureTestUtil.h"
#include "storage/DataFile.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>

using namespace picturetest;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

constexpr std::uint64_t MiB = 1024 * 1024;

class TFakeMemory : public IMemoryProbe {
public:
    std::uint64_t Total = 512 * MiB;
    std::uint64_t Available = 4096 * MiB;
    std::vector<int> Pauses;

    std::uint64_t TotalPhysical() override { return Total; }
    std::uint64_t AvailablePhysical() override { return Available; }
    void Pause(int ms) override { Pauses.push_back(ms); }
};

class TRecordingOutput : public IInfoOutput {
public:
    QStringList Shown;
    void SetStatusText(const QString&) override {}
    void ShowProgress(const QString& text) override { Shown << text; }
    void CloseProgress() override {}
};

// "path|key" of every entry of a container, in file order.
QStringList Entries(const QByteArray& data)
{
    QStringList out;
    qsizetype pos = TCustomDataFile::HeaderSize;
    while (pos + TCustomDataFile::EntryHeaderSize <= data.size()) {
        const char* h = data.constData() + pos;
        const QString path = QString::fromLatin1(h + 4, qsizetype(strnlen(h + 4, 128)));
        const QString key = QString::fromLatin1(h + 132, qsizetype(strnlen(h + 132, 32)));
        out << path + QLatin1Char('|') + key;
        pos += TCustomDataFile::EntryHeaderSize + qFromLittleEndian<qint32>(h + 164);
    }
    return out;
}

// A memory container to write into and read back.
class TMemoryContainer {
public:
    TMemoryContainer() { Buffer.open(QIODevice::ReadWrite); }
    TCustomDataFile& Writer()
    {
        if (!W)
            W = std::make_unique<TMemoryDataFile>(Buffer);
        return *W;
    }
    TCustomDataFile& Reader()
    {
        R = std::make_unique<TMemoryDataFile>(Buffer);
        return *R;
    }
    const QByteArray& Bytes() const { return Data; }

private:
    QByteArray Data;
    QBuffer Buffer {&Data};
    std::unique_ptr<TMemoryDataFile> W, R;
};

class BildManagerTest : public ::testing::Test {
protected:
    TTestServices Services;
    QTemporaryDir Dir;
    std::shared_ptr<TFakeMemory> Memory = std::make_shared<TFakeMemory>();
    std::unique_ptr<TBildmanager> Store = std::make_unique<TBildmanager>(Memory);

    QString FileWith(const QString& name, const QByteArray& bytes)
    {
        const QString path = Dir.filePath(name);
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }
    QString JpegFile(const QString& name, int w, int h) { return FileWith(name, Encoded(Quadrants(w, h), "jpeg", 92)); }

    const TBildManagerListItem& At(int refIndex)
    {
        const TBildManagerListItem* item = Store->Find(refIndex);
        EXPECT_NE(item, nullptr) << refIndex;
        static const TBildManagerListItem none;
        return item ? *item : none;
    }
    int Position(int refIndex) const
    {
        for (int i = 0; i < Store->Count(); ++i)
            if (Store->Item(i).RefIndex == refIndex)
                return i;
        return -1;
    }
    static QImage Filled(int w, int h, QColor color, QImage::Format format = QImage::Format_RGB32)
    {
        QImage img(w, h, format);
        img.fill(color);
        return img;
    }
};

} // namespace

TEST_F(BildManagerTest, InitialWindowFollowsTheMachinesMemory)
{
    struct {
        std::uint64_t Total;
        int Window;
    } const cases[] = {
        {512 * MiB, 20}, {128 * MiB, 10}, {0, 10}, {64 * 1024 * MiB, TBildmanager::MaxInitialWindow},
    };
    for (const auto& c : cases) {
        auto memory = std::make_shared<TFakeMemory>();
        memory->Total = c.Total;
        EXPECT_EQ(TBildmanager(memory).MaxImSpeicher(), c.Window) << c.Total;
    }
}

TEST_F(BildManagerTest, ItemsAreSharedByPathAndCountedAndFreedTopIndexIsReused)
{
    const QString p1 = JpegFile(QStringLiteral("a.jpg"), 40, 30);
    const QString p2 = JpegFile(QStringLiteral("b.jpg"), 40, 30);
    const QString p3 = JpegFile(QStringLiteral("c.jpg"), 40, 30);

    const int a = Store->AddFile(p1);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(Store->AddFile(p1), a);
    EXPECT_EQ(At(a).RefCount, 2);
    EXPECT_EQ(At(a).FileName, p1);
    const int b = Store->AddFile(p2);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(Position(b), 0) << "the newest file is in front";

    Store->DecRefCount(a);
    EXPECT_EQ(At(a).RefCount, 1);
    Store->DecRefCount(a);
    EXPECT_EQ(Store->Find(a), nullptr);

    // The freed lower index stays a gap; a freed top index comes back.
    const int c = Store->AddFile(p3);
    EXPECT_EQ(c, 2);
    Store->DecRefCount(c);
    EXPECT_EQ(Store->AddFile(p3), 2);

    // -1 and unknown indices are ignored everywhere.
    for (int none : {-1, 7}) {
        Store->IncRefCount(none);
        Store->DecRefCount(none);
        EXPECT_TRUE(Store->GetBitmap(none).isNull());
        EXPECT_TRUE(Store->GetThumbnail(none).isNull());
        EXPECT_EQ(Store->MakeUnique(none), -1);
        Store->RotateBild(none, 0);
    }
    EXPECT_EQ(Store->Count(), 2);
    EXPECT_EQ(At(b).RefCount, 1);

    // Once turned, the item no longer stands for the file.
    Store->RotateBild(b, 0);
    const int again = Store->AddFile(p2);
    EXPECT_NE(again, b);
    EXPECT_EQ(At(again).FileName, p2);
    EXPECT_EQ(At(again).PicWidth, 40);
}

TEST_F(BildManagerTest, MissingFileGivesACountedEmptyItemEachTime)
{
    const QString missing = Dir.filePath(QStringLiteral("gone.jpg"));
    const int a = Store->AddFile(missing);
    const int b = Store->AddFile(missing);
    ASSERT_GE(a, 0);
    EXPECT_NE(a, b);
    EXPECT_EQ(At(a).RefCount, 1);
    EXPECT_FALSE(At(a).HasPicture());
    EXPECT_TRUE(At(a).FileName.isEmpty());
    EXPECT_TRUE(Store->GetBitmap(a).isNull());
    EXPECT_TRUE(Store->GetThumbnail(a).isNull());
    Store->RotateBild(a, 0);
    EXPECT_FALSE(At(a).HasPicture());
}

TEST_F(BildManagerTest, ReducedSizeStaysBelowTheThresholdAndKeepsTheAspect)
{
    struct {
        QSize In;
        QSize Out;
    } const cases[] = {
        {QSize(4000, 3000), QSize(2272, 1704)},
        {QSize(3000, 2000), QSize(2410, 1607)},
        {QSize(6000, 4000), QSize(2410, 1607)},
        {QSize(16, 242093), QSize(16, 242093)}, // exactly the threshold
        {QSize(2272, 1704), QSize(2272, 1704)},
        {QSize(4000000, 1), QSize(3873488, 1)}, // a side held at one pixel
        {QSize(1, 4000000), QSize(1, 3873488)},
        {QSize(0, 0), QSize(0, 0)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TBildmanager::ReducedSize(c.In), c.Out) << c.In.width() << "x" << c.In.height();

    // Rounding both sides up must never land above the threshold, however
    // the sides fall; the 64-bit product matters from 46341 x 46341 on.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> side(1, 100000);
    for (int i = 0; i < 5000; ++i) {
        const QSize in(side(random), side(random));
        const QSize out = TBildmanager::ReducedSize(in);
        ASSERT_LE(qint64(out.width()) * out.height(), TBildmanager::ReduceThreshold) << in.width() << "x" << in.height();
        ASSERT_GE(out.width(), 1);
        ASSERT_GE(out.height(), 1);
    }
}

TEST_F(BildManagerTest, LargePicturesAreReducedOnceWhenAdded)
{
    QImage clear = Quadrants(3000, 2000, QImage::Format_ARGB32);
    clear.setPixelColor(0, 0, QColor(0, 0, 0, 0));
    const QByteArray exact = Encoded(Quadrants(16, 242093), "png");
    struct {
        const char* Name;
        QByteArray Bytes;
        QSize Size;
        bool Reduced;
        bool Png;
    } const cases[] = {
        {"4000x3000.jpg", Encoded(Quadrants(4000, 3000), "jpeg", 90), QSize(2272, 1704), true, false},
        {"3000x2000.png", Encoded(clear, "png"), QSize(2410, 1607), true, true},
        {"exact.png", exact, QSize(16, 242093), false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString path = FileWith(QString::fromLatin1(c.Name), c.Bytes);
        const int r = Store->AddFile(path);
        const TBildManagerListItem& item = At(r);
        EXPECT_EQ(QSize(item.PicWidth, item.PicHeight), c.Size);
        EXPECT_EQ(item.FileName, path) << "a reduced picture is still the file's";
        EXPECT_EQ(item.FileSize, c.Bytes.size());
        EXPECT_EQ(item.File != c.Bytes, c.Reduced);
        EXPECT_EQ(IsPng(item.File), c.Png);
        EXPECT_EQ(ReadPictureHeader(item.File).Size, c.Size);
        const QImage bitmap = Store->GetBitmap(r);
        EXPECT_EQ(bitmap.size(), c.Size);
        EXPECT_TRUE(Near(CornerColor(bitmap, BottomRight), Yellow()));

        // Read back from a project, the reduced bytes are not reduced again.
        TMemoryContainer project;
        Store->SaveToDataFile(project.Writer(), QStringLiteral("BildManager"));
        TBildmanager reloaded(Memory);
        reloaded.LoadFromDataFile(project.Reader(), QStringLiteral("BildManager"));
        const TBildManagerListItem* back = reloaded.Find(r);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->File, item.File);
        EXPECT_EQ(QSize(back->PicWidth, back->PicHeight), c.Size);
        Store->Clear();
    }
}

TEST_F(BildManagerTest, PreviewsFitIn192AndAreProvisionalWithoutTheBitmap)
{
    struct {
        QSize Picture;
        QSize Preview;
    } const cases[] = {
        {QSize(100, 50), QSize(192, 96)},
        {QSize(50, 100), QSize(96, 192)},
        {QSize(4000, 10), QSize(192, 1)},
        {QSize(400, 400), QSize(192, 192)},
    };
    for (const auto& c : cases) {
        const int r = Store->AddBitmap(Quadrants(c.Picture.width(), c.Picture.height()));
        const QImage preview = Store->GetThumbnail(r);
        EXPECT_EQ(preview.size(), c.Preview) << c.Picture.width() << "x" << c.Picture.height();
        EXPECT_FALSE(At(r).ThumbnailVorlaeufig);
    }

    // A file pushed out of the window before anyone asked for its preview:
    // a provisional 128-pixel one, replaced once the bitmap is decoded.
    Store->Clear();
    const int a = Store->AddFile(JpegFile(QStringLiteral("wide.jpg"), 100, 50));
    Store->AddFile(JpegFile(QStringLiteral("x.jpg"), 10, 10));
    Memory->Available = 0; // the window shrinks to 2 and drops position 2
    Store->AddFile(JpegFile(QStringLiteral("y.jpg"), 10, 10));
    Memory->Available = 4096 * MiB;
    ASSERT_TRUE(At(a).Bitmap.isNull());
    EXPECT_EQ(Store->GetThumbnail(a).size(), QSize(128, 64));
    EXPECT_TRUE(At(a).ThumbnailVorlaeufig);
    EXPECT_TRUE(Near(CornerColor(Store->GetThumbnail(a), TopLeft), Red()));
    Store->GetBitmap(a);
    EXPECT_EQ(Store->GetThumbnail(a).size(), QSize(192, 96));
    EXPECT_FALSE(At(a).ThumbnailVorlaeufig);
}

TEST_F(BildManagerTest, DecodedWindowShrinksUnderMemoryPressureButNotBelowEight)
{
    std::vector<int> refs;
    for (int i = 0; i < 12; ++i)
        refs.push_back(Store->AddBitmap(Filled(8, 8, QColor(i * 20 + 10, 0, 0))));
    ASSERT_EQ(Store->MaxImSpeicher(), 20);

    // GetBitmap brings the item to the front.
    const QImage kept = Store->GetBitmap(refs[0]);
    EXPECT_EQ(Position(refs[0]), 0);
    Store->GetBitmap(refs[5]);
    EXPECT_EQ(Position(refs[5]), 0);
    EXPECT_EQ(Position(refs[0]), 1);

    Memory->Available = 1000;
    Store->GetBitmap(refs[7]);
    EXPECT_EQ(Memory->Pauses, std::vector<int>(18, 10));
    EXPECT_EQ(Store->MaxImSpeicher(), TBildmanager::MinWindow);
    for (int i = 0; i < Store->Count(); ++i)
        EXPECT_EQ(Store->Item(i).Bitmap.isNull(), i >= 2) << i;

    // The picture a caller kept is its own, whatever the store dropped.
    ASSERT_TRUE(At(refs[0]).Bitmap.isNull());
    EXPECT_EQ(kept.pixelColor(3, 3), QColor(10, 0, 0));

    Memory->Available = 4096 * MiB;
    for (int r : refs)
        Store->GetBitmap(r);
    int decoded = 0;
    for (int i = 0; i < Store->Count(); ++i)
        decoded += Store->Item(i).Bitmap.isNull() ? 0 : 1;
    EXPECT_EQ(decoded, TBildmanager::MinWindow);

    // Loaded into a store with a window of 10, the items behind it get
    // their final preview without keeping a bitmap.
    TMemoryContainer project;
    Store->SaveToDataFile(project.Writer(), QStringLiteral("B"));
    auto small = std::make_shared<TFakeMemory>();
    small->Total = 128 * MiB;
    TBildmanager loaded(small);
    loaded.LoadFromDataFile(project.Reader(), QStringLiteral("B"));
    ASSERT_EQ(loaded.Count(), 12);
    for (int i = 0; i < loaded.Count(); ++i) {
        SCOPED_TRACE(i);
        const TBildManagerListItem& item = loaded.Item(i);
        EXPECT_EQ(item.Bitmap.isNull(), i >= 10);
        EXPECT_EQ(QSize(item.PicWidth, item.PicHeight), QSize(8, 8));
        EXPECT_EQ(item.Thumbnail.size(), QSize(192, 192));
        EXPECT_FALSE(item.ThumbnailVorlaeufig);
        EXPECT_TRUE(Near(item.Thumbnail.pixelColor(96, 96), Store->Item(i).Bitmap.isNull()
                                                                  ? DecodePicture(Store->Item(i).File).Image.pixelColor(4, 4)
                                                                  : Store->Item(i).Bitmap.pixelColor(4, 4), 4));
    }
}

TEST_F(BildManagerTest, OutOfMemoryDecodesAreRetriedThreeTimes)
{
    const QString path = JpegFile(QStringLiteral("p.jpg"), 40, 30);
    struct {
        int Failures;
        TPictureStatus Status;
        bool Throws;
        int Calls;
        std::vector<int> Pauses;
        int Window;
    } const cases[] = {
        {3, TPictureStatus::OutOfMemory, false, 4, {200, 200, 200}, 14},
        {4, TPictureStatus::OutOfMemory, true, 4, {200, 200, 200}, 14},
        {1, TPictureStatus::Failed, false, 1, {}, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Failures);
        auto memory = std::make_shared<TFakeMemory>();
        TBildmanager store(memory);
        int calls = 0;
        store.Decoder = [&](const QByteArray& bytes, const TDecodeOptions& o) {
            if (calls++ < c.Failures)
                return TDecodedPicture {c.Status, QImage(), false};
            return DecodePicture(bytes, o);
        };
        if (c.Throws) {
            try {
                store.AddFile(path);
                ADD_FAILURE() << "no error";
            } catch (const Exception& e) {
                EXPECT_EQ(e.message(), QStringLiteral("Bild %1 konnte nicht geladen werden.").arg(path));
            }
            EXPECT_EQ(store.Count(), 0);
        } else {
            const int r = store.AddFile(path);
            const bool ok = c.Status == TPictureStatus::OutOfMemory;
            EXPECT_EQ(store.Find(r)->PicWidth, ok ? 40 : 0);
            // A picture that cannot be decoded is not tried on every use.
            EXPECT_EQ(store.GetBitmap(r).isNull(), !ok);
            EXPECT_EQ(store.GetThumbnail(r).isNull(), !ok);
        }
        EXPECT_EQ(calls, c.Calls);
        EXPECT_EQ(memory->Pauses, c.Pauses);
        EXPECT_EQ(store.MaxImSpeicher(), c.Window);
    }
}

TEST_F(BildManagerTest, MakeUniqueCopiesOnlySharedItems)
{
    const QString path = JpegFile(QStringLiteral("p.jpg"), 60, 40);
    const int r = Store->AddFile(path);
    EXPECT_EQ(Store->MakeUnique(r), r);

    Store->AddFile(path);
    Store->AddFile(path);
    ASSERT_EQ(At(r).RefCount, 3);
    const int copy = Store->MakeUnique(r);
    ASSERT_NE(copy, r);
    EXPECT_EQ(At(r).RefCount, 2);
    EXPECT_EQ(At(copy).RefCount, 1);
    EXPECT_EQ(At(copy).FileName, QStringLiteral("Clone ") + path);
    EXPECT_EQ(At(copy).File, At(r).File);
    EXPECT_EQ(At(copy).FileDate, At(r).FileDate);
    EXPECT_EQ(At(copy).FileSize, At(r).FileSize);
    EXPECT_EQ(QSize(At(copy).PicWidth, At(copy).PicHeight), QSize(60, 40));
    EXPECT_FALSE(At(copy).Bitmap.isNull());
    EXPECT_EQ(At(copy).Thumbnail.size(), QSize(192, 128));
    EXPECT_EQ(Position(copy), Store->Count() - 1);

    // Changing the copy leaves the others their picture.
    Store->RotateBild(copy, 0);
    EXPECT_EQ(At(r).PicWidth, 60);
    EXPECT_EQ(Store->AddFile(path), r);

    // An item nobody counted yet (from an undo record) is nobody else's.
    TMemoryContainer undo;
    Store->WriteUndoRecord(undo.Writer(), QStringLiteral("U"), copy);
    TBildmanager other(Memory);
    const int uncounted = other.AddFromUndoRecord(undo.Reader(), QStringLiteral("U"));
    EXPECT_EQ(other.Find(uncounted)->RefCount, 0);
    EXPECT_EQ(other.MakeUnique(uncounted), uncounted);
}

TEST_F(BildManagerTest, RotateBildTurnsIntoAWhiteBackedJpeg)
{
    struct {
        int Direction;
        QSize Size;
        QColor TopLeft;
        QColor TopRight;
    } const cases[] = {
        {0, QSize(300, 400), Blue(), Red()},
        {1, QSize(400, 300), Yellow(), Blue()},
        {2, QSize(300, 400), Green(), Yellow()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Direction);
        const QString path = JpegFile(QStringLiteral("r%1.jpg").arg(c.Direction), 400, 300);
        const int r = Store->AddFile(path);
        Store->RotateBild(r, c.Direction);
        const TBildManagerListItem& item = At(r);
        EXPECT_EQ(QSize(item.PicWidth, item.PicHeight), c.Size);
        EXPECT_TRUE(item.FileName.isEmpty());
        EXPECT_TRUE(IsJpeg(item.File));
        EXPECT_EQ(ReadPictureHeader(item.File).Size, c.Size);
        EXPECT_EQ(item.Thumbnail.size(), TBildmanager::ThumbnailSize(c.Size, 192));
        const QImage bitmap = Store->GetBitmap(r);
        EXPECT_TRUE(Near(CornerColor(bitmap, TopLeft), c.TopLeft));
        EXPECT_TRUE(Near(CornerColor(bitmap, TopRight), c.TopRight));
    }

    // Transparency ends up white; other directions change nothing.
    const int clear = Store->AddBitmap(Filled(40, 20, QColor(0, 0, 0, 0), QImage::Format_ARGB32));
    ASSERT_TRUE(IsPng(At(clear).File));
    const QByteArray before = At(clear).File;
    Store->RotateBild(clear, 3);
    Store->RotateBild(clear, -1);
    EXPECT_EQ(At(clear).File, before);
    Store->RotateBild(clear, 0);
    EXPECT_TRUE(IsJpeg(At(clear).File));
    EXPECT_TRUE(Near(Store->GetBitmap(clear).pixelColor(10, 20), QColor(255, 255, 255), 2));
}

TEST_F(BildManagerTest, ReplaceBitmapReencodesAndPrefixesTheName)
{
    const QString path = JpegFile(QStringLiteral("p.jpg"), 60, 40);
    const int r = Store->AddFile(path);
    EXPECT_TRUE(Store->ReplaceBitmap(r, Filled(30, 20, QColor(10, 200, 10)), QStringLiteral("A ")));
    EXPECT_EQ(At(r).FileName, QStringLiteral("A ") + path);
    EXPECT_EQ(QSize(At(r).PicWidth, At(r).PicHeight), QSize(30, 20));
    EXPECT_TRUE(Near(DecodePicture(At(r).File).Image.pixelColor(5, 5), QColor(10, 200, 10)));
    EXPECT_FALSE(Store->ReplaceBitmap(r, QImage(), QStringLiteral("B ")));
    EXPECT_FALSE(Store->ReplaceBitmap(99, Filled(2, 2, Qt::red), QStringLiteral("B ")));
}

TEST_F(BildManagerTest, AddBitmapStoresGeneratedPicturesAtTheEnd)
{
    Store->AddFile(JpegFile(QStringLiteral("p.jpg"), 20, 20));
    const double before = TCustomDataFile::DateTimeToDays(QDateTime::currentDateTime());
    const int colour = Store->AddBitmap(Filled(48, 48, QColor(0, 128, 255)));
    const int clear = Store->AddBitmap(Filled(48, 48, QColor(0, 128, 255, 100), QImage::Format_ARGB32));
    EXPECT_EQ(Position(colour), 1);
    EXPECT_EQ(Position(clear), 2);
    const TBildManagerListItem& item = At(colour);
    EXPECT_TRUE(item.FileName.isEmpty());
    EXPECT_EQ(item.FileSize, 8192);
    EXPECT_EQ(item.RefCount, 1);
    EXPECT_GE(item.FileDate, before);
    EXPECT_TRUE(IsJpeg(item.File));
    EXPECT_TRUE(IsPng(At(clear).File));
    EXPECT_EQ(Store->AddBitmap(QImage()), -1);
}

TEST_F(BildManagerTest, ProjectSectionRoundTripKeepsEveryFieldAndTheBytes)
{
    const QString umlaut = JpegFile(QStringLiteral("Bäume.jpg"), 64, 48);
    Store->AddFile(Dir.filePath(QStringLiteral("missing.jpg")));
    const int a = Store->AddFile(umlaut);
    Store->AddFile(umlaut);
    Store->AddBitmap(Filled(48, 48, QColor(1, 2, 3)));
    Store->AddBitmap(Filled(10, 10, QColor(1, 2, 3, 4), QImage::Format_ARGB32));
    ASSERT_EQ(Store->Count(), 4);

    TRecordingOutput output;
    InfoAusgabe().SetOutput(&output);
    TMemoryContainer project;
    Store->SaveToDataFile(project.Writer(), QStringLiteral("BildManager"));
    EXPECT_THAT(output.Shown, ElementsAre("Bild 1 wird gespeichert", "Bild 2 wird gespeichert",
                                          "Bild 3 wird gespeichert", "Bild 4 wird gespeichert"));

    const QStringList entries = Entries(project.Bytes());
    const QStringList first = entries.mid(0, 10);
    EXPECT_THAT(first, ElementsAre("BildManager|Anzahl", "BildManager/Bild0|FileName", "BildManager/Bild0|Age",
                                   "BildManager/Bild0|FileSize", "BildManager/Bild0|RefCount",
                                   "BildManager/Bild0|FileDate", "BildManager/Bild0|RefIndex",
                                   "BildManager/Bild0|PicWidth", "BildManager/Bild0|PicHeight",
                                   "BildManager/Bild0|File"));
    EXPECT_EQ(entries.size(), 1 + 9 * 4 - 1) << "an item without bytes has no File entry";

    output.Shown.clear();
    TBildmanager loaded(Memory);
    loaded.LoadFromDataFile(project.Reader(), QStringLiteral("BildManager"));
    InfoAusgabe().SetOutput(nullptr);
    EXPECT_THAT(output.Shown, ElementsAre("Bild 1 wird geladen", "Bild 2 wird geladen", "Bild 3 wird geladen",
                                          "Bild 4 wird geladen"));
    ASSERT_EQ(loaded.Count(), Store->Count());
    for (int i = 0; i < Store->Count(); ++i) {
        SCOPED_TRACE(i);
        const TBildManagerListItem& x = Store->Item(i);
        const TBildManagerListItem& y = loaded.Item(i);
        EXPECT_EQ(y.FileName, x.FileName);
        EXPECT_EQ(y.Age, x.Age);
        EXPECT_EQ(y.FileSize, x.FileSize);
        EXPECT_EQ(y.RefCount, x.RefCount);
        EXPECT_EQ(y.FileDate, x.FileDate);
        EXPECT_EQ(y.RefIndex, x.RefIndex);
        EXPECT_EQ(y.PicWidth, x.PicWidth);
        EXPECT_EQ(y.PicHeight, x.PicHeight);
        EXPECT_EQ(y.File, x.File);
        EXPECT_EQ(y.Thumbnail.isNull(), !x.HasPicture());
    }
    EXPECT_EQ(loaded.Find(a)->RefCount, 2);
    EXPECT_EQ(loaded.Find(a)->FileName, umlaut);
}

TEST_F(BildManagerTest, SectionEdgeCases)
{
    // An empty store writes its count only; no section reads as empty.
    TMemoryContainer empty;
    Store->SaveToDataFile(empty.Writer(), QStringLiteral("BildManager"));
    EXPECT_THAT(Entries(empty.Bytes()), ElementsAre("BildManager|Anzahl"));
    Store->LoadFromDataFile(empty.Reader(), QStringLiteral("Elsewhere"));
    EXPECT_EQ(Store->Count(), 0);

    // Hand-written records: a date that no QDateTime holds exactly, a
    // negative index, the largest index, and a count far too high.
    const QByteArray jpeg = Encoded(Quadrants(30, 20), "jpeg", 90);
    const double oddDate = 45123.123456789012345;
    TMemoryContainer project;
    TCustomDataFile& w = project.Writer();
    w.WriteInteger(QStringLiteral("BM"), QStringLiteral("Anzahl"), 1000000);
    const qint32 indices[] = {-3, std::numeric_limits<qint32>::max()};
    for (int i = 0; i < 2; ++i) {
        const QString p = QStringLiteral("BM/Bild%1").arg(i);
        w.WriteString(p, QStringLiteral("FileName"), i == 0 ? QStringLiteral("x.jpg") : QStringLiteral("y.jpg"));
        w.WriteInteger(p, QStringLiteral("RefCount"), 1);
        w.WriteFloat(p, QStringLiteral("FileDate"), oddDate);
        w.WriteInteger(p, QStringLiteral("RefIndex"), indices[i]);
        w.WriteBuffer(p, QStringLiteral("File"), jpeg);
    }
    Store->LoadFromDataFile(project.Reader(), QStringLiteral("BM"));
    ASSERT_EQ(Store->Count(), 2) << "records that are not there are not made up";
    EXPECT_EQ(Store->Item(0).FileDate, oddDate);
    EXPECT_EQ(QSize(Store->Item(0).PicWidth, Store->Item(0).PicHeight), QSize(30, 20));

    // Nothing reaches the item with the negative index ...
    EXPECT_EQ(Store->Find(-3), nullptr);
    EXPECT_TRUE(Store->GetBitmap(-3).isNull());
    Store->IncRefCount(-3);
    EXPECT_EQ(Store->Item(0).RefCount, 1);
    // ... not even a paste of the very same picture.
    TMemoryContainer clip;
    clip.Writer().WriteString(QStringLiteral("E"), QStringLiteral("FileName"), QStringLiteral("x.jpg"));
    clip.Writer().WriteFloat(QStringLiteral("E"), QStringLiteral("FileDate"), oddDate);
    clip.Writer().WriteInteger(QStringLiteral("E"), QStringLiteral("PicWidth"), 30);
    clip.Writer().WriteInteger(QStringLiteral("E"), QStringLiteral("PicHeight"), 20);
    clip.Writer().WriteBuffer(QStringLiteral("E"), QStringLiteral("File"), jpeg);
    const int pasted = Store->AddFromEmbeddedRecord(clip.Reader(), QStringLiteral("E"));
    EXPECT_GE(pasted, 0);
    EXPECT_EQ(Store->Count(), 3);

    // Next to the largest index, new items take the lowest free one.
    EXPECT_EQ(pasted, 0);
    EXPECT_EQ(Store->AddBitmap(Filled(2, 2, Qt::red)), 1);

    // The odd date leaves exactly as it came.
    TMemoryContainer again;
    Store->SaveToDataFile(again.Writer(), QStringLiteral("BM"));
    EXPECT_EQ(again.Reader().ReadFloat(QStringLiteral("BM/Bild0"), QStringLiteral("FileDate"), 0), oddDate);
}

TEST_F(BildManagerTest, EmbeddedRecordsShareUnchangedPicturesOnly)
{
    const QString path = JpegFile(QStringLiteral("p.jpg"), 60, 40);
    const int r = Store->AddFile(path);

    TMemoryContainer clip;
    Store->WriteEmbeddedRecord(clip.Writer(), QStringLiteral("Elem"), r);
    Store->WriteEmbeddedRecord(clip.Writer(), QStringLiteral("Nothing"), -1);
    EXPECT_THAT(Entries(clip.Bytes()),
                ElementsAre("Elem|FileName", "Elem|Age", "Elem|FileSize", "Elem|FileDate", "Elem|PicWidth",
                            "Elem|PicHeight", "Elem|File"));

    // Pasted twice into the same document: one item.
    EXPECT_EQ(Store->AddFromEmbeddedRecord(clip.Reader(), QStringLiteral("Elem")), r);
    EXPECT_EQ(Store->AddFromEmbeddedRecord(clip.Reader(), QStringLiteral("Elem")), r);
    EXPECT_EQ(At(r).RefCount, 3);

    // Into another document: a new item, then shared.
    TBildmanager other(Memory);
    const int o = other.AddFromEmbeddedRecord(clip.Reader(), QStringLiteral("Elem"));
    EXPECT_EQ(other.AddFromEmbeddedRecord(clip.Reader(), QStringLiteral("Elem")), o);
    EXPECT_EQ(other.Find(o)->RefCount, 2);
    EXPECT_EQ(other.Find(o)->File, At(r).File);
    EXPECT_FALSE(other.Find(o)->Thumbnail.isNull());

    // Equal metadata and length but other bytes: never the same picture.
    QByteArray tampered = At(r).File;
    tampered[tampered.size() / 2] = char(tampered[tampered.size() / 2] ^ 0x55);
    TMemoryContainer forged;
    TCustomDataFile& fw = forged.Writer();
    fw.WriteString(QStringLiteral("E"), QStringLiteral("FileName"), path);
    fw.WriteInteger(QStringLiteral("E"), QStringLiteral("FileSize"), At(r).FileSize);
    fw.WriteFloat(QStringLiteral("E"), QStringLiteral("FileDate"), At(r).FileDate);
    fw.WriteInteger(QStringLiteral("E"), QStringLiteral("PicWidth"), 60);
    fw.WriteInteger(QStringLiteral("E"), QStringLiteral("PicHeight"), 40);
    fw.WriteBuffer(QStringLiteral("E"), QStringLiteral("File"), tampered);
    EXPECT_NE(Store->AddFromEmbeddedRecord(forged.Reader(), QStringLiteral("E")), r);

    // Once the item is turned, a paste brings the old picture back.
    Store->RotateBild(r, 1);
    const int back = Store->AddFromEmbeddedRecord(clip.Reader(), QStringLiteral("Elem"));
    EXPECT_NE(back, r);
    EXPECT_EQ(At(back).FileName, path);
    EXPECT_EQ(At(back).RefCount, 1);
}

TEST_F(BildManagerTest, UndoRecordsFindOrAddWithoutCounting)
{
    const int r = Store->AddFile(JpegFile(QStringLiteral("p.jpg"), 60, 40));
    TMemoryContainer undo;
    Store->WriteUndoRecord(undo.Writer(), QStringLiteral("Undo/1"), r);
    EXPECT_EQ(Entries(undo.Bytes()).size(), 9);
    EXPECT_EQ(Entries(undo.Bytes()).at(3), QStringLiteral("Undo/1|RefCount"));

    EXPECT_EQ(Store->AddFromUndoRecord(undo.Reader(), QStringLiteral("Undo/1")), r);
    EXPECT_EQ(At(r).RefCount, 1);

    Store->AddBitmap(Filled(2, 2, Qt::red));
    Store->DecRefCount(r);
    ASSERT_EQ(Store->Find(r), nullptr);
    const int restored = Store->AddFromUndoRecord(undo.Reader(), QStringLiteral("Undo/1"));
    EXPECT_EQ(restored, 2) << "a new index, not the one in the record";
    EXPECT_EQ(At(restored).RefCount, 0);
    EXPECT_EQ(QSize(At(restored).PicWidth, At(restored).PicHeight), QSize(60, 40));
    Store->IncRefCount(restored);
    EXPECT_EQ(At(restored).RefCount, 1);
}

TEST_F(BildManagerTest, TurnedPhotographsAreStoredUprightButStoredBytesNeverTurn)
{
    const QByteArray turned = WithExifOrientation(Encoded(Quadrants(80, 40), "jpeg", 95), 6);
    const QString path = FileWith(QStringLiteral("portrait.jpg"), turned);

    const int r = Store->AddFile(path);
    const TBildManagerListItem& item = At(r);
    EXPECT_EQ(QSize(item.PicWidth, item.PicHeight), QSize(40, 80));
    EXPECT_EQ(item.FileName, path);
    EXPECT_EQ(item.FileSize, turned.size());
    EXPECT_TRUE(IsJpeg(item.File));
    EXPECT_FALSE(ReadPictureHeader(item.File).Oriented);
    EXPECT_EQ(ReadPictureHeader(item.File).Size, QSize(40, 80));
    EXPECT_TRUE(Near(CornerColor(Store->GetBitmap(r), TopLeft), Blue()));
    EXPECT_EQ(Store->AddFile(path), r) << "still shared by path";

    // A file without a turn keeps its bytes as they are.
    const QByteArray plain = Encoded(Quadrants(80, 40), "jpeg", 95);
    EXPECT_EQ(At(Store->AddFile(FileWith(QStringLiteral("plain.jpg"), plain))).File, plain);

    // The same tagged bytes inside a project show as they always did.
    TMemoryContainer project;
    TCustomDataFile& w = project.Writer();
    w.WriteInteger(QStringLiteral("BildManager"), QStringLiteral("Anzahl"), 1);
    w.WriteInteger(QStringLiteral("BildManager/Bild0"), QStringLiteral("RefCount"), 1);
    w.WriteBuffer(QStringLiteral("BildManager/Bild0"), QStringLiteral("File"), turned);
    TBildmanager old(Memory);
    old.LoadFromDataFile(project.Reader(), QStringLiteral("BildManager"));
    ASSERT_EQ(old.Count(), 1);
    EXPECT_EQ(old.Item(0).File, turned);
    EXPECT_EQ(QSize(old.Item(0).PicWidth, old.Item(0).PicHeight), QSize(80, 40));
    EXPECT_TRUE(Near(CornerColor(old.GetBitmap(0), TopLeft), Red()));
}

TEST_F(BildManagerTest, CorruptPictureStaysStoredButDrawsNothing)
{
    const QByteArray garbage = QByteArray("\xFF\xD8\xFF\xE0") + " this was a photograph once";
    const QString path = FileWith(QStringLiteral("broken.jpg"), garbage);
    const int r = Store->AddFile(path);
    EXPECT_EQ(At(r).FileName, path);
    EXPECT_EQ(At(r).File, garbage);
    EXPECT_EQ(QSize(At(r).PicWidth, At(r).PicHeight), QSize(0, 0));
    EXPECT_TRUE(Store->GetBitmap(r).isNull());
    EXPECT_TRUE(Store->GetThumbnail(r).isNull());
    Store->RotateBild(r, 0);
    EXPECT_EQ(At(r).File, garbage);
    EXPECT_EQ(At(r).FileName, path);
    Store->AddFile(path);
    EXPECT_GE(Store->MakeUnique(r), 0);

    // From a project: the bytes survive untouched for a later, better
    // decoder.
    TMemoryContainer project;
    Store->SaveToDataFile(project.Writer(), QStringLiteral("B"));
    TBildmanager loaded(Memory);
    loaded.LoadFromDataFile(project.Reader(), QStringLiteral("B"));
    for (int i = 0; i < loaded.Count(); ++i)
        EXPECT_EQ(loaded.Item(i).File, garbage);
}

TEST_F(BildManagerTest, FilesOf2GiBAreRefused)
{
    const QString path = Dir.filePath(QStringLiteral("huge.jpg"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(qint64(1) << 31)); // sparse: no disk space used
    f.close();
    try {
        Store->AddFile(path);
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_THAT(e.message().toStdString(), HasSubstr(path.toStdString()));
    }
    EXPECT_EQ(Store->Count(), 0);
}

TEST_F(BildManagerTest, ClearFreesEverythingWhateverTheCounts)
{
    const int r = Store->AddBitmap(Filled(4, 4, Qt::blue));
    for (int i = 0; i < 4; ++i)
        Store->IncRefCount(r);
    Store->AddBitmap(Filled(4, 4, Qt::red));
    Store->Clear();
    EXPECT_EQ(Store->Count(), 0);
    EXPECT_EQ(Store->AddBitmap(Filled(4, 4, Qt::red)), 0);
}
