#include "app/Errors.h"
#include "app/Prompts.h"
#include "app/ui/Command.h"
#include "app/ui/Mainform.h"
#include "app/ui/ProjectDialogs.h"
#include "model/Undo.h"
#include "model/ZadoveroDocument.h"
#include "model/ZadoveroDocumentHelper.h"
#include "storage/DataFile.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace {

// Scripted file dialogs and wizard: each question takes the next answer of
// its queue (empty queue: cancelled) and is counted.
class TScriptedDialogs : public IProjectDialogs {
public:
    std::deque<QString> OpenNames, SaveNames;
    std::deque<std::function<int(TFBDocument&)>> Wizard;
    int OpenAsked = 0, SaveAsked = 0, WizardRuns = 0;
    QString LastFilter;

    QString AskOpenFileName(QWidget*, const QString& filter) override
    {
        ++OpenAsked;
        LastFilter = filter;
        return Take(OpenNames);
    }
    QString AskSaveFileName(QWidget*, const QString& filter) override
    {
        ++SaveAsked;
        LastFilter = filter;
        return Take(SaveNames);
    }
    int RunNewProjectWizard(QWidget*, TFBDocument& doc) override
    {
        ++WizardRuns;
        if (Wizard.empty())
            return 2;
        auto step = Wizard.front();
        Wizard.pop_front();
        return step(doc);
    }

private:
    static QString Take(std::deque<QString>& q)
    {
        if (q.empty())
            return QString();
        QString s = q.front();
        q.pop_front();
        return s;
    }
};

// A wizard that turns the document into an A5 photo book.
int MakePhotoBook(TFBDocument& doc)
{
    ApplyProductSetup(doc, 31, 30, 0);
    doc.Dokumentname = QStringLiteral("Photo-Buch A5");
    return 1;
}

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class ProjectCommands : public ::testing::Test {
protected:
    TTestServices Env;
    TMaster Master;
    TScriptedDialogs* Dialogs = nullptr;

    ProjectCommands()
    {
        auto d = std::make_unique<TScriptedDialogs>();
        Dialogs = d.get();
        Master.SetProjectDialogs(std::move(d));
    }
    TFBDocument& Doc() { return Master.Document(); }
    TFakePrompter& Prompts() { return Env.Prompts(); }
    QString Path(const char* name) const { return Env.TempPath(QString::fromUtf8(name)); }

    // A saved photo book with the given name.
    QString SavedBook(const char* name)
    {
        TFBDocument doc;
        MakePhotoBook(doc);
        const QString path = Path(name);
        doc.SaveToFile(path);
        return path;
    }
    // Runs a handler the way a button does: errors go to the error box.
    void Click(void (TMaster::*handler)())
    {
        RunCommand([&] { (Master.*handler)(); });
    }
    int ErrorsShown()
    {
        int n = 0;
        for (const auto& q : Env.Prompts().Questions)
            n += q.Type == TMsgDlgType::Error;
        return n;
    }
};

} // namespace

