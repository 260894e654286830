#pragma once

#include <QString>

// Modal questions and notices go through this interface: the program's is
// the message box of app/ui/MessageBoxPrompter, tests install a fake, and
// headless runs (page export) one that only writes to stderr.
enum class TMsgDlgType { Warning, Error, Information, Confirmation, Custom };

enum TMsgDlgBtn : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
    mbAll = 1u << 7,
    mbNoToAll = 1u << 8,
    mbYesToAll = 1u << 9,
    mbHelp = 1u << 10,
};
constexpr unsigned mbYesNoCancel = mbYes | mbNo | mbCancel;

enum TModalResult {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

class IPrompter {
public:
    virtual ~IPrompter() = default;
    // Returns a TModalResult.
    virtual int MessageDlg(const QString& text, TMsgDlgType type, unsigned buttons) = 0;
    virtual void Beep() = 0;

    void ShowMessage(const QString& text) { MessageDlg(text, TMsgDlgType::Information, mbOK); }
    void ShowError(const QString& text) { MessageDlg(text, TMsgDlgType::Error, mbOK); }
};

// Without a window: writes the text to stderr and answers Cancel, else No,
// else OK, so that nothing is done that the user did not confirm.
class TConsolePrompter : public IPrompter {
public:
    int MessageDlg(const QString& text, TMsgDlgType type, unsigned buttons) override;
    void Beep() override {}
};

IPrompter& Prompter();
