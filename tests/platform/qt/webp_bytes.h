#pragma once
// WebP files put together chunk by chunk around the bitstreams Qt's writer
// makes: extended headers, EXIF chunks and animations, which the writer
// does not make.
#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <vector>

#include "qt_test_support.h"

namespace kestrova::webp_test {

inline void Append16(QByteArray& out, quint16 v) { out.append(reinterpret_cast<const char*>(&v), 2); }
inline void Append24(QByteArray& out, quint32 v) { out.append(reinterpret_cast<const char*>(&v), 3); }
inline void Append32(QByteArray& out, quint32 v) { out.append(reinterpret_cast<const char*>(&v), 4); }

// Lossless, so that what is decoded is exactly what was written.
inline QByteArray Webp(const QImage& image) { return qt_test::Encoded(image, "webp", 100); }

inline void AppendChunk(QByteArray& out, const char* fourcc, const QByteArray& data) {
    out.append(fourcc, 4);
    Append32(out, static_cast<quint32>(data.size()));
    out.append(data);
    if (data.size() % 2) out.append('\0');
}

inline QByteArray Riff(const QByteArray& body) {
    QByteArray out("RIFF");
    Append32(out, static_cast<quint32>(body.size()));
    return out + body;
}

inline QByteArray ExtendedHeader(char flags, QSize canvas) {
    QByteArray vp8x;
    vp8x.append(flags);
    vp8x.append(3, '\0');
    Append24(vp8x, static_cast<quint32>(canvas.width() - 1));
    Append24(vp8x, static_cast<quint32>(canvas.height() - 1));
    return vp8x;
}

// The picture as an extended WebP whose EXIF chunk (big-endian, as cameras
// write it) gives `orientation`.
inline QByteArray TaggedWebp(const QImage& picture, int orientation) {
    QByteArray exif("MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0", 19);
    exif.append(static_cast<char>(orientation));
    exif.append(6, '\0');
    QByteArray body("WEBP");
    const char alpha = picture.hasAlphaChannel() ? '\x10' : '\0';
    AppendChunk(body, "VP8X", ExtendedHeader(static_cast<char>('\x08' | alpha), picture.size()));  // EXIF present
    body.append(Webp(picture).mid(12));  // the still picture's bitstream chunk
    AppendChunk(body, "EXIF", exif);
    return Riff(body);
}

struct Frame {
    QImage picture;
    QPoint at;  // even offsets: the format halves them
    int quality = 100;  // below 100: lossy
};

// An animated WebP of the frames on a canvas of `canvas`, each drawn over
// what is there.
inline QByteArray AnimatedWebp(QSize canvas, const std::vector<Frame>& frames) {
    QByteArray body("WEBP");
    AppendChunk(body, "VP8X", ExtendedHeader('\x12', canvas));  // animation, alpha
    QByteArray anim;
    Append32(anim, 0xff000000u);  // background
    Append16(anim, 0);            // loop for ever
    AppendChunk(body, "ANIM", anim);
    for (const Frame& frame : frames) {
        QByteArray anmf;
        Append24(anmf, static_cast<quint32>(frame.at.x() / 2));
        Append24(anmf, static_cast<quint32>(frame.at.y() / 2));
        Append24(anmf, static_cast<quint32>(frame.picture.width() - 1));
        Append24(anmf, static_cast<quint32>(frame.picture.height() - 1));
        Append24(anmf, 100);  // milliseconds
        anmf.append('\0');
        anmf.append(qt_test::Encoded(frame.picture, "webp", frame.quality).mid(12));
        AppendChunk(body, "ANMF", anmf);
    }
    return Riff(body);
}

// Frames that each cover the whole canvas.
inline QByteArray AnimatedWebp(const std::vector<QImage>& pictures) {
    std::vector<Frame> frames;
    for (const QImage& picture : pictures) frames.push_back({picture, {}});
    return AnimatedWebp(pictures.front().size(), frames);
}

}  // namespace kestrova::webp_test
