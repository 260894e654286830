#include "app/Services.h"

#include "app/DefaultWerte.h"
#include "app/FileInfo.h"
#include "app/InfoAusgabe.h"
#include "app/Prompts.h"
#include "app/VQRegistry.h"
#include "i18n/Localizer.h"
#include "model/BildManager.h"
#include "model/Undo.h"

#include <cstdio>
#include <cstdlib>

namespace {
TServices* gCurrent = nullptr;
}

TServices::TServices()
    : TServices(TOptions{})
{
}

TServices::TServices(const TOptions& options)
    : Options(options)
    , PrompterObj(std::make_unique<TConsolePrompter>())
{
    Previous = gCurrent;
    gCurrent = this;
}

TServices::~TServices()
{
    // Undo records hold picture records; they go before the store.
    UndoManagerObj.reset();
    // Pictures may report progress and look up texts while they are freed.
    BildManagerObj.reset();
    // The localizer goes next: it may still write the collection file and
    // look at the registry while it does.
    LocalizerObj.reset();
    gCurrent = Previous;
}

TServices& TServices::Instance()
{
    if (!gCurrent) {
        std::fprintf(stderr, "internal error: no services object\n");
        std::abort();
    }
    return *gCurrent;
}

bool TServices::Exists()
{
    return gCurrent != nullptr;
}

TVQRegIniFile& TServices::Registry()
{
    if (!RegistryObj)
        RegistryObj = std::make_unique<TVQRegIniFile>(Options.SettingsFile);
    return *RegistryObj;
}

TLocalizer& TServices::Localizer()
{
    if (!LocalizerObj)
        LocalizerObj = std::make_unique<TLocalizer>();
    return *LocalizerObj;
}

TInfoAusgabe& TServices::Info()
{
    if (!InfoObj)
        InfoObj = std::make_unique<TInfoAusgabe>();
    return *InfoObj;
}

TDefaultWerte& TServices::DefaultWerte()
{
    if (!DefaultWerteObj)
        DefaultWerteObj = std::make_unique<TDefaultWerte>();
    return *DefaultWerteObj;
}

const TFileInfo& TServices::FileInfo()
{
    if (!FileInfoObj)
        FileInfoObj = std::make_unique<TFileInfo>();
    return *FileInfoObj;
}

TBildmanager& TServices::BildManager()
{
    if (!BildManagerObj)
        BildManagerObj = std::make_unique<TBildmanager>();
    return *BildManagerObj;
}

TUndoManager& TServices::UndoManager()
{
    if (!UndoManagerObj)
        UndoManagerObj = std::make_unique<TUndoManager>();
    return *UndoManagerObj;
}

IPrompter& TServices::Prompter()
{
    return *PrompterObj;
}

void TServices::SetPrompter(std::unique_ptr<IPrompter> prompter)
{
    PrompterObj = prompter ? std::move(prompter) : std::make_unique<TConsolePrompter>();
}
