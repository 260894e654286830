#include "i18n/Localizer.h"

#include "app/Codec1252.h"
#include "app/Errors.h"
#include "app/Format.h"
#include "app/Prompts.h"
#include "app/Services.h"
#include "app/VQRegistry.h"
#include "app/WaitCursor.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <algorithm>

const std::array<TLanguageInfo, LanguageCount> Languages = {{
    {"deu", 0x07}, {"eng", 0x09}, {"fra", 0x0C}, {"ita", 0x10}, {"spa", 0x0A}, {"por", 0x16},
    {"pol", 0x15}, {"ung", 0x0E}, {"cze", 0x05}, {"ned", 0x13}, {"fin", 0x0B}, {"cro", 0x1A},
    {"ser", 0x1A}, {"rum", 0x18}, {"gre", 0x08}, {"rus", 0x19}, {"swe", 0x1D}, {"nor", 0x14},
    {"dan", 0x06}, {"slo", 0x24}, {"slk", 0x1B}, {"trk", 0x1F},
}};

int PrimaryLanguageFromLocaleName(const QString& name)
{
    QString lang = name.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    lang = lang.section(QLatin1Char('_'), 0, 0).section(QLatin1Char('-'), 0, 0).toLower();
    static const QHash<QString, int> primary = {
        {QStringLiteral("de"), 0x07}, {QStringLiteral("en"), 0x09}, {QStringLiteral("fr"), 0x0C},
        {QStringLiteral("it"), 0x10}, {QStringLiteral("es"), 0x0A}, {QStringLiteral("pt"), 0x16},
        {QStringLiteral("pl"), 0x15}, {QStringLiteral("hu"), 0x0E}, {QStringLiteral("cs"), 0x05},
        {QStringLiteral("nl"), 0x13}, {QStringLiteral("fi"), 0x0B}, {QStringLiteral("hr"), 0x1A},
        {QStringLiteral("sr"), 0x1A}, {QStringLiteral("bs"), 0x1A}, {QStringLiteral("ro"), 0x18},
        {QStringLiteral("el"), 0x08}, {QStringLiteral("ru"), 0x19}, {QStringLiteral("sv"), 0x1D},
        {QStringLiteral("nb"), 0x14}, {QStringLiteral("nn"), 0x14}, {QStringLiteral("no"), 0x14},
        {QStringLiteral("da"), 0x06}, {QStringLiteral("sl"), 0x24}, {QStringLiteral("sk"), 0x1B},
        {QStringLiteral("tr"), 0x1F},
    };
    return primary.value(lang, -1);
}

int SystemPrimaryLanguage()
{
    // The first of these that is set decides, as for the C library.
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString v = qEnvironmentVariable(var);
        if (!v.isEmpty())
            return PrimaryLanguageFromLocaleName(v);
    }
    return -1;
}

// Answers Qt's own texts (key names in shortcuts, standard buttons) with the
// runtime texts of the current language.
class TRuntimeTranslator : public QTranslator {
public:
    QHash<QString, QString> Texts; // "context\x1fsource" -> text

    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* = nullptr,
                      int = -1) const override
    {
        if (!context || !sourceText)
            return {};
        return Texts.value(QString::fromLatin1(context) + QChar(0x1F) + QString::fromLatin1(sourceText));
    }
};

