#include "webp_decode.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/pictures/webp_header.h"
#include "platform/system/files.h"

namespace kestrova {
namespace {

constexpr int kBytesPerPixel = 4;
// The lossless coding refers back to any pixel already decoded, so libwebp
// holds the whole frame as 32-bit pixels while it decodes one.
constexpr int kLosslessBytesPerPixel = 4;
// An alpha plane is decoded whole, and a compressed one through a plane of
// the same size besides.
constexpr int kAlphaBytesPerPixel = 2;
// The lossy decoder and the scaling keep a few rows of the frame at a time
// (macroblock rows with their filter margins, for each thread); counted
// generously.
constexpr std::int64_t kRowBytesPerColumn = 64 * kBytesPerPixel;

struct FreeDemuxer {
    void operator()(WebPDemuxer* d) const { WebPDemuxDelete(d); }
};

// Releases the iterator a demuxer filled in.
class Frame {
public:
    explicit Frame(const WebPDemuxer* demuxer) : found_(WebPDemuxGetFrame(demuxer, 1, &iterator_) != 0) {}
    ~Frame() { WebPDemuxReleaseIterator(&iterator_); }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;
    bool Found() const { return found_ && iterator_.fragment.bytes && iterator_.width > 0 && iterator_.height > 0; }
    const WebPIterator& operator*() const { return iterator_; }
    const WebPIterator* operator->() const { return &iterator_; }

private:
    WebPIterator iterator_{};
    bool found_;
};

class ExifChunk {
public:
    explicit ExifChunk(const WebPDemuxer* demuxer) : found_(WebPDemuxGetChunk(demuxer, "EXIF", 1, &iterator_) != 0) {}
    ~ExifChunk() { WebPDemuxReleaseChunkIterator(&iterator_); }
    ExifChunk(const ExifChunk&) = delete;
    ExifChunk& operator=(const ExifChunk&) = delete;
    int Orientation() const {
        if (!found_ || !iterator_.chunk.bytes) return 1;
        return ExifOrientation(
            std::string_view(reinterpret_cast<const char*>(iterator_.chunk.bytes), iterator_.chunk.size));
    }

private:
    WebPChunkIterator iterator_{};
    bool found_;
};

std::optional<std::vector<std::uint8_t>> ReadWhole(const std::string& path) {
    // Names are UTF-8, whatever the locale.
    std::ifstream in(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    const std::streamoff size = in.tellg();
    // A RIFF container says its size in 32 bits.
    if (size <= 0 || size > std::streamoff{0xffffffff}) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return std::nullopt;
    return bytes;
}

// A length of the canvas at the reduced canvas's scale.
int Scaled(int length, int reduced_canvas, int canvas) {
    return static_cast<int>(std::lround(static_cast<double>(length) * reduced_canvas / canvas));
}

// Where the frame lands on the reduced canvas: its offset and size scaled
// alike, at least a pixel, and inside the canvas.
struct Placement {
    int x = 0, y = 0;
    PixelSize size;
};

Placement Place(const WebPIterator& frame, PixelSize canvas, PixelSize reduced) {
    Placement at;
    at.x = std::min(Scaled(frame.x_offset, reduced.width, canvas.width), reduced.width - 1);
    at.y = std::min(Scaled(frame.y_offset, reduced.height, canvas.height), reduced.height - 1);
    at.size.width = std::clamp(Scaled(frame.width, reduced.width, canvas.width), 1, reduced.width - at.x);
    at.size.height = std::clamp(Scaled(frame.height, reduced.height, canvas.height), 1, reduced.height - at.y);
    return at;
}

// What libwebp holds while it decodes the frame, besides the pixels it
// writes out.
std::int64_t DecoderBytes(const WebPBitstreamFeatures& features) {
    const std::int64_t pixels = std::int64_t{features.width} * features.height;
    if (features.format == 2) return pixels * kLosslessBytesPerPixel;
    return (features.has_alpha ? pixels * kAlphaBytesPerPixel : 0) + features.width * kRowBytesPerColumn;
}

// The frame decoded at `at.size` into its place on the picture, which the
// decoder writes into directly: blue, green, red and alpha bytes are the
// picture's 32-bit ARGB on a little-endian machine.
bool DecodeInto(const WebPIterator& frame, Placement at, Picture& picture) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) return false;
    config.options.use_threads = 1;
    if (at.size.width != frame.width || at.size.height != frame.height) {
        config.options.use_scaling = 1;
        config.options.scaled_width = at.size.width;
        config.options.scaled_height = at.size.height;
    }
    const size_t stride = static_cast<size_t>(picture.width) * kBytesPerPixel;
    config.output.colorspace = MODE_BGRA;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = reinterpret_cast<std::uint8_t*>(picture.pixels.data() +
                                                                 static_cast<size_t>(at.y) * picture.width + at.x);
    config.output.u.RGBA.stride = static_cast<int>(stride);
    config.output.u.RGBA.size = stride * static_cast<size_t>(at.size.height - 1) +
                                static_cast<size_t>(at.size.width) * kBytesPerPixel;
    const bool decoded = WebPDecode(frame.fragment.bytes, frame.fragment.size, &config) == VP8_STATUS_OK;
    WebPFreeDecBuffer(&config.output);
    return decoded;
}

}  // namespace

