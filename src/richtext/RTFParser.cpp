#include "richtext/RTFParser.h"

#include "richtext/CodePages.h"

#include <QFontDatabase>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace {

constexpr std::int64_t kMaxParameter = 2147483647; // 2^31 - 1

// Destinations whose groups hold nothing that a text element shows.
constexpr std::array<std::string_view, 32> kSkippedDestinations = {
    "bin",      "author",   "buptim",  "comment",  "creatim", "doccomm",  "footer",
    "footerf",  "footerl",  "footerr", "footnote", "ftncn",   "ftnsep",   "ftnspec",
    "header",   "headerf",  "headerl", "headerr",  "info",    "keywords", "operator",
    "pict",     "printim",  "private1", "revtim",  "rxe",     "stylesheet", "subject",
    "tc",       "title",    "txe",     "xe",
};

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string_view View(const QByteArray& b)
{
    return std::string_view(b.constData(), size_t(b.size()));
}

// Typographic characters that the editor writes as words; their codes are
// Windows-1252 and sit at the same place in every code page we decode.
int SymbolCode(const QByteArray& word)
{
    const std::string_view w = View(word);
    if (w == "lquote")
        return 145;
    if (w == "rquote")
        return 146;
    if (w == "bullet")
        return 149;
    if (w == "endash")
        return 150;
    if (w == "emdash")
        return 151;
    if (w == "{")
        return 123;
    if (w == "}")
        return 125;
    if (w == "\\")
        return 92;
    if (w.size() == 9) {
        const QByteArray lower = word.toLower();
        if (View(lower) == "ldblquote")
            return 147;
        if (View(lower) == "rdblquote")
            return 148;
    }
    return -1;
}

const QString& ArialName()
{
    static const QString name = QStringLiteral("Arial");
    return name;
}

} // namespace

// ---------------------------------------------------------------------------
// TRTFParser

bool TRTFParser::IsSkippedDestination(const QByteArray& lowerWord)
{
    const std::string_view w = View(lowerWord);
    return std::find(kSkippedDestinations.begin(), kSkippedDestinations.end(), w) !=
           kSkippedDestinations.end();
}

void TRTFParser::Parse(const QByteArray& rtf)
{
    Input = &rtf;
    Pos = 0;
    FDepth = 0;
    State = kNormal;
    Skipping = 0;
    TextBuffer.clear();
    GroupStack.clear();

    const qsizetype n = rtf.size();
    while (Pos < n) {
        const char c = rtf[Pos++];
        switch (c) {
        case '\r':
        case '\n':
            break;
        case '\\':
            ReadControl();
            break;
        case '{':
            ReportText();
            GroupStack.push_back({State, Skipping});
            State = kNormal;
            ++FDepth;
            if (OnGroup)
                OnGroup(*this);
            break;
        case '}':
            ReportText();
            if (GroupStack.empty())
                throw RTFParseException(QStringLiteral("StackUnderflow"));
            State = GroupStack.back().State;
            Skipping = GroupStack.back().Skipping;
            GroupStack.pop_back();
            --FDepth;
            if (OnGroup)
                OnGroup(*this);
            break;
        default:
            if (State == kHexPending) {
                // The second digit is taken as it comes, whatever it is, so a
                // cut-off or mangled escape cannot swallow a brace unnoticed.
                if (Pos >= n)
                    throw RTFParseException(
                        QStringLiteral("Unvollständiges Hex-Zeichen am Ende des RTF-Textes"));
                const char second = rtf[Pos++];
                const int hi = HexValue(c);
                const int lo = HexValue(second);
                if (hi < 0 || lo < 0)
                    throw RTFParseException(
                        QStringLiteral("'$%1' ist kein gültiger Hexadezimalwert")
                            .arg(QString::fromLatin1(QByteArray{c, second})));
                State = kNormal;
                AppendChar(char(hi * 16 + lo));
            } else {
                AppendChar(c);
            }
            break;
        }
    }
    if (State == kHexPending)
        throw RTFParseException(
            QStringLiteral("Unvollständiges Hex-Zeichen am Ende des RTF-Textes"));
    if (FDepth < 0)
        throw RTFParseException(QStringLiteral("StackUnderflow"));
    if (FDepth > 0)
        throw RTFParseException(QStringLiteral("Unmatched Brace"));
}

