#include "imaging/PictureCodec.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageIOHandler>
#include <QImageReader>
#include <QImageWriter>

#include <mutex>
#include <new>

namespace {

void EnsureAllocationLimit()
{
    static std::once_flag once;
    std::call_once(once, [] { QImageReader::setAllocationLimit(PictureAllocationLimitMiB); });
}

// Qt reports a failed allocation like damaged data. A picture within the
// limit whose bitmap cannot be allocated now was refused for lack of memory;
// anything else is the picture's fault.
TPictureStatus FailureStatus(QSize needed)
{
    const std::int64_t bytes = PixelCount(needed) * 4;
    if (bytes <= 0 || bytes > std::int64_t(PictureAllocationLimitMiB) * 1024 * 1024)
        return TPictureStatus::Failed;
    const QImage probe(needed, QImage::Format_ARGB32);
    return probe.isNull() ? TPictureStatus::OutOfMemory : TPictureStatus::Failed;
}

bool IsDownscale(QSize from, QSize to)
{
    return to.width() <= from.width() && to.height() <= from.height() && to != from;
}

QByteArray Encode(const QImage& image, const char* format, int quality)
{
    if (image.isNull())
        return QByteArray();
    QByteArray out;
    QBuffer buffer(&out);
    if (!buffer.open(QIODevice::WriteOnly))
        return QByteArray();
    QImageWriter writer(&buffer, format);
    if (quality >= 0)
        writer.setQuality(quality);
    try {
        if (!writer.write(image))
            return QByteArray();
    } catch (const std::bad_alloc&) {
        return QByteArray();
    }
    buffer.close();
    return out;
}

} // namespace

std::int64_t PixelCount(QSize size)
{
    if (size.width() <= 0 || size.height() <= 0)
        return 0;
    return std::int64_t(size.width()) * size.height();
}

TPictureHeader ReadPictureHeader(const QByteArray& bytes)
{
    TPictureHeader header;
    if (bytes.isEmpty())
        return header;
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return header;
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    header.Size = reader.size();
    header.Format = reader.format();
    header.Oriented = reader.transformation() != QImageIOHandler::TransformationNone;
    return header;
}

TDecodedPicture DecodePicture(const QByteArray& bytes, const TDecodeOptions& options)
{
    EnsureAllocationLimit();
    TDecodedPicture result;
    if (bytes.isEmpty())
        return result;

    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return result;
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(options.ApplyOrientation);

    const QSize stored = reader.size();
    const QSize wanted = options.ScaledSize.isEmpty() ? QSize() : options.ScaledSize;
    // Only JPEG scales while decoding (in steps of 1/2, 1/4, 1/8, then
    // smoothly to the exact size); for the rest the reader would decode
    // whole and scale anyway, which ScalePicture does better for alpha.
    if (wanted.isValid() && stored.isValid() && reader.format() == "jpeg" && IsDownscale(stored, wanted))
        reader.setScaledSize(wanted);

    QImage image;
    bool ok = false;
    try {
        ok = reader.read(&image);
    } catch (const std::bad_alloc&) {
        result.Status = TPictureStatus::OutOfMemory;
        return result;
    }
    if (!ok || image.isNull()) {
        result.Status = FailureStatus(reader.scaledSize().isValid() ? reader.scaledSize() : stored);
        return result;
    }

    const QImageIOHandler::Transformations turn =
        options.ApplyOrientation ? reader.transformation() : QImageIOHandler::TransformationNone;
    result.Turned = turn != QImageIOHandler::TransformationNone;

    image = NormalizePicture(std::move(image));
    if (image.isNull()) {
        result.Status = TPictureStatus::OutOfMemory;
        return result;
    }
    if (wanted.isValid()) {
        const QSize expected = (turn & QImageIOHandler::TransformationRotate90) ? wanted.transposed() : wanted;
        if (image.size() != expected) {
            image = ScalePicture(image, expected);
            if (image.isNull()) {
                result.Status = TPictureStatus::OutOfMemory;
                return result;
            }
        }
    }
    result.Image = std::move(image);
    result.Status = TPictureStatus::Ok;
    return result;
}

QImage NormalizePicture(QImage image)
{
    if (image.isNull())
        return QImage();
    const QImage::Format target = image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    if (image.format() != target) {
        image = image.convertToFormat(target);
        if (image.isNull())
            return QImage();
    }
    const QColorSpace space = image.colorSpace();
    if (space.isValid()) {
        if (space != QColorSpace(QColorSpace::SRgb))
            image.convertToColorSpace(QColorSpace::SRgb);
        // Untagged means sRGB throughout the program; a tag would only end
        // up as an ICC profile in every picture encoded again.
        image.setColorSpace(QColorSpace());
    }
    return image;
}

QImage ScalePicture(const QImage& image, QSize size)
{
    if (image.isNull() || size.width() <= 0 || size.height() <= 0)
        return QImage();
    if (image.size() == size)
        return NormalizePicture(image);
    QImage scaled;
    try {
        scaled = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } catch (const std::bad_alloc&) {
        return QImage();
    }
    return NormalizePicture(std::move(scaled));
}

bool EncodesAsPng(const QImage& image)
{
    return image.hasAlphaChannel();
}

QByteArray EncodePicture(const QImage& image)
{
    return EncodesAsPng(image) ? EncodePng(image) : EncodeJpeg(image, 90);
}

QByteArray EncodePng(const QImage& image)
{
    return Encode(image, "png", -1);
}

QByteArray EncodeJpeg(const QImage& image, int quality)
{
    return Encode(image, "jpeg", quality);
}
