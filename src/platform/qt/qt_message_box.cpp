#include "qt_message_box.h"

#include <QApplication>
#include <QMessageBox>

#include "qt_convert.h"

namespace kestrova {
namespace {

QMessageBox::StandardButtons ButtonsFor(int buttons) {
    switch (buttons & 7) {
        case kOkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
        case kYesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case kYesNo: return QMessageBox::Yes | QMessageBox::No;
        default: return QMessageBox::Ok;
    }
}

QMessageBox::Icon IconFor(int icon) {
    switch (icon) {
        case kCritical: return QMessageBox::Critical;
        case kQuestion: return QMessageBox::Question;
        case kExclamation: return QMessageBox::Warning;
        case kInformation: return QMessageBox::Information;
        default: return QMessageBox::NoIcon;
    }
}

}  // namespace

std::optional<MsgBoxResult> ShowQtMessageBox(const std::string& text, int buttons, int icon, const std::string& title) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(ToQString(title));
    box.setTextFormat(Qt::PlainText);
    box.setText(WithLineBreaks(text));
    box.setIcon(IconFor(icon));
    box.setStandardButtons(ButtonsFor(buttons));
    switch (buttons & 7) {
        case kOkCancel: box.setDefaultButton(QMessageBox::Ok); box.setEscapeButton(QMessageBox::Cancel); break;
        case kYesNoCancel: box.setDefaultButton(QMessageBox::Yes); box.setEscapeButton(QMessageBox::Cancel); break;
        case kYesNo: box.setDefaultButton(QMessageBox::Yes); break;
        default: box.setDefaultButton(QMessageBox::Ok); box.setEscapeButton(QMessageBox::Ok); break;
    }
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Ok: return kOk;
        case QMessageBox::Yes: return kYes;
        case QMessageBox::No: return kNo;
        case QMessageBox::Cancel: return kCancel;
        default: return std::nullopt;
    }
}

}  // namespace kestrova
