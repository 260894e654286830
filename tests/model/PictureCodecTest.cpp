#include "imaging/PictureCodec.h"

#include "model/PictureTestUtil.h"

#include <QColorSpace>
#include <QImageReader>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace picturetest;

namespace {

// Lowers Qt's process-wide allocation limit for one test.
class TAllocationLimit {
public:
    explicit TAllocationLimit(int mib)
    {
        DecodePicture(QByteArray("x")); // the codec sets its limit once, first
        QImageReader::setAllocationLimit(mib);
    }
    ~TAllocationLimit() { QImageReader::setAllocationLimit(PictureAllocationLimitMiB); }
};

quint32 Crc32(const QByteArray& data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (char c : data) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray Chunk(const QByteArray& type, const QByteArray& data)
{
    char be[4];
    qToBigEndian(quint32(data.size()), be);
    QByteArray chunk(be, 4);
    chunk += type + data;
    qToBigEndian(Crc32(type + data), be);
    return chunk + QByteArray(be, 4);
}

// A PNG whose header claims width x height, with a token of image data so
// that the reader gets as far as allocating the picture.
QByteArray ForgedPng(quint32 width, quint32 height)
{
    char header[13] = {};
    qToBigEndian(width, header);
    qToBigEndian(height, header + 4);
    header[8] = 8; // bits per channel
    header[9] = 6; // RGBA
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + Chunk("IHDR", QByteArray(header, 13))
           + Chunk("IDAT", QByteArray(16, '\0')) + Chunk("IEND", QByteArray());
}

struct TLayoutCase {
    const char* Name;
    QImage Source;
    const char* Codec;
    QImage::Format Expected;
    QColor Probe; // the colour at (1, 1) after decoding
    int Tolerance;
};

} // namespace

TEST(PictureCodecTest, DecodedPicturesAreNormalisedToArgbOrRgb32)
{
    QImage halfClear(4, 4, QImage::Format_ARGB32);
    // Values that premultiplied storage could not bring back exactly.
    halfClear.fill(QColor(201, 99, 51, 77));

    QImage indexedClear(4, 4, QImage::Format_Indexed8);
    indexedClear.setColorTable({qRgba(0, 0, 0, 0), qRgba(10, 200, 30, 255)});
    indexedClear.fill(0);
    QImage indexedOpaque = indexedClear.copy();
    indexedOpaque.setColorTable({qRgb(0, 0, 0), qRgb(10, 200, 30)});
    indexedOpaque.fill(1);

    const QImage gray = Quadrants(64, 64, QImage::Format_Grayscale8);
    const QColor grayRed = gray.pixelColor(1, 1);

    QImage deep(4, 4, QImage::Format_RGBA64);
    deep.fill(QColor(40, 80, 120, 255));

    const TLayoutCase cases[] = {
        {"png rgb888", Quadrants(8, 8, QImage::Format_RGB888), "png", QImage::Format_RGB32, Red(), 0},
        {"png gray", gray, "png", QImage::Format_RGB32, grayRed, 0},
        {"png straight alpha", halfClear, "png", QImage::Format_ARGB32, QColor(201, 99, 51, 77), 0},
        {"png palette with clear entry", indexedClear, "png", QImage::Format_ARGB32, QColor(0, 0, 0, 0), 0},
        {"png opaque palette", indexedOpaque, "png", QImage::Format_RGB32, QColor(10, 200, 30), 0},
        {"png 16 bit", deep, "png", QImage::Format_ARGB32, QColor(40, 80, 120), 0},
        {"bmp", Quadrants(8, 8), "bmp", QImage::Format_RGB32, Red(), 0},
        {"jpeg", Quadrants(64, 64), "jpeg", QImage::Format_RGB32, Red(), 12},
        {"jpeg gray", gray, "jpeg", QImage::Format_RGB32, grayRed, 12},
        {"tiff with alpha", halfClear, "tiff", QImage::Format_ARGB32, QColor(201, 99, 51, 77), 1},
        {"webp", Quadrants(64, 64), "webp", QImage::Format_RGB32, Red(), 12},
    };
    for (const TLayoutCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const QByteArray bytes = Encoded(c.Source, c.Codec, 100);
        ASSERT_FALSE(bytes.isEmpty());
        const TDecodedPicture d = DecodePicture(bytes);
        ASSERT_EQ(d.Status, TPictureStatus::Ok);
        EXPECT_EQ(d.Image.format(), c.Expected);
        EXPECT_EQ(d.Image.size(), c.Source.size());
        EXPECT_FALSE(d.Image.colorSpace().isValid());
        EXPECT_TRUE(Near(d.Image.pixelColor(1, 1), c.Probe, c.Tolerance))
            << qPrintable(d.Image.pixelColor(1, 1).name(QColor::HexArgb));
    }

    // Premultiplied pictures from painting code come back straight.
    const QImage pre = halfClear.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage normal = NormalizePicture(pre);
    EXPECT_EQ(normal.format(), QImage::Format_ARGB32);
    EXPECT_TRUE(Near(normal.pixelColor(0, 0), QColor(201, 99, 51, 77), 2));
}

TEST(PictureCodecTest, EmbeddedColourProfileIsConvertedToSRgb)
{
    QImage wide(8, 8, QImage::Format_RGB32);
    wide.fill(QColor(200, 100, 50));
    wide.setColorSpace(QColorSpace(QColorSpace::DisplayP3));
    const QColor expected = wide.convertedToColorSpace(QColorSpace::SRgb).pixelColor(0, 0);
    ASSERT_FALSE(Near(expected, QColor(200, 100, 50), 5)) << "the profile must make a visible difference";

    for (const char* codec : {"png", "jpeg"}) {
        SCOPED_TRACE(codec);
        const TDecodedPicture d = DecodePicture(Encoded(wide, codec, 100));
        ASSERT_EQ(d.Status, TPictureStatus::Ok);
        EXPECT_TRUE(Near(d.Image.pixelColor(4, 4), expected, 3)) << qPrintable(d.Image.pixelColor(4, 4).name());
        EXPECT_FALSE(d.Image.colorSpace().isValid());
        // Encoding again carries no profile along.
        const TDecodedPicture again = DecodePicture(EncodePicture(d.Image));
        EXPECT_TRUE(Near(again.Image.pixelColor(4, 4), expected, 4));
    }
}

TEST(PictureCodecTest, ScaledDecodeHitsTheSizeWithoutAFullSizeBitmap)
{
    const QImage big = Quadrants(2400, 1600);
    const QByteArray jpeg = Encoded(big, "jpeg", 90);
    const QByteArray png = Encoded(big, "png");

    struct {
        const QByteArray* Bytes;
        QSize Wanted;
    } const cases[] = {
        {&jpeg, QSize(600, 400)},   // an exact 1/4 step
        {&jpeg, QSize(1000, 667)},  // 1/2 step, then smooth
        {&jpeg, QSize(2272, 1515)}, // no step at all
        {&png, QSize(1000, 667)},
        {&jpeg, QSize(3000, 2000)}, // enlarging is done after decoding
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Wanted.width());
        TDecodeOptions o;
        o.ScaledSize = c.Wanted;
        const TDecodedPicture d = DecodePicture(*c.Bytes, o);
        ASSERT_EQ(d.Status, TPictureStatus::Ok);
        EXPECT_EQ(d.Image.size(), c.Wanted);
        EXPECT_EQ(d.Image.format(), QImage::Format_RGB32);
        EXPECT_TRUE(Near(CornerColor(d.Image, TopLeft), Red()));
        EXPECT_TRUE(Near(CornerColor(d.Image, BottomRight), Yellow()));
    }

