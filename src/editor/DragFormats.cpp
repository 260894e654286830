#include "editor/DragFormats.h"

#include "model/ZadoveroPageTemplate.h"

#include <QBuffer>
#include <QMimeData>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <limits>

namespace {

QString Name(const char* format)
{
    return QString::fromLatin1(format);
}

// The bytes of a format, or nothing when the drag does not carry it.
std::optional<QByteArray> Payload(const QMimeData& mime, const char* format)
{
    const QString name = Name(format);
    if (!mime.hasFormat(name))
        return std::nullopt;
    return mime.data(name);
}

// Reads a whole record with the class's own reader; the reader must take
// every byte, or the payload is something else with a valid-looking start.
template <typename TLoad>
bool LoadWhole(const QByteArray& payload, TLoad load)
{
    if (payload.size() > kMaxDragRecordBytes)
        return false;
    QByteArray bytes = payload;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return false;
    return load(buffer) && buffer.atEnd();
}

// ASCII digits only, the canonical form (no sign, no leading zero), and
// within the signed 64-bit range.
std::optional<std::int64_t> ParseDecimal(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 19)
        return std::nullopt;
    if (text.size() > 1 && text[0] == '0')
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char ch : text) {
        if (ch < '0' || ch > '9')
            return std::nullopt;
        value = value * 10 + std::uint64_t(ch - '0');
    }
    if (value > std::uint64_t(std::numeric_limits<std::int64_t>::max()))
        return std::nullopt;
    return std::int64_t(value);
}

} // namespace

// ---------------------------------------------------------------------------
// File lists

QByteArray EncodeFileList(const QStringList& paths)
{
    QByteArray out;
    for (const QString& path : paths) {
        // A name with a line break or NUL cannot be told apart from two
        // names or the end of the list; leaving it out beats dropping the
        // wrong files.
        if (path.trimmed().isEmpty() || path.contains(QLatin1Char('\n'))
            || path.contains(QLatin1Char('\r')) || path.contains(QChar(0)))
            continue;
        // A first name that begins with U+FEFF would be taken for a byte
        // order mark and lose it; an actual mark in front keeps it.
        if (out.isEmpty() && path.startsWith(QChar(0xFEFF)))
            out += "\xef\xbb\xbf";
        out += path.toUtf8();
        out += "\r\n";
    }
    return out;
}

std::optional<QStringList> DecodeFileList(const QByteArray& payload)
{
    if (payload.size() > kMaxDragListBytes || payload.contains('\0'))
        return std::nullopt;
    QByteArrayView bytes(payload);
    if (bytes.startsWith("\xef\xbb\xbf"))
        bytes = bytes.sliced(3);
    // Stateless, so that a sequence cut at the end is an error instead of
    // waiting for more input; the round trip catches whatever the decoder
    // let through as a replacement character.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError() || text.toUtf8() != bytes)
        return std::nullopt;

    QStringList paths;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        QStringView line = QStringView(text).mid(start, end - start);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        start = end + 1;
        if (line.trimmed().isEmpty())
            continue;
        if (paths.size() >= kMaxDragListEntries)
            return std::nullopt;
        paths.append(line.toString());
    }
    return paths;
}

void SetFileList(QMimeData& mime, const QStringList& paths)
{
    mime.setData(Name(DragFormat::FileList), EncodeFileList(paths));
}

std::optional<QStringList> FileListFromMime(const QMimeData& mime)
{
    const std::optional<QByteArray> payload = Payload(mime, DragFormat::FileList);
    if (!payload)
        return std::nullopt;
    return DecodeFileList(*payload);
}

void SetClipartList(QMimeData& mime, const QStringList& paths)
{
    mime.setData(Name(DragFormat::Clipart), EncodeFileList(paths));
}

std::optional<QStringList> ClipartListFromMime(const QMimeData& mime)
{
    const std::optional<QByteArray> payload = Payload(mime, DragFormat::Clipart);
    if (!payload)
        return std::nullopt;
    return DecodeFileList(*payload);
}

std::optional<QString> ClipartFromMime(const QMimeData& mime)
{
    const std::optional<QStringList> paths = ClipartListFromMime(mime);
    if (!paths || paths->isEmpty())
        return std::nullopt;
    return paths->first();
}

