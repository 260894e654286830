#include "app/ui/Command.h"

#include "app/Errors.h"
#include "app/InfoAusgabe.h"
#include "app/Prompts.h"
#include "app/Services.h"

#include <QGuiApplication>

#include <new>

void ResetAfterError()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    if (TServices::Exists())
        InfoAusgabe().SetInfo(QString());
}

void RunCommand(const std::function<void()>& command)
{
    QString message;
    try {
        command();
        return;
    } catch (const Exception& e) {
        message = e.message();
    } catch (const std::bad_alloc&) {
        message = QStringLiteral("Nicht genügend Arbeitsspeicher");
    } catch (const std::exception& e) {
        message = QString::fromLocal8Bit(e.what());
    }
    ResetAfterError();
    Prompter().ShowError(message);
}
