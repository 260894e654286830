#pragma once

#include "app/Colors.h"
#include "app/Errors.h"

#include <QByteArray>
#include <QFlags>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// Rich text of text elements is a small subset of RTF. It is read here into
// a flat list of styled tokens (words, spaces, paragraph ends) that the text
// drawer measures and breaks into lines. Three layers, each usable alone:
//   TRTFParser       bytes -> text runs, control words, group changes
//   TRTFStyleReader  tracks fonts, colours and tables, reports styled content
//                    to an IRTFSink
//   TRTFTokenBuilder the sink that produces TRTFTokens
// A different sink (e.g. one filling a QTextDocument) reuses the first two.
// The RTF stays bytes until a run is reported; only then is it decoded with
// the code page of the current font's character set.

class RTFParseException : public Exception {
public:
    using Exception::Exception;
};

// Event-driven tokenizer. Unknown control words are reported like known
// ones; deciding what they mean is the handlers' business.
class TRTFParser {
public:
    // Text that is neither inside a skipped destination nor a control word,
    // as raw bytes. Never empty.
    using TTextEvent = std::function<void(TRTFParser& parser, const QByteArray& text)>;
    // A control word or symbol in lower case, with its numeric parameter
    // (saturated at +-(2^31-1); 0 when there is none).
    using TControlEvent = std::function<void(TRTFParser& parser, const QByteArray& word,
                                             bool hasParameter, int parameter)>;
    // After every brace; Depth() is already the new nesting.
    using TGroupEvent = std::function<void(TRTFParser& parser)>;

    TTextEvent OnText;
    TControlEvent OnControl;
    TGroupEvent OnGroup;

    // Fires the events for the whole input. Raises RTFParseException with
    // "StackUnderflow" for a "}" without an open group, "Unmatched Brace" for
    // groups still open at the end, and for a hexadecimal escape that is not
    // two hex digits. Every call starts from a clean state.
    void Parse(const QByteArray& rtf);

    int Depth() const { return FDepth; }

    // Destinations whose whole group is left out ("info", "pict", ...).
    static bool IsSkippedDestination(const QByteArray& lowerWord);

private:
    enum : std::uint8_t { kNormal = 0, kHexPending = 2 };
    struct TSavedState {
        std::uint8_t State;
        std::uint8_t Skipping;
    };

    void ReadControl();
    void Dispatch(const QByteArray& word, bool hasParameter, int parameter);
    void AppendChar(char c);
    void ReportText();

    const QByteArray* Input = nullptr;
    qsizetype Pos = 0;
    int FDepth = 0;
    std::uint8_t State = kNormal;
    std::uint8_t Skipping = 0;
    QByteArray TextBuffer;
    std::vector<TSavedState> GroupStack;
};

