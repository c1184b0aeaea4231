#include "heif_decode.h"

#include <libheif/heif.h>

#include <QImage>
#include <algorithm>
#include <memory>
#include <string_view>

#include "platform/pictures/heif_header.h"
#include "platform/pictures/planar_picture.h"
#include "platform/system/files.h"
#include "platform/posix/one_processor.h"
#include "hevc_decoder.h"
#include "qt_convert.h"

namespace kestrova {
namespace {

// libheif registers its codecs once; they stay for the rest of the process.
void EnsureLibheif() {
    static const bool ready = [] {
        if (heif_init(nullptr).code != heif_error_Ok) return false;
        RegisterHevcDecoder();
        return true;
    }();
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
struct FreeNclx {
    void operator()(heif_color_profile_nclx* n) const { heif_nclx_color_profile_free(n); }
};

constexpr int kInterleavedBytesPerPixel = 4;

// The planes the codec hands over: at the file's chroma sampling and bit
// depth, with alpha.
std::int64_t PlaneBytes(double samples_per_pixel, const heif_image_handle* handle, PixelSize size) {
    const int bits = std::max(heif_image_handle_get_luma_bits_per_pixel(handle),
                              heif_image_handle_get_chroma_bits_per_pixel(handle));
    const double bytes_per_sample = bits > 8 ? 2 : 1;
    const double samples = samples_per_pixel + (heif_image_handle_has_alpha_channel(handle) ? 1 : 0);
    return static_cast<std::int64_t>(static_cast<double>(size.width) * size.height * samples * bytes_per_sample);
}

// Measured on 24-megapixel photos: while libde265 or dav1d decodes, it holds
// about three sets of the planes (the picture, its filtered copy and its
// records per block), and libheif copies one more set out of it; the coded
// picture is read whole besides. Reduced straight from the planes, only the
// drawn picture comes on top.
bool PlanesWithinBudget(const std::string& path, double samples, const heif_image_handle* handle, PixelSize size,
                        PixelSize drawn) {
    return WithinDecodeBudget(drawn, kInterleavedBytesPerPixel,
                              4 * PlaneBytes(samples, handle, size) + FileLength(path).value_or(0));
}

// Converted by libheif instead, the whole picture is held interleaved as
// well; with alpha, Qt's smooth scaling premultiplies into one more copy.
// (This estimate, the one the program has always made, is lower than the
// converted decode's real peak: it only serves the colour codings the
// reduction does not know, and the benchmark's baseline.)
bool InterleavedWithinBudget(double samples, const heif_image_handle* handle, PixelSize size) {
    const std::int64_t interleaved = std::int64_t{size.width} * size.height * kInterleavedBytesPerPixel;
    const std::int64_t premultiplied = heif_image_handle_has_alpha_channel(handle) ? interleaved : 0;
    return WithinDecodeBudget(size, kInterleavedBytesPerPixel, 2 * PlaneBytes(samples, handle, size) + premultiplied);
}

SamplePlane PlaneOf(const heif_image* image, heif_channel channel) {
    if (!heif_image_has_channel(image, channel)) return {};
    SamplePlane plane;
    int stride = 0;
    plane.data = heif_image_get_plane_readonly(image, channel, &stride);
    plane.stride = stride;
    plane.width = heif_image_get_width(image, channel);
    plane.height = heif_image_get_height(image, channel);
    plane.bits = heif_image_get_bits_per_pixel_range(image, channel);
    // Depths that do not fill their words are kept in 16 bits all the same.
    if (plane.bits <= 8 && heif_image_get_bits_per_pixel(image, channel) > 8) plane.bits = 16;
    return plane;
}

// How the file's luma and colour difference make red, green and blue. Only
// a colour box in the file says so: libheif 1.15 neither reads the codec's
// own colour description nor hands one over with the decoded planes, and
// converts without either as full-range BT.601, as this does. nullopt for a
// coding the reduction does not know.
std::optional<std::pair<ColourMatrix, bool>> CodingOf(const heif_image_handle* handle) {
    heif_color_profile_nclx* raw = nullptr;
    if (heif_image_handle_get_nclx_color_profile(handle, &raw).code != heif_error_Ok || !raw) {
        return std::pair{ColourMatrix{}, true};
    }
    const std::unique_ptr<heif_color_profile_nclx, FreeNclx> nclx(raw);
    const std::optional<ColourMatrix> matrix = ColourMatrixOf(nclx->matrix_coefficients);
    if (!matrix) return std::nullopt;
    return std::pair{*matrix, nclx->full_range_flag != 0};
}

// The planes as the codec makes them, by the sampling its configuration
// gives: asking for another makes libheif convert the whole picture.
std::pair<heif_colorspace, heif_chroma> NativeLayout(double samples) {
    if (samples == 1.0) return {heif_colorspace_monochrome, heif_chroma_monochrome};
    if (samples == 1.5) return {heif_colorspace_YCbCr, heif_chroma_420};
    if (samples == 2.0) return {heif_colorspace_YCbCr, heif_chroma_422};
    return {heif_colorspace_YCbCr, heif_chroma_444};
}

// The decoded planes as they are, or nullopt when they do not come as asked.
std::optional<PlanarPicture> PlanesOf(const heif_image* image, const std::pair<ColourMatrix, bool>& coding) {
    const heif_colorspace space = heif_image_get_colorspace(image);
    if (space != heif_colorspace_YCbCr && space != heif_colorspace_monochrome) return std::nullopt;
    PlanarPicture planes;
    planes.luma = PlaneOf(image, heif_channel_Y);
    if (space == heif_colorspace_YCbCr) {
        planes.cb = PlaneOf(image, heif_channel_Cb);
        planes.cr = PlaneOf(image, heif_channel_Cr);
        if (!planes.cb.Present() || !planes.cr.Present()) return std::nullopt;
    }
    planes.alpha = PlaneOf(image, heif_channel_Alpha);
    planes.matrix = coding.first;
    planes.full_range = coding.second;
    return planes;
}

// Whether the file's pictures are AV1 (AVIF) rather than HEVC, by the
// brands of its file type box.
bool CodedAsAv1(std::string_view head) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(head.data());
    const int size = static_cast<int>(head.size());
    return heif_has_compatible_brand(data, size, "avif") == 1 || heif_has_compatible_brand(data, size, "avis") == 1;
}

struct Opened {
    std::unique_ptr<heif_context, FreeContext> context;
    std::unique_ptr<heif_image_handle, FreeHandle> handle;
    bool av1 = false;
    double samples = 0;  // HeifSamplesPerPixel
};

std::optional<Opened> OpenPrimary(const std::string& path) {
    EnsureLibheif();
    Opened opened;
    opened.context.reset(heif_context_alloc());
    if (!opened.context || heif_context_read_from_file(opened.context.get(), path.c_str(), nullptr).code != heif_error_Ok) {
        return std::nullopt;
    }
    heif_image_handle* raw_handle = nullptr;
    if (heif_context_get_primary_image_handle(opened.context.get(), &raw_handle).code != heif_error_Ok) return std::nullopt;
    opened.handle.reset(raw_handle);
    const std::string head = ReadFileHead(path, kHeifHeadBytes);
    opened.av1 = CodedAsAv1(head);
    opened.samples = HeifSamplesPerPixel(head);
    return opened;
}

// libheif turns and mirrors the planes by the file's transforms (irot,
// imir) and crops them (clap) as it decodes.
std::unique_ptr<heif_image, FreeImage> Decode(const Opened& opened, heif_colorspace space, heif_chroma chroma,
                                              bool keep_depth) {
    std::unique_ptr<heif_decoding_options, FreeOptions> options(heif_decoding_options_alloc());
    if (!options) return nullptr;
    options->convert_hdr_to_8bit = keep_depth ? 0 : 1;
    // dav1d, which decodes AV1, starts a thread with frame buffers of its
    // own for every processor the decoding thread may run on: on a machine
    // of many cores those alone pass the decode budget, and one still
    // picture gains little from them. Held to one processor, it starts one.
    std::optional<OneProcessorScope> one_processor;
    if (opened.av1) one_processor.emplace();
    heif_image* raw_image = nullptr;
    if (heif_decode_image(opened.handle.get(), &raw_image, space, chroma, options.get()).code != heif_error_Ok) {
        return nullptr;
    }
    return std::unique_ptr<heif_image, FreeImage>(raw_image);
}

// The size after the file's transforms: what is drawn.
PixelSize DeclaredSize(const heif_image_handle* handle) {
    return {heif_image_handle_get_width(handle), heif_image_handle_get_height(handle)};
}

std::optional<LoadedPicture> Interleaved(const Opened& opened, double samples, PixelSize fit) {
    const heif_image_handle* handle = opened.handle.get();
    const PixelSize declared = DeclaredSize(handle);
    if (declared.Empty() || !InterleavedWithinBudget(samples, handle, declared)) return std::nullopt;
    const auto image = Decode(opened, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, false);
    if (!image) return std::nullopt;
    int stride = 0;
    const std::uint8_t* pixels = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const PixelSize natural{heif_image_get_width(image.get(), heif_channel_interleaved),
                            heif_image_get_height(image.get(), heif_channel_interleaved)};
    if (!pixels || natural.Empty()) return std::nullopt;
    // Without alpha libheif fills the fourth byte opaque; read so, the
    // smooth scaling takes the pixels as they are, without a converted copy.
    const QImage::Format format =
        heif_image_handle_has_alpha_channel(handle) ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888;
    const QImage view(pixels, natural.width, natural.height, stride, format);
    const PixelSize want = FitInside(natural, fit);
    if (want == natural) return LoadedPicture{FromQImage(view), natural};
    return LoadedPicture{FromQImage(view.scaled(want.width, want.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)),
                         natural};
}

}  // namespace

bool IsHeifFile(const std::string& path) {
    const std::string head = ReadFileHead(path, 8);
    return head.size() == 8 && head.compare(4, 4, "ftyp") == 0;
}

std::optional<LoadedPicture> DecodeHeifFileInterleaved(const std::string& path, PixelSize fit) {
    const std::optional<Opened> opened = OpenPrimary(path);
    if (!opened) return std::nullopt;
    return Interleaved(*opened, opened->samples, fit);
}

std::optional<LoadedPicture> DecodeHeifFile(const std::string& path, PixelSize fit) {
    const std::optional<Opened> opened = OpenPrimary(path);
    if (!opened) return std::nullopt;
    const heif_image_handle* handle = opened->handle.get();
    const double samples = opened->samples;
    const std::optional<std::pair<ColourMatrix, bool>> coding = CodingOf(handle);
    // Premultiplied colour would be weighted by its alpha twice.
    if (!coding || heif_image_handle_is_premultiplied_alpha(handle)) return Interleaved(*opened, samples, fit);
    const PixelSize declared = DeclaredSize(handle);
    if (declared.Empty() || !PlanesWithinBudget(path, samples, handle, declared, FitInside(declared, fit))) {
        return std::nullopt;
    }
    const auto [space, chroma] = NativeLayout(samples);
    const auto image = Decode(*opened, space, chroma, true);
    if (!image) return std::nullopt;
    const std::optional<PlanarPicture> planes = PlanesOf(image.get(), *coding);
    if (!planes) return std::nullopt;
    const PixelSize natural{planes->luma.width, planes->luma.height};
    Picture picture = ReducedFromPlanes(*planes, FitInside(natural, fit));
    if (picture.Empty()) return std::nullopt;
    return LoadedPicture{std::move(picture), natural};
}

}  // namespace kestrova
