// The private drag formats: what each producer puts into the drag and what
// each consumer accepts, above all from payloads it did not produce.

#include "editor/DragFormats.h"

#include "model/ZadoveroPageTemplate.h"

#include <QMimeData>

#include <gtest/gtest.h>

#include <limits>

namespace {

QString Fmt(const char* format)
{
    return QString::fromLatin1(format);
}

// ---------------------------------------------------------------------------
// File lists

TEST(DragFileList, WrittenAsUtf8LinesWithCrLf)
{
    QMimeData mime;
    SetFileList(mime, {QStringLiteral("/home/anna/Bilder/a.jpg"),
                       QStringLiteral("/home/anna/Bilder/Grüße 😀.png"),
                       QString(), QStringLiteral("/two\nlines.jpg"), QStringLiteral("/cr\r.jpg")});
    EXPECT_EQ(mime.formats(), QStringList {QStringLiteral("VQFileList")});
    EXPECT_EQ(mime.data(Fmt(DragFormat::FileList)),
              QByteArray("/home/anna/Bilder/a.jpg\r\n/home/anna/Bilder/Gr\xc3\xbc\xc3\x9f"
                         "e \xf0\x9f\x98\x80.png\r\n"));
    EXPECT_EQ(FileListFromMime(mime),
              (QStringList {QStringLiteral("/home/anna/Bilder/a.jpg"),
                            QStringLiteral("/home/anna/Bilder/Grüße 😀.png")}));
}

TEST(DragFileList, NameThatLooksLikeAByteOrderMarkSurvives)
{
    const QStringList paths {QStringLiteral("\uFEFF/a.jpg"), QStringLiteral("\uFEFF/b.jpg")};
    EXPECT_EQ(DecodeFileList(EncodeFileList(paths)), paths);
    EXPECT_EQ(DecodeFileList(EncodeFileList({QStringLiteral("/a.jpg")})),
              QStringList {QStringLiteral("/a.jpg")});
}

TEST(DragFileList, Decoding)
{
    struct Case {
        const char* What;
        QByteArray Payload;
        std::optional<QStringList> Paths;
    };
    const QStringList ab {QStringLiteral("/a"), QStringLiteral("/b")};
    const Case cases[] = {
        {"CR LF", "/a\r\n/b\r\n", ab},
        {"LF, no final break", "/a\n/b", ab},
        {"blank lines", "\r\n\r\n/a\n\n \t \r\n/b\r\n\r\n", ab},
        {"empty", "", QStringList {}},
        {"only blank lines", "\r\n\n  \n", QStringList {}},
        {"byte order mark", "\xef\xbb\xbf/a\r\n/b", ab},
        {"blanks inside a name are kept", " /a b \r\n", QStringList {QStringLiteral(" /a b ")}},
        {"Windows-1252", "/Gr\xfc\xdf" "e.jpg", std::nullopt},
        {"overlong form", "/a\xc0\xaf", std::nullopt},
        {"lone surrogate", "/a\xed\xa0\x80", std::nullopt},
        {"cut sequence", "/a\r\n/b\xe2\x82", std::nullopt},
        {"NUL byte", QByteArray("/a\0/b", 5), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        EXPECT_EQ(DecodeFileList(c.Payload), c.Paths);
    }
}

TEST(DragFileList, HugeListsAreRefusedWhole)
{
    QByteArray atLimit;
    for (qsizetype i = 0; i < kMaxDragListEntries; ++i)
        atLimit += "/a\n\n";
    const std::optional<QStringList> full = DecodeFileList(atLimit);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->size(), kMaxDragListEntries);

    EXPECT_EQ(DecodeFileList(atLimit + "/b"), std::nullopt);
    EXPECT_EQ(DecodeFileList(QByteArray(kMaxDragListBytes + 1, 'a')), std::nullopt);
    // Blank lines are not entries, but they count as bytes.
    EXPECT_EQ(DecodeFileList(QByteArray(kMaxDragListBytes + 1, '\n')), std::nullopt);
}

TEST(DragFileList, ClipartPlacesOnlyTheFirstFile)
{
    QMimeData mime;
    EXPECT_EQ(ClipartFromMime(mime), std::nullopt);
    SetFileList(mime, {QStringLiteral("/pictures/a.jpg")});
    EXPECT_EQ(ClipartFromMime(mime), std::nullopt); // another format

    mime.setData(Fmt(DragFormat::Clipart), "\r\n/clipart/herz.png\r\n/clipart/stern.png\r\n");
    EXPECT_EQ(ClipartFromMime(mime), QStringLiteral("/clipart/herz.png"));
    EXPECT_EQ(ClipartListFromMime(mime)->size(), 2);
    EXPECT_EQ(FileListFromMime(mime), QStringList {QStringLiteral("/pictures/a.jpg")});

    mime.setData(Fmt(DragFormat::Clipart), "\r\n");
    EXPECT_EQ(ClipartFromMime(mime), std::nullopt);
    mime.setData(Fmt(DragFormat::Clipart), "/clipart/\xff.png");
    EXPECT_EQ(ClipartFromMime(mime), std::nullopt);

    SetClipartList(mime, {QStringLiteral("/clipart/mond.png")});
    EXPECT_EQ(mime.data(QStringLiteral("VQClipart")), QByteArray("/clipart/mond.png\r\n"));
    EXPECT_EQ(ClipartFromMime(mime), QStringLiteral("/clipart/mond.png"));
}

// ---------------------------------------------------------------------------
// Fill and page template records

TEST(DragFill, RoundTripAndMalformedRecords)
{
    QMimeData mime;
    EXPECT_EQ(FillFromMime(mime), std::nullopt);
    SetFill(mime, TFBColor(QStringLiteral("hellgrün"), 0x40C080));
    EXPECT_EQ(mime.formats(), QStringList {QStringLiteral("VQColor")});
    const QByteArray record = mime.data(Fmt(DragFormat::Color));
    EXPECT_EQ(record, EncodeFill(TFBColor(QStringLiteral("hellgrün"), 0x40C080)));
    const std::optional<TFBColor> back = FillFromMime(mime);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Name, QStringLiteral("hellgrün"));
    EXPECT_EQ(back->Color, 0x40C080);

