#include "qt_look.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QIcon>
#include <QProxyStyle>
#include <QStandardPaths>

namespace kestrova {
namespace {

constexpr int kFontPointSize = 9;

// The window tables were laid out for a tighter look than Qt's: less room
// between a box and its caption, and list cells without a focus margin, let
// captions and full dates fit the widths the tables give them.
class CompactStyle final : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        switch (metric) {
            case PM_CheckBoxLabelSpacing:
            case PM_RadioButtonLabelSpacing: return 2;
            case PM_FocusFrameHMargin: return 0;
            default: return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }
};

void ApplyApplicationFont() {
    const QStringList installed = QFontDatabase::families();
    QStringList chosen;
    for (const char* name : {"IPAPGothic", "IPA Pゴシック", "IPAGothic", "IPAゴシック", "Noto Sans CJK JP", "Noto Sans JP",
                             "VL PGothic", "TakaoPGothic", "Droid Sans Fallback"}) {
        const QString family = QString::fromUtf8(name);
        if (installed.contains(family, Qt::CaseInsensitive)) chosen.push_back(family);
    }
    QFont font = QApplication::font();
    if (!chosen.isEmpty()) {
        font = QFont(chosen.front());
        // Later ones fill in characters the first lacks.
        font.setFamilies(chosen);
    }
    font.setPointSize(kFontPointSize);
    QApplication::setFont(font);
}

bool IconThemeInstalled(const QString& name) {
    for (const QString& root : QIcon::themeSearchPaths()) {
        if (QFileInfo::exists(root + QLatin1Char('/') + name + QStringLiteral("/index.theme"))) return true;
    }
    return false;
}

// Icons of file types come from the desktop's theme. Without a desktop
// session (or with one naming a theme that is not installed) Qt knows no
// theme and often not even the system's icon folders, so those folders are
// added and the installed Adwaita (or another common theme) stands in.
void EnsureIconTheme() {
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString icons = data + QStringLiteral("/icons");
        if (!paths.contains(icons)) paths.append(icons);
    }
    QIcon::setThemeSearchPaths(paths);
    const QString current = QIcon::themeName();
    if (!current.isEmpty() && current != QStringLiteral("hicolor") && IconThemeInstalled(current)) return;
    for (const char* theme : {"Adwaita", "breeze", "gnome", "oxygen", "Tango"}) {
        const QString name = QString::fromLatin1(theme);
        if (IconThemeInstalled(name)) {
            QIcon::setThemeName(name);
            QIcon::setFallbackThemeName(name);
            return;
        }
    }
}

}  // namespace

void SetUpLook() {
    ApplyApplicationFont();
    QApplication::setStyle(new CompactStyle);
    EnsureIconTheme();
}

}  // namespace kestrova
