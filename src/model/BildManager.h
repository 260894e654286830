#pragma once

#include "imaging/PictureCodec.h"
#include "model/MemoryProbe.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class TCustomDataFile;

// One stored picture: the complete encoded file (the only copy of the
// picture, travelling inside the project), a preview that lives as long as
// the item, and the full decoded bitmap while the item is inside the
// store's decoded window.
class TBildManagerListItem {
public:
    qint32 RefCount = 0;
    // The key elements hold; -1 only while the item is being built.
    qint32 RefIndex = -1;
    // Source path; empty for generated or turned pictures, prefixed for
    // copies ("Clone ") and filtered pictures ("A ", "B ", "C "), so a fresh
    // AddFile of the path never receives changed pixels.
    QString FileName;
    // Carried, stored and compared; nothing sets it.
    qint32 Age = 0;
    // Of the source file when added; -1 when it could not be examined,
    // 8192 for generated pictures.
    qint32 FileSize = 0;
    // Days since 30 December 1899 (local time), kept as the exact double
    // that was read or made, since pictures are matched by equality.
    double FileDate = 0;
    qint32 PicHeight = 0;
    qint32 PicWidth = 0;
    QByteArray File;
    QImage Bitmap;
    QImage Thumbnail;
    // The preview came from a temporary decoding at 128 pixels and is made
    // again once the full bitmap is decoded.
    bool ThumbnailVorlaeufig = false;

    bool HasPicture() const { return !File.isEmpty(); }
    // Same source metadata, same size and the same bytes: only then may one
    // item stand in for the other.
    bool IsSamePicture(const TBildManagerListItem& other) const;

private:
    friend class TBildmanager;
    // The bytes did not decode; not tried again until they change.
    bool DecodeFailed = false;
};

// The store of every picture the open document uses. Elements hold a
// RefIndex and take and release counted references; items are shared by
// source path while unchanged and copied before an element changes its
// pixels. All operations run on the GUI thread. RefIndex -1, and any index
// no item has, means no picture everywhere.
class TBildmanager {
public:
    // Pictures of more pixels are reduced once, when they enter the store,
    // to about ReduceTarget (2272 x 1704) pixels; the gap keeps a reduced
    // picture, decoded again, below the threshold.
    static constexpr qint64 ReduceThreshold = 3873488;
    static constexpr qint64 ReduceTarget = 3871488;
    static constexpr int ThumbnailLimit = 192;
    static constexpr int ProvisionalThumbnailLimit = 128;
    // One decoded picture per 25 MiB of memory, at least MinInitialWindow;
    // capped, since beyond a few dozen the decoded pictures are only held
    // memory (each is up to 15 MB).
    static constexpr int MiBPerDecodedPicture = 25;
    static constexpr int MinInitialWindow = 10;
    static constexpr int MaxInitialWindow = 40;
    static constexpr int MinWindow = 8;
    static constexpr std::uint64_t LowMemoryBytes = 10000000;
    static constexpr qint32 GeneratedFileSize = 8192;
    // Stored sizes are 32-bit fields.
    static constexpr qint64 MaxFileSize = 0x7FFFFFFF;

    using TDecoder = std::function<TDecodedPicture(const QByteArray&, const TDecodeOptions&)>;

    // Null probe: the operating system's.
    explicit TBildmanager(std::shared_ptr<IMemoryProbe> memory = nullptr);
    ~TBildmanager();
    TBildmanager(const TBildmanager&) = delete;
    TBildmanager& operator=(const TBildmanager&) = delete;

    // The decoder of every picture; tests replace it.
    TDecoder Decoder;

    // Shares an unchanged item of the same path or adds the file, stored
    // upright when its orientation tag says it is turned. The reference is
    // counted for the caller. A missing file gives an empty (but counted)
    // item; an unreadable file or one of 2 GiB or more raises.
    int AddFile(const QString& path);
    // A generated picture (normalised and encoded); counted for the caller.
    // A null picture adds nothing and gives -1.
    int AddBitmap(const QImage& bitmap);
    // Counted for the caller.
    int AddFromEmbeddedRecord(TCustomDataFile& file, const QString& path);
    // Not counted: a new item starts at RefCount 0 and the caller takes it
    // with IncRefCount.
    int AddFromUndoRecord(TCustomDataFile& file, const QString& path);

