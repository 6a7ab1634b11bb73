#pragma once

#include <QMainWindow>

namespace varmet {

// The main window.
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
};

} // namespace varmet
