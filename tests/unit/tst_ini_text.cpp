#include "fixture.h"
#include "reminder/ini_text.h"

#include <QRandomGenerator>
#include <QSettings>

#include <algorithm>
#include <functional>

using namespace zel;

namespace {

using Pieces = QList<QByteArray>;

// Settings texts made of lines of every kind QSettings meets in the wild,
// weighted towards what finds the date: its section and key, spelt every way
// QSettings spells them.
class IniGenerator
{
public:
    explicit IniGenerator(quint32 seed)
        : random(seed)
    { }

    Pieces next()
    {
        Pieces pieces;
        if (chance(10))
            pieces << "\xef\xbb\xbf";
        for (int n = int(random.bounded(1, 9)); n > 0; --n)
            pieces << line() + (n == 1 && chance(5) ? QByteArray() : lineEnd());
        return pieces;
    }

private:
    bool chance(int in) { return random.bounded(in) == 0; }
    template<typename T, std::size_t N>
    const T &pick(const T (&from)[N])
    {
        return from[random.bounded(int(N))];
    }

    // The name with one of its characters %-escaped, at any position; or in
    // the other case, which only Windows folds.
    QByteArray spelt(const QByteArray &name)
    {
        const int at = int(random.bounded(int(name.size())));
        switch (random.bounded(4)) {
        case 0:
            return name.left(at) + '%' + QByteArray::number(name[at], 16) + name.mid(at + 1);
        case 1:
            return name.left(at) + "%U00" + QByteArray::number(name[at], 16).toUpper()
                + name.mid(at + 1);
        case 2:
            return name.toLower();
        default:
            return name;
        }
    }

    QByteArray lineEnd() { return pick<const char *>({"\n", "\n", "\r\n", "\r", "\n\n"}); }

    QByteArray value()
    {
        static const char *const Values[] = {"2026-11-01",
                                             "\"2026-11-01\"",
                                             "2026-11-01 ; note",
                                             " 2026-11-01\t",
                                             "a, b",
                                             "a ,b,c",
                                             "\"a, b\", c",
                                             "x\"y, z\"w",
                                             "a\\tb",
                                             "\\x41\\102",
                                             "@Variant(\\0\\0\\0\\xe\\0%\\x8e\\xc6)",
                                             "@ByteArray(x)",
                                             "@Invalid()",
                                             "@@2026",
                                             "\"semi;colon\"",
                                             "",
                                             "a\\\n b",
                                             "caf\xc3\xa9",
                                             "\xff\xfe",
                                             QT_STRINGIFY(a\0b),
                                             "\"open",
                                             "@String(2026-11-01)",
                                             "C:\\"};
        return pick(Values);
    }

    QByteArray line()
    {
        switch (random.bounded(12)) {
        case 0:
        case 1:
            return '[' + spelt("Settings") + ']' + (chance(4) ? " ; c" : "");
        case 2:
            return pick<const char *>({"[General]", "[general]", "[%General]", "[Other]", "[Sett]",
                                       "[Settings2]", "[Zz]", "[a%2Fb]", "[Oops",
                                       "[Settings\\Colors]", "[Settings/Advanced]"});
        case 3:
        case 4:
        case 5:
            return spelt("Duration") + pick<const char *>({"=", " = ", "\t="}) + value();
        case 6:
            return pick<const char *>({"k", "a\\b", "%6B", "Other", "x y", "Settings\\Duration",
                                       "Settings/Duration"})
                + QByteArray("=") + value();
        case 7:
            return pick<const char *>({"; comment", ";[Settings]", ";Duration=1", "# hash"});
        case 8:
            return pick<const char *>({"garbage", "=", "=lonely", "  ", ""});
        case 9:
            return QByteArray("nul\0byte=1", 10);
        case 10:
            return pick<const char *>(
                {"list=1, 2, 3", "q=\"a\\\"b\"", "path=C:\\\\x", "esc=\\n\\r"});
        default:
            return "k" + QByteArray::number(random.bounded(3)) + '=' + value();
        }
    }

    QRandomGenerator random;
};

const QString Key = QStringLiteral("Settings/Duration");
#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity NameCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity NameCase = Qt::CaseSensitive;
#endif

// A value as the reminder takes it: a list as its text, a typed value as no date.
QString asText(const QVariant &value)
{
    if (!value.isValid())
        return {};
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.typeId() == QMetaType::QString ? value.toString() : QStringLiteral("@");
}

// What QSettings reads from `text`, each time from a file of its own: it
// keeps what it has read of a file by the file's name.
class Reader
{
public:
    explicit Reader(const QDir &folder)
        : folder(folder)
    { }

    // What QSettings writes when it sets `key` to `value` in `text`.
    QByteArray rewrite(const QByteArray &text, const QString &key, const QString &value)
    {
        const QString name = next();
        writeFile(name, text);
        QSettings(name, QSettings::IniFormat).setValue(key, value);
        const QByteArray written = fileContents(name);
        QFile::remove(name);
        return written;
    }

