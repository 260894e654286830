#include "i18n/ui/LocalizerForm.h"

#include "app/Services.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

const char* const kFormMarker = "_lumarboForm";

// The tab widget and index of a tab page, if obj is one.
QTabWidget* TabOwner(QObject* obj, int* index)
{
    auto* w = qobject_cast<QWidget*>(obj);
    if (!w || !qobject_cast<QStackedWidget*>(w->parentWidget()))
        return nullptr;
    auto* tabs = qobject_cast<QTabWidget*>(w->parentWidget()->parentWidget());
    if (!tabs)
        return nullptr;
    *index = tabs->indexOf(w);
    return *index >= 0 ? tabs : nullptr;
}

// Accessors for one translated property of one object; get returns false
// when the object has no such property.
struct Prop {
    std::function<bool(QString*)> Get;
    std::function<void(const QString&)> Set;
};

Prop PropertyOf(QObject* obj, const QString& name, bool isForm)
{
    const auto none = Prop{[](QString*) { return false; }, [](const QString&) {}};
    if (name == QLatin1String("Caption")) {
        int tab = -1;
        if (QTabWidget* tabs = TabOwner(obj, &tab))
            return {[=](QString* v) { *v = tabs->tabText(tab); return true; },
                    [=](const QString& v) { tabs->setTabText(tab, v); }};
        if (auto* w = qobject_cast<QWidget*>(obj); w && (isForm || qobject_cast<QDockWidget*>(w)))
            return {[=](QString* v) { *v = w->windowTitle(); return true; },
                    [=](const QString& v) { w->setWindowTitle(v); }};
        if (auto* b = qobject_cast<QAbstractButton*>(obj))
            return {[=](QString* v) { *v = b->text(); return true; }, [=](const QString& v) { b->setText(v); }};
        if (auto* l = qobject_cast<QLabel*>(obj))
            return {[=](QString* v) { *v = l->text(); return true; }, [=](const QString& v) { l->setText(v); }};
        if (auto* a = qobject_cast<QAction*>(obj)) {
            // A menu's own action is translated through the menu.
            if (a->menu())
                return none;
            return {[=](QString* v) { *v = a->text(); return true; }, [=](const QString& v) { a->setText(v); }};
        }
        if (auto* m = qobject_cast<QMenu*>(obj))
            return {[=](QString* v) { *v = m->title(); return true; }, [=](const QString& v) { m->setTitle(v); }};
        if (auto* g = qobject_cast<QGroupBox*>(obj))
            return {[=](QString* v) { *v = g->title(); return true; }, [=](const QString& v) { g->setTitle(v); }};
    } else if (name == QLatin1String("Hint")) {
        if (auto* a = qobject_cast<QAction*>(obj))
            return {[=](QString* v) { *v = a->toolTip() == a->text() ? QString() : a->toolTip(); return true; },
                    [=](const QString& v) { a->setToolTip(v); }};
        if (auto* w = qobject_cast<QWidget*>(obj))
            return {[=](QString* v) { *v = w->toolTip(); return true; }, [=](const QString& v) { w->setToolTip(v); }};
    } else if (name == QLatin1String("Text")) {
        if (auto* e = qobject_cast<QLineEdit*>(obj); e && e->isReadOnly())
            return {[=](QString* v) { *v = e->text(); return true; }, [=](const QString& v) { e->setText(v); }};
    } else if (name == QLatin1String("Title")) {
        const QVariant dyn = obj->property("Title");
        if (dyn.isValid())
            return {[=](QString* v) { *v = obj->property("Title").toString(); return true; },
                    [=](const QString& v) { obj->setProperty("Title", v); }};
    }
    return none;
}

// String-list properties: read all lines, replace or append line i.
struct ListProp {
    QString Name;
    std::function<QStringList()> Get;
    std::function<void(int, const QString&)> Set;
};

