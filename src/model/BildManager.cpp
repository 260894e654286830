#include "model/BildManager.h"

#include "app/Arith.h"
#include "app/Errors.h"
#include "app/Format.h"
#include "app/InfoAusgabe.h"
#include "app/Services.h"
#include "app/WaitCursor.h"
#include "i18n/Localizer.h"
#include "render/Transformation.h"
#include "storage/DataFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The diagnostic trace; off unless enabled through QT_LOGGING_RULES.
Q_LOGGING_CATEGORY(lcBildManager, "lumarbo.bildmanager", QtWarningMsg)

void Log(const char* text, const QVariantList& args = {})
{
    if (lcBildManager().isDebugEnabled())
        qCDebug(lcBildManager).noquote() << Format(QString::fromUtf8(text), args);
}

// A message text in the current language (the German text is its key).
QString Tr(const char* german, const QVariantList& args)
{
    const QString key = QString::fromUtf8(german);
    if (TServices::Exists())
        return Localizer().TranslateFmt(QStringLiteral("Default"), key, args);
    return Format(key, args);
}

void Progress(const char* german, int number)
{
    if (TServices::Exists())
        InfoAusgabe().SetInfo(Tr(german, {number}));
}

double NowDays()
{
    return TCustomDataFile::DateTimeToDays(QDateTime::currentDateTime());
}

const QString kAnzahl = QStringLiteral("Anzahl");
const QString kFileName = QStringLiteral("FileName");
const QString kAge = QStringLiteral("Age");
const QString kFileSize = QStringLiteral("FileSize");
const QString kRefCount = QStringLiteral("RefCount");
const QString kFileDate = QStringLiteral("FileDate");
const QString kRefIndex = QStringLiteral("RefIndex");
const QString kPicWidth = QStringLiteral("PicWidth");
const QString kPicHeight = QStringLiteral("PicHeight");
const QString kFile = QStringLiteral("File");

QString RecordPath(const QString& path, int i)
{
    return path + QStringLiteral("/Bild") + QString::number(i);
}

} // namespace

bool TBildManagerListItem::IsSamePicture(const TBildManagerListItem& other) const
{
    return FileName == other.FileName && Age == other.Age && FileDate == other.FileDate
           && PicWidth == other.PicWidth && PicHeight == other.PicHeight && File.size() == other.File.size()
           && File == other.File;
}

TBildmanager::TBildmanager(std::shared_ptr<IMemoryProbe> memory)
    : Decoder([](const QByteArray& bytes, const TDecodeOptions& options) { return DecodePicture(bytes, options); })
    , Memory(memory ? std::move(memory) : std::make_shared<TSystemMemoryProbe>())
{
    const std::uint64_t mib = Memory->TotalPhysical() / (1024 * 1024);
    const std::uint64_t window = mib / MiBPerDecodedPicture;
    FMaxImSpeicher = int(std::clamp<std::uint64_t>(window, MinInitialWindow, MaxInitialWindow));
    Log("%d Bilder maximal gleichzeitig im Speicher", {FMaxImSpeicher});
}

TBildmanager::~TBildmanager() = default;

// ---------------------------------------------------------------------------
// Lookup and counting

int TBildmanager::IndexOf(int refIndex) const
{
    if (refIndex < 0)
        return -1;
    for (std::size_t i = 0; i < Items.size(); ++i)
        if (Items[i]->RefIndex == refIndex)
            return int(i);
    return -1;
}

const TBildManagerListItem* TBildmanager::Find(int refIndex) const
{
    const int i = IndexOf(refIndex);
    return i < 0 ? nullptr : Items[std::size_t(i)].get();
}

TBildManagerListItem* TBildmanager::FindItem(int refIndex)
{
    const int i = IndexOf(refIndex);
    return i < 0 ? nullptr : Items[std::size_t(i)].get();
}

int TBildmanager::NextRefIndex() const
{
    qint64 highest = -1;
    for (const TItemPtr& item : Items)
        highest = std::max<qint64>(highest, item->RefIndex);
    if (highest < std::numeric_limits<qint32>::max())
        return int(highest + 1);
    // A file put the largest index to use; take the lowest free one instead
    // of wrapping into the negative "no picture" range.
    for (int candidate = 0;; ++candidate)
        if (IndexOf(candidate) < 0)
            return candidate;
}

