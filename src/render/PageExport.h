#pragma once

// Writing the spreads of a project as PNG pictures, for sharing pages or
// checking them before printing, and to see the page drawing work without
// a window.

#include <QString>
#include <QStringList>

class TFBDocument;

constexpr int kExportDefaultDpi = 150;
constexpr int kExportMinDpi = 10;
constexpr int kExportMaxDpi = 1200;

// The file name of spread index (0-based) out of count: the number in
// spread order, zero-padded to the width of count (at least two digits),
// then the spread's name with characters that file systems refuse replaced
// by '_'.
QString ExportFileName(int index, int count, const QString& spreadName);

// One PNG per spread into outDir (made when missing): the spread's existing
// pages side by side, with their page colours and full-quality pictures,
// without the outlines of empty frames. Returns the paths written, in
// spread order. Raises Exception for a resolution outside
// kExportMinDpi..kExportMaxDpi, a folder that cannot be made, a picture too
// large to hold or a file that cannot be written.
QStringList ExportSpreadsAsPng(TFBDocument& document, const QString& outDir, int dpi);

// Loads the project and exports it. Needs the process-wide services (texts
// of spread names and calendars). Returns the exit status: 0 on success,
// 1 when the project is missing or cannot be read, 2 when the export
// fails; message receives what to tell the user.
int ExportProjectAsPng(const QString& projectFile, const QString& outDir, int dpi,
                       QString& message);