TEST_F(ProjectCommands, UnsavedChangesQuestionMatrix)
{
    // Quit with Cancel keeps running; No ends without writing anything.
    Doc().Modified = true;
    Prompts().Answers = {mrCancel};
    EXPECT_FALSE(Master.FormCloseQuery());
    ASSERT_EQ(Prompts().Questions.size(), 1u);
    EXPECT_EQ(Prompts().Questions[0].Text,
              QStringLiteral("Das aktuelle Album ist noch nicht gespeichert.\r\nSoll es jetzt gespeichert werden?"));
    EXPECT_EQ(Prompts().Questions[0].Buttons, mbYesNoCancel);

    Prompts().Answers = {mrNo};
    EXPECT_TRUE(Master.FormCloseQuery());
    EXPECT_EQ(Dialogs->SaveAsked, 0);
    EXPECT_TRUE(Doc().FileName.isEmpty());

    // Quit, Yes, and the save dialog cancelled: leaving now would lose the
    // changes the user wanted to keep, so the program keeps running.
    Prompts().Answers = {mrYes};
    EXPECT_FALSE(Master.FormCloseQuery());
    EXPECT_EQ(Dialogs->SaveAsked, 1);
    EXPECT_TRUE(Doc().Modified);
    // Quit, Yes, and a name given: saved, then the program ends.
    Prompts().Answers = {mrYes};
    Dialogs->SaveNames.push_back(Path("Ende.tpb"));
    EXPECT_TRUE(Master.FormCloseQuery());
    EXPECT_TRUE(QFileInfo::exists(Path("Ende.tpb")));
    EXPECT_FALSE(Doc().Modified);
    Doc().FileName.clear();
    Doc().Modified = true;
    QFile::remove(Path("Ende.tpb"));

    // New project, Yes, save dialog cancelled: nothing saved, the wizard
    // still opens.
    Prompts().Answers = {mrYes};
    Click(&TMaster::BtnAlbumNeuClick);
    EXPECT_EQ(Dialogs->SaveAsked, 3);
    EXPECT_EQ(Dialogs->WizardRuns, 1);
    EXPECT_TRUE(Doc().Modified); // the wizard was cancelled
    EXPECT_TRUE(QDir(Env.TempPath(QString())).entryList({QStringLiteral("*.tpb")}).isEmpty());

    // Cancel at the question: no wizard at all.
    Prompts().Answers = {mrCancel};
    Click(&TMaster::BtnAlbumNeuClick);
    EXPECT_EQ(Dialogs->WizardRuns, 1);

    // Without changes nobody is asked.
    Doc().Modified = false;
    const size_t asked = Prompts().Questions.size();
    EXPECT_TRUE(Master.FormCloseQuery());
    EXPECT_EQ(Prompts().Questions.size(), asked);
}

TEST_F(ProjectCommands, NewProjectFromTheWizardResetsStateAndTitle)
{
    GetUndoManager().AddSeiteEinfuegen(0);
    Doc().Modified = true;
    Prompts().Answers = {mrNo};
    Dialogs->Wizard.push_back(MakePhotoBook);
    Click(&TMaster::BtnAlbumNeuClick);
    EXPECT_EQ(Doc().Pages.Count(), 30);
    EXPECT_FALSE(Doc().Modified);
    EXPECT_EQ(GetUndoManager().Count(), 0);
    EXPECT_EQ(Master.windowTitle(), QStringLiteral("Quarn Lumarbo - Unbenannt"));
    EXPECT_EQ(Master.panTitel->text(), QStringLiteral("Photo-Buch A5"));

    // A cancelled wizard leaves the document as it was.
    Doc().Modified = true;
    Prompts().Answers = {mrNo};
    Click(&TMaster::BtnAlbumNeuClick);
    EXPECT_EQ(Doc().Pages.Count(), 30);
    EXPECT_TRUE(Doc().Modified);
}

TEST_F(ProjectCommands, WizardOpenAsksAboutChangesOnlyOnce)
{
    const QString book = SavedBook("Urlaub.tpb");
    Doc().Modified = true;
    Prompts().Answers = {mrNo};
    Dialogs->Wizard.push_back([](TFBDocument&) { return 100; });
    Dialogs->OpenNames.push_back(book);
    Click(&TMaster::BtnAlbumNeuClick);
    EXPECT_EQ(Prompts().Questions.size(), 1u);
    EXPECT_EQ(Dialogs->OpenAsked, 1);
    EXPECT_EQ(Doc().FileName, book);
    EXPECT_EQ(Dialogs->LastFilter, QStringLiteral("TPB-Dateien (*.tpb)"));
}