void TBildmanager::IncRefCount(int refIndex)
{
    if (TBildManagerListItem* item = FindItem(refIndex))
        if (item->RefCount < std::numeric_limits<qint32>::max())
            ++item->RefCount;
}

void TBildmanager::DecRefCount(int refIndex)
{
    const int i = IndexOf(refIndex);
    if (i < 0)
        return;
    TBildManagerListItem& item = *Items[std::size_t(i)];
    if (item.RefCount == 1)
        Items.erase(Items.begin() + i);
    else if (item.RefCount > std::numeric_limits<qint32>::min())
        --item.RefCount;
}

void TBildmanager::Clear()
{
    if (!Items.empty())
        Log("Verwaiste Elemente: %d", {Count()});
    Items.clear();
}

// ---------------------------------------------------------------------------
// Sizes

QSize TBildmanager::ReducedSize(QSize size)
{
    const qint64 pixels = PixelCount(size);
    if (pixels <= ReduceThreshold)
        return size;
    const double f = std::sqrt(double(pixels) / double(ReduceTarget));
    const double w = size.width() / f;
    const double h = size.height() / f;
    int rw = std::max(1, RoundHalfEven(w));
    int rh = std::max(1, RoundHalfEven(h));
    if (qint64(rw) * rh > ReduceThreshold) {
        rw = std::max(1, int(std::floor(w)));
        rh = std::max(1, int(std::floor(h)));
        // Only a side held up at one pixel can still be too long.
        if (qint64(rw) * rh > ReduceThreshold) {
            if (rw >= rh)
                rw = int(ReduceThreshold / rh);
            else
                rh = int(ReduceThreshold / rw);
        }
    }
    return QSize(rw, rh);
}

QSize TBildmanager::ThumbnailSize(QSize size, int limit)
{
    if (PixelCount(size) == 0 || limit <= 0)
        return QSize();
    const QSize fit = FitSize(size, QSize(limit, limit));
    return QSize(std::max(1, fit.width()), std::max(1, fit.height()));
}

// ---------------------------------------------------------------------------
// The decoded window

void TBildmanager::RemoveBitmapsFrom(int position)
{
    for (std::size_t i = std::size_t(std::max(0, position)); i < Items.size(); ++i) {
        TBildManagerListItem& item = *Items[i];
        if (!item.Bitmap.isNull()) {
            Log("RemoveGPBitmap %d", {item.RefIndex});
            item.Bitmap = QImage();
        }
    }
}

void TBildmanager::CheckMemory()
{
    RemoveBitmapsFrom(FMaxImSpeicher);
    while (FMaxImSpeicher > 2 && Memory->AvailablePhysical() < LowMemoryBytes) {
        --FMaxImSpeicher;
        RemoveBitmapsFrom(FMaxImSpeicher);
        Memory->Pause(10);
    }
    FMaxImSpeicher = std::max(MinWindow, FMaxImSpeicher);
}

void TBildmanager::ReduceMaxImSpeicher()
{
    if (FMaxImSpeicher <= 3)
        return;
    FMaxImSpeicher = FMaxImSpeicher * 9 / 10;
    CheckMemory();
    Memory->Pause(200);
}

// ---------------------------------------------------------------------------
// Decoding, previews, encoding

