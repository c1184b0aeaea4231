#pragma once
// Shared set-up for the Qt backend tests: one application for the whole
// run (offscreen unless the environment names another platform) and a way
// to let the event loop run until something has happened.
#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QImageWriter>
#include <functional>

namespace kestrova::qt_test {

inline void EnsureApplication() {
    if (QApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "qt_backend_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // lives for the whole run
}

// True when done() became true before the time ran out.
inline bool ProcessUntil(const std::function<bool()>& done, int timeout_ms = 3000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeout_ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// The image as a file of `format` would hold it, in memory; `progressive`
// for a JPEG written in successive scans.
inline QByteArray Encoded(const QImage& image, const char* format, int quality, bool progressive = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

inline void ProcessFor(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

}  // namespace kestrova::qt_test
