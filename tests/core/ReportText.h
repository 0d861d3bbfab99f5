#pragma once

// Reads a report file back for comparison: its Windows-1251 bytes decoded by a table of our
// own (ASCII, the Cyrillic letters, "№"), so that a fault in the writer's encoder shows.

#include <QFile>
#include <QString>
#include <QStringList>

#include <ostream>

// Lets test failures show texts as texts.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace zort::test {

inline QString decodeWindows1251(const QByteArray &bytes)
{
    QString out;
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        if (b < 0x80)
            out += QChar(b);
        else if (b >= 0xC0)
            out += QChar(char16_t(0x0410 + (b - 0xC0)));
        else if (b == 0xA8)
            out += QChar(u'Ё');
        else if (b == 0xB8)
            out += QChar(u'ё');
        else if (b == 0xB9)
            out += QChar(u'№');
        else if (b == 0xAB)
            out += QChar(u'«');
        else if (b == 0xBB)
            out += QChar(u'»');
        else
            out += QChar(u'\uFFFD');
    }
    return out;
}

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

// The report's lines; a file whose text does not end in CR LF, or holds a line end other than
// CR LF, gets a marker line so that the comparison fails.
inline QStringList reportLines(const QString &path)
{
    const QString text = decodeWindows1251(fileBytes(path));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (lines.back().isEmpty())
        lines.removeLast();
    else
        lines << QStringLiteral("<no CR LF at the end>");
    for (const QString &line : lines) {
        if (line.contains(u'\r') || line.contains(u'\n'))
            return {QStringLiteral("<stray line end>")};
    }
    return lines;
}

} // namespace zort::test