void TBildmanager::LoadGPBitmap(TBildManagerListItem& item, bool upright)
{
    if (item.File.isEmpty())
        return;
    item.Bitmap = QImage();
    item.DecodeFailed = false;

    const TPictureHeader header = ReadPictureHeader(item.File);
    TDecodeOptions options;
    options.ApplyOrientation = upright;
    // Known to be too large from the header: let the decoder reduce, so the
    // full-size bitmap is never allocated (JPEG).
    const bool reduceWhileDecoding = PixelCount(header.Size) > ReduceThreshold;
    if (reduceWhileDecoding) {
        Log("Resize in LoadGPBitmap");
        options.ScaledSize = ReducedSize(header.Size);
    }

    TDecodedPicture decoded;
    for (int retry = 0;; ++retry) {
        decoded = Decoder(item.File, options);
        if (decoded.Status == TPictureStatus::Ok && decoded.Image.isNull())
            decoded.Status = TPictureStatus::Failed;
        if (decoded.Status == TPictureStatus::Ok)
            break;
        Log("Status Fehler bei LoadGPBitmap: %d", {int(decoded.Status)});
        if (retry == 3)
            throw Exception(Tr("Bild %s konnte nicht geladen werden.", {item.FileName}));
        if (decoded.Status != TPictureStatus::OutOfMemory) {
            // Damaged or unsupported: the item stays, draws nothing, and
            // is not decoded again on every paint.
            item.DecodeFailed = true;
            item.PicWidth = 0;
            item.PicHeight = 0;
            return;
        }
        ReduceMaxImSpeicher();
    }

    QImage image = NormalizePicture(decoded.Image);
    if (image.isNull())
        image = decoded.Image;
    bool changed = decoded.Turned || reduceWhileDecoding;
    if (PixelCount(image.size()) > ReduceThreshold) {
        if (!reduceWhileDecoding)
            Log("Resize in LoadGPBitmap");
        const QImage reduced = ScalePicture(image, ReducedSize(image.size()));
        if (reduced.isNull()) {
            Log("Status Fehler LoadGPBitmap Resize: %d", {int(TPictureStatus::OutOfMemory)});
            changed = decoded.Turned;
        } else {
            image = reduced;
            changed = true;
        }
    }

    if (changed && SaveGPBitmapToStream(item, image))
        return;
    // Unchanged, or the new bytes could not be made: the bitmap is used as
    // it is and the stored bytes stay what they were.
    item.Bitmap = image;
    item.PicWidth = image.width();
    item.PicHeight = image.height();
}

bool TBildmanager::LoadPreviewOnly(TBildManagerListItem& item)
{
    if (item.File.isEmpty())
        return true;
    const TPictureHeader header = ReadPictureHeader(item.File);
    if (PixelCount(header.Size) == 0 || PixelCount(header.Size) > ReduceThreshold)
        return false;
    TDecodeOptions options;
    options.ScaledSize = ThumbnailSize(header.Size, ThumbnailLimit);
    const TDecodedPicture decoded = Decoder(item.File, options);
    if (decoded.Status != TPictureStatus::Ok || decoded.Image.size() != options.ScaledSize)
        return false;
    item.Bitmap = QImage();
    item.DecodeFailed = false;
    item.PicWidth = header.Size.width();
    item.PicHeight = header.Size.height();
    item.Thumbnail = NormalizePicture(decoded.Image);
    item.ThumbnailVorlaeufig = false;
    return !item.Thumbnail.isNull();
}

void TBildmanager::MakeThumbnail(TBildManagerListItem& item)
{
    item.Thumbnail = QImage();
    item.ThumbnailVorlaeufig = false;
    if (!item.Bitmap.isNull()) {
        const QSize size = ThumbnailSize(item.Bitmap.size(), ThumbnailLimit);
        if (!size.isEmpty())
            item.Thumbnail = ScalePicture(item.Bitmap, size);
        return;
    }
    if (item.File.isEmpty() || item.DecodeFailed)
        return;

    // A temporary decoding straight at preview size, marked provisional.
    const TPictureHeader header = ReadPictureHeader(item.File);
    TDecodeOptions options;
    if (PixelCount(header.Size) > 0)
        options.ScaledSize = ThumbnailSize(header.Size, ProvisionalThumbnailLimit);
    const TDecodedPicture decoded = Decoder(item.File, options);
    if (decoded.Status != TPictureStatus::Ok || decoded.Image.isNull())
        return;
    const QSize size = ThumbnailSize(decoded.Image.size(), ProvisionalThumbnailLimit);
    if (size.isEmpty())
        return;
    item.Thumbnail = ScalePicture(decoded.Image, size);
    item.ThumbnailVorlaeufig = !item.Thumbnail.isNull();
}

