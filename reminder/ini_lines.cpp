#include "reminder/ini_lines.h"

namespace zel::ini {
namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || isLineEnd(c);
}

// A table, and plain pointers, since every byte of a large file passes here.
struct Table
{
    bool special[256] {};
    constexpr Table()
    {
        for (const char c : {'\n', '\r', '"', ';', '=', '\\'})
            special[uchar(c)] = true;
    }
};
constexpr Table Bytes;

} // namespace

bool IniLines::next()
{
    const char *const text = this->text.data();
    const qsizetype n = this->text.size();
    bool inQuotes = false;
    equals = -1;
    start = end;
    while (start < n && isSpace(text[start]))
        ++start;
    qsizetype i = start;
    while (i < n) {
        while (i < n && !Bytes.special[uchar(text[i])])
            ++i;
        if (i == n)
            break;
        const char ch = text[i++];
        if (ch == '=') {
            if (!inQuotes && equals == -1)
                equals = i - 1;
        } else if (ch == '\\') {
            const char escaped = i < n ? text[i++] : '\n';
            if (i < n && isLineEnd(escaped) && isLineEnd(text[i]) && text[i] != escaped)
                ++i;
            openAtEnd = i == n && isLineEnd(escaped);
        } else if (ch == '"') {
            inQuotes = !inQuotes;
        } else if (i == start + 1 && ch == ';') { // a comment line
            while (i < n && !isLineEnd(text[i]))
                ++i;
            while (i < n && isSpace(text[i]))
                ++i;
            start = i;
        } else if (i == start + 1) { // a line break that starts the line
            ++start;
        } else if (!inQuotes) {
            --i;
            break;
        }
    }
    openAtEnd = openAtEnd || (i == n && inQuotes);
    end = i;
    return end > start;
}

} // namespace zel::ini
