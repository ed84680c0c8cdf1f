#pragma once

#include <QString>

// The longest start of `text`, in whole characters, that takes at most `room`
// units of a field; a CR LF is the one line break it becomes there.
inline QString fitIn(QString text, int room)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QString kept;
    for (qsizetype i = 0, size = 1; i < text.size(); i += size) {
        size = text.at(i).isHighSurrogate() ? 2 : 1;
        if (kept.size() + size > room)
            break;
        kept += text.mid(i, size);
    }
    return kept;
}
