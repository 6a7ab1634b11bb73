#include "journal.h"

#include "input_limits.h"

#include <utility>

namespace varmet {

void Journal::flushTicks()
{
    if (m_pendingTicks == 0)
        return;
    // A count stays within what a line may give; beyond it a new line starts.
    if (!m_entries.isEmpty() && m_entries.back().command == QLatin1String("tick")
        && m_entries.back().count <= MaxWorkCount - m_pendingTicks)
        m_entries.back().count += m_pendingTicks;
    else
        m_entries.append({QStringLiteral("tick"), m_pendingTicks, true, {}});
    m_pendingTicks = 0;
}

void Journal::append(const QString &command, bool countable)
{
    flushTicks();
    ++m_revision;
    if (countable && !m_entries.isEmpty() && m_entries.back().countable
        && m_entries.back().command == command && m_entries.back().count < MaxWorkCount) {
        ++m_entries.back().count;
        m_pendingNote.clear();
        return;
    }
    m_entries.append({command, 1, countable, std::exchange(m_pendingNote, {})});
}

void Journal::setting(const QString &prefix, const QString &line)
{
    if (m_pendingTicks == 0 && !m_entries.isEmpty()
        && m_entries.back().command.startsWith(prefix)) {
        ++m_revision;
        m_entries.back().command = line;
        return;
    }
    action(line);
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
    QString text;
    for (const Entry &entry : m_entries)
        text += lineOf(entry) + QLatin1Char('\n');
    if (m_pendingTicks > 0)
        text += QStringLiteral("tick %1\n").arg(m_pendingTicks);
    return text;
}

QString Journal::annotatedText() const
{
    QString text;
    for (const Entry &entry : m_entries) {
        if (!entry.note.isEmpty())
            text += QStringLiteral("# ")
                + QString(entry.note).replace(QLatin1Char('\n'), QLatin1Char(' '))
                + QLatin1Char('\n');
        text += lineOf(entry) + QLatin1Char('\n');
    }
    if (m_pendingTicks > 0)
        text += QStringLiteral("tick %1\n").arg(m_pendingTicks);
    return text;
}

void Journal::reset(const QString &text)
{
    m_entries.clear();
    m_pendingTicks = 0;
    m_pendingNote.clear();
    // The lines become entries again, so that the actions that follow merge with them as they
    // would have had the session never stopped.
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty())
            continue;
        const QString &command = words.front();
        // Words of a countable command before its count: "tick N", "repeat X N", "step X D N".
        const qsizetype base
            = command == QLatin1String("tick") || command == QLatin1String("holdtick") ? 1
            : command == QLatin1String("repeat")                                       ? 2
            : command == QLatin1String("step")                                         ? 3
                                                                                       : 0;
        const CountRead read
            = words.size() == base + 1 ? ReadCount(words.back()) : CountRead {1, {}};
        const bool counted = read.problem.isEmpty();
        const int count = read.value;
        if (base == 0 || words.size() < base || words.size() > base + 1
            || (words.size() > base && !counted)) {
            m_entries.append({line.trimmed(), 1, false, {}});
            continue;
        }
        m_entries.append({words.mid(0, base).join(QLatin1Char(' ')), count, true, {}});
    }
    m_revision = 0;
}

} // namespace varmet
