#pragma once

#include <QString>
#include <QVariantList>

// Where status and progress texts go: the main window's status bar and the
// progress window. The main window provides it; without one nothing is shown.
class IInfoOutput {
public:
    virtual ~IInfoOutput() = default;
    virtual void SetStatusText(const QString& text) = 0;
    // Creates or updates the progress window (keeping the main window
    // disabled) and lets pending events run so the text shows at once.
    virtual void ShowProgress(const QString& text) = 0;
    // Closes the progress window and enables the main window again.
    virtual void CloseProgress() = 0;
};

// The program-wide status and progress output. Long operations report what
// they do with SetInfo and end with SetInfo of the empty text.
class TInfoAusgabe {
public:
    void SetOutput(IInfoOutput* output) { Output = output; }
    IInfoOutput* GetOutput() const { return Output; }

    void SetInfo(const QString& text);
    // The format is already translated (see Format.h for its placeholders).
    void SetInfoFmt(const QString& format, const QVariantList& args);
    void SetStatus(const QString& text);

private:
    IInfoOutput* Output = nullptr;
};

TInfoAusgabe& InfoAusgabe();