TEST_F(ProjectCommands, OpeningSetsTitleAndClearsUndo)
{
    const QString book = SavedBook("Urlaub.tpb");
    GetUndoManager().AddSeiteEinfuegen(0);
    Doc().Modified = true;
    Prompts().Answers = {mrNo};
    Dialogs->OpenNames.push_back(book);
    Click(&TMaster::BtnAlbumOeffnenClick);
    EXPECT_EQ(ErrorsShown(), 0);
    EXPECT_EQ(Doc().Pages.Count(), 30);
    EXPECT_EQ(Doc().FileName, book);
    EXPECT_FALSE(Doc().Modified);
    EXPECT_EQ(Master.windowTitle(), QStringLiteral("Quarn Lumarbo - Urlaub.tpb"));
    EXPECT_EQ(Master.panTitel->text(), QStringLiteral("Photo-Buch A5"));
    // Undo right after opening has nothing to undo.
    EXPECT_EQ(GetUndoManager().Count(), 0);
    EXPECT_FALSE(QApplication::overrideCursor());
}

TEST_F(ProjectCommands, AFileThatIsNoProjectChangesNothing)
{
    MakePhotoBook(Doc());
    Doc().FileName = Path("Vorher.tpb");
    Doc().Modified = true;
    GetUndoManager().AddSeiteEinfuegen(0);
    const QString text = Path("notes.tpb");
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Dies ist kein Album, sondern eine Notiz.\n");
    }
    QFile(Path("empty.tpb")).open(QIODevice::WriteOnly);
    struct Case {
        QString File;
        QString Error;
    };
    const Case cases[] = {
        {text, QStringLiteral("Invalid file format.")},
        {Path("empty.tpb"), QStringLiteral("Invalid file format.")},
        {Path("missing.tpb"),
         QStringLiteral("Die Datei \"%1\" kann nicht geöffnet werden").arg(Path("missing.tpb"))},
    };
    for (const Case& c : cases) {
        const int before = ErrorsShown();
        Dialogs->OpenNames.push_back(c.File);
        Prompts().Answers = {mrNo};
        Click(&TMaster::BtnAlbumOeffnenClick);
        EXPECT_EQ(ErrorsShown(), before + 1) << c.File.toStdString();
        EXPECT_EQ(Prompts().Questions.back().Text, c.Error);
        EXPECT_EQ(Doc().Pages.Count(), 30);
        EXPECT_EQ(Doc().FileName, Path("Vorher.tpb"));
        EXPECT_TRUE(Doc().Modified);
        EXPECT_EQ(GetUndoManager().Count(), 1);
        EXPECT_FALSE(QApplication::overrideCursor());
        EXPECT_TRUE(Master.isEnabled());
    }
}

TEST_F(ProjectCommands, AFileFailingPartWayLeavesTheDefaultDocumentWithoutName)
{
    const QString damaged = Path("Kaputt.tpb");
    {
        TDataFile f(damaged, TDataFile::Create);
        f.WriteInteger(QStringLiteral("Doc/Pages"), QStringLiteral("Anzahl"), 1000000000);
        f.WriteString(QStringLiteral("Doc"), QStringLiteral("Dokumentname"), QStringLiteral("Halb"));
        f.Commit();
    }
    MakePhotoBook(Doc());
    Doc().FileName = Path("Vorher.tpb");
    Doc().Modified = true;
    Dialogs->OpenNames.push_back(damaged);
    Prompts().Answers = {mrNo};
    Click(&TMaster::BtnAlbumOeffnenClick);
    EXPECT_EQ(ErrorsShown(), 1);
    EXPECT_TRUE(Doc().FileName.isEmpty());
    EXPECT_FALSE(Doc().Modified);
    EXPECT_EQ(Doc().Pages.Count(), 1); // the default empty document
    EXPECT_TRUE(Doc().Dokumentname.isEmpty());
    EXPECT_EQ(Master.windowTitle(), QStringLiteral("Quarn Lumarbo - Unbenannt"));
    EXPECT_FALSE(QApplication::overrideCursor());
}

