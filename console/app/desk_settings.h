#pragma once

// What the operator's desk keeps from one run to the next: the folder of the picture last opened
// or saved, and where the main window stood. None of the fire-control work is kept here.

#include <QRect>
#include <QString>

#include <optional>

namespace varmet {

namespace DeskSettings {

// The folder the file dialogs start in: the one used last, else the home folder.
QString lastFolder();
// Keeps the folder of `path`, a file the operator chose.
void keepFolderOf(const QString &path);

// The main window's place and size (without its frame) when it was last closed, and whether the
// operator gave it that size (rather than the program, fitting it to a screen).
struct WindowFrame
{
    QRect frame;
    bool sizedByOperator = false;
};
std::optional<WindowFrame> windowFrame();
void keepWindowFrame(const WindowFrame &frame);

} // namespace DeskSettings

} // namespace varmet
