#include "app/Errors.h"
#include "app/VQRegistry.h"
#include "i18n/Localizer.h"
#include "support/TestSupport.h"

#include <QKeySequence>
#include <QMap>
#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

QByteArray Wide(const QString& text)
{
    QByteArray out("\xFF\xFE", 2);
    for (QChar c : text) {
        out.append(char(c.unicode() & 0xFF));
        out.append(char(c.unicode() >> 8));
    }
    return out;
}

// A localizer whose tables come from the test: id -> table text; an id
// mapped to an empty text has a table that cannot be read.
class LocalizerTest : public ::testing::Test {
protected:
    TTestServices Env;
    TLocalizer& Loc = Env.Services().Localizer();
    QMap<int, QString> Tables;

    void SetUp() override
    {
        Tables[0] = QStringLiteral("[Default]\r\nIDS_mbYes=&Ja\r\ncCaptionNoColor=Keine Farbe\r\n"
                                   "[Quarn]\r\nID_Buch=Fotobuch\r\n");
        Tables[1] = QStringLiteral("[Default]\r\nIDS_mbYes=&Yes\r\nXSmkcCtrl=Ctrl+\r\nXSmkcShift=Shift+\r\n"
                                   "Zwei Zeilen=first#13##10#second\r\nrandlos=borderless\r\n"
                                   "Drucke Seite %d von %d=Page %s of %d\r\nLeer=VQ2001 kein String\r\n"
                                   "[TMaster]\r\nUnbenannt=Untitled\r\n");
        Tables[3] = QString(); // present but unreadable
        Tables[16] = QStringLiteral("[Default]\r\nx=y\r\n");
        Loc.TableSource = [this](int id, QByteArray* bytes) {
            if (!Tables.contains(id))
                return false;
            if (bytes)
                *bytes = Tables[id].isEmpty() ? QByteArray() : Wide(Tables[id]);
            return true;
        };
        Loc.SystemLanguage = [] { return -1; };
        Loc.SetEnabledLanguages(0x21F);
    }
};

} // namespace

TEST_F(LocalizerTest, LookupChainAndEscapes)
{
    Loc.RegisterText(QStringLiteral("Drucke Seite %d von %d"));
    Loc.RegisterText(QStringLiteral("Zwei Zeilen"));
    Loc.RegisterText(QStringLiteral("Leer"));
    Loc.RegisterFormText(QStringLiteral("TMaster"), QStringLiteral("Unbenannt"));

    // Built-in German before any switch, the German table for symbolic keys
    // nobody registered, the default for the rest.
    EXPECT_EQ(Loc.Translate(QStringLiteral("Zwei Zeilen")), QStringLiteral("Zwei Zeilen"));
    EXPECT_EQ(Loc.Translate(QStringLiteral("cCaptionNoColor")), QStringLiteral("Keine Farbe"));
    EXPECT_EQ(Loc.Lookup(QStringLiteral("Quarn"), QStringLiteral("ID_Buch"), QStringLiteral("x")),
              QStringLiteral("Fotobuch"));
    EXPECT_EQ(Loc.Translate(QStringLiteral("Unbekannt")), QStringLiteral("kein Defaultwert definiert"));
    EXPECT_EQ(Loc.Lookup(QStringLiteral("Quarn"), QStringLiteral("Neu"), QStringLiteral("Neu")), QStringLiteral("Neu"));

    Loc.SwitchLanguage(1);
    EXPECT_EQ(Loc.Translate(QStringLiteral("Zwei Zeilen")), QStringLiteral("first\r\nsecond"));
    EXPECT_EQ(Loc.Translate(QStringLiteral("Randlos")), QStringLiteral("borderless"));
    EXPECT_EQ(Loc.TranslateFormText(QStringLiteral("tmaster"), QStringLiteral("Unbenannt")), QStringLiteral("Untitled"));
    // The marker counts as missing: the registered German text shows.
    EXPECT_EQ(Loc.Translate(QStringLiteral("Leer")), QStringLiteral("Leer"));
    // A symbolic key the English table lacks still finds the German text.
    EXPECT_EQ(Loc.Translate(QStringLiteral("cCaptionNoColor")), QStringLiteral("Keine Farbe"));

    // The translation's placeholders do not fit: the German format is used.
    EXPECT_EQ(Loc.TranslateFmt(QStringLiteral("Default"), QStringLiteral("Drucke Seite %d von %d"), {2, 5}),
              QStringLiteral("Drucke Seite 2 von 5"));

    // Registering encodes line breaks, lookup decodes them.
    Loc.RegisterFormText(QStringLiteral("TForm"), QStringLiteral("k"), QStringLiteral("a\r\nb"));
    EXPECT_EQ(Loc.DefaultTexts.ReadString(QStringLiteral("TForm"), QStringLiteral("k"), QString()),
              QStringLiteral("a#13##10#b"));
    EXPECT_EQ(Loc.TranslateFormText(QStringLiteral("TForm"), QStringLiteral("k")), QStringLiteral("a\r\nb"));
}