bool TBildmanager::SaveGPBitmapToStream(TBildManagerListItem& item, const QImage& bitmap)
{
    TWaitCursor wait;
    const QImage image = NormalizePicture(bitmap);
    if (image.isNull())
        return false;
    const bool png = EncodesAsPng(image);
    Log(png ? "SaveGPBitmapToStream %d -> PNG" : "SaveGPBitmapToStream %d -> JPG", {item.RefIndex});
    const QByteArray bytes = png ? EncodePng(image) : EncodeJpeg(image, 90);
    if (bytes.isEmpty() || bytes.size() > MaxFileSize)
        return false;
    Log("RemoveGPBitmap %d", {item.RefIndex});
    // The bitmap just encoded stands for the new bytes; decoding them again
    // would only cost time.
    item.File = bytes;
    item.Bitmap = image;
    item.DecodeFailed = false;
    item.PicWidth = image.width();
    item.PicHeight = image.height();
    MakeThumbnail(item);
    return true;
}

// ---------------------------------------------------------------------------
// Adding

int TBildmanager::AddFile(const QString& path)
{
    if (!path.isEmpty())
        for (const TItemPtr& item : Items)
            if (item->RefIndex >= 0 && !item->FileName.isEmpty() && item->FileName == path) {
                if (item->RefCount < std::numeric_limits<qint32>::max())
                    ++item->RefCount;
                return item->RefIndex;
            }

    auto created = std::make_unique<TBildManagerListItem>();
    const QFileInfo info(path);
    if (!path.isEmpty() && info.isFile()) {
        if (info.size() > MaxFileSize)
            throw Exception(Tr("Die Datei %s ist zu groß (2 GB oder mehr).", {path}));
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            throw Exception(Tr("Die Datei %s kann nicht gelesen werden.", {path}));
        QByteArray bytes = f.readAll();
        if (f.error() != QFileDevice::NoError)
            throw Exception(Tr("Die Datei %s kann nicht gelesen werden.", {path}));
        if (bytes.size() > MaxFileSize)
            throw Exception(Tr("Die Datei %s ist zu groß (2 GB oder mehr).", {path}));
        created->FileName = path;
        created->FileSize = qint32(info.size());
        const QDateTime modified = info.lastModified();
        created->FileDate = modified.isValid() ? TCustomDataFile::DateTimeToDays(modified) : -1;
        created->File = std::move(bytes);
    }

    TBildManagerListItem* item = created.get();
    Items.insert(Items.begin(), std::move(created));
    try {
        LoadGPBitmap(*item, true);
    } catch (...) {
        Items.erase(std::find_if(Items.begin(), Items.end(), [item](const TItemPtr& p) { return p.get() == item; }));
        throw;
    }
    item->RefIndex = NextRefIndex();
    item->RefCount = 1;
    CheckMemory();
    return item->RefIndex;
}

int TBildmanager::AddBitmap(const QImage& bitmap)
{
    if (bitmap.isNull())
        return -1;
    auto created = std::make_unique<TBildManagerListItem>();
    created->FileSize = GeneratedFileSize;
    created->FileDate = NowDays();
    if (!SaveGPBitmapToStream(*created, bitmap))
        throw Exception(Tr("Bild %s konnte nicht gespeichert werden.", {QString()}));
    created->RefCount = 1;
    Items.push_back(std::move(created));
    Items.back()->RefIndex = NextRefIndex();
    return Items.back()->RefIndex;
}

int TBildmanager::AddFromRecord(TCustomDataFile& file, const QString& path, bool undo)
{
    auto temp = std::make_unique<TBildManagerListItem>();
    ReadRecord(file, path, *temp, undo);
    temp->RefIndex = -1;

    // Metadata and bytes decide; the picture is only decoded when it is
    // really added.
    for (const TItemPtr& item : Items)
        if (item->RefIndex >= 0 && item->IsSamePicture(*temp)) {
            if (!undo && item->RefCount < std::numeric_limits<qint32>::max())
                ++item->RefCount;
            return item->RefIndex;
        }

    LoadGPBitmap(*temp, false);
    if (temp->Thumbnail.isNull() || temp->ThumbnailVorlaeufig)
        MakeThumbnail(*temp);
    temp->RefCount = undo ? 0 : 1;
    Items.push_back(std::move(temp));
    Items.back()->RefIndex = NextRefIndex();
    return Items.back()->RefIndex;
}

