#pragma once

#include "app/MyMemIniFile.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVariantList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// A language: three-letter code and the Windows primary language number
// that system locales are matched against.
struct TLanguageInfo {
    const char* Code;
    int PrimaryLanguage;
};
constexpr int LanguageCount = 22;
extern const std::array<TLanguageInfo, LanguageCount> Languages;

// Windows primary language number of a POSIX locale name ("de_DE.UTF-8" ->
// 0x07); -1 for "C", "POSIX", empty or unknown languages.
int PrimaryLanguageFromLocaleName(const QString& name);
// The same for the locale in the environment (LC_ALL, LC_MESSAGES, LANG).
int SystemPrimaryLanguage();

// A window that translates itself; TLocalizerForm (i18n/ui) implements it.
class ITranslatableForm {
public:
    virtual ~ITranslatableForm() = default;
    // TranslateForm followed by AfterTranslate.
    virtual void Retranslate() = 0;
};

class QTranslator;
class TRuntimeTranslator;

// The translator: the table of the current language, the built-in German
// texts registered at run time, lookups by section and key, language
// switching and the "/RESWRITE" collection of translatable texts.
class TLocalizer {
public:
    static constexpr const char* NoDefault = "kein Defaultwert definiert";
    static constexpr const char* MissingMarker = "VQ2001 kein String";

    TLocalizer();
    ~TLocalizer();
    TLocalizer(const TLocalizer&) = delete;
    TLocalizer& operator=(const TLocalizer&) = delete;

    int CurrentLanguage = 0;
    std::uint32_t EnabledLanguages = 0x4023F;
    bool ResWriteMode = false;
    TMyMemIniFile LanguageTable;
    TMyMemIniFile DefaultTexts;

    // Where the table of a language id comes from (the built-in resource
    // ":/lang/<100 + id>"); tests replace it. Returns false when there is no
    // table; the bytes are UTF-16LE text.
    std::function<bool(int id, QByteArray* bytes)> TableSource;
    // The primary language number of the user's locale; tests replace it.
    std::function<int()> SystemLanguage;

    // Table of the current language, then the registered German texts, then
    // the built-in German table (symbolic keys without a registered
    // default), then def; "#13#" and "#10#" decoded.
    QString Lookup(const QString& section, const QString& key, const QString& def) const;
    QString Translate(const QString& key) const;
    QString TranslateFormText(const QString& formClass, const QString& key) const;
    // The value in the current language table only (form properties).
    bool FindInTable(const QString& section, const QString& key, QString& value) const;

    // A translated format applied to args. A translation whose placeholders
    // do not fit the arguments falls back to the German format.
    QString TranslateFmt(const QString& section, const QString& key, const QVariantList& args) const;

    void RegisterText(const QString& text);
    void RegisterSectionText(const QString& section, const QString& text);
    void RegisterFormText(const QString& formClass, const QString& key, const QString& text);
    void RegisterFormText(const QString& formClass, const QString& text);

    // Shows a message (through the prompter) when the language cannot be
    // chosen; throws when its table cannot be read. A failed switch keeps
    // the current language and its table.
    void SwitchLanguage(int id);
    void SelectInitialLanguage();
    void SetEnabledLanguages(std::uint32_t set);
    bool LanguageAvailable(int id) const;
    QString ManualFileName(int id) const;
    static QString LanguageCode(int id);

    // Bold, italic and underline glyphs (16 x 16) of the text tool bars,
    // lettered for the current language.
    QImage StyleGlyph(int index) const;
    QImage BoldGlyph() const { return StyleGlyph(0); }
    QImage ItalicGlyph() const { return StyleGlyph(1); }
    QImage UnderlineGlyph() const { return StyleGlyph(2); }

    // Texts of the runtime library after the last switch (message box titles
    // and buttons, key names); key is e.g. "IDS_mbYes" or "XSmkcCtrl".
    QString RuntimeText(const QString& key) const;

    // Forms register themselves so a switch retranslates them in creation
    // order.
    void AddForm(ITranslatableForm* form);
    void RemoveForm(ITranslatableForm* form);

    // Collection mode: the file the texts go to and the final merge (run
    // at program end when ResWriteMode is set).
    QString CollectionFileName() const;
    void WriteCollection() const;
    void WriteCollection(const QString& fileName) const;

    static QString EncodeEscapes(const QString& s);
    static QString DecodeEscapes(const QString& s);

private:
    bool LoadTable(int id, TMyMemIniFile& into) const;
    const TMyMemIniFile& GermanTable() const;
    void TranslateRuntimeTexts();
    void LoadQtTexts(int id);

    std::vector<ITranslatableForm*> Forms;
    mutable std::unique_ptr<TMyMemIniFile> German;
    mutable std::array<QImage, 3> Glyphs;
    std::unique_ptr<TRuntimeTranslator> Runtime;
    std::unique_ptr<QTranslator> QtBase;
};

TLocalizer& Localizer();
