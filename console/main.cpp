#include "ugredit.h"
#include "unit2.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    varmet::TForm1 form;
    form.show();
    // The help window exists from start-up on, hidden until the operator asks for it.
    varmet::TForm2 help;
    varmet::Form2 = &help;
    return app.exec();
}