    void IncRefCount(int refIndex);
    // Removes the item when the count goes from 1 to 0.
    void DecRefCount(int refIndex);

    // Moves the item to the front, decodes it if needed and trims the
    // decoded window. The picture is the caller's to keep (implicitly
    // shared); null for an unknown index or an item without a picture.
    QImage GetBitmap(int refIndex);
    // The preview (at most 192 x 192), made again when missing or when it
    // is provisional and the full bitmap is now decoded. Keeps the order.
    QImage GetThumbnail(int refIndex);

    // Copy on write: the index itself when nobody else holds the item (a
    // count of 1 or less), else a counted copy ("Clone " + FileName); -1 for
    // an unknown index.
    int MakeUnique(int refIndex);
    // 0 a quarter turn clockwise, 1 a half turn, 2 a quarter turn counter-
    // clockwise. Transparent parts end up white; the result is stored as
    // JPEG and FileName is cleared. Nothing happens to an item without
    // pixels; an encoding failure raises and leaves the item unchanged.
    void RotateBild(int refIndex, int direction);
    // The filters' way back: bitmap becomes the item's picture and is
    // encoded again, FileName gets the prefix. False for an unknown index or
    // a null bitmap; an encoding failure raises and changes nothing.
    bool ReplaceBitmap(int refIndex, const QImage& bitmap, const QString& fileNamePrefix);

    void WriteEmbeddedRecord(TCustomDataFile& file, const QString& path, int refIndex);
    void WriteUndoRecord(TCustomDataFile& file, const QString& path, int refIndex);
    // Appends every item of a project section ("Anzahl" and path/Bild<i>).
    void LoadFromDataFile(TCustomDataFile& file, const QString& path);
    void SaveToDataFile(TCustomDataFile& file, const QString& path);
    // Frees every item whatever its count (document reset).
    void Clear();

    // Drops the bitmaps beyond the window and shrinks it while memory is
    // short; the window never ends below MinWindow.
    void CheckMemory();
    // After an out-of-memory decode.
    void ReduceMaxImSpeicher();
    int MaxImSpeicher() const { return FMaxImSpeicher; }

    int Count() const { return int(Items.size()); }
    // By list position (0 = used most recently).
    const TBildManagerListItem& Item(int position) const { return *Items.at(std::size_t(position)); }
    // Null for -1, any negative index and any index no item has.
    const TBildManagerListItem* Find(int refIndex) const;

    // The size a picture is reduced to: each side divided by
    // sqrt(pixels / ReduceTarget), rounded, at least 1, and the product
    // never above ReduceThreshold. Sizes at or below the threshold stay.
    static QSize ReducedSize(QSize size);
    // The preview size within limit x limit (small pictures are enlarged),
    // each side at least 1; empty for an empty picture.
    static QSize ThumbnailSize(QSize size, int limit);

private:
    using TItemPtr = std::unique_ptr<TBildManagerListItem>;

    int IndexOf(int refIndex) const;
    TBildManagerListItem* FindItem(int refIndex);
    int NextRefIndex() const;
    void RemoveBitmapsFrom(int position);

    // Decodes the bytes into Bitmap, retrying after freeing memory,
    // reducing an oversized picture and, for upright, applying the
    // orientation tag; a changed picture is encoded again.
    void LoadGPBitmap(TBildManagerListItem& item, bool upright);
    // A final preview straight from the bytes, for an item whose bitmap
    // would be dropped at once; false when the full decoding is needed.
    bool LoadPreviewOnly(TBildManagerListItem& item);
    void MakeThumbnail(TBildManagerListItem& item);
    // Encodes bitmap as the item's picture; on success Bitmap, File, the
    // size and the preview change together, on failure nothing does.
    bool SaveGPBitmapToStream(TBildManagerListItem& item, const QImage& bitmap);

    void ReadRecord(TCustomDataFile& file, const QString& path, TBildManagerListItem& item, bool full);
    void WriteRecord(TCustomDataFile& file, const QString& path, const TBildManagerListItem& item,
                     bool full);
    int AddFromRecord(TCustomDataFile& file, const QString& path, bool undo);

    std::shared_ptr<IMemoryProbe> Memory;
    int FMaxImSpeicher = MinInitialWindow;
    std::vector<TItemPtr> Items;
};

// The program's picture store (owned by the services object).
TBildmanager& GetBildManager();
