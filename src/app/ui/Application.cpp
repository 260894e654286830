#include "app/ui/Application.h"

#include "app/FileInfo.h"
#include "app/FloatingPoint.h"
#include "app/Services.h"
#include "app/VQRegistry.h"
#include "app/ui/Mainform.h"
#include "app/ui/MessageBoxPrompter.h"
#include "app/ui/StartPicture.h"
#include "calendar/Kalender.h"
#include "i18n/Localizer.h"
#include "model/ZadoveroDocument.h"
#include "model/ZadoveroDocumentHelper.h"
#include "render/PageExport.h"
#include "wizard/DateiNeuWizzard.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

constexpr int kStartPictureMs = 3000;

void PrintHelp()
{
    std::printf(
        "Usage: lumarbo [OPTION] [PROJECT.tpb]\n"
        "Creates photo books, calendars and cards from your photographs.\n\n"
        "  PROJECT.tpb      open this project at start (otherwise a new project starts)\n"
        "  --no-splash      start without the start picture\n"
        "  --export-png PROJECT.tpb OUTDIR [--dpi N]\n"
        "                   write every spread of the project as a PNG picture into\n"
        "                   OUTDIR (default 150 dpi) without opening a window\n"
        "  --version        print the program version and exit\n"
        "  --help           print this help and exit\n"
        "  /RESWRITE        collect all interface texts into lumarbo.txt beside the program\n");
}

bool HasOption(int argc, char** argv, const char* option)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], option) == 0)
            return true;
    return false;
}

// Texts used outside any window are registered before first use.
void RegisterProgramTexts(TLocalizer& localizer)
{
    RegisterKalenderTexts(localizer);
    RegisterDocumentTexts(localizer);
    RegisterColorTexts(localizer);
    // Product names show translated in the title panel also when a project
    // is opened without the wizard.
    RegisterWizzardTexts(localizer);
}

// args: what follows --export-png.
int RunPngExport(const QStringList& args)
{
    QStringList positional;
    int dpi = kExportDefaultDpi;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--dpi")) {
            bool ok = false;
            dpi = i + 1 < args.size() ? args[i + 1].toInt(&ok) : 0;
            if (!ok) {
                std::fprintf(stderr, "lumarbo: --dpi needs a whole number\n");
                return 2;
            }
            ++i;
        } else {
            positional << args[i];
        }
    }
    if (positional.size() != 2) {
        std::fprintf(stderr, "Usage: lumarbo --export-png PROJECT.tpb OUTDIR [--dpi N]\n");
        return 2;
    }
    TServices services;
    RegisterProgramTexts(services.Localizer());
    QString message;
    const int rc = ExportProjectAsPng(positional[0], positional[1], dpi, message);
    std::fprintf(rc == 0 ? stdout : stderr, "%s%s\n", rc == 0 ? "" : "lumarbo: ",
                 qPrintable(message));
    return rc;
}

} // namespace

int RunLumarbo(int argc, char** argv)
{
    MaskFloatingPointExceptions();
    // Help and version need no window system at all.
    if (HasOption(argc, argv, "--help") || HasOption(argc, argv, "-h")) {
        PrintHelp();
        return 0;
    }
    if (HasOption(argc, argv, "--version")) {
        std::printf("Lumarbo %s\n", qPrintable(TFileInfo(QStringLiteral("lumarbo")).RegistryText()));
        return 0;
    }
    // The export draws pages without any window, also where no display
    // exists; the platform must be chosen before the application object.
    if (HasOption(argc, argv, "--export-png"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quarn"));
    QApplication::setApplicationName(QStringLiteral("Lumarbo"));

    QStringList args = QApplication::arguments().mid(1);
    bool splash = true;
    for (qsizetype i = 0; i < args.size();) {
        const QString& a = args[i];
        if (a == QLatin1String("--export-png"))
            return RunPngExport(args.mid(i + 1));
        if (a == QLatin1String("--no-splash")) {
            splash = false;
            args.removeAt(i);
            continue;
        }
        ++i;
    }

    int rc = 0;
    {
        TServices services;
        services.SetPrompter(std::make_unique<TMessageBoxPrompter>());
        RegisterProgramTexts(services.Localizer());
        TVQRegIniFile& reg = services.Registry();
        reg.WriteString(QString(), QStringLiteral("InstallDir"), QDir::toNativeSeparators(QApplication::applicationDirPath()));
        reg.WriteString(QString(), QStringLiteral("Version"), services.FileInfo().RegistryText());

        TMaster master;
        master.setEnabled(false);
        std::unique_ptr<TStartPicture> start;
        QElapsedTimer shown;
        if (splash)
            start = std::make_unique<TStartPicture>(services.FileInfo().StartPictureText());
        shown.start();
        master.show();
        master.repaint();
        if (start) {
            // Shown after the main window so it stays in front also where no
            // window manager honours "always on top".
            start->show();
            start->raise();
        }
        if (start) {
            while (shown.elapsed() < kStartPictureMs) {
                QApplication::processEvents(QEventLoop::AllEvents, 50);
                QThread::msleep(10);
            }
            start->hide();
            start.reset();
        }
        master.repaint();
        master.setEnabled(true);

        // One argument naming a project opens it; anything else starts the
        // new-project wizard. Queued, so the wizard runs inside the event
        // loop and a quit from it ends the loop normally.
        QTimer::singleShot(0, &master, [&master, args] { master.StartWithArguments(args); });
        rc = QApplication::exec();
    }
    return rc;
}
