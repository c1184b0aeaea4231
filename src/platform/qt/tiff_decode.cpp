#include "tiff_decode.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/pictures/planar_picture.h"
#include "platform/system/files.h"

namespace kestrova {
namespace {

constexpr int kBytesPerPixel = 4;
// Pieces of a few rows are gathered into bands of about this many rows, so
// libtiff is called a band at a time rather than for every strip of one row.
constexpr std::uint32_t kBandRows = 64;

// A damaged file is passed over like any picture that does not load; what
// libtiff has to say about it would only fill the terminal.
int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct CloseTiff {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
struct FreeOptions {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

std::unique_ptr<TIFF, CloseTiff> Open(const std::string& path, bool mapped) {
    const std::unique_ptr<TIFFOpenOptions, FreeOptions> options(TIFFOpenOptionsAlloc());
    if (!options) return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), Quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), Quiet, nullptr);
    // No single allocation past the budget, whatever the tags claim.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kPictureDecodeBudgetBytes);
    // "m": read, not mapped; a mapped file counts what is read of it among
    // the pages the program holds.
    return std::unique_ptr<TIFF, CloseTiff>(TIFFOpenExt(path.c_str(), mapped ? "r" : "rm", options.get()));
}

// libtiff 4.5 reads the RGBA of uncompressed tiles only from a mapped file:
// read otherwise, it takes every tile for one of the wrong size.
bool ReadsOnlyMapped(TIFF* tif) {
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    return TIFFIsTiled(tif) && compression == COMPRESSION_NONE;
}

// Ends the RGBA reading it began.
class RgbaReader {
public:
    explicit RgbaReader(TIFF* tif) {
        char message[1024];
        kind_known_ = TIFFRGBAImageOK(tif, message) != 0;
        // Stops at the first piece that cannot be read: a picture with holes
        // is not shown.
        begun_ = kind_known_ && TIFFRGBAImageBegin(&image_, tif, 1, message) != 0;
        // Rows come as they are stored; the orientation tag is applied to the
        // reduced picture, turns included, which libtiff would not do.
        image_.req_orientation = ORIENTATION_TOPLEFT;
        image_.orientation = ORIENTATION_TOPLEFT;
    }
    ~RgbaReader() {
        if (begun_) TIFFRGBAImageEnd(&image_);
    }
    RgbaReader(const RgbaReader&) = delete;
    RgbaReader& operator=(const RgbaReader&) = delete;

    bool KindKnown() const { return kind_known_; }
    bool Begun() const { return begun_; }
    bool HasAlpha() const { return image_.alpha != 0; }
    // `rows` rows from `first` on into `raster`, a 32-bit word a pixel with
    // red in the lowest byte, alpha premultiplied.
    bool Read(std::uint32_t first, std::uint32_t rows, std::vector<std::uint32_t>& raster) {
        image_.row_offset = static_cast<int>(first);
        image_.col_offset = 0;
        return TIFFRGBAImageGet(&image_, raster.data(), image_.width, rows) != 0;
    }

private:
    TIFFRGBAImage image_{};
    bool kind_known_ = false;
    bool begun_ = false;
};

// The rows libtiff reads at once: a strip, or a row of tiles.
std::uint32_t PieceRows(TIFF* tif, std::uint32_t height) {
    std::uint32_t rows = 0;
    if (TIFFIsTiled(tif)) {
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &rows);
    } else {
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rows);
    }
    return std::clamp<std::uint32_t>(rows, 1, height);
}

// Whole pieces, so each is read once.
std::uint32_t BandRows(std::uint32_t piece_rows, std::uint32_t height) {
    const std::uint32_t pieces = std::max<std::uint32_t>(1, (kBandRows + piece_rows - 1) / piece_rows);
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(std::uint64_t{pieces} * piece_rows, height));
}

// What libtiff holds for one piece while it decodes: the coded piece and
// the decoded one (every plane's, when the samples are stored plane by
// plane); the coded one counted as large as the decoded.
std::int64_t PieceBytes(TIFF* tif) {
    std::uint16_t planar = PLANARCONFIG_CONTIG, samples = 1;
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    const std::uint64_t piece = TIFFIsTiled(tif) ? TIFFTileSize64(tif) : TIFFStripSize64(tif);
    const std::uint64_t planes = planar == PLANARCONFIG_SEPARATE ? samples : 1;
    return static_cast<std::int64_t>(std::min<std::uint64_t>(2 * piece * planes, std::uint64_t{1} << 62));
}