int TBildmanager::AddFromEmbeddedRecord(TCustomDataFile& file, const QString& path)
{
    return AddFromRecord(file, path, false);
}

int TBildmanager::AddFromUndoRecord(TCustomDataFile& file, const QString& path)
{
    return AddFromRecord(file, path, true);
}

// ---------------------------------------------------------------------------
// Using and changing

QImage TBildmanager::GetBitmap(int refIndex)
{
    const int i = IndexOf(refIndex);
    if (i < 0)
        return QImage();
    std::rotate(Items.begin(), Items.begin() + i, Items.begin() + i + 1);
    TBildManagerListItem& item = *Items.front();
    if (item.Bitmap.isNull() && item.HasPicture() && !item.DecodeFailed)
        LoadGPBitmap(item, false);
    CheckMemory();
    return item.Bitmap;
}

QImage TBildmanager::GetThumbnail(int refIndex)
{
    TBildManagerListItem* item = FindItem(refIndex);
    if (!item)
        return QImage();
    if (item->Thumbnail.isNull() || (item->ThumbnailVorlaeufig && !item->Bitmap.isNull()))
        MakeThumbnail(*item);
    return item->Thumbnail;
}

int TBildmanager::MakeUnique(int refIndex)
{
    TBildManagerListItem* item = FindItem(refIndex);
    if (!item)
        return -1;
    if (item->RefCount <= 1)
        return refIndex;

    auto copy = std::make_unique<TBildManagerListItem>();
    copy->FileName = QStringLiteral("Clone ") + item->FileName;
    copy->Age = item->Age;
    copy->FileSize = item->FileSize;
    copy->FileDate = item->FileDate;
    copy->PicWidth = item->PicWidth;
    copy->PicHeight = item->PicHeight;
    copy->File = item->File;
    copy->DecodeFailed = item->DecodeFailed;
    // The same pixels: share the decoded bitmap and final preview when
    // there are some instead of decoding again.
    copy->Bitmap = item->Bitmap;
    if (copy->Bitmap.isNull() && !copy->DecodeFailed)
        LoadGPBitmap(*copy, false);
    if (copy->Thumbnail.isNull()) {
        if (!item->Thumbnail.isNull() && !item->ThumbnailVorlaeufig && copy->File == item->File)
            copy->Thumbnail = item->Thumbnail;
        else
            MakeThumbnail(*copy);
    }

    --item->RefCount;
    copy->RefCount = 1;
    Items.push_back(std::move(copy));
    Items.back()->RefIndex = NextRefIndex();
    return Items.back()->RefIndex;
}

void TBildmanager::RotateBild(int refIndex, int direction)
{
    TBildManagerListItem* item = FindItem(refIndex);
    if (!item || !item->HasPicture() || direction < 0 || direction > 2)
        return;
    TWaitCursor wait;
    if (item->Bitmap.isNull() && !item->DecodeFailed)
        LoadGPBitmap(*item, false);
    if (item->Bitmap.isNull())
        return;

    static constexpr int kAngle[] = {90, 180, 270};
    const QImage turned = RotateImage90(item->Bitmap, kAngle[direction]);
    QImage target(turned.size(), QImage::Format_RGB32);
    if (turned.isNull() || target.isNull())
        throw Exception(Tr("Bild %s konnte nicht gespeichert werden.", {item->FileName}));
    target.fill(Qt::white);
    {
        QPainter painter(&target);
        painter.drawImage(0, 0, turned);
    }
    if (!SaveGPBitmapToStream(*item, target))
        throw Exception(Tr("Bild %s konnte nicht gespeichert werden.", {item->FileName}));
    item->FileName.clear();
}

bool TBildmanager::ReplaceBitmap(int refIndex, const QImage& bitmap, const QString& fileNamePrefix)
{
    TBildManagerListItem* item = FindItem(refIndex);
    if (!item || bitmap.isNull())
        return false;
    if (!SaveGPBitmapToStream(*item, bitmap))
        throw Exception(Tr("Bild %s konnte nicht gespeichert werden.", {item->FileName}));
    item->FileName = fileNamePrefix + item->FileName;
    return true;
}

