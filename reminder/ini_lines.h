#pragma once

#include <QByteArrayView>

namespace zel::ini {

// INI text in logical lines, split where QSettings splits it: at a line break
// or ';' outside quotes, a backslash taking the next character with it, and
// comment lines skipped.
class IniLines final
{
public:
    explicit IniLines(QByteArrayView text)
        : text(text)
    { }
    bool next();

    qsizetype start = 0, end = 0, equals = -1; // the line, and its first '=' outside quotes
    bool openAtEnd = false; // the text ends in a quote or an escaped line break

private:
    QByteArrayView text;
};

inline bool isLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

} // namespace zel::ini
