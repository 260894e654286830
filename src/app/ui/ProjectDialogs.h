#pragma once

#include <QString>

class QWidget;
class TFBDocument;

// The questions a project command asks through a window of its own: the
// file dialogs and the new-project wizard. The main window asks through
// this interface so tests can script the answers and never open a real
// modal dialog.
class IProjectDialogs {
public:
    virtual ~IProjectDialogs() = default;
    // The chosen file, or empty when the user cancelled.
    virtual QString AskOpenFileName(QWidget* parent, const QString& filter) = 0;
    virtual QString AskSaveFileName(QWidget* parent, const QString& filter) = 0;
    // 1: the document now holds a new project; 100: the user wants to open
    // an existing project instead; anything else: cancelled.
    virtual int RunNewProjectWizard(QWidget* parent, TFBDocument& document) = 0;
};

// Qt's file dialogs and the wizard.
class TQtProjectDialogs : public IProjectDialogs {
public:
    QString AskOpenFileName(QWidget* parent, const QString& filter) override;
    QString AskSaveFileName(QWidget* parent, const QString& filter) override;
    int RunNewProjectWizard(QWidget* parent, TFBDocument& document) override;
};

// "TPB-Dateien (*.tpb)" in the current language.
QString ProjectFileFilter();
// The name with ".tpb" appended when it has no such extension (any case).
QString WithProjectExtension(const QString& fileName);
