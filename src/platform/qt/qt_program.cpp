#include "qt_program.h"

#include <QApplication>

#include "qt_services.h"

namespace kestrova {

int RunQtProgram(int argc, char** argv, const std::function<void(Services&)>& start) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    QtServices services;
    start(services);
    return QApplication::exec();
}

}  // namespace kestrova