TEST_F(ProjectCommands, SavingTwiceToOneNameWritesAFreshFileEachTime)
{
    MakePhotoBook(Doc());
    Doc().Modified = true;
    GetUndoManager().AddSeiteEinfuegen(0);
    // The extension is added when the dialog returns a name without it.
    Dialogs->SaveNames.push_back(Path("Urlaub"));
    Click(&TMaster::BtnAlbumSpeichernClick);
    const QString target = Path("Urlaub.tpb");
    EXPECT_EQ(Doc().FileName, target);
    EXPECT_FALSE(Doc().Modified);
    EXPECT_EQ(GetUndoManager().Count(), 0);
    EXPECT_EQ(Master.windowTitle(), QStringLiteral("Quarn Lumarbo - Urlaub.tpb"));

    Doc().Dokumentname = QStringLiteral("Zweiter Stand");
    Doc().Modified = true;
    Click(&TMaster::BtnAlbumSpeichernClick);
    EXPECT_EQ(Dialogs->SaveAsked, 1); // the second save knows the name
    EXPECT_FALSE(Doc().Modified);

    // The file holds exactly what a fresh save of this state holds.
    const QString fresh = Path("fresh.tpb");
    TFBDocument copy;
    copy.LoadFromFile(target);
    EXPECT_EQ(copy.Dokumentname, QStringLiteral("Zweiter Stand"));
    Doc().SaveToFile(fresh);
    EXPECT_EQ(FileBytes(target), FileBytes(fresh));
}

TEST_F(ProjectCommands, SaveAsOntoAReadOnlyFileKeepsEverything)
{
    const QString locked = SavedBook("Gesperrt.tpb");
    const QByteArray before = FileBytes(locked);
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    Doc().FileName = Path("Alt.tpb");
    Doc().Modified = true;
    GetUndoManager().AddSeiteEinfuegen(0);
    Dialogs->SaveNames.push_back(locked);
    Click(&TMaster::mnuDateiSpeichernUnterClick);
    EXPECT_EQ(ErrorsShown(), 1);
    EXPECT_EQ(Prompts().Questions.back().Text, QStringLiteral("Die Datei ist schreibgeschützt"));
    EXPECT_EQ(FileBytes(locked), before);
    EXPECT_TRUE(Doc().Modified);
    EXPECT_EQ(Doc().FileName, Path("Alt.tpb"));
    EXPECT_EQ(GetUndoManager().Count(), 1);
    EXPECT_EQ(Master.windowTitle(), QStringLiteral("Quarn Lumarbo - Unbenannt"));
    EXPECT_FALSE(QApplication::overrideCursor());
}

TEST_F(ProjectCommands, CommandLine)
{
    const QString book = SavedBook("Urlaub.tpb");
    struct Case {
        QStringList Args;
        bool Opens;
    };
    const Case cases[] = {
        {{book}, true},
        {{Path("missing.tpb")}, false},
        {{book, book}, false},
        {{}, false},
    };
    for (const Case& c : cases) {
        SetupDefaultDocument(Doc());
        Doc().FileName.clear();
        const int runs = Dialogs->WizardRuns;
        Master.StartWithArguments(c.Args);
        EXPECT_EQ(Doc().FileName == book, c.Opens) << c.Args.join(' ').toStdString();
        EXPECT_EQ(Dialogs->WizardRuns, runs + (c.Opens ? 0 : 1)) << c.Args.join(' ').toStdString();
    }

    // A file that cannot be read is shown and the program goes on with the
    // default document.
    const QString text = Path("notes.tpb");
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("kein Album");
    }
    SetupDefaultDocument(Doc());
    Master.StartWithArguments({text});
    EXPECT_EQ(ErrorsShown(), 1);
    EXPECT_EQ(Doc().Pages.Count(), 1);
    EXPECT_TRUE(Doc().FileName.isEmpty());
}
