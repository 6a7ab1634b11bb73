#include "ugredit.h"

namespace varmet {

TForm1::TForm1(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName("Form1");
    setWindowTitle(QStringLiteral("БИУС \"Вармет\""));
    setGeometry(62, 31, 1024, 738);
}

} // namespace varmet
