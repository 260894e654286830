#include "render/PageExport.h"

#include "app/Arith.h"
#include "app/Colors.h"
#include "app/Errors.h"
#include "model/ZadoveroDocument.h"
#include "render/BitmapDrawContext.h"
#include "render/DocDrawer.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>

#include <exception>
#include <vector>

namespace {

// A spread of two A3 pages at 1200 dpi stays below this; anything larger
// comes from a broken page size.
constexpr double kMaxPixels = 400.0 * 1000 * 1000;

std::vector<TFBPage*> SpreadPages(const TFBDocument& document, int spread)
{
    std::vector<TFBPage*> pages;
    const int count = document.Pages.Count();
    const int left = document.LeftPageIndex(spread);
    const int right = document.RightPageIndex(spread);
    if (left >= 0 && left < count)
        pages.push_back(document.Pages.Items(left));
    if (right != left && right >= 0 && right < count)
        pages.push_back(document.Pages.Items(right));
    return pages;
}

} // namespace

QString ExportFileName(int index, int count, const QString& spreadName)
{
    const int digits = std::max(2, int(QString::number(std::max(count, 1)).size()));
    QString name = spreadName.trimmed();
    for (QChar& c : name) {
        if (c < QChar(32) || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    }
    QString file = QStringLiteral("%1").arg(index + 1, digits, 10, QLatin1Char('0'));
    if (!name.isEmpty())
        file += QLatin1Char(' ') + name;
    return file + QStringLiteral(".png");
}

QStringList ExportSpreadsAsPng(TFBDocument& document, const QString& outDir, int dpi)
{
    if (dpi < kExportMinDpi || dpi > kExportMaxDpi)
        throw Exception(QStringLiteral("The resolution must lie between %1 and %2 dpi.")
                            .arg(kExportMinDpi)
                            .arg(kExportMaxDpi));
    if (!QDir().mkpath(outDir))
        throw Exception(QStringLiteral("Cannot create the folder %1.").arg(outDir));

    const float w = document.PageWidth;
    const float h = document.PageHeight;
    const double scale = dpi / 25.4;
    QStringList written;
    const int count = document.SpreadCount();
    for (int spread = 0; spread < count; ++spread) {
        const std::vector<TFBPage*> pages = SpreadPages(document, spread);
        if (pages.empty())
            continue;
        const double pw = double(w) * double(pages.size()) * scale;
        const double ph = double(h) * scale;
        if (!(pw >= 1 && ph >= 1 && pw * ph <= kMaxPixels))
            throw Exception(
                QStringLiteral("The pages are too large to export at %1 dpi.").arg(dpi));
        QImage image(RoundHalfEven(pw), RoundHalfEven(ph), QImage::Format_RGB32);
        if (image.isNull())
            throw Exception(QStringLiteral("Not enough memory for a picture of the spread."));
        image.fill(Qt::white);
        {
            TBitmapDrawContext context(&image);
            context.Transformation().ScaleUniform(float(scale));
            TDocumentDrawer& drawer = GetDocumentDrawer();
            for (std::size_t i = 0; i < pages.size(); ++i) {
                TTransformation& t = context.Transformation();
                t.Push();
                try {
                    t.Translate(w * float(i), 0);
                    // The page colour without the page's edge line, which
                    // belongs to the editing view.
                    context.SetPenStyle(TPenStyle::Clear);
                    context.SetBrushStyle(TBrushStyle::Solid);
                    context.SetBrushColor(pages[i]->Seitenfarbe);
                    context.Rectangle(0, 0, w, h);
                    context.SetPenStyle(TPenStyle::Solid);
                    drawer.DrawPage(*pages[i], context, true, 0);
                } catch (...) {
                    t.Pop();
                    throw;
                }
                t.Pop();
            }
        }
        const QString path = QDir(outDir).filePath(
            ExportFileName(spread, count, document.GetSpreadName(spread)));
        if (!image.save(path, "PNG"))
            throw Exception(QStringLiteral("Cannot write %1.").arg(path));
        written << path;
    }
    return written;
}

int ExportProjectAsPng(const QString& projectFile, const QString& outDir, int dpi,
                       QString& message)
{
    if (!QFileInfo(projectFile).isFile()) {
        message = QStringLiteral("Project not found: %1").arg(projectFile);
        return 1;
    }
    TFBDocument document;
    try {
        document.LoadFromFile(projectFile);
    } catch (const Exception& e) {
        message = QStringLiteral("Cannot read the project %1: %2").arg(projectFile, e.message());
        return 1;
    } catch (const std::exception& e) {
        message = QStringLiteral("Cannot read the project %1: %2")
                      .arg(projectFile, QString::fromLocal8Bit(e.what()));
        return 1;
    }
    try {
        const QStringList files = ExportSpreadsAsPng(document, outDir, dpi);
        message = QStringLiteral("%1 spread(s) written to %2").arg(files.size()).arg(outDir);
        return 0;
    } catch (const Exception& e) {
        message = e.message();
    } catch (const std::exception& e) {
        message = QString::fromLocal8Bit(e.what());
    }
    return 2;
}