    // With 8 MiB allowed the 15 MB full-size bitmap is refused (as too
    // large, not as a memory shortage that a retry could cure), while the
    // quarter-scale decode never asks for it.
    TAllocationLimit limit(8);
    EXPECT_EQ(DecodePicture(jpeg).Status, TPictureStatus::Failed);
    TDecodeOptions o;
    o.ScaledSize = QSize(600, 400);
    const TDecodedPicture small = DecodePicture(jpeg, o);
    EXPECT_EQ(small.Status, TPictureStatus::Ok);
    EXPECT_EQ(small.Image.size(), QSize(600, 400));
}

TEST(PictureCodecTest, OrientationTagIsAppliedOnlyWhenAsked)
{
    const QByteArray plain = Encoded(Quadrants(80, 40), "jpeg", 95);
    struct {
        int Orientation;
        QSize Size;
        QColor TopLeft;
        QColor BottomRight;
    } const cases[] = {
        {1, QSize(80, 40), Red(), Yellow()},   {2, QSize(80, 40), Green(), Blue()},
        {3, QSize(80, 40), Yellow(), Red()},   {6, QSize(40, 80), Blue(), Green()},
        {8, QSize(40, 80), Green(), Blue()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Orientation);
        const QByteArray bytes = WithExifOrientation(plain, c.Orientation);
        EXPECT_EQ(ReadPictureHeader(bytes).Oriented, c.Orientation != 1);
        EXPECT_EQ(ReadPictureHeader(bytes).Size, QSize(80, 40));

        TDecodeOptions upright;
        upright.ApplyOrientation = true;
        const TDecodedPicture turned = DecodePicture(bytes, upright);
        ASSERT_EQ(turned.Status, TPictureStatus::Ok);
        EXPECT_EQ(turned.Turned, c.Orientation != 1);
        EXPECT_EQ(turned.Image.size(), c.Size);
        EXPECT_TRUE(Near(CornerColor(turned.Image, TopLeft), c.TopLeft));
        EXPECT_TRUE(Near(CornerColor(turned.Image, BottomRight), c.BottomRight));

        const TDecodedPicture asStored = DecodePicture(bytes);
        EXPECT_FALSE(asStored.Turned);
        EXPECT_EQ(asStored.Image.size(), QSize(80, 40));
        EXPECT_TRUE(Near(CornerColor(asStored.Image, TopLeft), Red()));

        // The scaled size is given as stored; the result is turned after.
        upright.ScaledSize = QSize(40, 20);
        EXPECT_EQ(DecodePicture(bytes, upright).Image.size(), c.Size / 2);
    }
}

