#include "qt_session_end.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include "platform/posix/session_signals.h"

namespace kestrova {

void WatchSessionEnd(QGuiApplication& app, std::function<void()> end) {
    const int fd = CatchSessionEndSignals();
    if (fd >= 0) {
        auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [fd, end] {
            if (TakeSessionEndSignals(fd)) end();
        });
    }
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [end](QSessionManager&) { end(); });
}

}  // namespace kestrova
