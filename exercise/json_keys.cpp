#include "json_keys.h"

#include <QSet>
#include <QStringList>

#include <vector>

namespace varmet {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The string that starts after the quote at `at`, its escapes decoded; `at` ends past its quote.
QString ReadString(const QByteArray &json, qsizetype &at)
{
    QByteArray plain;
    QString text;
    const auto flush = [&] {
        text += QString::fromUtf8(plain);
        plain.clear();
    };
    while (at < json.size() && json[at] != '"') {
        const char c = json[at++];
        if (c != '\\' || at >= json.size()) {
            plain += c;
            continue;
        }
        const char e = json[at++];
        switch (e) {
        case 'b':
            plain += '\b';
            break;
        case 'f':
            plain += '\f';
            break;
        case 'n':
            plain += '\n';
            break;
        case 'r':
            plain += '\r';
            break;
        case 't':
            plain += '\t';
            break;
        case 'u': {
            int unit = 0;
            for (int i = 0; i < 4 && at < json.size(); ++i)
                unit = unit * 16 + std::max(0, HexDigit(json[at++]));
            flush();
            text += QChar(static_cast<char16_t>(unit)); // halves of a pair join as they come
            break;
        }
        default:
            plain += e;
            break;
        }
    }
    ++at; // the closing quote
    flush();
    return text;
}

struct Level
{
    bool object = false;
    bool expectName = false;
    QString name; // the member this level is the value of
    QSet<QString> names;
};

} // namespace

std::optional<QString> DuplicateJsonKey(const QByteArray &json)
{
    std::vector<Level> levels;
    QString pendingName; // the last name read, for the value that follows it
    const auto pathTo = [&levels](const QString &last) {
        QStringList parts;
        for (const Level &level : levels) {
            if (!level.name.isEmpty())
                parts << level.name;
        }
        parts << last;
        return parts.join(QLatin1Char('.'));
    };
    for (qsizetype at = 0; at < json.size();) {
        const char c = json[at++];
        switch (c) {
        case '{':
        case '[':
            levels.push_back({c == '{', c == '{', pendingName, {}});
            pendingName.clear();
            break;
        case '}':
        case ']':
            if (!levels.empty())
                levels.pop_back();
            break;
        case ',':
            if (!levels.empty() && levels.back().object)
                levels.back().expectName = true;
            pendingName.clear();
            break;
        case '"': {
            const QString text = ReadString(json, at);
            if (!levels.empty() && levels.back().expectName) {
                Level &level = levels.back();
                level.expectName = false;
                if (level.names.contains(text))
                    return pathTo(text);
                level.names.insert(text);
                pendingName = text;
            }
            break;
        }
        default:
            break;
        }
    }
    return std::nullopt;
}

} // namespace varmet
