#include "ugredit.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    varmet::TForm1 form;
    form.show();
    return app.exec();
}
