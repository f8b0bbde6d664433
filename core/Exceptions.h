#pragma once
// Errors are exceptions that carry the message shown to the user. Every library derives its own
// class from Exception so callers can tell where an error came from.

#include <QString>
#include <exception>

// The messages that several parts give for the same failure, spelt once.
namespace Messages {
// Text that should have been a whole number.
inline QString NotAnInteger(const QString& text) {
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}
// A name or value that a property does not take.
inline QString InvalidPropertyValue() {
    return QStringLiteral("Invalid property value");
}
} // namespace Messages

class Exception : public std::exception {
public:
    explicit Exception(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString& Message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// Text that cannot be converted to the requested type.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Naming and ownership errors of components.
class EComponentError : public Exception {
public:
    using Exception::Exception;
};

// Property lookups and writes that cannot be done.
class EPropertyError : public Exception {
public:
    using Exception::Exception;
};

// Malformed component streams.
class EReadError : public Exception {
public:
    using Exception::Exception;
};
