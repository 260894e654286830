#pragma once

#include <QString>
#include <QVariantList>

// printf-like formatting of the program's message texts ("Drucke Seite %d
// von %d", "%s.%.2d", "%0:s"): % [index:] [-] [width] [.precision] type with
// the types d u x s f e g n p and %% for a percent sign. Format strings come
// from language tables that translators edit, so a mismatch (too few
// arguments, a number for %s or the reverse, an unknown type) never crashes:
// TryFormat reports it and leaves out untouched.
bool TryFormat(const QString& format, const QVariantList& args, QString& out);

// TryFormat, or on a mismatch the format text itself.
QString Format(const QString& format, const QVariantList& args);
