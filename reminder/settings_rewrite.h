#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace zel::ini {

// QSettings' own rewrite of INI `text` with `key` set to `value`, made in a
// folder of the program's own; nullopt where QSettings would not read back
// every other key as it read it before (it writes some texts, a NUL byte in
// a list say, in a way it reads otherwise).
std::optional<QByteArray> rewrittenByQSettings(const QByteArray &text, const QString &key,
                                               const QString &value);

} // namespace zel::ini
