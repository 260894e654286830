#include "app/InfoAusgabe.h"

#include "app/Format.h"
#include "app/Services.h"

void TInfoAusgabe::SetInfo(const QString& text)
{
    if (!Output)
        return;
    Output->SetStatusText(text);
    if (text.isEmpty())
        Output->CloseProgress();
    else
        Output->ShowProgress(text);
}

void TInfoAusgabe::SetInfoFmt(const QString& format, const QVariantList& args)
{
    SetInfo(Format(format, args));
}

void TInfoAusgabe::SetStatus(const QString& text)
{
    if (Output)
        Output->SetStatusText(text);
}

TInfoAusgabe& InfoAusgabe()
{
    return TServices::Instance().Info();
}