// ---------------------------------------------------------------------------
// Fill and page template records

QByteArray EncodeFill(const TFBColor& fill)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    fill.SaveToStream(buffer);
    return bytes;
}

std::optional<TFBColor> DecodeFill(const QByteArray& payload)
{
    TFBColor fill;
    if (!LoadWhole(payload, [&](QIODevice& in) { return fill.LoadFromStream(in); }))
        return std::nullopt;
    return fill;
}

void SetFill(QMimeData& mime, const TFBColor& fill)
{
    mime.setData(Name(DragFormat::Color), EncodeFill(fill));
}

std::optional<TFBColor> FillFromMime(const QMimeData& mime)
{
    const std::optional<QByteArray> payload = Payload(mime, DragFormat::Color);
    if (!payload)
        return std::nullopt;
    return DecodeFill(*payload);
}

QByteArray EncodePageTemplate(const TFBPageTemplate& pageTemplate)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    pageTemplate.SaveToStream(buffer);
    return bytes;
}

std::unique_ptr<TFBPageTemplate> DecodePageTemplate(const QByteArray& payload)
{
    auto pageTemplate = std::make_unique<TFBPageTemplate>();
    if (!LoadWhole(payload, [&](QIODevice& in) { return pageTemplate->LoadFromStream(in); }))
        return nullptr;
    return pageTemplate;
}

void SetPageTemplate(QMimeData& mime, const TFBPageTemplate& pageTemplate)
{
    mime.setData(Name(DragFormat::PageTemplate), EncodePageTemplate(pageTemplate));
}

std::unique_ptr<TFBPageTemplate> PageTemplateFromMime(const QMimeData& mime)
{
    const std::optional<QByteArray> payload = Payload(mime, DragFormat::PageTemplate);
    if (!payload)
        return nullptr;
    return DecodePageTemplate(*payload);
}

// ---------------------------------------------------------------------------
// Process-local frames and views

QByteArray ProcessDragToken()
{
    // 128 bits from the system's source: another instance cannot guess it,
    // so its drops are told apart even when they name the same numbers.
    static const QByteArray token = [] {
        quint32 words[4];
        QRandomGenerator::system()->fillRange(words);
        QByteArray raw(reinterpret_cast<const char*>(words), sizeof words);
        return raw.toHex();
    }();
    return token;
}

QByteArray EncodeLocalId(std::int64_t id)
{
    if (id < 0)
        return QByteArray();
    return ProcessDragToken() + ' ' + QByteArray::number(qint64(id));
}

std::optional<std::int64_t> DecodeLocalId(const QByteArray& payload)
{
    const QByteArray token = ProcessDragToken();
    // Token, one space, at most 19 digits.
    if (payload.size() < token.size() + 2 || payload.size() > token.size() + 20)
        return std::nullopt;
    if (!payload.startsWith(token) || payload[token.size()] != ' ')
        return std::nullopt;
    return ParseDecimal(QByteArrayView(payload).sliced(token.size() + 1));
}

bool SetPicFrameId(QMimeData& mime, std::int64_t frameId)
{
    if (frameId < 0)
        return false;
    mime.setData(Name(DragFormat::Pic), EncodeLocalId(frameId));
    return true;
}

std::optional<std::int64_t> PicFrameIdFromMime(const QMimeData& mime)
{
    const std::optional<QByteArray> payload = Payload(mime, DragFormat::Pic);
    if (!payload)
        return std::nullopt;
    return DecodeLocalId(*payload);
}

bool SetViewIndex(QMimeData& mime, int viewIndex)
{
    if (viewIndex < 0)
        return false;
    mime.setData(Name(DragFormat::View), EncodeLocalId(viewIndex));
    return true;
}

std::optional<int> ViewIndexFromMime(const QMimeData& mime)
{
    const std::optional<QByteArray> payload = Payload(mime, DragFormat::View);
    if (!payload)
        return std::nullopt;
    const std::optional<std::int64_t> index = DecodeLocalId(*payload);
    if (!index || *index > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(*index);
}
