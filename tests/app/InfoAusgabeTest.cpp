#include "app/InfoAusgabe.h"

#include <gtest/gtest.h>

namespace {

// Records what the status bar and the progress window were told.
class RecordingOutput : public IInfoOutput {
public:
    QStringList Calls;
    void SetStatusText(const QString& text) override { Calls << QStringLiteral("status:") + text; }
    void ShowProgress(const QString& text) override { Calls << QStringLiteral("progress:") + text; }
    void CloseProgress() override { Calls << QStringLiteral("close"); }
};

} // namespace

TEST(InfoAusgabe, SetInfoSequences)
{
    TInfoAusgabe info;
    // Before the main window exists nothing happens (and nothing crashes).
    info.SetInfo(QStringLiteral("Lade"));
    info.SetStatus(QStringLiteral("x"));

    RecordingOutput out;
    info.SetOutput(&out);
    info.SetInfo(QStringLiteral("Lade Bild 1"));
    info.SetInfo(QStringLiteral("Lade Bild 2"));
    info.SetInfo(QString());
    info.SetInfo(QString());
    info.SetStatus(QStringLiteral("Seite wird geladen"));
    info.SetInfoFmt(QStringLiteral("Drucke Seite %d von %d"), {1, 2});
    info.SetInfoFmt(QStringLiteral("Drucke Seite %d von %d"), {1}); // a broken translation shows as is
    EXPECT_EQ(out.Calls, QStringList({
                             QStringLiteral("status:Lade Bild 1"),
                             QStringLiteral("progress:Lade Bild 1"),
                             QStringLiteral("status:Lade Bild 2"),
                             QStringLiteral("progress:Lade Bild 2"),
                             QStringLiteral("status:"),
                             QStringLiteral("close"),
                             QStringLiteral("status:"),
                             QStringLiteral("close"),
                             QStringLiteral("status:Seite wird geladen"),
                             QStringLiteral("status:Drucke Seite 1 von 2"),
                             QStringLiteral("progress:Drucke Seite 1 von 2"),
                             QStringLiteral("status:Drucke Seite %d von %d"),
                             QStringLiteral("progress:Drucke Seite %d von %d"),
                         }));
}