namespace {

struct RuntimeKey {
    const char* Key;
    const char* German;
};

// Registered at creation, so Translate finds them in any language.
constexpr RuntimeKey kRegisteredRuntimeKeys[] = {
    {"XSmkcBkSp", "Rück"},      {"XSmkcTab", "Tab"},        {"XSmkcEsc", "Esc"},
    {"XSmkcEnter", "Enter"},    {"XSmkcSpace", "Leertaste"}, {"XSmkcPgUp", "BildAuf"},
    {"XSmkcPgDn", "BildAb"},    {"XSmkcEnd", "Ende"},       {"XSmkcHome", "Pos1"},
    {"XSmkcLeft", "Links"},     {"XSmkcUp", "Nach oben"},   {"XSmkcRight", "Rechts"},
    {"XSmkcDown", "Nach unten"}, {"XSmkcIns", "Einfg"},     {"XSmkcDel", "Entf"},
    {"XSmkcShift", "Umsch+"},   {"XSmkcCtrl", "Strg+"},     {"XSmkcAlt", "Alt+"},
    {"XSModuleAccessViolation", "Zugriffsverletzung bei Adresse %p in Modul '%s'. %s von Adresse %p"},
};

// The runtime library's own German texts until the first switch; the
// language tables carry these keys.
constexpr RuntimeKey kTableRuntimeKeys[] = {
    {"IDS_mtWarning", "Warnung"},      {"IDS_mtError", "Fehler"},
    {"IDS_mtInformation", "Information"}, {"IDS_mtConfimation", "Bestätigung"},
    {"IDS_mbYes", "&Ja"},              {"IDS_mbNo", "&Nein"},
    {"IDS_mbOK", "OK"},                {"IDS_mbCancel", "Abbrechen"},
    {"IDS_mbHelp", "&Hilfe"},          {"IDS_mbAbort", "&Abbrechen"},
    {"IDS_mbRetry", "&Wiederholen"},   {"IDS_mbIgnore", "&Ignorieren"},
    {"IDS_mbAll", "&Alle"},            {"IDS_mbNoToAll", "&Alle Nein"},
    {"IDS_mbYesToAll", "A&lle Ja"},
};

// Which of Qt's texts each runtime key stands for.
struct QtText {
    const char* Key;
    const char* Context;
    const char* Source;
    bool StripPlus;
};
constexpr QtText kQtTexts[] = {
    {"XSmkcBkSp", "QShortcut", "Backspace", false}, {"XSmkcTab", "QShortcut", "Tab", false},
    {"XSmkcEsc", "QShortcut", "Esc", false},        {"XSmkcEnter", "QShortcut", "Return", false},
    {"XSmkcEnter", "QShortcut", "Enter", false},    {"XSmkcSpace", "QShortcut", "Space", false},
    {"XSmkcPgUp", "QShortcut", "PgUp", false},      {"XSmkcPgDn", "QShortcut", "PgDown", false},
    {"XSmkcEnd", "QShortcut", "End", false},        {"XSmkcHome", "QShortcut", "Home", false},
    {"XSmkcLeft", "QShortcut", "Left", false},      {"XSmkcUp", "QShortcut", "Up", false},
    {"XSmkcRight", "QShortcut", "Right", false},    {"XSmkcDown", "QShortcut", "Down", false},
    {"XSmkcIns", "QShortcut", "Ins", false},        {"XSmkcDel", "QShortcut", "Del", false},
    {"XSmkcShift", "QShortcut", "Shift", true},     {"XSmkcCtrl", "QShortcut", "Ctrl", true},
    {"XSmkcAlt", "QShortcut", "Alt", true},
    {"IDS_mbYes", "QPlatformTheme", "&Yes", false}, {"IDS_mbNo", "QPlatformTheme", "&No", false},
    {"IDS_mbOK", "QPlatformTheme", "OK", false},    {"IDS_mbCancel", "QPlatformTheme", "Cancel", false},
    {"IDS_mbHelp", "QPlatformTheme", "Help", false}, {"IDS_mbAbort", "QPlatformTheme", "Abort", false},
    {"IDS_mbRetry", "QPlatformTheme", "Retry", false}, {"IDS_mbIgnore", "QPlatformTheme", "Ignore", false},
    {"IDS_mbNoToAll", "QPlatformTheme", "N&o to All", false},
    {"IDS_mbYesToAll", "QPlatformTheme", "Yes to &All", false},
};

const QString kDefault = QStringLiteral("Default");

} // namespace