void TRTFParser::ReadControl()
{
    const QByteArray& in = *Input;
    const qsizetype n = in.size();
    if (Pos >= n)
        return;
    const qsizetype start = Pos;
    const char first = in[Pos++];
    if (!IsLetter(first)) {
        Dispatch(QByteArray(1, first), false, 0);
        return;
    }
    while (Pos < n && IsLetter(in[Pos]))
        ++Pos;
    const QByteArray word = in.mid(start, Pos - start);

    bool negative = false;
    if (Pos < n && in[Pos] == '-') {
        ++Pos;
        if (Pos >= n)
            return;
        negative = true;
    }
    bool hasParameter = false;
    std::int64_t value = 0;
    while (Pos < n && IsDigit(in[Pos])) {
        hasParameter = true;
        value = std::min(value * 10 + (in[Pos] - '0'), kMaxParameter);
        ++Pos;
    }
    if (Pos < n && in[Pos] == ' ')
        ++Pos;
    Dispatch(word, hasParameter, int(negative ? -value : value));
}

void TRTFParser::Dispatch(const QByteArray& word, bool hasParameter, int parameter)
{
    if (word.size() == 1 && word[0] == '\'') {
        State = kHexPending;
        return;
    }
    const int symbol = SymbolCode(word);
    if (symbol >= 0) {
        AppendChar(char(symbol));
        return;
    }
    ReportText();
    const QByteArray lower = word.toLower();
    if (View(lower) == "bin" && hasParameter && parameter > 0) {
        // Binary data may hold any byte, braces included; it is passed over
        // by its length, never looked at.
        Pos += std::min<qsizetype>(parameter, Input->size() - Pos);
    }
    if (IsSkippedDestination(lower))
        Skipping = 1;
    else if (!Skipping && OnControl)
        OnControl(*this, lower, hasParameter, parameter);
}

void TRTFParser::AppendChar(char c)
{
    if (!Skipping)
        TextBuffer.append(c);
}

void TRTFParser::ReportText()
{
    if (TextBuffer.isEmpty())
        return;
    const QByteArray text = TextBuffer;
    TextBuffer.clear();
    if (OnText)
        OnText(*this, text);
}

// ---------------------------------------------------------------------------
// Fonts

TRTFFont TRTFFont::Plain()
{
    TRTFFont f;
    f.Name = ArialName();
    f.Size = 10;
    f.Color = clBlack;
    f.Charset = 1;
    return f;
}

int DrawingFontSize(int size)
{
    return std::clamp(size, 0, kMaxDrawingFontSize);
}

// ---------------------------------------------------------------------------
// TRTFStyleReader

TRTFStyleReader::TRTFStyleReader(IRTFSink& sink) : Sink(sink)
{
    Reset();
}

void TRTFStyleReader::Reset()
{
    Fonts.clear();
    Charsets.clear();
    Colors.clear();
    Current = TRTFFont::Plain();
    FontStack.clear();
    LastDepth = 0;
    PendingRed = PendingGreen = PendingBlue = 0;
    PendingFontNumber = 0;
    PendingCharset = 0;
    DefaultFontNumber = 0;
    TableState = kBody;
    TableDepth = 0;
    Ignorable = false;
    IgnorableDepth = 0;
    ExpectInstruction = false;
}

void TRTFStyleReader::Attach(TRTFParser& parser)
{
    parser.OnText = [this](TRTFParser& p, const QByteArray& text) { HandleText(p, text); };
    parser.OnControl = [this](TRTFParser& p, const QByteArray& word, bool has, int param) {
        HandleControl(p, word, has, param);
    };
    parser.OnGroup = [this](TRTFParser& p) { HandleGroup(p); };
}

bool TRTFStyleReader::IsInstalled(const QString& family) const
{
    if (FontInstalled)
        return FontInstalled(family);
    return QFontDatabase::hasFamily(family);
}

