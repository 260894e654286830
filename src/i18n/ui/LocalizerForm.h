#pragma once

#include "i18n/Localizer.h"

#include <QString>

class QObject;
class QWidget;

// Base of every window that translates itself. The window's widgets and
// actions are found by object name; a table key is the object name, ".", and
// the property: "Caption" (window title, button, label, action and tab text,
// menu and group box title), "Hint" (tool tip), "Text" (read-only line edits
// only: an editable input holds what the user typed), "Title" (window
// title of a dialog object), and the string lists "Items" (combo and list
// boxes, the buttons of a QButtonGroup in id order), "Lines" (read-only
// plain text) and "Tabs" (tab bars) with a line index appended.
//
// A window calls InitLocalizer() once its widgets exist.
class TLocalizerForm : public ITranslatableForm {
public:
    TLocalizerForm(QWidget* form, QString formClass);
    ~TLocalizerForm() override;
    TLocalizerForm(const TLocalizerForm&) = delete;
    TLocalizerForm& operator=(const TLocalizerForm&) = delete;

    const QString& FormClass() const { return Class; }
    QWidget* FormWidget() const { return Form; }

    // RegisterTexts, TranslateForm, AfterTranslate; registers the window for
    // later language switches.
    void InitLocalizer();
    void TranslateForm();
    void Retranslate() override;

    // A text the window's code looks up in its own section.
    QString Tr(const QString& key) const;

protected:
    virtual void RegisterTexts() {}
    virtual void AfterTranslate() {}

private:
    QWidget* Form;
    QString Class;
    bool Registered = false;
};

// Translates (or, in collection mode, collects) the named objects below
// root in the given section. Objects that are windows of their own are left
// to their own form.
void TranslateObjectTree(QObject* root, const QString& section, TLocalizer& localizer);