TLocalizer::TLocalizer()
    : TableSource([](int id, QByteArray* bytes) {
        QFile f(QStringLiteral(":/lang/%1").arg(100 + id));
        if (!f.open(QIODevice::ReadOnly))
            return false;
        if (bytes)
            *bytes = f.readAll();
        return true;
    })
    , SystemLanguage(&SystemPrimaryLanguage)
    , Runtime(std::make_unique<TRuntimeTranslator>())
{
    const QStringList args = QCoreApplication::instance() ? QCoreApplication::arguments() : QStringList();
    ResWriteMode = args.size() > 1 && args.at(1).compare(QLatin1String("/RESWRITE"), Qt::CaseInsensitive) == 0;

    RegisterFormText(QStringLiteral("Localizer"), QStringLiteral("NoLanguageFile"),
                     QStringLiteral("Die Sprache wird nicht unterstützt"));
    for (const RuntimeKey& k : kRegisteredRuntimeKeys)
        RegisterFormText(kDefault, QString::fromUtf8(k.Key), QString::fromUtf8(k.German));

    // Until the first switch the runtime texts are the built-in German ones.
    for (const QtText& q : kQtTexts) {
        QString text;
        for (const RuntimeKey& k : kRegisteredRuntimeKeys)
            if (qstrcmp(k.Key, q.Key) == 0)
                text = QString::fromUtf8(k.German);
        for (const RuntimeKey& k : kTableRuntimeKeys)
            if (qstrcmp(k.Key, q.Key) == 0)
                text = QString::fromUtf8(k.German);
        if (q.StripPlus && text.endsWith(QLatin1Char('+')))
            text.chop(1);
        Runtime->Texts.insert(QString::fromLatin1(q.Context) + QChar(0x1F) + QString::fromLatin1(q.Source), text);
    }
    LoadQtTexts(0);
    if (QCoreApplication::instance())
        QCoreApplication::installTranslator(Runtime.get());
}

void TLocalizer::LoadQtTexts(int id)
{
    // Qt's own dialogs (file dialogs, colour dialog) speak the interface
    // language through Qt's translations where the system has them; our
    // runtime texts, installed later, are asked first.
    if (!QCoreApplication::instance())
        return;
    if (QtBase)
        QCoreApplication::removeTranslator(QtBase.get());
    QtBase = std::make_unique<QTranslator>();
    const QLocale::Language language =
        QLocale::codeToLanguage(LanguageCode(id), QLocale::ISO639Part2 | QLocale::ISO639Part2B);
    if (language == QLocale::AnyLanguage ||
        !QtBase->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QtBase.reset();
        return;
    }
    QCoreApplication::installTranslator(QtBase.get());
}

TLocalizer::~TLocalizer()
{
    if (ResWriteMode) {
        try {
            WriteCollection();
        } catch (const Exception&) {
            // Nothing to tell at program end; the collection is a developer
            // tool.
        }
    }
    if (QCoreApplication::instance()) {
        QCoreApplication::removeTranslator(Runtime.get());
        if (QtBase)
            QCoreApplication::removeTranslator(QtBase.get());
    }
}

QString TLocalizer::EncodeEscapes(const QString& s)
{
    QString r = s;
    r.replace(QLatin1Char('\r'), QStringLiteral("#13#"));
    r.replace(QLatin1Char('\n'), QStringLiteral("#10#"));
    return r;
}

QString TLocalizer::DecodeEscapes(const QString& s)
{
    QString r = s;
    r.replace(QStringLiteral("#13#"), QStringLiteral("\r"));
    r.replace(QStringLiteral("#10#"), QStringLiteral("\n"));
    return r;
}

bool TLocalizer::LoadTable(int id, TMyMemIniFile& into) const
{
    if (id < 0 || id >= LanguageCount || !TableSource)
        return false;
    QByteArray bytes;
    if (!TableSource(id, &bytes) || bytes.size() < 2)
        return false;
    into.LoadFromWideBytes(bytes);
    return !into.ReadSections().isEmpty();
}

const TMyMemIniFile& TLocalizer::GermanTable() const
{
    if (!German) {
        German = std::make_unique<TMyMemIniFile>();
        LoadTable(0, *German);
    }
    return *German;
}

bool TLocalizer::FindInTable(const QString& section, const QString& key, QString& value) const
{
    return LanguageTable.FindString(section, key, value) && value != QLatin1String(MissingMarker);
}

QString TLocalizer::Lookup(const QString& section, const QString& key, const QString& def) const
{
    QString v;
    if (FindInTable(section, key, v))
        return DecodeEscapes(v);
    if (DefaultTexts.FindString(section, key, v) && v != QLatin1String(MissingMarker))
        return DecodeEscapes(v);
    if (GermanTable().FindString(section, key, v) && v != QLatin1String(MissingMarker))
        return DecodeEscapes(v);
    return DecodeEscapes(def);
}

QString TLocalizer::Translate(const QString& key) const
{
    return Lookup(kDefault, key, QString::fromLatin1(NoDefault));
}