void TRTFStyleReader::HandleText(TRTFParser&, const QByteArray& text)
{
    if (TableState == kField) {
        // Only the instruction counts; a field's shown result is not used.
        if (ExpectInstruction) {
            Sink.Field(DecodeCharset(text, Current.Charset), Current);
            ExpectInstruction = false;
        }
        return;
    }
    if (Ignorable)
        return;
    switch (TableState) {
    case kBody:
        Sink.Text(DecodeCharset(text, Current.Charset), Current);
        break;
    case kFontTable: {
        // The entry's text ends with its ";".
        QString name = DecodeCharset(text.isEmpty() ? text : text.chopped(1), PendingCharset);
        if (!IsInstalled(name))
            name = ArialName();
        Fonts.push_back({name, PendingFontNumber});
        Charsets.push_back({PendingCharset, PendingFontNumber});
        break;
    }
    case kColorTable:
        // Every ";" closes one entry, so an entry without components (the
        // usual leading one) is black, and ";;" still yields two entries.
        for (char c : text) {
            if (c != ';')
                continue;
            Colors.push_back({QStringLiteral("%1 %2 %3").arg(PendingRed).arg(PendingGreen).arg(PendingBlue),
                              RGBColor(PendingRed, PendingGreen, PendingBlue)});
            PendingRed = PendingGreen = PendingBlue = 0;
        }
        break;
    case kField:
        break;
    }
}

void TRTFStyleReader::HandleControl(TRTFParser& parser, const QByteArray& word, bool hasParameter,
                                    int parameter)
{
    const std::string_view w = View(word);
    if (TableState == kField) {
        if (w == "fldinst")
            ExpectInstruction = true;
        return;
    }
    if (Ignorable)
        return;
    // Recognised in the tables too: a font entry's panose or alternative
    // name comes in such a group and must not be read as a font name.
    if (w == "*") {
        Ignorable = true;
        IgnorableDepth = parser.Depth();
        return;
    }
    switch (TableState) {
    case kFontTable:
        if (w == "f")
            PendingFontNumber = parameter;
        else if (w == "fcharset")
            PendingCharset = std::uint8_t(parameter);
        return;
    case kColorTable:
        if (w == "red")
            PendingRed = std::clamp(parameter, 0, 255);
        else if (w == "green")
            PendingGreen = std::clamp(parameter, 0, 255);
        else if (w == "blue")
            PendingBlue = std::clamp(parameter, 0, 255);
        return;
    case kBody:
        BodyControl(parser, word, hasParameter, parameter);
        return;
    case kField:
        return;
    }
}

void TRTFStyleReader::BodyControl(TRTFParser& parser, const QByteArray& word, bool hasParameter,
                                  int p)
{
    const std::string_view w = View(word);
    const auto toggle = [&](TRTFFontStyle style) {
        Current.Style.setFlag(style, !hasParameter || p != 0);
    };
    if (w == "b")
        toggle(TRTFFontStyle::Bold);
    else if (w == "i")
        toggle(TRTFFontStyle::Italic);
    else if (w == "ul")
        toggle(TRTFFontStyle::Underline);
    else if (w == "strike")
        toggle(TRTFFontStyle::StrikeOut);
    else if (w == "ulnone")
        Current.Style.setFlag(TRTFFontStyle::Underline, false);
    else if (w == "f")
        SelectFont(p);
    else if (w == "fs")
        Current.Size = p / 2;
    else if (w == "cf")
        Current.Color = (p >= 0 && size_t(p) < Colors.size()) ? Colors[size_t(p)].Color : clBlack;
    else if (w == "plain")
        SetPlain();
    else if (w == "pard") {
        SetPlain();
        Sink.Alignment(TRTFAlignment::Left);
    } else if (w == "par")
        Sink.ParagraphEnd(Current);
    else if (w == "ql")
        Sink.Alignment(TRTFAlignment::Left);
    else if (w == "qc")
        Sink.Alignment(TRTFAlignment::Center);
    else if (w == "qr")
        Sink.Alignment(TRTFAlignment::Right);
    else if (w == "qj")
        Sink.Alignment(TRTFAlignment::Justify);
    else if (w == "tab")
        Sink.Text(QStringLiteral(" "), Current);
    else if (w == "fonttbl") {
        TableState = kFontTable;
        TableDepth = parser.Depth();
    } else if (w == "colortbl") {
        TableState = kColorTable;
        TableDepth = parser.Depth();
    } else if (w == "field") {
        TableState = kField;
        TableDepth = parser.Depth();
    } else if (w == "deff")
        DefaultFontNumber = p;
    // Everything else, \u and \uc among them, is left alone: a character
    // given as a Unicode escape shows its fallback text.
}

