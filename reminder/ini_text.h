#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace zel::ini {

// The text QSettings (IniFormat) reads for "section/name" from INI text when
// asked for it first: a string list joined with ", ", a typed or binary
// value ("@...") as it stands, which is never a date; empty when there is
// none. Lines QSettings cannot read (a header without its "]", a line
// without "=") are read past as QSettings reads past them.
QString value(QByteArrayView text, const QString &section, const QString &name);

// The text with "section/name" set to value, which QSettings reads back,
// with every other key as it read it before. Where it can, every byte
// outside one logical line is kept, and lines added end as the text's own:
// the value's own line is edited, or a line added to the section, or the
// section added at the end. Otherwise the text is QSettings' own rewrite.
// Nullopt where neither can be done.
std::optional<QByteArray> withValue(const QByteArray &text, const QString &section,
                                    const QString &name, const QString &value);

} // namespace zel::ini
