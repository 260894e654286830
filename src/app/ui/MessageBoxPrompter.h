#pragma once

#include "app/Prompts.h"

class QWidget;

// The program's prompter: a modal message box over the active window with
// titles and button texts of the current language.
class TMessageBoxPrompter : public IPrompter {
public:
    int MessageDlg(const QString& text, TMsgDlgType type, unsigned buttons) override;
    void Beep() override;
};