void TRTFStyleReader::SelectFont(int number)
{
    if (Fonts.empty()) {
        Current.Name = ArialName();
    } else {
        const auto it = std::find_if(Fonts.begin(), Fonts.end(),
                                     [number](const TFontEntry& e) { return e.Number == number; });
        Current.Name = it != Fonts.end() ? it->Name : Fonts.front().Name;
    }
    if (Charsets.empty()) {
        Current.Charset = 1;
    } else {
        const auto it = std::find_if(Charsets.begin(), Charsets.end(),
                                     [number](const TCharsetEntry& e) { return e.Number == number; });
        Current.Charset = it != Charsets.end() ? it->Charset : Charsets.front().Charset;
    }
}

void TRTFStyleReader::SetPlain()
{
    SelectFont(DefaultFontNumber);
    Current.Style = {};
    Current.Size = 10;
    Current.Color = Colors.empty() ? clBlack : Colors.front().Color;
}

void TRTFStyleReader::HandleGroup(TRTFParser& parser)
{
    const int depth = parser.Depth();
    if (Ignorable && depth < IgnorableDepth)
        Ignorable = false;
    if (TableState != kBody && depth < TableDepth) {
        TableState = kBody;
        // An instruction still expected belongs to the field that just ended.
        ExpectInstruction = false;
    }
    if (depth > LastDepth) {
        FontStack.push_back(Current);
    } else if (depth < LastDepth && !FontStack.empty()) {
        Current = FontStack.back();
        FontStack.pop_back();
    }
    LastDepth = depth;
}

// ---------------------------------------------------------------------------
// TRTFTokenBuilder

void TRTFTokenBuilder::Add(TRTFTokenKind kind, QString text, const TRTFFont& font)
{
    TRTFToken t;
    t.Kind = kind;
    t.Text = std::move(text);
    t.Font = font;
    Tokens.push_back(std::move(t));
}

void TRTFTokenBuilder::Text(const QString& text, const TRTFFont& font)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        if (text[i] == u' ') {
            Add(TRTFTokenKind::Space, QStringLiteral(" "), font);
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < n && text[end] != u' ')
            ++end;
        // Break after every hyphen of the word.
        qsizetype from = i;
        while (from < end) {
            qsizetype hyphen = from;
            while (hyphen < end && text[hyphen] != u'-')
                ++hyphen;
            if (hyphen == end) {
                Add(TRTFTokenKind::Word, text.mid(from, end - from), font);
                break;
            }
            Add(TRTFTokenKind::Word, text.mid(from, hyphen + 1 - from), font);
            Add(TRTFTokenKind::Space, QString(), font);
            from = hyphen + 1;
        }
        i = end;
    }
}

void TRTFTokenBuilder::ParagraphEnd(const TRTFFont& font)
{
    Add(TRTFTokenKind::ParagraphEnd, QString(), font);
}

void TRTFTokenBuilder::Alignment(TRTFAlignment alignment)
{
    TRTFToken t;
    t.Kind = TRTFTokenKind::Alignment;
    t.Alignment = alignment;
    Tokens.push_back(std::move(t));
}

void TRTFTokenBuilder::Field(const QString& instruction, const TRTFFont& font)
{
    Add(TRTFTokenKind::Field, QLatin1Char('<') + instruction + QLatin1Char('>'), font);
    Tokens.back().FieldInstruction = instruction;
}

// ---------------------------------------------------------------------------
// TRTFTokenReader

TRTFTokenReader::TRTFTokenReader() : Builder(FTokens), Reader(Builder) {}

void TRTFTokenReader::SetFontInstalled(std::function<bool(const QString&)> installed)
{
    Reader.FontInstalled = std::move(installed);
}

void TRTFTokenReader::Clear()
{
    FTokens.clear();
    Reader.Reset();
}

void TRTFTokenReader::SetText(const QByteArray& rtf)
{
    FRTF = rtf;
    Clear();
    TRTFParser parser;
    Reader.Attach(parser);
    parser.Parse(FRTF);
    while (!FTokens.empty() && FTokens.back().Kind == TRTFTokenKind::ParagraphEnd)
        FTokens.pop_back();
}