    // Every cut of the record and anything behind it.
    for (qsizetype n = 0; n < record.size(); ++n)
        EXPECT_EQ(DecodeFill(record.left(n)), std::nullopt) << n;
    EXPECT_EQ(DecodeFill(record + '\0'), std::nullopt);
    EXPECT_EQ(DecodeFill(record + record), std::nullopt);
    EXPECT_EQ(DecodeFill(QByteArray::fromHex("ffffffff00000000")), std::nullopt);

    // A name longer than any drag needs.
    QByteArray huge(4, '\0');
    const std::int32_t length = std::int32_t(kMaxDragRecordBytes);
    for (int i = 0; i < 4; ++i)
        huge[i] = char((length >> (8 * i)) & 0xFF);
    huge += QByteArray(kMaxDragRecordBytes, 'x') + QByteArray(4, '\0');
    EXPECT_EQ(DecodeFill(huge), std::nullopt);
}

TEST(DragPageTemplate, RoundTripAndMalformedRecords)
{
    TFBPageTemplate t;
    t.PageWidth = 148.5f;
    t.PageHeight = 210;
    t.Name = QStringLiteral("Zwei quer");
    t.Doppelseite = true;
    t.LayoutStil = 3;
    t.AddFrame(40, 50, 60, 40, 0);
    t.AddFrame(100, 150, 30, 80, -12.5f);
    t.AddLeftFrame(70, 100, 120, 180, 0);

    QMimeData mime;
    EXPECT_EQ(PageTemplateFromMime(mime), nullptr);
    SetPageTemplate(mime, t);
    EXPECT_EQ(mime.formats(), QStringList {QStringLiteral("VQPageTemplate")});
    const QByteArray record = mime.data(Fmt(DragFormat::PageTemplate));
    const std::unique_ptr<TFBPageTemplate> back = PageTemplateFromMime(mime);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Name, t.Name);
    EXPECT_EQ(back->PageWidth, t.PageWidth);
    EXPECT_TRUE(back->Doppelseite);
    EXPECT_EQ(back->LayoutStil, 3);
    ASSERT_EQ(back->Frames.Count(), 2);
    EXPECT_EQ(back->Frames.Items(1)->Angle, -12.5f);
    ASSERT_EQ(back->LeftFrames.Count(), 1);
    EXPECT_EQ(EncodePageTemplate(*back), record);

    for (qsizetype n = 0; n < record.size(); ++n)
        EXPECT_EQ(DecodePageTemplate(record.left(n)), nullptr) << n;
    EXPECT_EQ(DecodePageTemplate(record + 'x'), nullptr);
    EXPECT_EQ(DecodePageTemplate(QByteArray(kMaxDragRecordBytes + 1, '\0')), nullptr);

    // Values the template refuses: a page without size.
    TFBPageTemplate flat;
    flat.PageWidth = 148.5f;
    flat.PageHeight = 0;
    EXPECT_EQ(DecodePageTemplate(EncodePageTemplate(flat)), nullptr);
}

