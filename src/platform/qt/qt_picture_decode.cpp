#include "qt_picture_decode.h"

#include <QImage>
#include <QImageReader>
#include <QTransform>
#include <algorithm>

#include "heif_decode.h"
#include "platform/pictures/jpeg_header.h"
#include "platform/pictures/webp_header.h"
#include "qt_convert.h"
#include "tiff_decode.h"
#include "webp_decode.h"

namespace kestrova {
namespace {

// The JPEG decoder reduces by itself down to an eighth each way.
constexpr int kLargestDecoderReduction = 8;

QSize Transposed(QSize size) { return {size.height(), size.width()}; }

PixelSize ToPixelSize(QSize size) { return {size.width(), size.height()}; }

QSize ToQSize(PixelSize size) { return {size.width, size.height}; }

// A reader may deliver more bytes a pixel than are kept (16-bit PNGs, for
// one); the budget counts what it delivers.
int DeliveredBytesPerPixel(const QImageReader& reader) {
    const QImage::Format format = reader.imageFormat();
    if (format == QImage::Format_Invalid) return 4;
    return std::max(4, (QImage::toPixelFormat(format).bitsPerPixel() + 7) / 8);
}

// The largest size a decoder that reduces by itself passes through on its
// way to `want`: at most halving until the next halving would fall short.
QSize ReducedDecodeBound(QSize stored, QSize want) {
    int reduction = 1;
    while (reduction < kLargestDecoderReduction && stored.width() / (reduction * 2) >= want.width() &&
           stored.height() / (reduction * 2) >= want.height()) {
        reduction *= 2;
    }
    return {(stored.width() + reduction - 1) / reduction, (stored.height() + reduction - 1) / reduction};
}

// An EXIF orientation as Qt's readers give it.
QImageIOHandler::Transformations TransformationOf(int orientation) {
    switch (orientation) {
        case 2: return QImageIOHandler::TransformationMirror;
        case 3: return QImageIOHandler::TransformationRotate180;
        case 4: return QImageIOHandler::TransformationFlip;
        case 5: return QImageIOHandler::TransformationFlipAndRotate90;
        case 6: return QImageIOHandler::TransformationRotate90;
        case 7: return QImageIOHandler::TransformationMirrorAndRotate90;
        case 8: return QImageIOHandler::TransformationRotate270;
        default: return QImageIOHandler::TransformationNone;
    }
}

// The file's orientation applied: mirrored and flipped first, then turned a
// quarter clockwise, as Qt's transformations are defined.
QImage Upright(QImage image, QImageIOHandler::Transformations turn) {
    const bool mirror = (turn & QImageIOHandler::TransformationMirror) != 0;
    const bool flip = (turn & QImageIOHandler::TransformationFlip) != 0;
    if (mirror || flip) image.mirror(mirror, flip);
    if (turn & QImageIOHandler::TransformationRotate90) image = image.transformed(QTransform().rotate(90));
    return image;
}

// Readers that decode the whole picture leave the reduction to a smooth
// scaling. The picture is turned only once reduced, so a whole picture is
// never held twice; the one conversion into the kept format follows.
LoadedPicture Finished(QImage image, QImageIOHandler::Transformations turn, PixelSize natural, PixelSize want) {
    const bool turned = (turn & QImageIOHandler::TransformationRotate90) != 0;
    const QSize want_stored = turned ? Transposed(ToQSize(want)) : ToQSize(want);
    if (image.size() != want_stored) image = image.scaled(want_stored, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return {FromQImage(Upright(std::move(image), turn)), natural};
}

}  // namespace

std::optional<LoadedPicture> DecodePictureFile(const std::string& path, PixelSize fit) {
    if (IsHeifFile(path)) return DecodeHeifFile(path, fit);
    if (IsWebpFile(path)) return DecodeWebpFile(path, fit);
    if (IsTiffFile(path)) {
        TiffDecode tiff = DecodeTiffFile(path, fit);
        if (!tiff.unknown_kind) return std::move(tiff.loaded);
    }
    return DecodeWithQtReader(path, fit);
}

std::optional<LoadedPicture> DecodeWithQtReader(const std::string& path, PixelSize fit) {
    QImageReader reader(ToQString(path));
    // The reader's sizes are the stored ones; the orientation tag turns the
    // picture after it is read.
    reader.setAutoTransform(false);
    QImageIOHandler::Transformations turn = reader.transformation();
    // Qt's WebP reader leaves the orientation of the file's EXIF chunk to us.
    if (turn == QImageIOHandler::TransformationNone && reader.format() == "webp") turn = TransformationOf(WebpOrientation(path));
    const bool turned = (turn & QImageIOHandler::TransformationRotate90) != 0;
    const QSize stored = reader.size();
    QImage image;
    if (stored.isValid() && !stored.isEmpty()) {
        const PixelSize natural = ToPixelSize(turned ? Transposed(stored) : stored);
        const PixelSize want = FitInside(natural, fit);
        const QSize want_stored = turned ? Transposed(ToQSize(want)) : ToQSize(want);
        const bool reduces_itself = reader.supportsOption(QImageIOHandler::ScaledSize);
        const QSize decoded = reduces_itself ? ReducedDecodeBound(stored, want_stored) : stored;
        const std::int64_t decoder_bytes = reader.format() == "jpeg" ? JpegWholeCoefficientBytes(path).value_or(0) : 0;
        if (!WithinDecodeBudget(ToPixelSize(decoded), DeliveredBytesPerPixel(reader), decoder_bytes)) return std::nullopt;
        if (reduces_itself && want != natural) reader.setScaledSize(want_stored);
        if (!reader.read(&image)) return std::nullopt;
        return Finished(std::move(image), turn, natural, want);
    }
    // A reader that cannot tell the size beforehand: Qt's allocation limit
    // (set to the budget) still refuses what is too large.
    if (!reader.read(&image) || image.isNull()) return std::nullopt;
    const PixelSize natural = ToPixelSize(turned ? Transposed(image.size()) : image.size());
    return Finished(std::move(image), turn, natural, FitInside(natural, fit));
}

}  // namespace kestrova