// ---------------------------------------------------------------------------
// Records

void TBildmanager::ReadRecord(TCustomDataFile& file, const QString& path, TBildManagerListItem& item, bool full)
{
    item.FileName = file.ReadString(path, kFileName, QString());
    item.Age = file.ReadInteger(path, kAge, 0);
    item.FileSize = file.ReadInteger(path, kFileSize, 0);
    if (full)
        item.RefCount = file.ReadInteger(path, kRefCount, 0);
    else
        item.RefCount = 1;
    // The date-time value is an 8-byte double; read as such it keeps every
    // bit, which matters because records are matched by equality.
    item.FileDate = file.ReadFloat(path, kFileDate, NowDays());
    item.RefIndex = full ? file.ReadInteger(path, kRefIndex, 0) : -1;
    item.PicWidth = file.ReadInteger(path, kPicWidth, 0);
    item.PicHeight = file.ReadInteger(path, kPicHeight, 0);
    QByteArray bytes;
    if (file.ReadBuffer(path, kFile, bytes) > 0)
        item.File = std::move(bytes);
    else
        item.File.clear();
    item.Bitmap = QImage();
    item.Thumbnail = QImage();
    item.ThumbnailVorlaeufig = false;
    item.DecodeFailed = false;
}

void TBildmanager::WriteRecord(TCustomDataFile& file, const QString& path, const TBildManagerListItem& item,
                               bool full)
{
    file.WriteString(path, kFileName, item.FileName);
    file.WriteInteger(path, kAge, item.Age);
    file.WriteInteger(path, kFileSize, item.FileSize);
    if (full)
        file.WriteInteger(path, kRefCount, item.RefCount);
    file.WriteFloat(path, kFileDate, item.FileDate);
    if (full)
        file.WriteInteger(path, kRefIndex, item.RefIndex);
    file.WriteInteger(path, kPicWidth, item.PicWidth);
    file.WriteInteger(path, kPicHeight, item.PicHeight);
    if (!item.File.isEmpty())
        file.WriteBuffer(path, kFile, item.File);
}

void TBildmanager::WriteEmbeddedRecord(TCustomDataFile& file, const QString& path, int refIndex)
{
    if (const TBildManagerListItem* item = Find(refIndex))
        WriteRecord(file, path, *item, false);
}

void TBildmanager::WriteUndoRecord(TCustomDataFile& file, const QString& path, int refIndex)
{
    if (const TBildManagerListItem* item = Find(refIndex))
        WriteRecord(file, path, *item, true);
}

void TBildmanager::LoadFromDataFile(TCustomDataFile& file, const QString& path)
{
    const int n = file.ReadInteger(path, kAnzahl, 0);
    TDataFileEntry entry;
    for (int i = 0; i < n; ++i) {
        const QString recordPath = RecordPath(path, i);
        // Records are written without gaps: a missing one means a damaged
        // count, which must not make millions of empty items.
        if (!file.FindEntry(recordPath, TCustomDataFile::TestKey, entry))
            break;
        Progress("Bild %d wird geladen", i + 1);
        auto item = std::make_unique<TBildManagerListItem>();
        ReadRecord(file, recordPath, *item, true);
        // An item beyond the window would lose its bitmap at once; its
        // preview can come straight from the bytes.
        const bool outsideWindow = Count() >= FMaxImSpeicher;
        if (!(outsideWindow && LoadPreviewOnly(*item))) {
            LoadGPBitmap(*item, false);
            if (item->Thumbnail.isNull() || item->ThumbnailVorlaeufig)
                MakeThumbnail(*item);
        }
        Items.push_back(std::move(item));
        CheckMemory();
    }
}

void TBildmanager::SaveToDataFile(TCustomDataFile& file, const QString& path)
{
    file.WriteInteger(path, kAnzahl, Count());
    for (int i = 0; i < Count(); ++i) {
        Progress("Bild %d wird gespeichert", i + 1);
        WriteRecord(file, RecordPath(path, i), *Items[std::size_t(i)], true);
    }
}

TBildmanager& GetBildManager()
{
    return TServices::Instance().BildManager();
}
