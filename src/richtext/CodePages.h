#pragma once

#include <QByteArray>
#include <QString>

// Single-byte Windows code pages for the character sets a font in rich text
// can name. Bytes below 0x80 are ASCII in all of them; only the upper half
// differs, so each page is a 128-entry table.

// The code page that a font character set selects: 0 (ANSI) and 1 (default)
// 1252, 238 (Eastern Europe) 1250, 204 (Cyrillic) 1251, 161 (Greek) 1253,
// 162 (Turkish) 1254, 186 (Baltic) 1257. Anything else falls back to 1252,
// so text in an unknown set still shows its Latin letters.
int CodePageOfCharset(int charset);

// One byte of the given code page (1250, 1251, 1252, 1253, 1254 or 1257; any
// other number is read as 1252). Unassigned bytes 0x80..0x9F become the C1
// control of the same number, as in the 1252 codec; unassigned bytes from
// 0xA0 become U+FFFD.
char16_t CodePageToUnicode(int codePage, unsigned char b);

QString DecodeCodePage(const QByteArray& bytes, int codePage);
QString DecodeCharset(const QByteArray& bytes, int charset);