TEST_F(LocalizerTest, SwitchLanguageRefusalsAndFailures)
{
    Loc.SwitchLanguage(1);
    ASSERT_EQ(Loc.CurrentLanguage, 1);

    struct Case {
        int Id;
        const char* Message; // nullptr: an error is raised instead
    };
    const Case cases[] = {
        {16, "Ausgewählte Sprache steht nicht zur Verfügung"}, // table exists, not enabled
        {4, "Ausgewählte Sprache steht nicht zur Verfügung"},  // enabled, no table
        {-1, "Ausgewählte Sprache steht nicht zur Verfügung"},
        {40, "Ausgewählte Sprache steht nicht zur Verfügung"},
        {3, nullptr}, // enabled, table unreadable
    };
    for (const Case& c : cases) {
        Env.Prompts().Questions.clear();
        if (c.Message) {
            Loc.SwitchLanguage(c.Id);
            ASSERT_EQ(Env.Prompts().Questions.size(), 1u) << c.Id;
            EXPECT_EQ(Env.Prompts().Questions[0].Text, QString::fromUtf8(c.Message));
        } else {
            try {
                Loc.SwitchLanguage(c.Id);
                ADD_FAILURE() << "no error for " << c.Id;
            } catch (const Exception& e) {
                // The message comes from the current (English) language, or
                // the German default.
                EXPECT_EQ(e.message(), QStringLiteral("Die Sprache wird nicht unterstützt: ita"));
            }
        }
        // The current language and its table stay.
        EXPECT_EQ(Loc.CurrentLanguage, 1);
        EXPECT_EQ(Loc.Translate(QStringLiteral("Randlos")), QStringLiteral("borderless"));
    }

    Loc.ResWriteMode = true;
    Env.Prompts().Questions.clear();
    Loc.SwitchLanguage(0);
    ASSERT_EQ(Env.Prompts().Questions.size(), 1u);
    EXPECT_EQ(Env.Prompts().Questions[0].Text,
              QStringLiteral("Sprachumschaltung nicht möglich, da Resourcenschreibmodus aktiviert ist"));
    EXPECT_EQ(Loc.CurrentLanguage, 1);
    Loc.ResWriteMode = false;
}

TEST_F(LocalizerTest, SelectInitialLanguageCases)
{
    struct Case {
        int Stored;        // -1000: nothing stored
        int SystemPrimary; // Windows primary language number of the locale
        int Expected;
        bool Switched;
    };
    const Case cases[] = {
        {1, 0x07, 1, true},        // stored language wins over the locale
        {-1000, 0x09, 1, true},    // English locale
        {-1000, 0x1A, 0, false},   // Croatian before Serbian; no table: stays German
        {-1000, 0x1D, 0, false},   // Swedish: not enabled
        {-1000, -1, 0, false},     // C locale
        {5, 0x09, 0, true},        // stored but not enabled: German
        {99, 0x09, 1, true},       // out of range counts as absent
        {-7, 0x09, 1, true},
        {3, 0x09, 0, false},       // table unreadable: error swallowed
    };
    for (const Case& c : cases) {
        TTestServices env;
        TLocalizer& loc = env.Services().Localizer();
        loc.TableSource = Loc.TableSource;
        const int primary = c.SystemPrimary;
        loc.SystemLanguage = [primary] { return primary; };
        loc.EnabledLanguages = 0x21F;
        if (c.Stored != -1000)
            env.Services().Registry().WriteInteger(QString(), QStringLiteral("Sprache"), c.Stored);
        EXPECT_NO_THROW(loc.SelectInitialLanguage());
        EXPECT_EQ(loc.CurrentLanguage, c.Expected) << c.Stored << " " << c.SystemPrimary;
        EXPECT_EQ(!loc.LanguageTable.ReadSections().isEmpty(), c.Switched) << c.Stored << " " << c.SystemPrimary;
    }
}

