#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// Errors are exceptions that carry the text the user is shown. They are
// caught only by the command wrapper (app/ui/Command.h), never inside the
// models.
class Exception : public std::exception {
public:
    explicit Exception(QString message)
        : Message(std::move(message)), Utf8(Message.toUtf8()) {}
    const char* what() const noexcept override { return Utf8.constData(); }
    const QString& message() const noexcept { return Message; }

private:
    QString Message;
    QByteArray Utf8;
};
