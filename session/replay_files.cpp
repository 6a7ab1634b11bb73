#include "replay_files.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace varmet {

QString OwnFileName(const QString &path)
{
    const qsizetype slash
        = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    const QString name = path.mid(slash + 1).trimmed();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return {};
    return name;
}

ReplayFiles::ReplayFiles(QString scratchFolder, QString journalFolder, QStringList exerciseLibrary)
    : m_scratch(std::move(scratchFolder))
    , m_journal(std::move(journalFolder))
    , m_library(std::move(exerciseLibrary))
{ }

ConfinedPath ReplayFiles::write(const QString &asked) const
{
    const QString name = OwnFileName(asked);
    if (name.isEmpty())
        return {{}, QStringLiteral("журнал не называет имя файла")};
    return {QDir(m_scratch).filePath(name), {}};
}

ConfinedPath ReplayFiles::read(const QString &asked, Read kind) const
{
    const QString name = OwnFileName(asked);
    if (name.isEmpty())
        return {{}, QStringLiteral("журнал не называет имя файла")};
    QStringList folders {m_scratch, m_journal};
    if (kind == Read::Exercise)
        folders += m_library;
    for (const QString &folder : folders) {
        if (folder.isEmpty())
            continue;
        const QString path = QDir(folder).filePath(name);
        if (QFileInfo::exists(path))
            return {path, {}};
    }
    return {{},
        kind == Read::Exercise
            ? QStringLiteral("при воспроизведении файл ищется только рядом с журналом и в "
                             "библиотеке учений, там его нет")
            : QStringLiteral(
                "при воспроизведении файл ищется только рядом с журналом, там его нет")};
}

QStringList ReplayFiles::ExerciseLibrary()
{
    return QStandardPaths::locateAll(QStandardPaths::AppDataLocation, QStringLiteral("exercises"),
        QStandardPaths::LocateDirectory);
}

} // namespace varmet
