#pragma once

// The operator's journal: every action that changed something, as lines of the operator's script
// language (the scenario driver's), with "tick N" for the ticks of the main timer between them
// and "holdtick N" for those of the hold timer, so that running the journal's text through the
// script runner from start-up does again what the operator did. Runs of the same countable
// command are merged ("step LabeledEdit7 up 3"); a press released with nothing in between is a
// click ("step").

#include <QString>
#include <QStringList>

#include <cstdint>

namespace varmet {

class Journal
{
public:
    // The main timer's tick and the hold timer's tick.
    void tick() { ++m_pendingTicks; }
    void holdTick() { append(QStringLiteral("holdtick"), true); }

    // Any other action, as one script line.
    void action(const QString &line) { append(line, false); }
    // Words for the reader on the next action (what an undo takes back, in the operator's
    // words): not an action, and not in text(); annotatedText() gives it as a comment line.
    void note(const QString &text) { m_pendingNote = text; }
    // An action that repeats ("repeat LabeledEdit7", "step SpinEdit1 up"), `times` over: merged
    // with the same action just before it into one line with a count.
    void repeatable(const QString &line, int times = 1)
    {
        for (; times > 0; --times)
            append(line, true);
    }
    // A setting given whole in one line ("sigma 1 5"): a change right after the last one, with no
    // tick between, replaces it.
    void setting(const QString &prefix, const QString &line);
    // The release of the arrow held on `control`: right after its press it makes the two a click.
    void release(const QString &control);

    // The journal so far as script text (each line ending with a line break).
    QString text() const;
    // The same with each note as a comment line ("# …") before its action, for retelling.
    QString annotatedText() const;
    // Starts over from `text`, the journal of a session (empty: from start-up).
    void reset(const QString &text = {});

    // Counts the actions (not the ticks) recorded: the session changed when it moved on.
    std::uint64_t revision() const { return m_revision; }

private:
    struct Entry
    {
        QString command;
        int count = 1;
        bool countable = false;
        QString note;
    };
    void flushTicks();
    void append(const QString &command, bool countable);
    static QString lineOf(const Entry &entry);

    QList<Entry> m_entries;
    int m_pendingTicks = 0;
    QString m_pendingNote;
    std::uint64_t m_revision = 0;
};

} // namespace varmet
