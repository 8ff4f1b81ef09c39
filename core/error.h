#pragma once
// The one error class of the system. A failure is thrown with its message text and
// caught only where Qt called us; there it becomes the application's error box.

#include <QString>
#include <exception>
#include <string>

namespace vistelle {

class Error : public std::exception {
public:
    explicit Error(QString message) : m_message(std::move(message)), m_utf8(m_message.toStdString()) {}
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.c_str(); }

private:
    QString m_message;
    std::string m_utf8;
};

// A picture that its decoder rejects, or a file extension no picture kind takes.
// The drop import tells these apart from every other failure.
class InvalidGraphicError : public Error {
public:
    using Error::Error;
};

// Builds a message from an exact text with %s / %d placeholders, filled in order.
inline QString fmt(QString text) { return text; }
template <typename T, typename... Rest>
QString fmt(QString text, const T& first, const Rest&... rest)
{
    qsizetype at = -1;
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == u'%' && (text[i + 1] == u's' || text[i + 1] == u'd')) { at = i; break; }
    }
    if (at < 0) return text;
    QString value;
    if constexpr (std::is_arithmetic_v<T>) value = QString::number(first);
    else value = QString(first);
    text.replace(at, 2, value);
    // Continue after the inserted value so that a '%s' inside it is never filled.
    QString head = text.left(at + value.size());
    return head + fmt(text.mid(at + value.size()), rest...);
}

[[noreturn]] inline void raise(const QString& message) { throw Error(message); }

} // namespace vistelle