QString TLocalizer::TranslateFormText(const QString& formClass, const QString& key) const
{
    return Lookup(formClass, key, QString::fromLatin1(NoDefault));
}

QString TLocalizer::TranslateFmt(const QString& section, const QString& key, const QVariantList& args) const
{
    QString out;
    if (TryFormat(Lookup(section, key, key), args, out))
        return out;
    QString german;
    if (!DefaultTexts.FindString(section, key, german) && !GermanTable().FindString(section, key, german))
        german = key;
    return Format(DecodeEscapes(german), args);
}

void TLocalizer::RegisterText(const QString& text)
{
    RegisterFormText(kDefault, text, text);
}

void TLocalizer::RegisterSectionText(const QString& section, const QString& text)
{
    RegisterFormText(section, text, text);
}

void TLocalizer::RegisterFormText(const QString& formClass, const QString& key, const QString& text)
{
    DefaultTexts.WriteString(formClass, EncodeEscapes(key), EncodeEscapes(text));
}

void TLocalizer::RegisterFormText(const QString& formClass, const QString& text)
{
    RegisterFormText(formClass, text, text);
}

bool TLocalizer::LanguageAvailable(int id) const
{
    if (id < 0 || id > 31 || id >= LanguageCount)
        return false;
    if (!(EnabledLanguages & (std::uint32_t(1) << id)))
        return false;
    return TableSource && TableSource(id, nullptr);
}

QString TLocalizer::LanguageCode(int id)
{
    if (id < 0 || id >= LanguageCount)
        return QString();
    return QString::fromLatin1(Languages[std::size_t(id)].Code);
}

QString TLocalizer::ManualFileName(int id) const
{
    const QFileInfo exe(QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                                     : QStringLiteral("lumarbo"));
    const QString base = exe.fileName().section(QLatin1Char('.'), 0, 0);
    return exe.absolutePath() + QLatin1Char('/') + base + QLatin1Char('_') + LanguageCode(id)
           + QStringLiteral(".pdf");
}

void TLocalizer::SwitchLanguage(int id)
{
    TWaitCursor wait;
    if (ResWriteMode) {
        ::Prompter().ShowMessage(
            QStringLiteral("Sprachumschaltung nicht möglich, da Resourcenschreibmodus aktiviert ist"));
        return;
    }
    if (!LanguageAvailable(id)) {
        ::Prompter().ShowMessage(QStringLiteral("Ausgewählte Sprache steht nicht zur Verfügung"));
        return;
    }
    // Load beside the current table: a table that cannot be read leaves the
    // current language intact.
    TMyMemIniFile table;
    if (!LoadTable(id, table))
        throw Exception(Lookup(QStringLiteral("Localizer"), QStringLiteral("NoLanguageFile"),
                               QString::fromLatin1(NoDefault))
                        + QStringLiteral(": ") + LanguageCode(id));
    CurrentLanguage = id;
    LanguageTable = std::move(table);

    for (QImage& g : Glyphs)
        g = QImage();
    LoadQtTexts(id);
    TranslateRuntimeTexts();
    // A form may close itself while being translated; work on a copy.
    const std::vector<ITranslatableForm*> forms = Forms;
    for (ITranslatableForm* f : forms)
        if (std::find(Forms.begin(), Forms.end(), f) != Forms.end())
            f->Retranslate();
}

void TLocalizer::TranslateRuntimeTexts()
{
    for (const QtText& q : kQtTexts) {
        QString text = Translate(QString::fromLatin1(q.Key));
        if (q.StripPlus && text.endsWith(QLatin1Char('+')))
            text.chop(1);
        Runtime->Texts.insert(QString::fromLatin1(q.Context) + QChar(0x1F) + QString::fromLatin1(q.Source), text);
    }
    // Re-installing makes Qt send LanguageChange, so open widgets re-read
    // key names and button texts.
    if (QCoreApplication::instance()) {
        QCoreApplication::removeTranslator(Runtime.get());
        QCoreApplication::installTranslator(Runtime.get());
    }
}

QString TLocalizer::RuntimeText(const QString& key) const
{
    if (LanguageTable.ReadSections().isEmpty()) {
        for (const RuntimeKey& k : kTableRuntimeKeys)
            if (key == QLatin1String(k.Key))
                return QString::fromUtf8(k.German);
    }
    return Translate(key);
}