    struct Read
    {
        QString date; // the reminder's
        QVariantMap others; // every other key
    };
    Read operator()(const QByteArray &text)
    {
        const QString name = next();
        writeFile(name, text);
        Read read;
        {
            QSettings settings(name, QSettings::IniFormat);
            // Asked first, as a program asks: QSettings looks for a key in
            // part of the text until all of it is parsed.
            read.date = asText(settings.value(Key));
            // "=x" is a key without a name; Windows folds the case of names.
            for (const QString &key : settings.allKeys())
                if (!key.isEmpty() && key.compare(Key, NameCase) != 0)
                    read.others[key] = settings.value(key);
        }
        QFile::remove(name);
        return read;
    }

private:
    QString next() { return folder.filePath(QString::number(++files) + QStringLiteral(".ini")); }

    QDir folder;
    int files = 0;
};

// Whether `bytes`, from outside quotes, break a line where QSettings does:
// not inside quotes, nor after a backslash.
bool breaksALine(QByteArrayView bytes)
{
    bool quoted = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\\') // and the character after it, or a CR LF
            i += bytes.sliced(i + 1).startsWith("\r\n") ? 2 : 1;
        else if (bytes[i] == '"')
            quoted = !quoted;
        else if ((bytes[i] == '\n' || bytes[i] == '\r') && !quoted)
            return true;
    }
    return false;
}

} // namespace

class TestIniText : public Fixture
{
    Q_OBJECT

private Q_SLOTS:
    void readsAndEditsAsQSettings();
};

// Thousands of texts: the date is the text QSettings reads for it; an edit is
// read back by QSettings as the new date with every other key as it was, and
// either changes one line alone, adding lines with the text's own line end,
// or is QSettings' own rewrite of the text.
void TestIniText::readsAndEditsAsQSettings()
{
    Reader read(settingsFolder());
    const QString date = QStringLiteral("2026-12-07");
    // What is wrong with a text, or nothing.
    const std::function<QString(const QByteArray &)> fault = [&](const QByteArray &text) {
        const Reader::Read before = read(text);
        const QString value
            = ini::value(text, QStringLiteral("Settings"), QStringLiteral("Duration"));
        if (before.date == u"@" ? !value.startsWith(u'@') : value != before.date)
            return QStringLiteral("read \"%1\", QSettings reads \"%2\"").arg(value, before.date);

        const std::optional<QByteArray> edited
            = ini::withValue(text, QStringLiteral("Settings"), QStringLiteral("Duration"), date);
        if (!edited) // only where QSettings' own rewrite would lose a key
            return read(read.rewrite(text, Key, date)).others != before.others
                ? QString()
                : QStringLiteral("refused");
        const Reader::Read after = read(*edited);
        if (after.date != date)
            return QStringLiteral("edited, QSettings reads no date");
        if (after.others != before.others)
            return QStringLiteral("other keys changed");
        if (*edited == read.rewrite(text, Key, date))
            return QString();
        qsizetype head = 0, tail = 0;
        while (head < text.size() && head < edited->size() && text[head] == (*edited)[head])
            ++head;
        while (tail < text.size() - head && tail < edited->size() - head
               && text[text.size() - 1 - tail] == (*edited)[edited->size() - 1 - tail])
            ++tail;
        if (head > 0 && text.mid(head - 1, 2) == "\r\n")
            return QStringLiteral("a CR LF split at %1").arg(head);
        const QByteArray replaced = text.mid(head, text.size() - head - tail);
        if (breaksALine(replaced))
            return QStringLiteral("bytes beyond one line changed: \"%1\"")
                .arg(QString::fromLatin1(replaced.toPercentEncoding()));
        const auto lineEnd
            = std::find_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; });
        const QByteArray eol = lineEnd == text.end()                 ? QByteArray("\n")
            : QByteArrayView(lineEnd, text.end()).startsWith("\r\n") ? QByteArray("\r\n")
                                                                     : QByteArray(1, *lineEnd);
        QByteArray added = edited->mid(head, edited->size() - head - tail);
        if (added.replace(eol, "").contains('\n') || added.contains('\r'))
            return QStringLiteral("a line added without the text's own line end");
        return QString();
    };

    IniGenerator generate(20261207);
    for (int n = 0; n < 3000; ++n) {
        Pieces pieces = generate.next();
        if (fault(pieces.join()).isEmpty())
            continue;
        // The shortest text that still fails, for the report.
        for (qsizetype i = 0; i < pieces.size();) {
            Pieces shorter = pieces;
            shorter.removeAt(i);
            if (!fault(shorter.join()).isEmpty())
                pieces = shorter;
            else
                ++i;
        }
        QFAIL(qPrintable(QStringLiteral("text %1 \"%2\": %3")
                             .arg(n)
                             .arg(QString::fromLatin1(pieces.join().toPercentEncoding(" =[];")),
                                  fault(pieces.join()))));
    }
}

QTEST_MAIN(TestIniText)
#include "tst_ini_text.moc"
