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

// QSettings folds the case of INI names on Windows only.
#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity NameCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity NameCase = Qt::CaseSensitive;
#endif

inline bool isLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

} // namespace zel::ini
