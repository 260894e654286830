#include "app/Prompts.h"

#include "app/Services.h"

#include <cstdio>

int TConsolePrompter::MessageDlg(const QString& text, TMsgDlgType, unsigned buttons)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    if (buttons & mbCancel)
        return mrCancel;
    if (buttons & mbNo)
        return mrNo;
    return mrOk;
}

IPrompter& Prompter()
{
    return TServices::Instance().Prompter();
}
