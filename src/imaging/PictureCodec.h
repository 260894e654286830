#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <cstdint>

// Decoding and encoding of stored pictures on Qt's image readers and
// writers (JPEG, PNG, BMP, GIF, and TIFF and WebP through the image-format
// plugins).
//
// Every decoded picture is normalised the same way so that later steps can
// rely on it: sRGB (an embedded colour profile is applied, and the picture
// then carries no colour space tag), Format_ARGB32 with straight alpha when
// the picture has an alpha channel, Format_RGB32 otherwise. The format is
// what decides PNG against JPEG when a picture is encoded again.

// Qt's readers refuse any single allocation above this (QImageReader's
// process-wide limit, set at the first decode): room for a 60-megapixel
// photograph even at 16 bits per channel, but not for a forged header that
// claims gigapixels.
constexpr int PictureAllocationLimitMiB = 512;

enum class TPictureStatus {
    Ok = 0,
    // The picture is within the allocation limit but its memory could not
    // be had; worth trying again after memory was freed.
    OutOfMemory = 3,
    // Damaged, unknown or too large: trying again will not help.
    Failed = 1,
};

struct TPictureHeader {
    // As stored, before any orientation is applied; invalid when the reader
    // cannot tell without decoding.
    QSize Size;
    // Qt's format name ("jpeg", "png", ...), decided from the content.
    QByteArray Format;
    // The picture carries an orientation (EXIF) other than upright.
    bool Oriented = false;
};

struct TDecodeOptions {
    // Apply the picture's own orientation tag. Off for bytes that already
    // belong to a project: they have always been shown as stored.
    bool ApplyOrientation = false;
    // Decode to exactly this size, given in the stored orientation. JPEG
    // decodes at a reduced scale first, so no full-size bitmap is made; other
    // formats are decoded whole and scaled. Empty: the full size.
    QSize ScaledSize;
};

struct TDecodedPicture {
    TPictureStatus Status = TPictureStatus::Failed;
    QImage Image;
    // The orientation tag was applied and changed the picture.
    bool Turned = false;
};

// 64-bit pixel count; 0 for an empty or invalid size.
std::int64_t PixelCount(QSize size);

TPictureHeader ReadPictureHeader(const QByteArray& bytes);
TDecodedPicture DecodePicture(const QByteArray& bytes, const TDecodeOptions& options = {});

// sRGB, ARGB32 (straight) or RGB32, no colour space tag. Null on failure.
QImage NormalizePicture(QImage image);
// High-quality resampling to exactly size, normalised. Null for an empty
// size or when memory runs out.
QImage ScalePicture(const QImage& image, QSize size);

// PNG when the picture has alpha (Format_ARGB32 after normalising), else
// JPEG at quality 90. Empty on failure.
QByteArray EncodePicture(const QImage& image);
QByteArray EncodePng(const QImage& image);
QByteArray EncodeJpeg(const QImage& image, int quality = 90);
// Whether EncodePicture chooses PNG.
bool EncodesAsPng(const QImage& image);
