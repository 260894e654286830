// Feeds arbitrary bytes to the rich-text reader.
//
// Run (clang, from the fuzz build directory):
//   CXX=clang++ CC=clang cmake -S /work/main -B /work/main/build-d-fuzz -G Ninja -DLUMARBO_FUZZ=ON \
//       -DLUMARBO_TESTS=OFF -DLUMARBO_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
//   ninja -C /work/main/build-d-fuzz fuzz_rtfparser
//   cp -r /work/main/fuzz/corpus/rtfparser /tmp/rtfparser-corpus
//   nice -n 19 ./fuzz_rtfparser -max_total_time=600 -rss_limit_mb=2048 /tmp/rtfparser-corpus
//
// Besides memory errors it checks that a text that parses gives the same
// tokens a second time on the same reader, and that no paragraph end is left
// at the end of the tokens.

#include "richtext/RTFParser.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// No QGuiApplication here, so the font database is not asked.
bool FontInstalled(const QString& family)
{
    return family == QStringLiteral("Arial") || family == QStringLiteral("Times New Roman");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray rtf(reinterpret_cast<const char*>(data), qsizetype(size));
    TRTFTokenReader reader;
    reader.SetFontInstalled(FontInstalled);
    try {
        reader.SetText(rtf);
    } catch (const RTFParseException&) {
        return 0;
    }
    if (!reader.Tokens().empty() && reader.Tokens().back().Kind == TRTFTokenKind::ParagraphEnd)
        std::abort();
    const std::vector<TRTFToken> first = reader.Tokens();
    reader.SetText(rtf);
    if (reader.Tokens() != first)
        std::abort();
    return 0;
}
