#include "hevc_decoder.h"

#include <libde265/de265.h>
#include <libheif/heif.h>
#include <libheif/heif_plugin.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/posix/one_processor.h"

namespace kestrova {
namespace {

// libde265 decodes a picture's rows of coding blocks in parallel when the
// encoder allowed it (x265 does by default), and its in-loop filters always;
// past a handful of threads a still picture gains nothing more.
constexpr int kMostWorkers = 8;

// Above libheif's own decoder (100), so libheif picks this one.
constexpr int kPriority = 200;

struct HevcDecoder {
    de265_decoder_context* context = nullptr;
    bool strict = false;
};

heif_error Failure(heif_suberror_code why, const char* text) {
    return {heif_error_Decoder_plugin_error, why, text};
}

constexpr heif_error kSuccess{heif_error_Ok, heif_suberror_Unspecified, "Success"};

int WorkerCount() { return std::min(ProcessorsAllowed(), kMostWorkers); }

const char* PluginName() { return "libde265, a worker for each processor"; }

int SupportsFormat(heif_compression_format format) { return format == heif_compression_HEVC ? kPriority : 0; }

heif_error NewDecoder(void** out) {
    auto* decoder = new HevcDecoder;
    decoder->context = de265_new_decoder();
    if (!decoder->context) {
        delete decoder;
        return Failure(heif_suberror_Unspecified, "libde265 gave no decoder");
    }
    // Without workers libde265 would decode on the calling thread alone.
    de265_start_worker_threads(decoder->context, WorkerCount());
    *out = decoder;
    return kSuccess;
}

void FreeDecoder(void* opaque) {
    auto* decoder = static_cast<HevcDecoder*>(opaque);
    if (!decoder) return;
    de265_free_decoder(decoder->context);
    delete decoder;
}

void SetStrict(void* opaque, int strict) { static_cast<HevcDecoder*>(opaque)->strict = strict != 0; }

// libheif hands over the parameter sets and then the picture, each NAL unit
// after its length in four big-endian bytes.
heif_error PushData(void* opaque, const void* data, size_t size) {
    auto* decoder = static_cast<HevcDecoder*>(opaque);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    size_t at = 0;
    while (at < size) {
        if (size - at < 4) return Failure(heif_suberror_End_of_data, "HEVC data ends inside a unit's length");
        const std::uint32_t length = (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
                                     (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
        at += 4;
        if (length > size - at) return Failure(heif_suberror_End_of_data, "HEVC unit longer than its data");
        const de265_error pushed = de265_push_NAL(decoder->context, bytes + at, static_cast<int>(length), 0, nullptr);
        if (!de265_isOK(pushed)) return Failure(heif_suberror_Unspecified, de265_get_error_text(pushed));
        at += length;
    }
    return kSuccess;
}

heif_chroma ChromaOf(de265_chroma chroma) {
    switch (chroma) {
        case de265_chroma_mono: return heif_chroma_monochrome;
        case de265_chroma_420: return heif_chroma_420;
        case de265_chroma_422: return heif_chroma_422;
        case de265_chroma_444: break;
    }
    return heif_chroma_444;
}

// The decoded picture's planes copied into a picture of libheif's, which
// then crops and turns it as the file says.
heif_error CopyOut(const de265_image* picture, heif_image** out) {
    const de265_chroma chroma = de265_get_chroma_format(picture);
    const bool mono = chroma == de265_chroma_mono;
    heif_image* image = nullptr;
    const heif_error created = heif_image_create(de265_get_image_width(picture, 0), de265_get_image_height(picture, 0),
                                                 mono ? heif_colorspace_monochrome : heif_colorspace_YCbCr,
                                                 ChromaOf(chroma), &image);
    if (created.code != heif_error_Ok) return created;
    const heif_channel channels[] = {heif_channel_Y, heif_channel_Cb, heif_channel_Cr};
    for (int index = 0; index < (mono ? 1 : 3); ++index) {
        const int width = de265_get_image_width(picture, index);
        const int height = de265_get_image_height(picture, index);
        const int bits = de265_get_bits_per_pixel(picture, index);
        const heif_error added = heif_image_add_plane(image, channels[index], width, height, bits);
        if (added.code != heif_error_Ok) {
            heif_image_release(image);
            return added;
        }
        int from_stride = 0;
        int to_stride = 0;
        const std::uint8_t* from = de265_get_image_plane(picture, index, &from_stride);
        std::uint8_t* to = heif_image_get_plane(image, channels[index], &to_stride);
        const size_t row_bytes = static_cast<size_t>(width) * (bits > 8 ? 2 : 1);
        for (int row = 0; row < height; ++row) {
            std::memcpy(to + static_cast<std::ptrdiff_t>(row) * to_stride,
                        from + static_cast<std::ptrdiff_t>(row) * from_stride, row_bytes);
        }
    }
    *out = image;
    return kSuccess;
}

heif_error DecodeImage(void* opaque, heif_image** out) {
    auto* decoder = static_cast<HevcDecoder*>(opaque);
    de265_decoder_context* context = decoder->context;
    if (!de265_isOK(de265_flush_data(context))) return Failure(heif_suberror_Unspecified, "libde265 took no more data");
    const de265_image* picture = nullptr;
    int more = 1;
    while (more && !picture) {
        more = 0;
        const de265_error decoded = de265_decode(context, &more);
        if (decoded == DE265_ERROR_WAITING_FOR_INPUT_DATA) break;
        if (!de265_isOK(decoded)) return Failure(heif_suberror_Unspecified, de265_get_error_text(decoded));
        picture = de265_peek_next_picture(context);
    }
    if (!picture) return Failure(heif_suberror_End_of_data, "HEVC data held no whole picture");
    // A damaged stream decodes with warnings; a strict caller wants none.
    if (decoder->strict && de265_get_warning(context) != DE265_OK) {
        return Failure(heif_suberror_Unspecified, "HEVC data decoded with faults");
    }
    const heif_error copied = CopyOut(picture, out);
    de265_release_next_picture(context);
    return copied;
}

const heif_decoder_plugin kPlugin{
    .plugin_api_version = 3,
    .get_plugin_name = PluginName,
    .init_plugin = nullptr,
    .deinit_plugin = nullptr,
    .does_support_format = SupportsFormat,
    .new_decoder = NewDecoder,
    .free_decoder = FreeDecoder,
    .push_data = PushData,
    .decode_image = DecodeImage,
    .set_strict_decoding = SetStrict,
    .id_name = kHevcDecoderId,
};

}  // namespace

void RegisterHevcDecoder() {
    static const bool registered = heif_register_decoder_plugin(&kPlugin).code == heif_error_Ok;
    (void)registered;
}

}  // namespace kestrova