bool IsWebpFile(const std::string& path) {
    const std::string head = ReadFileHead(path, 12);
    return head.size() == 12 && head.compare(0, 4, "RIFF") == 0 && head.compare(8, 4, "WEBP") == 0;
}

std::optional<LoadedPicture> DecodeWebpFile(const std::string& path, PixelSize fit) {
    static_assert(std::endian::native == std::endian::little, "libwebp's BGRA bytes are read as ARGB words");
    const std::optional<std::vector<std::uint8_t>> bytes = ReadWhole(path);
    if (!bytes) return std::nullopt;
    const WebPData data{bytes->data(), bytes->size()};
    // Refuses a file that is cut short or whose chunks do not add up.
    const std::unique_ptr<WebPDemuxer, FreeDemuxer> demuxer(WebPDemux(&data));
    if (!demuxer) return std::nullopt;
    const PixelSize canvas{static_cast<int>(WebPDemuxGetI(demuxer.get(), WEBP_FF_CANVAS_WIDTH)),
                           static_cast<int>(WebPDemuxGetI(demuxer.get(), WEBP_FF_CANVAS_HEIGHT))};
    const Frame frame(demuxer.get());
    WebPBitstreamFeatures features;
    if (canvas.Empty() || !frame.Found() ||
        WebPGetFeatures(frame->fragment.bytes, frame->fragment.size, &features) != VP8_STATUS_OK ||
        features.width != frame->width || features.height != frame->height) {
        return std::nullopt;
    }
    const int orientation = ExifChunk(demuxer.get()).Orientation();
    const auto [natural, reduced] = FitStoredInside(canvas, orientation, fit);
    // A lossy frame is reduced row by row and never held whole, but what it
    // claims still meets the rule every kind meets.
    if (!PixelCountWithinBudget(canvas) ||
        !WithinDecodeBudget(reduced, kBytesPerPixel, DecoderBytes(features) + static_cast<std::int64_t>(bytes->size()))) {
        return std::nullopt;
    }
    // What the first frame leaves uncovered is transparent, as an
    // animation's canvas starts.
    Picture picture;
    picture.width = reduced.width;
    picture.height = reduced.height;
    picture.pixels.assign(static_cast<size_t>(reduced.width) * static_cast<size_t>(reduced.height), 0);
    if (!DecodeInto(*frame, Place(*frame, canvas, reduced), picture)) return std::nullopt;
    if (orientation > 1) picture = Upright(picture, orientation);
    return LoadedPicture{std::move(picture), natural};
}

}  // namespace kestrova
