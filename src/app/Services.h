#pragma once

#include <QString>

#include <memory>

class TVQRegIniFile;
class TLocalizer;
class TInfoAusgabe;
class TDefaultWerte;
class TFileInfo;
class IPrompter;
class TBildmanager;
class TUndoManager;

// Owner of the process-wide single objects. main creates one before the
// main window and destroys it before the application object; tests create
// their own. The global accessors (VQRegistry(), Localizer(), InfoAusgabe(),
// Prompter(), ...) reach the current one.
class TServices {
public:
    struct TOptions {
        // Empty: the per-user default location.
        QString SettingsFile;
    };

    TServices();
    explicit TServices(const TOptions& options);
    ~TServices();
    TServices(const TServices&) = delete;
    TServices& operator=(const TServices&) = delete;

    // The current instance; calling it without one is a programming error.
    static TServices& Instance();
    static bool Exists();

    TVQRegIniFile& Registry();
    TLocalizer& Localizer();
    TInfoAusgabe& Info();
    TDefaultWerte& DefaultWerte();
    const TFileInfo& FileInfo();
    IPrompter& Prompter();
    // The picture store shared by every document of the run.
    TBildmanager& BildManager();
    // The one undo history of the run.
    TUndoManager& UndoManager();
    // Replaces the prompter (the main window installs the message box one).
    void SetPrompter(std::unique_ptr<IPrompter> prompter);

private:
    TOptions Options;
    std::unique_ptr<TVQRegIniFile> RegistryObj;
    std::unique_ptr<TInfoAusgabe> InfoObj;
    std::unique_ptr<TDefaultWerte> DefaultWerteObj;
    std::unique_ptr<TFileInfo> FileInfoObj;
    std::unique_ptr<IPrompter> PrompterObj;
    std::unique_ptr<TLocalizer> LocalizerObj;
    std::unique_ptr<TBildmanager> BildManagerObj;
    std::unique_ptr<TUndoManager> UndoManagerObj;
    TServices* Previous = nullptr;
};
