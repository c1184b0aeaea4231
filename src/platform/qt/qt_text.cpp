#include "qt_text.h"

#include <QStringList>

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/text/codepage.h"
#include "platform/system/files.h"

namespace kestrova {
namespace {

char16_t StrayByteChar(unsigned char b) {
    // Windows-1252 in 0x80..0x9F; its five holes stay unreadable.
    static constexpr char16_t kWindows1252[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    return b >= 0x80 && b < 0xA0 ? kWindows1252[b - 0x80] : static_cast<char16_t>(b);
}

bool IsUtf8(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const int n = Utf8CharLength(text, pos);
        if (n == 0) return false;
        pos += static_cast<std::size_t>(n);
    }
    return true;
}

// Where each shown character ends, in the shown string and in the bytes.
struct Boundary {
    qsizetype shown;
    std::size_t bytes;
};

QString Shown(std::string_view text, std::vector<Boundary>* boundaries) {
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    qsizetype shown = 0;  // where `out` will be once the pending run is added
    std::size_t run = 0, pos = 0;
    auto flush = [&] {
        out += QString::fromUtf8(text.data() + run, static_cast<qsizetype>(pos - run));
    };
    while (pos < text.size()) {
        const int n = Utf8CharLength(text, pos);
        if (n > 0) {
            pos += static_cast<std::size_t>(n);
            shown += n == 4 ? 2 : 1;  // beyond the BMP: a surrogate pair
        } else {
            flush();
            out += QChar(StrayByteChar(static_cast<unsigned char>(text[pos])));
            run = ++pos;
            ++shown;
        }
        if (boundaries) boundaries->push_back({shown, pos});
    }
    flush();
    return out;
}

}  // namespace

QString ToQString(std::string_view text) {
    if (IsUtf8(text)) return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return Shown(text, nullptr);
}

std::string FromQString(const QString& text) { return text.toUtf8().toStdString(); }

std::string FromEditedQString(const QString& edited, const std::string& before) {
    if (IsUtf8(before)) return FromQString(edited);
    std::vector<Boundary> boundaries;
    const QString shown = Shown(before, &boundaries);
    const qsizetype limit = std::min(shown.size(), edited.size());
    qsizetype same_start = 0;
    while (same_start < limit && shown[same_start] == edited[same_start]) ++same_start;
    qsizetype same_end = 0;
    while (same_end < limit - same_start && shown[shown.size() - 1 - same_end] == edited[edited.size() - 1 - same_end]) {
        ++same_end;
    }
    // Whole shown characters only: the kept start ends, and the kept end
    // begins, on a character boundary.
    qsizetype keep_shown = 0;
    std::size_t keep_bytes = 0;
    for (const Boundary& b : boundaries) {
        if (b.shown > same_start) break;
        keep_shown = b.shown;
        keep_bytes = b.bytes;
    }
    const qsizetype tail_from = std::max(shown.size() - same_end, keep_shown);
    qsizetype tail_shown = 0;
    std::size_t tail_bytes = 0;
    if (tail_from > 0) {
        for (const Boundary& b : boundaries) {
            if (b.shown < tail_from) continue;
            tail_shown = b.shown;
            tail_bytes = b.bytes;
            break;
        }
    }
    const qsizetype typed_length = edited.size() - keep_shown - (shown.size() - tail_shown);
    return before.substr(0, keep_bytes) + FromQString(edited.mid(keep_shown, typed_length)) + before.substr(tail_bytes);
}

std::string PathFromQtDialog(const QString& path) {
    const QStringList names = path.split(QLatin1Char('/'));
    std::string out;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (i > 0) out += '/';
        std::string name = FromQString(names[i]);
        if (names[i].contains(QChar(0xFFFD))) {
            // The one entry of the folder so far that Qt would show this way.
            const Listing listing = ListFolder(out.empty() ? "/" : out, kAttrDirectory | kAttrHidden, "*");
            int found = 0;
            for (const DirEntry& entry : listing.entries) {
                if (QString::fromUtf8(entry.name.data(), static_cast<qsizetype>(entry.name.size())) == names[i]) {
                    name = entry.name;
                    ++found;
                }
            }
            if (found != 1) name = FromQString(names[i]);
        }
        out += name;
    }
    return out;
}

QString WithLineBreaks(const std::string& text) {
    QString out = ToQString(text);
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

}  // namespace kestrova
