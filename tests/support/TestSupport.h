#pragma once

#include "app/Prompts.h"
#include "app/Services.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

// Points the XDG folders at a fresh temporary directory for the whole test
// program (called by the test mains before the application object exists).
void IsolateUserFolders();

// A prompter that records every question and answers from a queue (OK /
// Cancel when the queue is empty).
class TFakePrompter : public IPrompter {
public:
    struct Asked {
        QString Text;
        TMsgDlgType Type;
        unsigned Buttons;
    };
    std::vector<Asked> Questions;
    std::vector<int> Answers;
    int Beeps = 0;

    int MessageDlg(const QString& text, TMsgDlgType type, unsigned buttons) override;
    void Beep() override { ++Beeps; }
};

// A services object with its own settings file in a temporary folder and a
// fake prompter; the fixture of most tests that need the program's services.
class TTestServices {
public:
    TTestServices();
    ~TTestServices();
    TServices& Services() { return *Svc; }
    TFakePrompter& Prompts() { return *Fake; }
    QString SettingsFile() const;
    QString TempPath(const QString& name) const;

private:
    QTemporaryDir Dir;
    std::unique_ptr<TServices> Svc;
    TFakePrompter* Fake = nullptr;
};