TEST(LocaleNames, PrimaryLanguageNumbers)
{
    struct Case {
        const char* Name;
        int Primary;
    };
    const Case cases[] = {{"de_DE.UTF-8", 0x07}, {"en_GB", 0x09}, {"nl_BE.UTF-8@euro", 0x13}, {"hr_HR", 0x1A},
                          {"C", -1},           {"POSIX", -1},   {"", -1},                 {"xx_YY", -1}};
    for (const Case& c : cases)
        EXPECT_EQ(PrimaryLanguageFromLocaleName(QString::fromLatin1(c.Name)), c.Primary) << c.Name;
}

TEST_F(LocalizerTest, RuntimeTextsFollowTheLanguage)
{
    // Until the first switch the runtime library speaks German.
    EXPECT_EQ(Loc.RuntimeText(QStringLiteral("IDS_mbYes")), QStringLiteral("&Ja"));
    EXPECT_EQ(Loc.RuntimeText(QStringLiteral("IDS_mbNoToAll")), QStringLiteral("&Alle Nein"));
    EXPECT_EQ(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete).toString(QKeySequence::NativeText),
              QStringLiteral("Strg+Umsch+Entf"));
    Loc.SwitchLanguage(1);
    EXPECT_EQ(Loc.RuntimeText(QStringLiteral("IDS_mbYes")), QStringLiteral("&Yes"));
    EXPECT_EQ(QKeySequence(Qt::CTRL | Qt::Key_S).toString(QKeySequence::NativeText), QStringLiteral("Ctrl+S"));
    Loc.SwitchLanguage(0);
    EXPECT_EQ(QKeySequence(Qt::CTRL | Qt::Key_S).toString(QKeySequence::NativeText), QStringLiteral("Strg+S"));
}

TEST_F(LocalizerTest, QtsOwnDialogsSpeakTheInterfaceLanguage)
{
    // Qt's file dialog texts come from Qt's translations (installed with the
    // program's dependencies); our runtime texts still win where both exist.
    const auto lookIn = [] { return QCoreApplication::translate("QFileDialog", "Look in:"); };
    EXPECT_EQ(lookIn(), QStringLiteral("Suchen in:"));
    EXPECT_EQ(QKeySequence(Qt::CTRL | Qt::Key_S).toString(QKeySequence::NativeText), QStringLiteral("Strg+S"));
    Loc.SwitchLanguage(1);
    EXPECT_EQ(lookIn(), QStringLiteral("Look in:"));
    Loc.SwitchLanguage(0);
    EXPECT_EQ(lookIn(), QStringLiteral("Suchen in:"));
}

TEST_F(LocalizerTest, AvailabilityAndManualNames)
{
    EXPECT_TRUE(Loc.LanguageAvailable(0));
    EXPECT_TRUE(Loc.LanguageAvailable(1));
    EXPECT_FALSE(Loc.LanguageAvailable(16)); // not enabled
    EXPECT_FALSE(Loc.LanguageAvailable(2));  // no table
    EXPECT_FALSE(Loc.LanguageAvailable(32));
    EXPECT_TRUE(Loc.ManualFileName(9).endsWith(QStringLiteral("_ned.pdf")));
}

TEST(BuiltInTables, GermanAndEnglishAreCarriedAndComplete)
{
    TTestServices env;
    TLocalizer& loc = env.Services().Localizer();
    loc.SetEnabledLanguages(0x21F);
    ASSERT_TRUE(loc.LanguageAvailable(0));
    ASSERT_TRUE(loc.LanguageAvailable(1));
    TMyMemIniFile german;
    QByteArray bytes;
    ASSERT_TRUE(loc.TableSource(0, &bytes));
    german.LoadFromWideBytes(bytes);
    loc.SwitchLanguage(1);
    // Every key of the German table has an English translation.
    for (const QString& section : german.ReadSections())
        for (const QString& key : german.ReadSection(section)) {
            QString v;
            EXPECT_TRUE(loc.LanguageTable.FindString(section, key, v)) << section.toStdString() << "/" << key.toStdString();
        }
}
