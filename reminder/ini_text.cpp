#include "reminder/ini_text.h"

#include "reminder/ini_lines.h"
#include "reminder/settings_rewrite.h"

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <iterator>
#include <utility>

namespace zel::ini {
namespace {

int digit(char c, int base)
{
    const int d = c >= '0' && c <= '9' ? c - '0'
        : c >= 'a' && c <= 'f'         ? c - 'a' + 10
        : c >= 'A' && c <= 'F'         ? c - 'A' + 10
                                       : 99;
    return d < base ? d : -1;
}

QString fold(const QString &name)
{
    return NameCase == Qt::CaseInsensitive ? name.toLower() : name;
}

// Plain ASCII without %-escapes: QSettings reads it as it stands, '\' as '/'.
bool plain(QByteArrayView raw)
{
    return std::all_of(raw.begin(), raw.end(), [](char c) { return uchar(c) < 0x80 && c != '%'; });
}

// A plain name, with a closing '/' for a section's, against a folded name,
// without the copy that most of a large file's names would cost.
int comparePlain(QByteArrayView raw, bool closingSlash, QStringView name)
{
    const qsizetype size = raw.size() + (closingSlash ? 1 : 0);
    for (qsizetype i = 0; i < size && i < name.size(); ++i) {
        const char c = i == raw.size() || raw[i] == '\\' ? '/' : raw[i];
        const char16_t folded
            = NameCase == Qt::CaseInsensitive && c >= 'A' && c <= 'Z' ? c + 32 : c;
        if (folded != name[i].unicode())
            return folded < name[i].unicode() ? -1 : 1;
    }
    return size < name.size() ? -1 : size > name.size() ? 1 : 0;
}

// A section's or key's name: '\' is '/', %XX and %UXXXX are characters.
QString unescapedName(QByteArrayView raw)
{
    const QString text = QString::fromUtf8(raw);
    QString name;
    name.reserve(text.size() + 1);
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype from = i + (i + 1 < text.size() && text[i + 1] == u'U' ? 2 : 1);
        const qsizetype digits = from - i == 2 ? 4 : 2;
        bool ok = false;
        const ushort code = text[i] == u'%' && from + digits <= text.size()
            ? QStringView(text).sliced(from, digits).toUShort(&ok, 16)
            : 0;
        name += ok ? QChar(code) : text[i] == u'\\' ? u'/' : text[i];
        i = ok ? from + digits : i + 1;
    }
    return name;
}

// How QSettings keys a section: its name and a '/', and "" for [General].
QString sectionKey(QByteArrayView raw)
{
    if (raw.compare("general", Qt::CaseInsensitive) == 0)
        return {};
    if (raw.compare("%general", Qt::CaseInsensitive) == 0)
        return fold(QString::fromLatin1(raw.sliced(1))) + u'/';
    return fold(unescapedName(raw)) + u'/';
}

// A value as QSettings reads it: quotes, C escapes, and commas outside quotes
// that make it a list, whose items are joined with ", ". Spaces and tabs at an
// item's end go unless it is quoted or they came from an escape.
QString unescapedValue(QByteArrayView raw)
{
    static constexpr std::pair<char, char> Escapes[]
        = {{'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'},  {'r', '\r'}, {'t', '\t'},
           {'v', '\v'}, {'"', '"'},  {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
    QStringDecoder fromUtf8(QStringDecoder::Utf8); // one for the value, as QSettings has it
    QStringList list;
    QString item;
    bool inQuotes = false, quoted = false;
    qsizetype i = 0, kept = 0; // item[0, kept) is never chopped
    const qsizetype n = raw.size();
    const auto skipSpaces = [&] {
        while (i < n && (raw[i] == ' ' || raw[i] == '\t'))
            ++i;
        kept = item.size();
    };
    const auto chopSpaces = [&] {
        qsizetype k = item.size();
        while (k > kept && (item[k - 1] == u' ' || item[k - 1] == u'\t'))
            --k;
        item.truncate(quoted ? item.size() : k);
    };
    const auto joined = [&] {
        // A single "@String(...)" is the text inside; in a list, QSettings
        // makes a list of variants, which is never a date.
        if (list.isEmpty() && item.startsWith(QLatin1StringView("@String(")) && item.endsWith(u')'))
            return item.sliced(8).chopped(1);
        return list.isEmpty() ? item : (list << item).join(u", ");
    };
    skipSpaces();
    while (i < n) {
        const char ch = raw[i++];
        if (ch == '\\') {
            if (i == n) // the value ends as it is, unchopped
                return joined();
            const char e = raw[i++];
            const auto *code = std::find_if(std::begin(Escapes), std::end(Escapes),
                                            [e](auto code) { return code.first == e; });
            const int base = e == 'x' ? 16 : digit(e, 8) >= 0 ? 8 : 0;
            if (code != std::end(Escapes)) {
                item += QLatin1Char(code->second);
            } else if (base == 16 && i == n) {
                return joined();
            } else if (base == 8 || (base == 16 && digit(raw[i], 16) >= 0)) {
                char16_t value = char16_t(base == 8 ? digit(e, 8) : 0);
                while (i < n && digit(raw[i], base) >= 0)
                    value = char16_t(value * base + digit(raw[i++], base));
                item += QChar(value);
                if (i == n)
                    return joined();
            } else if (isLineEnd(e) && i < n && isLineEnd(raw[i]) && raw[i] != e) {
                ++i;
            }
            kept = item.size();
        } else if (ch == '"') {
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes)
                skipSpaces();
        } else if (ch == ',' && !inQuotes) {
            chopSpaces();
            list << std::exchange(item, QString());
            quoted = false;
            skipSpaces();
        } else {
            qsizetype j = i;
            while (j < n && raw[j] != '\\' && raw[j] != '"' && raw[j] != ',')
                ++j;
            item += fromUtf8(raw.sliced(i - 1, j - i + 1));
            i = j;
        }
    }
    chopSpaces();
    return joined();
}

// Where QSettings finds section/name in the text.
struct Found
{
    qsizetype skip = 0; // a UTF-8 byte order mark
    bool openAtEnd = false;
    bool shadowed = false; // QSettings looks only in the section sorting last before the key
    qsizetype headerEnd = -1; // the last header of the section
    qsizetype valueStart = -1, valueEnd = -1; // the last value of the name in it
};

Found find(QByteArrayView text, const QString &section, const QString &name)
{
    Found found;
    found.skip = text.startsWith("\xef\xbb\xbf") ? 3 : 0;
    const QByteArrayView data = text.sliced(found.skip);
    const QString group = fold(section) + u'/';
    const QString folded = fold(name), key = group + folded;
    bool inGroup = false;
    IniLines lines(data);
    while (lines.next()) {
        const QByteArrayView line = data.sliced(lines.start, lines.end - lines.start);
        if (line.startsWith('[')) {
            const qsizetype close = line.indexOf(']'); // the rest of the line when none
            const QByteArrayView raw
                = line.first(close < 0 ? line.size() : close).sliced(1).trimmed();
            inGroup = false;
            if (found.shadowed) // the key is out of reach
                continue;
            if (plain(raw) && raw.compare("general", Qt::CaseInsensitive) != 0) {
                const int order = comparePlain(raw, true, group);
                inGroup = order == 0;
                found.shadowed = order > 0 && comparePlain(raw, true, key) <= 0;
            } else {
                const QString at = sectionKey(raw);
                inGroup = at == group;
                found.shadowed = at > group && at <= key;
            }
            found.headerEnd = inGroup ? found.skip + lines.end : found.headerEnd;
        } else if (inGroup && lines.equals >= 0) {
            const QByteArrayView raw
                = data.sliced(lines.start, lines.equals - lines.start).trimmed();
            if (plain(raw) ? comparePlain(raw, false, folded) == 0
                           : fold(unescapedName(raw)) == folded) {
                found.valueStart = found.skip + lines.equals + 1;
                found.valueEnd = found.skip + lines.end;
            }
        }
    }
    found.openAtEnd = lines.openAtEnd;
    return found;
}

} // namespace

QString value(QByteArrayView text, const QString &section, const QString &name)
{
    const Found found = find(text, section, name);
    if (found.shadowed || found.valueStart < 0)
        return QString();
    QString value
        = unescapedValue(text.sliced(found.valueStart, found.valueEnd - found.valueStart));
    if (value == QLatin1StringView("@Invalid()")) // QSettings' own "no value"
        return QString();
    // "@@" is an escaped '@'; any other '@' starts a typed value, never a date.
    if (value.startsWith(QLatin1StringView("@@")))
        value.remove(0, 1);
    return value;
}

namespace {

// The text edited in place, where that can be done.
std::optional<QByteArray> editedInPlace(const QByteArray &text, const QString &section,
                                        const QString &name, const QString &value)
{
    const Found found = find(text, section, name);
    // What is added ends its lines as the text's first line ends: LF, CR LF or CR.
    const auto lineEnd = std::find_if(text.begin(), text.end(), isLineEnd);
    const QByteArray eol = lineEnd == text.end() || *lineEnd == '\n' ? QByteArray("\n")
        : QByteArrayView(lineEnd, text.end()).startsWith("\r\n")     ? QByteArray("\r\n")
                                                                     : QByteArray("\r");
    const QByteArray line = name.toUtf8() + '=' + value.toUtf8() + eol;
    qsizetype from = text.size(), to = text.size(); // what is replaced
    QByteArray with;
    if (found.valueStart >= 0) {
        from = found.valueStart;
        to = found.valueEnd;
        while (from < to && (text[from] == ' ' || text[from] == '\t'))
            ++from;
        with = value.toUtf8();
    } else if (found.headerEnd >= 0) {
        qsizetype at = found.headerEnd;
        while (at < text.size() && !isLineEnd(text[at])) // a comment after the header
            ++at;
        if (at < text.size())
            from = to = at + (text[at] == '\r' && text.mid(at + 1, 1) == "\n" ? 2 : 1);
        with = (at < text.size() ? QByteArray() : eol) + line;
    } else { // a blank line before the section, as QSettings has it
        with = (text.size() == found.skip    ? QByteArray()
                    : isLineEnd(text.back()) ? eol
                                             : eol + eol)
            + '[' + section.toUtf8() + ']' + eol + line;
    }
    if (found.valueStart < 0 && from == text.size() && found.openAtEnd)
        return std::nullopt;
    QByteArray edited;
    edited.reserve(text.size() - (to - from) + with.size());
    edited.append(QByteArrayView(text).first(from))
        .append(with)
        .append(QByteArrayView(text).sliced(to));
    // However odd the text, what QSettings will read back is the value.
    if (ini::value(edited, section, name) != value)
        return std::nullopt;
    return edited;
}

} // namespace

// Where the text cannot be edited in place (its last line is left open, or
// the date would land in a section QSettings does not look in), QSettings
// rewrites it: it reads every other key as before, and only comments and
// lines it cannot read are lost.
std::optional<QByteArray> withValue(const QByteArray &text, const QString &section,
                                    const QString &name, const QString &value)
{
    std::optional<QByteArray> edited = editedInPlace(text, section, name, value);
    if (!edited)
        edited = rewrittenByQSettings(text, section + u'/' + name, value);
    if (edited && ini::value(*edited, section, name) != value)
        return std::nullopt;
    return edited;
}

} // namespace zel::ini