// ---------------------------------------------------------------------------
// Frames and views of this run

TEST(DragLocalIds, RoundTrip)
{
    const QByteArray token = ProcessDragToken();
    EXPECT_EQ(token.size(), 32);
    EXPECT_EQ(QByteArray::fromHex(token).toHex(), token);
    EXPECT_EQ(ProcessDragToken(), token);

    for (const std::int64_t id : {std::int64_t(0), std::int64_t(42),
                                  std::numeric_limits<std::int64_t>::max()}) {
        QMimeData mime;
        ASSERT_TRUE(SetPicFrameId(mime, id));
        EXPECT_EQ(mime.formats(), QStringList {QStringLiteral("VQPic")});
        EXPECT_EQ(mime.data(Fmt(DragFormat::Pic)), token + ' ' + QByteArray::number(qint64(id)));
        EXPECT_EQ(PicFrameIdFromMime(mime), id);
        EXPECT_EQ(ViewIndexFromMime(mime), std::nullopt);
    }
    for (const int index : {0, 7, std::numeric_limits<int>::max()}) {
        QMimeData mime;
        ASSERT_TRUE(SetViewIndex(mime, index));
        EXPECT_EQ(mime.formats(), QStringList {QStringLiteral("VQView")});
        EXPECT_EQ(ViewIndexFromMime(mime), index);
        EXPECT_EQ(PicFrameIdFromMime(mime), std::nullopt);
    }
}

TEST(DragLocalIds, NegativeNumbersAreNotOffered)
{
    QMimeData mime;
    EXPECT_FALSE(SetPicFrameId(mime, -1));
    EXPECT_FALSE(SetViewIndex(mime, -5));
    EXPECT_TRUE(mime.formats().isEmpty());
}

TEST(DragLocalIds, HostilePayloadsGiveNothing)
{
    const QByteArray token = ProcessDragToken();
    QByteArray foreign = token;
    foreign[0] = foreign[0] == '0' ? '1' : '0';
    const struct {
        const char* What;
        QByteArray Payload;
    } cases[] = {
        {"another instance", foreign + " 42"},
        {"bare number", "42"},
        {"empty", ""},
        {"token only", token},
        {"no number", token + ' '},
        {"negative", token + " -1"},
        {"plus sign", token + " +1"},
        {"leading zero", token + " 042"},
        {"trailing blank", token + " 1 "},
        {"two blanks", token + "  1"},
        {"tab", token + "\t1"},
        {"hex", token + " 0x10"},
        {"beyond 64 bits", token + " 9223372036854775808"},
        {"twenty digits", token + " 99999999999999999999"},
        {"upper-case token", token.toUpper() + " 1"},
        {"trailing NUL", token + " 1" + QByteArray(1, '\0')},
        {"token cut", token.left(31) + " 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        EXPECT_EQ(DecodeLocalId(c.Payload), std::nullopt);
        QMimeData mime;
        mime.setData(Fmt(DragFormat::Pic), c.Payload);
        mime.setData(Fmt(DragFormat::View), c.Payload);
        EXPECT_EQ(PicFrameIdFromMime(mime), std::nullopt);
        EXPECT_EQ(ViewIndexFromMime(mime), std::nullopt);
    }

    // A frame id too large for a view index.
    QMimeData mime;
    mime.setData(Fmt(DragFormat::View), EncodeLocalId(std::int64_t(1) << 31));
    EXPECT_EQ(ViewIndexFromMime(mime), std::nullopt);
}

} // namespace