// One row of libtiff's premultiplied RGBA as the planes the reduction reads:
// green in luma's place, blue and red as the colour planes of the identity
// matrix, and alpha, with the colour taken back out of its premultiplying.
class RowPlanes {
public:
    RowPlanes(int width, bool alpha) : width_(width), alpha_(alpha), samples_(static_cast<size_t>(width) * 4) {}

    const PlanarPicture& From(const std::uint32_t* row) {
        std::uint8_t* g = samples_.data();
        std::uint8_t* b = g + width_;
        std::uint8_t* r = b + width_;
        std::uint8_t* a = r + width_;
        for (int x = 0; x < width_; ++x) {
            const std::uint32_t pixel = row[x];
            const std::uint32_t alpha = TIFFGetA(pixel);
            r[x] = Straight(TIFFGetR(pixel), alpha);
            g[x] = Straight(TIFFGetG(pixel), alpha);
            b[x] = Straight(TIFFGetB(pixel), alpha);
            a[x] = static_cast<std::uint8_t>(alpha);
        }
        planes_.luma = Plane(g);
        planes_.cb = Plane(b);
        planes_.cr = Plane(r);
        planes_.alpha = alpha_ ? Plane(a) : SamplePlane{};
        planes_.matrix.identity = true;
        planes_.full_range = true;
        return planes_;
    }

private:
    static std::uint8_t Straight(std::uint32_t premultiplied, std::uint32_t alpha) {
        if (alpha == 255) return static_cast<std::uint8_t>(premultiplied);
        if (alpha == 0) return 0;
        return static_cast<std::uint8_t>(std::min<std::uint32_t>(255, (premultiplied * 255 + alpha / 2) / alpha));
    }
    SamplePlane Plane(const std::uint8_t* data) const { return {data, width_, width_, 1, 8}; }

    int width_;
    bool alpha_;
    std::vector<std::uint8_t> samples_;
    PlanarPicture planes_;
};

}  // namespace

bool IsTiffFile(const std::string& path) {
    const std::string mark = ReadFileHead(path, 4);
    return mark == std::string_view("II*\0", 4) || mark == std::string_view("MM\0*", 4) ||
           mark == std::string_view("II+\0", 4) || mark == std::string_view("MM\0+", 4);
}

TiffDecode DecodeTiffFile(const std::string& path, PixelSize fit) {
    std::unique_ptr<TIFF, CloseTiff> tif = Open(path, false);
    if (!tif) return {};
    const bool mapped = ReadsOnlyMapped(tif.get());
    if (mapped) tif = Open(path, true);
    if (!tif) return {};
    std::uint32_t width = 0, height = 0;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_ORIENTATION, &orientation);
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX) return {};
    if (orientation < 1 || orientation > 8) orientation = ORIENTATION_TOPLEFT;
    const PixelSize stored{static_cast<int>(width), static_cast<int>(height)};
    const auto [natural, reduced] = FitStoredInside(stored, orientation, fit);
    const std::uint32_t band_rows = BandRows(PieceRows(tif.get(), height), height);
    // The band of RGBA rows, the row taken apart into planes, and the file
    // itself where it is mapped.
    const std::int64_t held = std::int64_t{band_rows} * width * kBytesPerPixel + std::int64_t{width} * kBytesPerPixel +
                              (mapped ? FileLength(path).value_or(0) : 0);
    if (!PixelCountWithinBudget(stored) || !WithinDecodeBudget(reduced, kBytesPerPixel, held + PieceBytes(tif.get()))) {
        return {};
    }

    RgbaReader reader(tif.get());
    if (!reader.KindKnown()) return {std::nullopt, true};
    if (!reader.Begun()) return {};
    std::vector<std::uint32_t> raster(static_cast<size_t>(band_rows) * width);
    RowPlanes row_planes(stored.width, reader.HasAlpha());
    BandReducer reducer(stored, reduced);
    for (std::uint32_t first = 0; first < height; first += band_rows) {
        const std::uint32_t rows = std::min(band_rows, height - first);
        if (!reader.Read(first, rows, raster)) return {};
        for (std::uint32_t y = 0; y < rows; ++y) {
            if (!reducer.Add(row_planes.From(raster.data() + static_cast<size_t>(y) * width))) return {};
        }
    }
    Picture picture = reducer.Take();
    if (picture.Empty()) return {};
    if (orientation > 1) picture = Upright(picture, orientation);
    return {LoadedPicture{std::move(picture), natural}, false};
}

}  // namespace kestrova
