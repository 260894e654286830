#pragma once

#include "model/ZadoveroColor.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>

class QMimeData;
class TFBPageTemplate;

// The private formats the program drags between its own controls. Each is
// offered under its name as a QMimeData format; the program is the only
// producer and the only consumer, but a drop may still come from anywhere
// (another instance, another program offering the same name), so every
// decoder treats the bytes as hostile and gives nothing for anything
// malformed.
namespace DragFormat {
inline constexpr const char* FileList = "VQFileList";
inline constexpr const char* PageTemplate = "VQPageTemplate";
inline constexpr const char* Color = "VQColor";
inline constexpr const char* Clipart = "VQClipart";
inline constexpr const char* Pic = "VQPic";
inline constexpr const char* View = "VQView";
} // namespace DragFormat

// Limits of what a decoder reads; larger payloads are refused whole rather
// than cut, so that a drop never acts on part of a list.
inline constexpr qsizetype kMaxDragListBytes = 16 * 1024 * 1024;
inline constexpr qsizetype kMaxDragListEntries = 100000;
inline constexpr qsizetype kMaxDragRecordBytes = 16 * 1024 * 1024;

// File lists ("VQFileList", "VQClipart"): UTF-8, one path a line, written
// with CR LF. Reading takes CR LF or LF and ignores blank lines. Nothing
// (nullopt) for a missing format, invalid UTF-8, a NUL byte, or a payload
// over the limits; an empty list when there is no path at all.
QByteArray EncodeFileList(const QStringList& paths);
std::optional<QStringList> DecodeFileList(const QByteArray& payload);

void SetFileList(QMimeData& mime, const QStringList& paths);
std::optional<QStringList> FileListFromMime(const QMimeData& mime);

void SetClipartList(QMimeData& mime, const QStringList& paths);
std::optional<QStringList> ClipartListFromMime(const QMimeData& mime);
// Only the first clip-art of a drag is placed; nothing when the list is
// empty or invalid.
std::optional<QString> ClipartFromMime(const QMimeData& mime);

// Fill ("VQColor") and page template ("VQPageTemplate") records as their
// classes write them. Decoding refuses a missing format, a record the class
// refuses, trailing bytes after the record and payloads over the limit.
QByteArray EncodeFill(const TFBColor& fill);
std::optional<TFBColor> DecodeFill(const QByteArray& payload);
void SetFill(QMimeData& mime, const TFBColor& fill);
std::optional<TFBColor> FillFromMime(const QMimeData& mime);

QByteArray EncodePageTemplate(const TFBPageTemplate& pageTemplate);
std::unique_ptr<TFBPageTemplate> DecodePageTemplate(const QByteArray& payload);
void SetPageTemplate(QMimeData& mime, const TFBPageTemplate& pageTemplate);
std::unique_ptr<TFBPageTemplate> PageTemplateFromMime(const QMimeData& mime);

// Frames ("VQPic") and views ("VQView") dragged out of the page strip are
// named by numbers that mean something only inside this run of the program:
// a frame id the caller looks up in its own table, and a view index. The
// payload is "<token> <decimal>" in ASCII, the token being a random value
// drawn once per process. A payload with another token (a drop from another
// instance), a negative or malformed number, or any stray byte gives
// nothing; a decoded number is only ever a key to look up, never an
// address.
QByteArray ProcessDragToken();

// False (and the mime data left alone) for a negative id or index.
bool SetPicFrameId(QMimeData& mime, std::int64_t frameId);
std::optional<std::int64_t> PicFrameIdFromMime(const QMimeData& mime);
bool SetViewIndex(QMimeData& mime, int viewIndex);
std::optional<int> ViewIndexFromMime(const QMimeData& mime);

// The payload codecs behind the two, for the fuzz target and tests.
QByteArray EncodeLocalId(std::int64_t id);
std::optional<std::int64_t> DecodeLocalId(const QByteArray& payload);