TEST(PictureCodecTest, DamagedOrForgedDataFailsWithoutRetryStatus)
{
    const QByteArray png = Encoded(Quadrants(64, 64), "png");
    const QByteArray jpeg = Encoded(Quadrants(64, 64), "jpeg");
    struct {
        const char* Name;
        QByteArray Bytes;
    } const cases[] = {
        {"empty", QByteArray()},
        {"text", QByteArray("this is not a picture at all")},
        {"png cut after the header", png.left(40)},
        {"jpeg cut after the markers", jpeg.left(200)},
        {"png claiming 100000 x 100000", ForgedPng(100000, 100000)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TDecodedPicture d = DecodePicture(c.Bytes);
        EXPECT_EQ(d.Status, TPictureStatus::Failed);
        EXPECT_TRUE(d.Image.isNull());
    }
}

TEST(PictureCodecTest, EncodingPicksPngForAlphaAndJpegQuality90Otherwise)
{
    QImage clear(16, 16, QImage::Format_ARGB32);
    clear.fill(QColor(10, 20, 30, 40));
    const QImage opaque = Quadrants(32, 32);

    EXPECT_TRUE(IsPng(EncodePicture(clear)));
    EXPECT_TRUE(IsPng(EncodePicture(clear.convertToFormat(QImage::Format_ARGB32_Premultiplied))));
    const QByteArray jpeg = EncodePicture(opaque);
    EXPECT_TRUE(IsJpeg(jpeg));
    EXPECT_EQ(jpeg, Encoded(opaque, "jpeg", 90));
    EXPECT_NE(jpeg, Encoded(opaque, "jpeg", 75));
    EXPECT_TRUE(EncodePicture(QImage()).isEmpty());

    // Straight alpha survives the PNG round trip exactly.
    const TDecodedPicture back = DecodePicture(EncodePicture(clear));
    EXPECT_EQ(back.Image.pixelColor(3, 3), QColor(10, 20, 30, 40));
}
