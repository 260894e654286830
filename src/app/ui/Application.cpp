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

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include <cstdio>

namespace {

constexpr int kStartPictureMs = 3000;

void PrintHelp()
{
    std::printf(
        "Usage: lumarbo [OPTION] [PROJECT.tpb]\n"
        "Creates photo books, calendars and cards from your photographs.\n\n"
        "  PROJECT.tpb      open this project at start (otherwise a new project starts)\n"
        "  --no-splash      start without the start picture\n"
        "  --version        print the program version and exit\n"
        "  --help           print this help and exit\n"
        "  /RESWRITE        collect all interface texts into lumarbo.txt beside the program\n");
}

} // namespace

int RunLumarbo(int argc, char** argv)
{
    MaskFloatingPointExceptions();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quarn"));
    QApplication::setApplicationName(QStringLiteral("Lumarbo"));

    QStringList args = QApplication::arguments().mid(1);
    bool splash = true;
    for (qsizetype i = 0; i < args.size();) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            PrintHelp();
            return 0;
        }
        if (a == QLatin1String("--version")) {
            TFileInfo info;
            std::printf("Lumarbo %s\n", qPrintable(info.RegistryText()));
            return 0;
        }
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
        // Texts used outside any window are registered before first use.
        RegisterKalenderTexts(services.Localizer());
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

        // Opening a project named on the command line and the new-project
        // wizard join here with the document.
        rc = QApplication::exec();
    }
    return rc;
}
