#include "ugredit.h"
#include "unit2.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cfenv>

int main(int argc, char *argv[])
{
    // Reals round to nearest with ties to even; faults of the arithmetic are reported by the
    // model's own checks rather than by traps.
    std::fesetround(FE_TONEAREST);

    QApplication app(argc, argv);
    QFont font(QStringLiteral("DejaVu Sans"), 8);
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);
    // The toolkit's own texts (dialog buttons, file dialog) in Russian, where installed.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    varmet::TForm1 form;
    varmet::Form1 = &form;
    // The help window exists from start-up on, hidden until the operator asks for it; closing
    // the main window ends the program even while it is shown.
    varmet::TForm2 help;
    varmet::Form2 = &help;
    form.setHelpWindow(&help);
    form.show();
    const int status = QApplication::exec();
    varmet::Form1 = nullptr;
    varmet::Form2 = nullptr;
    return status;
}
