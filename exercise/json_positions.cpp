#include "json_positions.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <optional>

namespace varmet {

TextPosition PositionAt(const QByteArray &utf8, qsizetype offset)
{
    offset = std::clamp<qsizetype>(offset, 0, utf8.size());
    TextPosition position;
    for (qsizetype i = 0; i < offset; ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte == '\n') {
            ++position.Line;
            position.Column = 1;
        } else if ((byte & 0xC0) != 0x80) { // continuation bytes belong to the character before
            ++position.Column;
        }
    }
    return position;
}

QString PositionText(const TextPosition &position)
{
    return QStringLiteral("строка %1, столбец %2").arg(position.Line).arg(position.Column);
}

namespace {

// A walk over a document already known to be well formed: it only needs to find where each value
// begins and where it ends.
class Locator
{
public:
    explicit Locator(const QByteArray &text)
        : m_text(text)
    { }

    std::map<QString, TextPosition> run()
    {
        value(QString());
        return std::move(m_found);
    }

private:
    void skipBlanks()
    {
        while (m_at < m_text.size()
            && (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\n'
                || m_text[m_at] == '\r'))
            ++m_at;
    }

    // The position of m_at, moving the line count along from where it was last asked.
    TextPosition here()
    {
        for (; m_counted < m_at; ++m_counted) {
            const auto byte = static_cast<unsigned char>(m_text[m_counted]);
            if (byte == '\n') {
                ++m_position.Line;
                m_position.Column = 1;
            } else if ((byte & 0xC0) != 0x80) {
                ++m_position.Column;
            }
        }
        return m_position;
    }

    QString string()
    {
        const qsizetype start = m_at++;
        bool escaped = false;
        while (m_at < m_text.size() && m_text[m_at] != '"') {
            escaped = escaped || m_text[m_at] == '\\';
            m_at += m_text[m_at] == '\\' ? 2 : 1;
        }
        ++m_at;
        const QByteArray token = m_text.mid(start, m_at - start);
        if (!escaped)
            return QString::fromUtf8(token.mid(1, token.size() - 2));
        // Escapes decoded as the reader decodes them.
        return QJsonDocument::fromJson("[" + token + "]").array().at(0).toString();
    }

    void value(const QString &path, std::optional<TextPosition> at = std::nullopt)
    {
        skipBlanks();
        m_found.emplace(path, at ? *at : here());
        if (m_at >= m_text.size())
            return;
        const char c = m_text[m_at];
        if (c == '{') {
            ++m_at;
            for (;;) {
                skipBlanks();
                if (m_at >= m_text.size() || m_text[m_at] == '}')
                    break;
                if (m_text[m_at] == ',') {
                    ++m_at;
                    continue;
                }
                const TextPosition keyAt = here();
                const QString key = string();
                skipBlanks();
                ++m_at; // the colon
                value(path.isEmpty() ? key : path + QLatin1Char('.') + key, keyAt);
            }
            ++m_at;
        } else if (c == '[') {
            ++m_at;
            for (int index = 0;; ++index) {
                skipBlanks();
                if (m_at >= m_text.size() || m_text[m_at] == ']')
                    break;
                if (m_text[m_at] == ',') {
                    ++m_at;
                    --index;
                    continue;
                }
                value(QStringLiteral("%1[%2]").arg(path).arg(index));
            }
            ++m_at;
        } else if (c == '"') {
            string();
        } else {
            while (m_at < m_text.size() && !QByteArrayView(",]} \t\r\n").contains(m_text[m_at]))
                ++m_at;
        }
    }

    const QByteArray &m_text;
    qsizetype m_at = 0;
    qsizetype m_counted = 0;
    TextPosition m_position;
    std::map<QString, TextPosition> m_found;
};

} // namespace

std::map<QString, TextPosition> LocateJsonValues(const QByteArray &utf8)
{
    QJsonParseError error;
    QJsonDocument::fromJson(utf8, &error);
    if (error.error != QJsonParseError::NoError)
        return {};
    return Locator(utf8).run();
}

} // namespace varmet
