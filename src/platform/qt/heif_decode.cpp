#include "heif_decode.h"

#include <libheif/heif.h>

#include <QImage>
#include <algorithm>
#include <array>
#include <fstream>
#include <memory>
#include <string_view>

#include "platform/pictures/heif_header.h"
#include "qt_convert.h"

namespace kestrova {
namespace {

// libheif registers its codecs once; they stay for the rest of the process.
void EnsureLibheif() {
    static const bool ready = heif_init(nullptr).code == heif_error_Ok;
    (void)ready;
}

struct FreeContext {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct FreeHandle {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct FreeImage {
    void operator()(heif_image* i) const { heif_image_release(i); }
};
struct FreeOptions {
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};

constexpr int kInterleavedBytesPerPixel = 4;

// The planes the codec hands over: at the file's chroma sampling and bit
// depth, with alpha.
std::int64_t PlaneBytes(const std::string& path, const heif_image_handle* handle, PixelSize size) {
    const int bits = std::max(heif_image_handle_get_luma_bits_per_pixel(handle),
                              heif_image_handle_get_chroma_bits_per_pixel(handle));
    const double bytes_per_sample = bits > 8 ? 2 : 1;
    const double samples = HeifSamplesPerPixel(path) + (heif_image_handle_has_alpha_channel(handle) ? 1 : 0);
    return static_cast<std::int64_t>(static_cast<double>(size.width) * size.height * samples * bytes_per_sample);
}

bool WithinBudget(const std::string& path, const heif_image_handle* handle, PixelSize size) {
    const std::int64_t planes = PlaneBytes(path, handle, size);
    const std::int64_t interleaved = std::int64_t{size.width} * size.height * kInterleavedBytesPerPixel;
    // While the codec decodes, its own buffers come to about as much again
    // as the planes (more for a large picture of one piece, less for the
    // tiles phones write); turning the planes holds two sets, converting
    // them the planes and the interleaved copy the budget counts. With
    // alpha, Qt's smooth scaling premultiplies into one more copy.
    const std::int64_t premultiplied = heif_image_handle_has_alpha_channel(handle) ? interleaved : 0;
    return WithinDecodeBudget(size, kInterleavedBytesPerPixel, 2 * planes + premultiplied);
}

}  // namespace

bool IsHeifFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::array<char, 8> head{};
    if (!in.read(head.data(), head.size())) return false;
    return std::string_view(head.data() + 4, 4) == "ftyp";
}

std::optional<LoadedPicture> DecodeHeifFile(const std::string& path, PixelSize fit) {
    EnsureLibheif();
    std::unique_ptr<heif_context, FreeContext> context(heif_context_alloc());
    if (!context || heif_context_read_from_file(context.get(), path.c_str(), nullptr).code != heif_error_Ok) return std::nullopt;
    heif_image_handle* raw_handle = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &raw_handle).code != heif_error_Ok) return std::nullopt;
    std::unique_ptr<heif_image_handle, FreeHandle> handle(raw_handle);
    // The size after the file's transforms: what is drawn.
    const PixelSize declared{heif_image_handle_get_width(handle.get()), heif_image_handle_get_height(handle.get())};
    if (declared.Empty() || !WithinBudget(path, handle.get(), declared)) return std::nullopt;

    std::unique_ptr<heif_decoding_options, FreeOptions> options(heif_decoding_options_alloc());
    if (!options) return std::nullopt;
    options->convert_hdr_to_8bit = 1;
    heif_image* raw_image = nullptr;
    if (heif_decode_image(handle.get(), &raw_image, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, options.get()).code !=
        heif_error_Ok) {
        return std::nullopt;
    }
    std::unique_ptr<heif_image, FreeImage> image(raw_image);
    int stride = 0;
    const std::uint8_t* pixels = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const PixelSize natural{heif_image_get_width(image.get(), heif_channel_interleaved),
                            heif_image_get_height(image.get(), heif_channel_interleaved)};
    if (!pixels || natural.Empty()) return std::nullopt;
    // Without alpha libheif fills the fourth byte opaque; read so, the
    // smooth scaling takes the pixels as they are, without a converted copy.
    const QImage::Format format =
        heif_image_handle_has_alpha_channel(handle.get()) ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888;
    const QImage view(pixels, natural.width, natural.height, stride, format);
    const PixelSize want = FitInside(natural, fit);
    if (want == natural) return LoadedPicture{FromQImage(view), natural};
    return LoadedPicture{FromQImage(view.scaled(want.width, want.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)),
                         natural};
}

}  // namespace kestrova