enum class TRTFFontStyle : std::uint8_t {
    Bold = 1,
    Italic = 2,
    Underline = 4,
    StrikeOut = 8,
};
Q_DECLARE_FLAGS(TRTFFontStyles, TRTFFontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(TRTFFontStyles)

// The character format of a run. A default-constructed value is "no font",
// which alignment tokens carry.
struct TRTFFont {
    QString Name;
    int Size = 0; // points, as written (\fs is half points, truncated)
    TRTFFontStyles Style;
    TColor Color = clBlack;
    std::uint8_t Charset = 0;

    // Arial 10 pt, black, default character set: the format of text before
    // any \plain and of \plain without a font table.
    static TRTFFont Plain();

    bool operator==(const TRTFFont&) const = default;
};

// Sizes are kept as written; a drawer limits them to what a device font
// can take.
constexpr int kMaxDrawingFontSize = 1638;
int DrawingFontSize(int size);

enum class TRTFAlignment : std::uint8_t { Left = 0, Center = 1, Right = 2, Justify = 3 };

// Receives the styled content of a text in reading order.
class IRTFSink {
public:
    virtual ~IRTFSink() = default;
    // Body text in one format, decoded by the format's character set; may
    // hold spaces. A tab arrives as " ".
    virtual void Text(const QString& text, const TRTFFont& font) = 0;
    virtual void ParagraphEnd(const TRTFFont& font) = 0;
    // \pard (Left) and \ql \qc \qr \qj.
    virtual void Alignment(TRTFAlignment alignment) = 0;
    // The instruction of a field (its shown result is not reported).
    virtual void Field(const QString& instruction, const TRTFFont& font) = 0;
};

// The style-tracking handlers: the font, colour and character-set tables,
// the current format with its per-group save stack, and the table, field and
// ignorable-destination states.
class TRTFStyleReader {
public:
    struct TFontEntry {
        QString Name;
        int Number;
        bool operator==(const TFontEntry&) const = default;
    };
    struct TCharsetEntry {
        std::uint8_t Charset;
        int Number;
        bool operator==(const TCharsetEntry&) const = default;
    };
    struct TColorEntry {
        QString Text; // "%d %d %d" of red, green, blue
        TColor Color;
        bool operator==(const TColorEntry&) const = default;
    };

    explicit TRTFStyleReader(IRTFSink& sink);

    // Decides whether a font-table name can be used; names it rejects become
    // "Arial". Defaults to the installed font families (needs a
    // QGuiApplication).
    std::function<bool(const QString& family)> FontInstalled;

    // Forgets everything, tables included, so that the next text starts as
    // if the reader were new.
    void Reset();
    // Routes the parser's events to this reader.
    void Attach(TRTFParser& parser);

    void HandleText(TRTFParser& parser, const QByteArray& text);
    void HandleControl(TRTFParser& parser, const QByteArray& word, bool hasParameter,
                       int parameter);
    void HandleGroup(TRTFParser& parser);

    const std::vector<TFontEntry>& FontTable() const { return Fonts; }
    const std::vector<TCharsetEntry>& CharsetTable() const { return Charsets; }
    const std::vector<TColorEntry>& ColorTable() const { return Colors; }
    const TRTFFont& CurrentFont() const { return Current; }

private:
    enum TTableState : std::uint8_t { kBody = 0, kFontTable = 1, kColorTable = 2, kField = 3 };

    void BodyControl(TRTFParser& parser, const QByteArray& word, bool hasParameter, int p);
    void SelectFont(int number);
    void SetPlain();
    bool IsInstalled(const QString& family) const;

    IRTFSink& Sink;
    std::vector<TFontEntry> Fonts;
    std::vector<TCharsetEntry> Charsets;
    std::vector<TColorEntry> Colors;
    TRTFFont Current;
    std::vector<TRTFFont> FontStack;
    int LastDepth = 0;
    int PendingRed = 0;
    int PendingGreen = 0;
    int PendingBlue = 0;
    int PendingFontNumber = 0;
    std::uint8_t PendingCharset = 0;
    int DefaultFontNumber = 0;
    TTableState TableState = kBody;
    int TableDepth = 0;
    bool Ignorable = false;
    int IgnorableDepth = 0;
    bool ExpectInstruction = false;
};

enum class TRTFTokenKind : std::uint8_t {
    Word = 0,         // no spaces inside
    Space = 1,        // " ", or "" as a break opportunity after a hyphen
    ParagraphEnd = 2, // ""
    Alignment = 4,    // no text, no font
    Field = 5,        // "<" + instruction + ">"
};

struct TRTFToken {
    TRTFTokenKind Kind = TRTFTokenKind::Word;
    QString Text;
    QString FieldInstruction; // fields only
    TRTFFont Font;
    TRTFAlignment Alignment = TRTFAlignment::Left; // alignment tokens only

    // Filled by measuring (millimetres) and by the last draw (device pixels).
    float Width = 0;
    float LineHeight = 0;
    float Ascent = 0;
    int DeviceTextHeight = 0;
    int DeviceAscent = 0;

    bool operator==(const TRTFToken&) const = default;
};

// Cuts body text into words and spaces; a word is also broken after each
// hyphen with an empty break opportunity, so that "Grund-schule" can wrap as
// "Grund-" / "schule".
class TRTFTokenBuilder : public IRTFSink {
public:
    explicit TRTFTokenBuilder(std::vector<TRTFToken>& tokens) : Tokens(tokens) {}

    void Text(const QString& text, const TRTFFont& font) override;
    void ParagraphEnd(const TRTFFont& font) override;
    void Alignment(TRTFAlignment alignment) override;
    void Field(const QString& instruction, const TRTFFont& font) override;

private:
    void Add(TRTFTokenKind kind, QString text, const TRTFFont& font);

    std::vector<TRTFToken>& Tokens;
};

// The parsing half of the text drawer: keeps the RTF of a text element and
// the tokens and tables read from it.
class TRTFTokenReader {
public:
    TRTFTokenReader();
    virtual ~TRTFTokenReader() = default;
    TRTFTokenReader(const TRTFTokenReader&) = delete;
    TRTFTokenReader& operator=(const TRTFTokenReader&) = delete;

    // Stores the text and reads it afresh; paragraph ends at the very end are
    // dropped so the text takes no empty lines at its bottom. On a parse
    // error the tokens read so far stay and the exception propagates.
    virtual void SetText(const QByteArray& rtf);
    // Empties the tokens and the tables.
    virtual void Clear();

    const QByteArray& RTF() const { return FRTF; }
    const std::vector<TRTFToken>& Tokens() const { return FTokens; }
    const TRTFStyleReader& Styles() const { return Reader; }

    // See TRTFStyleReader::FontInstalled.
    void SetFontInstalled(std::function<bool(const QString&)> installed);

protected:
    QByteArray FRTF;
    std::vector<TRTFToken> FTokens;

private:
    TRTFTokenBuilder Builder;
    TRTFStyleReader Reader;
};
