#include "desk_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace varmet::DeskSettings {

namespace {

const QString FolderKey = QStringLiteral("files/lastFolder");
const QString FrameKey = QStringLiteral("window/frame");
const QString SizedKey = QStringLiteral("window/sizedByOperator");

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

std::optional<WindowFrame> windowFrame()
{
    const QSettings settings = Settings();
    const QRect frame = settings.value(FrameKey).toRect();
    if (!frame.isValid())
        return std::nullopt;
    return WindowFrame {frame, settings.value(SizedKey, false).toBool()};
}

void keepWindowFrame(const WindowFrame &frame)
{
    QSettings settings = Settings();
    settings.setValue(FrameKey, frame.frame);
    settings.setValue(SizedKey, frame.sizedByOperator);
}

} // namespace varmet::DeskSettings
