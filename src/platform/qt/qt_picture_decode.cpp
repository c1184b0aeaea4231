#include "qt_picture_decode.h"

#include <QImage>
#include <QImageReader>
#include <algorithm>

#include "platform/pictures/jpeg_header.h"
#include "qt_convert.h"

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

// Readers that decode the whole picture leave the reduction to a smooth
// scaling; the one conversion into the kept format follows.
LoadedPicture Finished(QImage image, PixelSize natural, PixelSize want) {
    if (image.size() != ToQSize(want)) image = image.scaled(ToQSize(want), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return {FromQImage(std::move(image)), natural};
}

}  // namespace

std::optional<LoadedPicture> DecodePictureFile(const std::string& path, PixelSize fit) {
    QImageReader reader(ToQString(path));
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    QImage image;
    if (stored.isValid() && !stored.isEmpty()) {
        // The orientation tag turns the picture; the reader's sizes are the
        // stored ones.
        const bool turned = (reader.transformation() & QImageIOHandler::TransformationRotate90) != 0;
        const PixelSize natural = ToPixelSize(turned ? Transposed(stored) : stored);
        const PixelSize want = FitInside(natural, fit);
        const QSize want_stored = turned ? Transposed(ToQSize(want)) : ToQSize(want);
        const bool reduces_itself = reader.supportsOption(QImageIOHandler::ScaledSize);
        const QSize decoded = reduces_itself ? ReducedDecodeBound(stored, want_stored) : stored;
        const std::int64_t decoder_bytes = reader.format() == "jpeg" ? JpegWholeCoefficientBytes(path).value_or(0) : 0;
        if (!WithinDecodeBudget(ToPixelSize(decoded), DeliveredBytesPerPixel(reader), decoder_bytes)) return std::nullopt;
        if (reduces_itself && want != natural) reader.setScaledSize(want_stored);
        if (!reader.read(&image)) return std::nullopt;
        return Finished(std::move(image), natural, want);
    }
    // A reader that cannot tell the size beforehand: Qt's allocation limit
    // (set to the budget) still refuses what is too large.
    if (!reader.read(&image) || image.isNull()) return std::nullopt;
    const PixelSize natural = ToPixelSize(image.size());
    return Finished(std::move(image), natural, FitInside(natural, fit));
}

}  // namespace kestrova
