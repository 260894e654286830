// Converts a UTF-8 language table into UTF-16LE with byte-order mark and
// CR LF line ends, the form in which the program carries its tables.
#include <QFile>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s INPUT.ini OUTPUT\n", argv[0]);
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    QString text = QString::fromUtf8(in.readAll());
    text.remove(QLatin1Char('\r'));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    const QStringList lines = text.split(QLatin1Char('\n'));
    QByteArray out("\xFF\xFE", 2);
    for (const QString& line : lines) {
        const QString withEnd = line + QStringLiteral("\r\n");
        for (QChar c : withEnd) {
            const char16_t u = c.unicode();
            out.append(char(u & 0xFF));
            out.append(char(u >> 8));
        }
    }
    QSaveFile f(QString::fromLocal8Bit(argv[2]));
    if (!f.open(QIODevice::WriteOnly) || f.write(out) != out.size() || !f.commit()) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
