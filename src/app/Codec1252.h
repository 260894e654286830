#pragma once

#include <QByteArray>
#include <QString>

// The one Windows-1252 codec. Text is QString in memory; wherever it crosses
// a file or record boundary it goes through these functions.

// Characters outside Windows-1252 become '?', as the platform's conversion
// does. The five unassigned bytes 0x81, 0x8D, 0x8F, 0x90, 0x9D map to and
// from the C1 control characters of the same number so every byte survives a
// round trip.
QByteArray ToCp1252(const QString& s);
QString FromCp1252(const QByteArray& bytes);
QString FromCp1252(const char* data, qsizetype size);
bool FitsCp1252(const QString& s);
// The Unicode character for one byte.
char16_t Cp1252ToUnicode(unsigned char b);

// Stored text: Windows-1252 when the text fits, else the UTF-8 byte-order
// mark EF BB BF followed by UTF-8, so a birthday "Łukasz" or a path in another
// script is not lost. Text that fits is written byte for byte as before.
QByteArray EncodeStoredText(const QString& s);
QString DecodeStoredText(const QByteArray& bytes);
