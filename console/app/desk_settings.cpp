#include "desk_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace varmet::DeskSettings {

namespace {

const QString FolderKey = QStringLiteral("files/lastFolder");
const QString FrameKey = QStringLiteral("window/frame");

QSettings Settings()
{
    return QSettings(QStringLiteral("Varmet"), QStringLiteral("varmet"));
}

} // namespace

QString lastFolder()
{
    const QString folder = Settings().value(FolderKey).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

void keepFolderOf(const QString &path)
{
    Settings().setValue(FolderKey, QFileInfo(path).absolutePath());
}

std::optional<QRect> windowFrame()
{
    const QRect frame = Settings().value(FrameKey).toRect();
    if (!frame.isValid())
        return std::nullopt;
    return frame;
}

void keepWindowFrame(const QRect &frame)
{
    Settings().setValue(FrameKey, frame);
}

} // namespace varmet::DeskSettings
