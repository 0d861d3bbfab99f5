#pragma once

#include <QString>

#include <stdexcept>

namespace zort {

// A failed open, write or close of the report file. The code is the report's error number
// (2, 3, 4, 5, 32, 112, or the OS's own number); the message is what the user is shown.
class ReportIoError : public std::runtime_error
{
public:
    ReportIoError(int code, const QString &message)
        : std::runtime_error(message.toStdString())
        , m_code(code)
        , m_message(message)
    { }

    int code() const { return m_code; }
    QString message() const { return m_message; }

    // The message for an error number: "File not found", "Invalid filename", "Too many open
    // files", "File access denied", otherwise "I/O error <code>".
    static QString messageFor(int code, bool mapped = true);

private:
    int m_code;
    QString m_message;
};

} // namespace zort
