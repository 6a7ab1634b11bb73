#pragma once

// The files a replayed journal may touch. A journal comes from someone else: it may name any
// path, but it never chooses where the program writes nor what it reads. Whatever it asks to write
// goes into the replay's scratch folder under the file's own name; whatever it asks to read is
// looked up by the file's name only, in the scratch folder (what the replay wrote itself), beside
// the journal, and for an exercise also in the exercise library.

#include <QString>
#include <QStringList>

namespace varmet {

// A path to use, or the reason the file is refused (in Russian, to follow the file's name).
struct ConfinedPath
{
    QString path;
    QString refusal; // empty when `path` may be used
    bool refused() const { return !refusal.isEmpty(); }
};

class ReplayFiles
{
public:
    enum class Read { Any, Exercise };

    ReplayFiles(QString scratchFolder, QString journalFolder, QStringList exerciseLibrary);

    // Where a write to `asked` goes: the scratch folder, under the last part of `asked`.
    ConfinedPath write(const QString &asked) const;
    // The file a read of `asked` takes: the first of the allowed folders that holds a file of
    // that name.
    ConfinedPath read(const QString &asked, Read kind) const;

    // The folders the program's exercises are kept in, for anyone to look up by name.
    static QStringList ExerciseLibrary();

private:
    QString m_scratch;
    QString m_journal;
    QStringList m_library;
};

// The last part of a path as written, on either kind of separator; empty when it names no file
// ("", "dir/", ".", "..").
QString OwnFileName(const QString &path);

} // namespace varmet
