#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace zel::ini {

// The text QSettings would read for "section/name" from INI text: a string
// list joined with ", ", a typed or binary value ("@...") as it stands, which
// is never a date; empty when there is none. Nullopt when QSettings would
// call the text broken (a section header without its "]").
std::optional<QString> value(QByteArrayView text, const QString &section, const QString &name);

// The text with "section/name" set to value and every other byte kept: the
// value's own line is edited, or a line added to the section, or the section
// added at the end. Nullopt where that cannot be done so that QSettings reads
// the value back: a broken text, a last line left open (an unclosed quote,
// an escaped line end), a value that needs escaping.
std::optional<QByteArray> withValue(const QByteArray &text, const QString &section,
                                    const QString &name, const QString &value);

} // namespace zel::ini