void TLocalizer::SelectInitialLanguage()
{
    int id = VQRegistry().ReadInteger(QString(), QStringLiteral("Sprache"), -99);
    if (id < 0 || id >= LanguageCount)
        id = -99;
    if (id == -99) {
        const int primary = SystemLanguage ? SystemLanguage() : -1;
        int found = -1;
        for (int i = 0; i < LanguageCount; ++i)
            if (Languages[std::size_t(i)].PrimaryLanguage == primary) {
                found = i;
                break;
            }
        if (found < 0 || !(EnabledLanguages & (std::uint32_t(1) << found)) || !TableSource
            || !TableSource(found, nullptr))
            return;
        id = found;
    }
    try {
        SwitchLanguage((EnabledLanguages & (std::uint32_t(1) << id)) ? id : 0);
    } catch (const Exception&) {
        // At start-up the program goes on in the built-in German.
    }
}

void TLocalizer::SetEnabledLanguages(std::uint32_t set)
{
    EnabledLanguages = set;
    if (CurrentLanguage < 0 || CurrentLanguage > 31 || !(EnabledLanguages & (std::uint32_t(1) << CurrentLanguage)))
        SelectInitialLanguage();
}

QImage TLocalizer::StyleGlyph(int index) const
{
    if (index < 0 || index > 2)
        return QImage();
    if (Glyphs[std::size_t(index)].isNull()) {
        // Letters for bold, italic, underline as the language names them.
        static const QHash<QString, QString> letters = {
            {QStringLiteral("deu"), QStringLiteral("FKU")}, {QStringLiteral("eng"), QStringLiteral("BIU")},
            {QStringLiteral("fra"), QStringLiteral("GIS")}, {QStringLiteral("ita"), QStringLiteral("GCS")},
            {QStringLiteral("spa"), QStringLiteral("NCS")}, {QStringLiteral("por"), QStringLiteral("NIS")},
            {QStringLiteral("ned"), QStringLiteral("VCO")}, {QStringLiteral("dan"), QStringLiteral("FKU")},
        };
        const QString set = letters.value(LanguageCode(CurrentLanguage), QStringLiteral("BIU"));
        QImage img(16, 16, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            QPainter p(&img);
            QFont f(QStringLiteral("Arial"));
            f.setPixelSize(13);
            f.setBold(index == 0);
            f.setItalic(index == 1);
            f.setUnderline(index == 2);
            p.setFont(f);
            p.setPen(Qt::black);
            p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, set.mid(index, 1));
        }
        Glyphs[std::size_t(index)] = img;
    }
    return Glyphs[std::size_t(index)];
}

void TLocalizer::AddForm(ITranslatableForm* form)
{
    if (std::find(Forms.begin(), Forms.end(), form) == Forms.end())
        Forms.push_back(form);
}

void TLocalizer::RemoveForm(ITranslatableForm* form)
{
    Forms.erase(std::remove(Forms.begin(), Forms.end(), form), Forms.end());
}

QString TLocalizer::CollectionFileName() const
{
    const QFileInfo exe(QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                                     : QStringLiteral("lumarbo"));
    return exe.absolutePath() + QLatin1Char('/') + exe.completeBaseName() + QStringLiteral(".txt");
}

void TLocalizer::WriteCollection() const
{
    WriteCollection(CollectionFileName());
}

void TLocalizer::WriteCollection(const QString& fileName) const
{
    TMyMemIniFile collected = LanguageTable;
    for (const QString& section : DefaultTexts.ReadSections())
        collected.AppendLines(section, DefaultTexts.ReadSectionValues(section));

    TMyMemIniFile file;
    QFile in(fileName);
    if (in.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = in.readAll();
        if (bytes.startsWith("\xFF\xFE")) {
            file.LoadFromWideBytes(bytes);
        } else {
            QBuffer buf;
            buf.setData(bytes);
            buf.open(QIODevice::ReadOnly);
            file.LoadFromStream(buf);
        }
    }
    for (const QString& section : collected.ReadSections())
        for (const QString& line : collected.ReadSectionValues(section)) {
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            if (eq < 0)
                continue;
            file.WriteString(section, line.left(eq), line.mid(eq + 1));
        }
    file.SaveToFile(fileName);
}

TLocalizer& Localizer()
{
    return TServices::Instance().Localizer();
}
