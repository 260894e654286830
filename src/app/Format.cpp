#include "app/Format.h"

#include <QLocale>

namespace {

bool IsIntegral(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

bool IsFloat(const QVariant& v)
{
    return v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float;
}

QString Pad(const QString& s, int width, bool left)
{
    if (width <= s.size())
        return s;
    const QString fill(width - s.size(), QLatin1Char(' '));
    return left ? s + fill : fill + s;
}

} // namespace

bool TryFormat(const QString& format, const QVariantList& args, QString& out)
{
    QString result;
    int next = 0;
    const qsizetype n = format.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = format.at(i);
        if (c != QLatin1Char('%')) {
            result += c;
            continue;
        }
        if (++i >= n)
            return false;
        if (format.at(i) == QLatin1Char('%')) {
            result += QLatin1Char('%');
            continue;
        }
        // Optional "index:" selects the argument and continues from there.
        qsizetype j = i;
        int number = -1;
        while (j < n && format.at(j).isDigit()) {
            number = (number < 0 ? 0 : number) * 10 + format.at(j).digitValue();
            if (number > 100000)
                return false;
            ++j;
        }
        if (j < n && format.at(j) == QLatin1Char(':') && number >= 0) {
            next = number;
            i = j + 1;
        }
        bool left = false;
        if (i < n && format.at(i) == QLatin1Char('-')) {
            left = true;
            ++i;
        }
        int width = -1;
        while (i < n && format.at(i).isDigit()) {
            width = (width < 0 ? 0 : width) * 10 + format.at(i).digitValue();
            if (width > 1000)
                return false;
            ++i;
        }
        int prec = -1;
        if (i < n && format.at(i) == QLatin1Char('.')) {
            ++i;
            prec = 0;
            while (i < n && format.at(i).isDigit()) {
                prec = prec * 10 + format.at(i).digitValue();
                if (prec > 1000)
                    return false;
                ++i;
            }
        }
        if (i >= n || next >= args.size())
            return false;
        const QVariant& arg = args.at(next++);
        const QChar type = format.at(i).toLower();
        QString piece;
        if (type == QLatin1Char('d') || type == QLatin1Char('u')) {
            if (!IsIntegral(arg))
                return false;
            const qlonglong v = arg.toLongLong();
            QString digits = QString::number(v < 0 ? -v : v);
            if (prec > 0 && digits.size() < prec)
                digits = QString(prec - digits.size(), QLatin1Char('0')) + digits;
            piece = (v < 0 ? QStringLiteral("-") : QString()) + digits;
        } else if (type == QLatin1Char('x')) {
            if (!IsIntegral(arg))
                return false;
            QString digits = QString::number(arg.toULongLong(), 16).toUpper();
            if (prec > 0 && digits.size() < prec)
                digits = QString(prec - digits.size(), QLatin1Char('0')) + digits;
            piece = digits;
        } else if (type == QLatin1Char('s')) {
            if (arg.typeId() != QMetaType::QString && arg.typeId() != QMetaType::QByteArray
                && arg.typeId() != QMetaType::QChar)
                return false;
            piece = arg.toString();
            if (prec >= 0)
                piece = piece.left(prec);
        } else if (type == QLatin1Char('f') || type == QLatin1Char('e') || type == QLatin1Char('g')
                   || type == QLatin1Char('n')) {
            if (!IsFloat(arg) && !IsIntegral(arg))
                return false;
            const double v = arg.toDouble();
            if (type == QLatin1Char('f'))
                piece = QString::number(v, 'f', prec < 0 ? 2 : prec);
            else if (type == QLatin1Char('e'))
                piece = QString::number(v, 'e', prec < 0 ? 15 : prec).toUpper();
            else if (type == QLatin1Char('g'))
                piece = QString::number(v, 'g', prec < 0 ? 15 : prec);
            else
                piece = QLocale::c().toString(v, 'f', prec < 0 ? 2 : prec);
        } else if (type == QLatin1Char('p')) {
            if (!IsIntegral(arg))
                return false;
            piece = QString::number(arg.toULongLong(), 16).toUpper().rightJustified(8, QLatin1Char('0'));
        } else {
            return false;
        }
        result += Pad(piece, width, left);
    }
    out = result;
    return true;
}

QString Format(const QString& format, const QVariantList& args)
{
    QString out;
    return TryFormat(format, args, out) ? out : format;
}
