#include "richtext/CodePages.h"
#include "richtext/RTFParser.h"

#include <QFontDatabase>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A fixed set of "installed" fonts keeps the font-table cases independent of
// the machine.
bool TestFontInstalled(const QString& family)
{
    return family == QStringLiteral("Arial") || family == QStringLiteral("Times New Roman") ||
           family == QStringLiteral("Courier New");
}

// Compact token notation: W:word  S:" " / S:"" (break opportunity)  P  A<n>
// F:<instruction>
std::string Describe(const TRTFToken& t)
{
    switch (t.Kind) {
    case TRTFTokenKind::Word: return "W:" + t.Text.toStdString();
    case TRTFTokenKind::Space: return "S:\"" + t.Text.toStdString() + "\"";
    case TRTFTokenKind::ParagraphEnd: return "P" + t.Text.toStdString();
    case TRTFTokenKind::Alignment: return "A" + std::to_string(int(t.Alignment));
    case TRTFTokenKind::Field: return "F:" + t.Text.toStdString() + "|" + t.FieldInstruction.toStdString();
    }
    return "?";
}

} // namespace

// Readable failure output for token lists.
void PrintTo(const TRTFToken& t, std::ostream* os)
{
    *os << Describe(t);
}

namespace {

std::vector<std::string> Describe(const std::vector<TRTFToken>& tokens)
{
    std::vector<std::string> out;
    for (const TRTFToken& t : tokens)
        out.push_back(Describe(t));
    return out;
}

std::vector<std::string> Read(TRTFTokenReader& reader, const char* rtf)
{
    reader.SetFontInstalled(TestFontInstalled);
    reader.SetText(QByteArray(rtf));
    return Describe(reader.Tokens());
}

using Tokens = std::vector<std::string>;

// ---------------------------------------------------------------------------
// Token stream

struct TokenCase {
    const char* Name;
    const char* Rtf;
    Tokens Expected;
};

const TokenCase kTokenCases[] = {
    {"HalloWelt", R"({\rtf1 Hallo Welt})", {"W:Hallo", "S:\" \"", "W:Welt"}},
    {"HyphenBreaks", R"({\rtf1 Grund-schule})", {"W:Grund-", "S:\"\"", "W:schule"}},
    {"HyphenRunsAndEnd", R"({\rtf1 a--b c-})",
     {"W:a-", "S:\"\"", "W:-", "S:\"\"", "W:b", "S:\" \"", "W:c-", "S:\"\""}},
    {"IgnorableAndInfoGroups",
     R"({\rtf1{\*\generator Riched20 10.0;}{\info{\title Urlaub}{\author Anna}}Text})",
     {"W:Text"}},
    {"SkippedDestinations", R"({\rtf1 {\header Kopf}{\pict 0a0b}{\stylesheet{\s1 x;}}z})", {"W:z"}},
    {"HexEscapesJoinTheWord", R"({\rtf1 gr\'fc\'dfe \'e4})", {"W:grüße", "S:\" \"", "W:ä"}},
    {"HexUppercase", R"({\rtf1 \'C4})", {"W:Ä"}},
    {"TrailingParagraphEndsDropped", R"({\rtf1 A\par B\par\par})", {"W:A", "P", "W:B"}},
    {"OnlyParagraphEnds", R"({\rtf1\par\par})", {}},
    {"DoubleQuoteWordsAnyCase", R"({\rtf1 \LDBLQUOTE x\rdblquote\RDBLQUOTE})",
     {"W:\u201Cx\u201D\u201D"}},
    {"OtherSymbolWordsExactCase", R"({\rtf1 a\bullet b\Bullet c\lquote\rquote\endash\emdash})",
     {"W:a\u2022b", "W:c\u2018\u2019\u2013\u2014"}},
    {"EscapedBracesAndBackslash", R"({\rtf1 \{x\}\\})", {"W:{x}\\"}},
    {"ControlWordsAreCaseFolded", R"({\rtf1 A\PAR B})", {"W:A", "P", "W:B"}},
    {"Tab", R"({\rtf1 a\tab b})", {"W:a", "S:\" \"", "W:b"}},
    {"LineBreaksIgnored", "{\\rtf1 Hal\r\nlo\nWelt}", {"W:HalloWelt"}},
    {"Field", R"({\rtf1 {\field{\*\fldinst PAGE}{\fldrslt 3}} x})",
     {"F:<PAGE>|PAGE", "S:\" \"", "W:x"}},
    {"Alignment", R"({\rtf1\pard\qc A\par\qr B\qj\ql})", {"A0", "A1", "W:A", "P", "A2", "W:B", "A3", "A0"}},
    {"UnicodeShowsFallback", R"({\rtf1 \u8364?})", {"W:?"}},
    {"UnknownWordsIgnored", R"({\rtf1\ansi\ansicpg1252\viewkind4\uc1 x\lang1031 y})", {"W:x", "W:y"}},
    // The four bytes after \bin4 are "}{\}" and must not count as braces.
    {"BinarySkippedByCount", R"({\rtf1 a{\bin4 }{\}}b})", {"W:a", "W:b"}},
    {"BinaryLongerThanInput", R"({\rtf1 a}\bin99 xy)", {"W:a"}},
    {"CodePagePerCharset",
     R"({\rtf1{\fonttbl{\f0\fcharset204 Courier New;}{\f1\fcharset238 Arial;}{\f2\fcharset161 Arial;}})"
     R"(\f0\'e4 \f1\'e4 \f2\'e1})",
     {"W:д", "S:\" \"", "W:ä", "S:\" \"", "W:α"}},
    // Ending inside a control word or its number is not an error.
    {"EndsInsideControlWord", R"({\rtf1 x}\fs)", {"W:x"}},
    {"EndsAfterMinus", R"({\rtf1 x}\fs-)", {"W:x"}},
    {"EndsInsideNumber", R"({\rtf1 x}\fs12)", {"W:x"}},
    {"EndsAfterBackslash", R"({\rtf1 x}\)", {"W:x"}},
    {"Empty", "", {}},
};

void PrintTo(const TokenCase& c, std::ostream* os)
{
    *os << c.Name;
}

class RTFTokenTest : public ::testing::TestWithParam<TokenCase> {};

TEST_P(RTFTokenTest, Tokens)
{
    TRTFTokenReader reader;
    EXPECT_EQ(Read(reader, GetParam().Rtf), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(RTFParser, RTFTokenTest, ::testing::ValuesIn(kTokenCases),
                         [](const auto& info) { return std::string(info.param.Name); });

// ---------------------------------------------------------------------------
// Character format of one token

TRTFFont Font(const char* name, int size, TRTFFontStyles style = {}, TColor color = clBlack,
              int charset = 1)
{
    TRTFFont f;
    f.Name = QString::fromUtf8(name);
    f.Size = size;
    f.Style = style;
    f.Color = color;
    f.Charset = std::uint8_t(charset);
    return f;
}

constexpr TRTFFontStyles kBold = TRTFFontStyle::Bold;
#define FONTTABLE R"({\fonttbl{\f0\fcharset0 Times New Roman;}{\f1\fcharset238 Courier New;}})"
#define COLORTABLE R"({\colortbl;\red255\green0\blue0;\red0\green0\blue255;})"

struct FontCase {
    const char* Name;
    const char* Rtf;
    size_t Index; // token whose format is checked
    TRTFFont Expected;
};

const FontCase kFontCases[] = {
    {"DefaultFormat", R"({\rtf1 x})", 0, Font("Arial", 10)},
    {"BoldInsideGroup", R"({\rtf1 {\b fett} normal})", 0, Font("Arial", 10, kBold)},
    {"BoldEndsWithGroup", R"({\rtf1 {\b fett} normal})", 2, Font("Arial", 10)},
    {"BoldZeroRemoves", R"({\rtf1\b\b0 x})", 0, Font("Arial", 10)},
    {"StylesCombine", R"({\rtf1\b\i1\ul\strike x})", 0,
     Font("Arial", 10, TRTFFontStyle::Bold | TRTFFontStyle::Italic | TRTFFontStyle::Underline |
                           TRTFFontStyle::StrikeOut)},
    {"UlNone", R"({\rtf1\ul\i\ulnone x})", 0, Font("Arial", 10, TRTFFontStyle::Italic)},
    {"HalfPointsTruncated", R"({\rtf1\fs21 x})", 0, Font("Arial", 10)},
    {"SizeSaturates", R"({\rtf1\fs99999999999 x})", 0, Font("Arial", 1073741823)},
    {"NegativeSizeSaturates", R"({\rtf1\fs-99999999999 x})", 0, Font("Arial", -1073741823)},
    {"PlainIsArial10Black", "{\\rtf1" COLORTABLE R"(\b\i\fs40\cf1\plain x})", 0, Font("Arial", 10)},
    {"PlainUsesDefaultFontAndColorZero",
     R"({\rtf1\deff1)" FONTTABLE R"({\colortbl\red0\green128\blue0;\red1\green2\blue3;}\f0\plain x})", 0,
     Font("Courier New", 10, {}, RGBColor(0, 128, 0), 238)},
    {"FontByNumber", "{\\rtf1" FONTTABLE R"(\f1 x})", 0, Font("Courier New", 10, {}, clBlack, 238)},
    {"UnknownFontNumberTakesFirst", "{\\rtf1" FONTTABLE R"(\f7 x})", 0,
     Font("Times New Roman", 10, {}, clBlack, 0)},
    {"FontWithoutTable", R"({\rtf1\f3 x})", 0, Font("Arial", 10)},
    {"UninstalledFontBecomesArial", R"({\rtf1{\fonttbl{\f0\fcharset204 Fancy Script;}}\f0 x})", 0,
     Font("Arial", 10, {}, clBlack, 204)},
    {"PanoseIsNotTheName",
     R"({\rtf1{\fonttbl{\f0\froman{\*\panose 02020603050405020304}Times New Roman;}}\f0 x})", 0,
     Font("Times New Roman", 10, {}, clBlack, 0)},
    {"FontTableWithoutSubgroups", R"({\rtf1{\fonttbl\f0 Arial;\f1 Courier New;}\f1 x})", 0,
     Font("Courier New", 10, {}, clBlack, 0)},
    {"ColorByIndex", "{\\rtf1" COLORTABLE R"(\cf2 x})", 0, Font("Arial", 10, {}, clBlue)},
    {"ColorZeroIsBlack", "{\\rtf1" COLORTABLE R"(\cf1\cf0 x})", 0, Font("Arial", 10)},
    {"ColorPastTableIsBlack", "{\\rtf1" COLORTABLE R"(\cf1\cf3 x})", 0, Font("Arial", 10)},
    {"NegativeColorIsBlack", "{\\rtf1" COLORTABLE R"(\cf1\cf-1 x})", 0, Font("Arial", 10)},
    {"HugeColorIndexIsBlack", "{\\rtf1" COLORTABLE R"(\cf1\cf99999999999 x})", 0, Font("Arial", 10)},
    {"ColorComponentsClamped", R"({\rtf1{\colortbl;\red300\green-5\blue99999999999;}\cf1 x})", 0,
     Font("Arial", 10, {}, RGBColor(255, 0, 255))},
    {"EmptyColorEntriesCount", R"({\rtf1{\colortbl;;\red255;}\cf2 x})", 0,
     Font("Arial", 10, {}, clRed)},
    {"ParagraphEndCarriesFont", R"({\rtf1\b\fs30 a\par b})", 1, Font("Arial", 15, kBold)},
    {"FieldCarriesFont", R"({\rtf1\i{\field{\*\fldinst PAGE}}})", 0,
     Font("Arial", 10, TRTFFontStyle::Italic)},
    {"AlignmentHasNoFont", R"({\rtf1\b\qc x})", 0, TRTFFont()},
};

void PrintTo(const FontCase& c, std::ostream* os)
{
    *os << c.Name;
}

class RTFFontTest : public ::testing::TestWithParam<FontCase> {};

TEST_P(RTFFontTest, FormatOfToken)
{
    const FontCase& c = GetParam();
    TRTFTokenReader reader;
    const Tokens tokens = Read(reader, c.Rtf);
    ASSERT_LT(c.Index, reader.Tokens().size()) << ::testing::PrintToString(tokens);
    const TRTFFont& f = reader.Tokens()[c.Index].Font;
    EXPECT_EQ(f.Name, c.Expected.Name);
    EXPECT_EQ(f.Size, c.Expected.Size);
    EXPECT_EQ(int(f.Style), int(c.Expected.Style));
    EXPECT_EQ(f.Color, c.Expected.Color);
    EXPECT_EQ(f.Charset, c.Expected.Charset);
}

INSTANTIATE_TEST_SUITE_P(RTFParser, RTFFontTest, ::testing::ValuesIn(kFontCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(RTFParser, TablesAsRead)
{
    TRTFTokenReader reader;
    Read(reader, R"({\rtf1{\fonttbl{\f0\fcharset0 Times New Roman;}{\f3\fcharset204 Nope;}})"
                 R"({\colortbl;\red300\green1\blue2;}x})");
    using S = TRTFStyleReader;
    EXPECT_EQ(reader.Styles().FontTable(),
              (std::vector<S::TFontEntry>{{"Times New Roman", 0}, {"Arial", 3}}));
    EXPECT_EQ(reader.Styles().CharsetTable(), (std::vector<S::TCharsetEntry>{{0, 0}, {204, 3}}));
    EXPECT_EQ(reader.Styles().ColorTable(),
              (std::vector<S::TColorEntry>{{"0 0 0", clBlack}, {"255 1 2", RGBColor(255, 1, 2)}}));
}

// The stored size is what the text says; only drawing limits it.
TEST(RTFParser, DrawingFontSizeIsClamped)
{
    const struct {
        int Size, Expected;
    } cases[] = {{-1073741823, 0}, {-1, 0}, {0, 0}, {10, 10}, {1638, 1638}, {1639, 1638},
                 {1073741823, 1638}};
    for (const auto& c : cases)
        EXPECT_EQ(DrawingFontSize(c.Size), c.Expected) << c.Size;
}

// ---------------------------------------------------------------------------
// Raw parser events

struct EventCase {
    const char* Name;
    const char* Rtf;
    std::string Expected;
};

const EventCase kEventCases[] = {
    {"GroupsAndText", "{a{b}c}", "{1 T(a) {2 T(b) }1 T(c) }0 "},
    {"SpaceDelimiterConsumed", R"({\fs24 x})", "{1 C(fs,24) T(x) }0 "},
    {"OtherDelimiterReread", R"({\b;x})", "{1 C(b) T(;x) }0 "},
    {"NegativeParameter", R"({\li-15x})", "{1 C(li,-15) T(x) }0 "},
    {"MinusWithoutDigits", R"({\li-x})", "{1 C(li) T(x) }0 "},
    {"ParameterSaturates", R"({\a99999999999 \b-99999999999 })",
     "{1 C(a,2147483647) C(b,-2147483647) }0 "},
    {"WordsLowerCased", R"({\PARD\Fs20 })", "{1 C(pard) C(fs,20) }0 "},
    {"ControlSymbolsKeepFollowingSpace", R"({\~ x\*\-})", "{1 C(~) T( x) C(*) C(-) }0 "},
    {"SkippedGroupStopsAtItsBrace", R"({x{\info\b y{z}}w})", "{1 T(x) {2 {3 }2 }1 T(w) }0 "},
    {"HexInsideSkippedGroupDropped", R"({\title\'41}\'42)", "{1 }0 "},
    {"TextAtEndNotReported", "{}tail", "{1 }0 "},
};

void PrintTo(const EventCase& c, std::ostream* os)
{
    *os << c.Name;
}

class RTFEventTest : public ::testing::TestWithParam<EventCase> {};

TEST_P(RTFEventTest, Events)
{
    std::string log;
    TRTFParser parser;
    parser.OnText = [&](TRTFParser&, const QByteArray& text) { log += "T(" + text.toStdString() + ") "; };
    parser.OnControl = [&](TRTFParser&, const QByteArray& word, bool has, int p) {
        log += "C(" + word.toStdString() + (has ? "," + std::to_string(p) : "") + ") ";
    };
    // Group events are told apart by comparing with the previous depth.
    int lastDepth = 0;
    parser.OnGroup = [&](TRTFParser& p) {
        log += (p.Depth() > lastDepth ? "{" : "}") + std::to_string(p.Depth()) + " ";
        lastDepth = p.Depth();
    };
    parser.Parse(QByteArray(GetParam().Rtf));
    EXPECT_EQ(log, GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(RTFParser, RTFEventTest, ::testing::ValuesIn(kEventCases),
                         [](const auto& info) { return std::string(info.param.Name); });

// ---------------------------------------------------------------------------
// Faults

struct ErrorCase {
    const char* Name;
    const char* Rtf;
    const char* Message; // nullptr: any message
    Tokens Before;       // tokens that stay after the failure
};

const ErrorCase kErrorCases[] = {
    {"ClosingBraceTooMany", R"({\rtf1 a\par}})", "StackUnderflow", {"W:a", "P"}},
    {"LeadingClosingBrace", "}", "StackUnderflow", {}},
    {"UnclosedGroup", R"({\rtf1 a{\b b})", "Unmatched Brace", {"W:a", "W:b"}},
    {"NonHexEscape", R"({\rtf1 a \'zz})", nullptr, {}},
    {"HalfHexEscape", R"({\rtf1 a \'4g})", nullptr, {}},
    // The brace must not be taken as the second digit and thereby vanish.
    {"EscapeBeforeBrace", R"({\rtf1 a \'4})", nullptr, {}},
    {"EscapeCutOffAfterOneDigit", R"({\rtf1 a \'4)", nullptr, {}},
    {"EscapeCutOffBeforeDigits", R"({\rtf1 a \')", nullptr, {}},
    {"EscapeCutOffAtDepthZero", R"({\rtf1 a}\'e)", nullptr, {"W:a"}},
};

void PrintTo(const ErrorCase& c, std::ostream* os)
{
    *os << c.Name;
}

class RTFErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(RTFErrorTest, Raises)
{
    const ErrorCase& c = GetParam();
    TRTFTokenReader reader;
    reader.SetFontInstalled(TestFontInstalled);
    try {
        reader.SetText(QByteArray(c.Rtf));
        FAIL() << "no exception";
    } catch (const RTFParseException& e) {
        if (c.Message)
            EXPECT_EQ(e.message(), QString::fromLatin1(c.Message));
        else
            EXPECT_FALSE(e.message().isEmpty());
    }
    EXPECT_EQ(Describe(reader.Tokens()), c.Before);
}

INSTANTIATE_TEST_SUITE_P(RTFParser, RTFErrorTest, ::testing::ValuesIn(kErrorCases),
                         [](const auto& info) { return std::string(info.param.Name); });

// Group nesting is kept on heap stacks, so a deep run of braces cannot
// overflow the call stack.
TEST(RTFParser, DeepNestingIsNotRecursive)
{
    const QByteArray deep = QByteArray(200000, '{') + "x" + QByteArray(200000, '}');
    TRTFTokenReader reader;
    reader.SetFontInstalled(TestFontInstalled);
    reader.SetText(deep);
    EXPECT_EQ(Describe(reader.Tokens()), Tokens{"W:x"});
}

// ---------------------------------------------------------------------------
// Reuse

// Each text leaves a different piece of state behind when it breaks off:
// tables, default font, bold, an ignorable destination, a field waiting for
// its instruction, an open font table.
const char* const kLeftovers[] = {
    "{\\rtf1\\deff1" FONTTABLE COLORTABLE R"(\b\fs50\cf2{\*\generator x)",
    R"({\rtf1{\field{\*\fldinst)",
    R"({\rtf1{\fonttbl{\f0 Courier New;})",
    R"({\rtf1 a}})",
};

TEST(RTFParser, SetTextStartsFromScratch)
{
    const char* text = R"({\rtf1 Hallo\cf1 Welt\f0 x\plain y {\field{\*\fldinst PAGE}}\par})";
    TRTFTokenReader fresh;
    Read(fresh, text);
    ASSERT_EQ(fresh.Tokens().size(), 6u);

    for (const char* leftover : kLeftovers) {
        SCOPED_TRACE(leftover);
        TRTFTokenReader reader;
        reader.SetFontInstalled(TestFontInstalled);
        EXPECT_THROW(reader.SetText(QByteArray(leftover)), RTFParseException);
        reader.SetText(QByteArray(text));
        EXPECT_EQ(reader.Tokens(), fresh.Tokens()) << ::testing::PrintToString(Describe(reader.Tokens()));
        EXPECT_TRUE(reader.Styles().FontTable().empty());
        EXPECT_TRUE(reader.Styles().ColorTable().empty());
        // The same text again gives the same tokens.
        const std::vector<TRTFToken> first = reader.Tokens();
        reader.SetText(QByteArray(text));
        EXPECT_EQ(reader.Tokens(), first);
    }
}

// Without a test predicate the installed families decide.
TEST(RTFParser, FontTableChecksInstalledFamilies)
{
    const QStringList families = QFontDatabase::families();
    if (families.isEmpty())
        GTEST_SKIP() << "no fonts installed";
    const QString installed = families.front();
    TRTFTokenReader reader;
    reader.SetText("{\\rtf1{\\fonttbl{\\f0 " + installed.toUtf8() +
                   ";}{\\f1 No Such Family 4711;}}\\f0 a\\f1 b}");
    ASSERT_EQ(reader.Tokens().size(), 2u);
    EXPECT_EQ(reader.Tokens()[0].Font.Name, installed);
    EXPECT_EQ(reader.Tokens()[1].Font.Name, QStringLiteral("Arial"));
}

// ---------------------------------------------------------------------------
// Code pages

TEST(CodePages, CharsetSelectsCodePage)
{
    const struct {
        int Charset;
        unsigned char Byte;
        char16_t Expected;
    } cases[] = {
        {0, 0xE4, u'ä'},    {1, 0x80, u'€'},    {1, 0x41, u'A'},    {238, 0x8A, u'Š'},
        {238, 0xB9, u'ą'},  {238, 0x81, 0x0081}, {204, 0xC0, u'А'},   {204, 0xB8, u'ё'},
        {204, 0x98, 0x0098}, {161, 0xE1, u'α'},  {161, 0xA2, u'Ά'},   {161, 0xAA, 0xFFFD},
        {162, 0xF0, u'ğ'},  {162, 0xDD, u'İ'},  {186, 0xE0, u'ą'},   {186, 0xA1, 0xFFFD},
        {186, 0xFF, 0x02D9}, {2, 0xE4, u'ä'},   {128, 0x93, u'“'},   {204, 0x93, u'“'},
    };
    for (const auto& c : cases) {
        const QString s = DecodeCharset(QByteArray(1, char(c.Byte)), c.Charset);
        ASSERT_EQ(s.size(), 1);
        EXPECT_EQ(int(s[0].unicode()), int(c.Expected)) << c.Charset << " " << int(c.Byte);
    }
}

} // namespace