std::vector<ListProp> ListPropertiesOf(QObject* obj)
{
    std::vector<ListProp> out;
    if (auto* c = qobject_cast<QComboBox*>(obj)) {
        out.push_back({QStringLiteral("Items"),
                       [=] {
                           QStringList l;
                           for (int i = 0; i < c->count(); ++i)
                               l << c->itemText(i);
                           return l;
                       },
                       [=](int i, const QString& v) {
                           if (i < c->count())
                               c->setItemText(i, v);
                           else
                               c->addItem(v);
                       }});
    } else if (auto* lw = qobject_cast<QListWidget*>(obj)) {
        out.push_back({QStringLiteral("Items"),
                       [=] {
                           QStringList l;
                           for (int i = 0; i < lw->count(); ++i)
                               l << lw->item(i)->text();
                           return l;
                       },
                       [=](int i, const QString& v) {
                           if (i < lw->count())
                               lw->item(i)->setText(v);
                           else
                               lw->addItem(v);
                       }});
    } else if (auto* bg = qobject_cast<QButtonGroup*>(obj)) {
        auto ordered = [=] {
            QList<QAbstractButton*> buttons = bg->buttons();
            std::stable_sort(buttons.begin(), buttons.end(),
                             [=](QAbstractButton* a, QAbstractButton* b) { return bg->id(a) < bg->id(b); });
            return buttons;
        };
        out.push_back({QStringLiteral("Items"),
                       [=] {
                           QStringList l;
                           for (QAbstractButton* b : ordered())
                               l << b->text();
                           return l;
                       },
                       [=](int i, const QString& v) {
                           const auto buttons = ordered();
                           if (i < buttons.size())
                               buttons[i]->setText(v);
                       }});
    } else if (auto* pe = qobject_cast<QPlainTextEdit*>(obj); pe && pe->isReadOnly()) {
        out.push_back({QStringLiteral("Lines"),
                       [=] { return pe->toPlainText().split(QLatin1Char('\n')); },
                       [=](int i, const QString& v) {
                           QStringList l = pe->toPlainText().split(QLatin1Char('\n'));
                           if (i < l.size())
                               l[i] = v;
                           else
                               l << v;
                           pe->setPlainText(l.join(QLatin1Char('\n')));
                       }});
    } else if (auto* tb = qobject_cast<QTabBar*>(obj)) {
        out.push_back({QStringLiteral("Tabs"),
                       [=] {
                           QStringList l;
                           for (int i = 0; i < tb->count(); ++i)
                               l << tb->tabText(i);
                           return l;
                       },
                       [=](int i, const QString& v) {
                           if (i < tb->count())
                               tb->setTabText(i, v);
                           else
                               tb->addTab(v);
                       }});
    }
    return out;
}

const QStringList& TranslatedProperties()
{
    static const QStringList props = {QStringLiteral("Caption"), QStringLiteral("Hint"), QStringLiteral("Text"),
                                      QStringLiteral("Title")};
    return props;
}

void TranslateOne(QObject* obj, bool isForm, const QString& section, TLocalizer& loc)
{
    const QString name = obj->objectName();
    for (const ListProp& lp : ListPropertiesOf(obj)) {
        const QString prefix = name + QLatin1Char('.') + lp.Name;
        if (loc.ResWriteMode) {
            const QStringList lines = lp.Get();
            for (int i = 0; i < lines.size(); ++i)
                loc.LanguageTable.WriteString(section, prefix + QString::number(i),
                                              TLocalizer::EncodeEscapes(lines[i]));
            continue;
        }
        for (int i = 0;; ++i) {
            QString v;
            if (!loc.FindInTable(section, prefix + QString::number(i), v))
                break;
            lp.Set(i, TLocalizer::DecodeEscapes(v));
        }
    }
    for (const QString& propName : TranslatedProperties()) {
        const Prop p = PropertyOf(obj, propName, isForm);
        QString current;
        if (!p.Get(&current))
            continue;
        const QString key = name + QLatin1Char('.') + propName;
        if (loc.ResWriteMode) {
            if (!current.trimmed().isEmpty())
                loc.LanguageTable.WriteString(section, key, TLocalizer::EncodeEscapes(current));
            continue;
        }
        QString v;
        if (loc.FindInTable(section, key, v))
            p.Set(TLocalizer::DecodeEscapes(v));
    }
}

void Walk(QObject* obj, bool isRoot, const QString& section, TLocalizer& loc)
{
    if (!isRoot && obj->property(kFormMarker).toBool())
        return; // a window with its own section
    const QString name = obj->objectName();
    if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
        TranslateOne(obj, isRoot, section, loc);
    for (QObject* child : obj->children())
        Walk(child, false, section, loc);
}

} // namespace

void TranslateObjectTree(QObject* root, const QString& section, TLocalizer& localizer)
{
    Walk(root, true, section, localizer);
}

TLocalizerForm::TLocalizerForm(QWidget* form, QString formClass)
    : Form(form)
    , Class(std::move(formClass))
{
    Form->setProperty(kFormMarker, true);
    if (Form->objectName().isEmpty())
        Form->setObjectName(Class.startsWith(QLatin1Char('T')) ? Class.mid(1) : Class);
}

TLocalizerForm::~TLocalizerForm()
{
    if (Registered && TServices::Exists())
        Localizer().RemoveForm(this);
}

void TLocalizerForm::InitLocalizer()
{
    RegisterTexts();
    TranslateForm();
    AfterTranslate();
    Localizer().AddForm(this);
    Registered = true;
}

void TLocalizerForm::TranslateForm()
{
    TranslateObjectTree(Form, Class, Localizer());
}

void TLocalizerForm::Retranslate()
{
    TranslateForm();
    AfterTranslate();
}

QString TLocalizerForm::Tr(const QString& key) const
{
    return Localizer().TranslateFormText(Class, key);
}
