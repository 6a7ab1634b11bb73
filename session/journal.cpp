#include "journal.h"

namespace varmet {

void Journal::flushTicks()
{
    if (m_pendingTicks == 0)
        return;
    if (!m_entries.isEmpty() && m_entries.back().command == QLatin1String("tick"))
        m_entries.back().count += m_pendingTicks;
    else
        m_entries.append({QStringLiteral("tick"), m_pendingTicks, true});
    m_pendingTicks = 0;
}

void Journal::append(const QString &command, bool countable)
{
    flushTicks();
    ++m_revision;
    if (countable && !m_entries.isEmpty() && m_entries.back().countable
        && m_entries.back().command == command) {
        ++m_entries.back().count;
        return;
    }
    m_entries.append({command, 1, countable});
}

void Journal::release(const QString &control)
{
    const QString press = QStringLiteral("press ") + control + QLatin1Char(' ');
    if (m_pendingTicks == 0 && !m_entries.isEmpty() && !m_entries.back().countable
        && m_entries.back().command.startsWith(press)) {
        // "press X up" then "release X": one click, "step X up".
        const QString step = QStringLiteral("step ") + m_entries.back().command.mid(6);
        m_entries.removeLast();
        append(step, true);
        return;
    }
    action(QStringLiteral("release ") + control);
}

QString Journal::lineOf(const Entry &entry)
{
    return entry.count == 1 && entry.command != QLatin1String("tick")
        ? entry.command
        : entry.command + QLatin1Char(' ') + QString::number(entry.count);
}

QString Journal::text() const
{
    QString text = m_prefix;
    for (const Entry &entry : m_entries)
        text += lineOf(entry) + QLatin1Char('\n');
    if (m_pendingTicks > 0)
        text += QStringLiteral("tick %1\n").arg(m_pendingTicks);
    return text;
}

void Journal::reset(const QString &text)
{
    m_prefix = text;
    if (!m_prefix.isEmpty() && !m_prefix.endsWith(QLatin1Char('\n')))
        m_prefix += QLatin1Char('\n');
    m_entries.clear();
    m_pendingTicks = 0;
    m_revision = 0;
    // Ticks that close the journal go on counting with the ticks that follow.
    const qsizetype lastLine = m_prefix.lastIndexOf(QLatin1Char('\n'), -2) + 1;
    const QStringView last = QStringView(m_prefix).mid(lastLine).trimmed();
    if (last.startsWith(QLatin1String("tick "))) {
        bool ok = false;
        const int ticks = last.mid(5).toInt(&ok);
        if (ok && ticks > 0) {
            m_pendingTicks = ticks;
            m_prefix.truncate(lastLine);
        }
    }
}

} // namespace varmet
