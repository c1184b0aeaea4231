#include "qt_program.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

#include "qt_services.h"
#include "qt_session_end.h"

namespace kestrova {
namespace {

// The program carries its icon in every size it ships (the PNGs under
// :/icons in its resources), so every window shows it, installed or not.
// The desktop file's name lets a Wayland desktop match the windows to the
// menu entry.
void SetApplicationIcon() {
    QIcon icon;
    const QDir shipped(QStringLiteral(":/icons"), QStringLiteral("*.png"));
    for (const QFileInfo& file : shipped.entryInfoList()) icon.addFile(file.filePath());
    if (!icon.isNull()) QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QStringLiteral("kestrova"));
}

}  // namespace

int RunQtProgram(int argc, char** argv, const std::function<void(Services&)>& start) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    SetApplicationIcon();
    QtServices services;
    // Caught before the start, whose load of a long list runs the loop.
    WatchSessionEnd(app, [&services] { services.EndSession(); });
    start(services);
    return QApplication::exec();
}

}  // namespace kestrova
