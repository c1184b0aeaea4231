#pragma once
// HEIC (HEVC) and AVIF (AV1) files written with libheif's own encoders, for
// tests and benchmarks: the only way to such files on a system that has no
// other HEIF writer.
#include <libheif/heif.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

namespace kestrova::test {

struct HeifSettings {
    heif_compression_format format = heif_compression_HEVC;
    int quality = 90;
    // As HEIF's own rotation and mirror boxes, counted as EXIF counts.
    int orientation = 1;
    // The encoder's fastest setting, for pictures of many megapixels.
    bool fastest = false;
    // "420" for a phone's sampling; the encoder's own choice when empty
    // (4:4:4 from RGB).
    const char* chroma = "";
    // Bits a sample: 8, or 10 or 12 as cameras' HDR photos.
    int bits = 8;
};

// What one encode holds, released however it ends.
struct HeifEncoding {
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_image* image = nullptr;
    heif_encoding_options* options = heif_encoding_options_alloc();

    HeifEncoding() = default;
    HeifEncoding(const HeifEncoding&) = delete;
    HeifEncoding& operator=(const HeifEncoding&) = delete;
    ~HeifEncoding() {
        heif_encoding_options_free(options);
        if (image) heif_image_release(image);
        if (encoder) heif_encoder_release(encoder);
        heif_context_free(context);
    }

    // Writes the file unless a step before failed; returns the error text,
    // empty when the file was written.
    std::string WriteTo(heif_error error, const std::string& path) {
        if (error.code == heif_error_Ok) error = heif_context_write_to_file(context, path.c_str());
        return error.code == heif_error_Ok ? "" : error.message;
    }
};

// rgb: rows of width x 8-bit RGB, `stride` bytes apart. Returns the
// encoder's error text, empty when the file was written.
inline std::string WriteHeifFile(const std::string& path, const std::uint8_t* rgb, int width, int height, int stride,
                                 const HeifSettings& settings) {
    HeifEncoding encoding;
    heif_context* const context = encoding.context;
    heif_encoder*& encoder = encoding.encoder;
    heif_image*& image = encoding.image;
    heif_encoding_options* const options = encoding.options;
    heif_error error = heif_context_get_encoder_for_format(context, settings.format, &encoder);
    if (error.code == heif_error_Ok) {
        heif_encoder_set_lossy_quality(encoder, settings.quality);
        if (settings.fastest && settings.format == heif_compression_HEVC) {
            heif_encoder_set_parameter_string(encoder, "preset", "ultrafast");
        } else if (settings.fastest) {
            heif_encoder_set_parameter_integer(encoder, "speed", 9);
        }
        if (*settings.chroma) heif_encoder_set_parameter_string(encoder, "chroma", settings.chroma);
        // Deeper samples: each 8-bit value scaled up, in 16-bit words.
        const bool deep = settings.bits > 8;
        heif_image_create(width, height, heif_colorspace_RGB,
                          deep ? heif_chroma_interleaved_RRGGBB_LE : heif_chroma_interleaved_RGB, &image);
        heif_image_add_plane(image, heif_channel_interleaved, width, height, settings.bits);
        int plane_stride = 0;
        std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &plane_stride);
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* from = rgb + static_cast<std::ptrdiff_t>(y) * stride;
            std::uint8_t* to = plane + static_cast<std::ptrdiff_t>(y) * plane_stride;
            if (!deep) {
                std::memcpy(to, from, static_cast<size_t>(width) * 3);
                continue;
            }
            for (int i = 0; i < width * 3; ++i) {
                const auto word = static_cast<std::uint16_t>(from[i] << (settings.bits - 8));
                std::memcpy(to + static_cast<std::ptrdiff_t>(i) * 2, &word, 2);
            }
        }
        options->image_orientation = static_cast<heif_orientation>(settings.orientation);
        error = heif_context_encode_image(context, image, encoder, options, nullptr);
    }
    return encoding.WriteTo(error, path);
}

// One flat colour given as luma and colour difference, 4:4:4, coded as it
// is given (the encoder converts only pictures that carry a colour profile
// of their own). The file's colour box gives libheif's default coding,
// full-range BT.601, whatever the samples mean: a test sets the box after.
inline std::string WriteFlatYcbcrHeif(const std::string& path, heif_compression_format format, int y, int cb, int cr) {
    constexpr int kSide = 16;
    HeifEncoding encoding;
    heif_context* const context = encoding.context;
    heif_encoder*& encoder = encoding.encoder;
    heif_image*& image = encoding.image;
    heif_encoding_options* const options = encoding.options;
    options->macOS_compatibility_workaround_no_nclx_profile = 0;
    heif_error error = heif_context_get_encoder_for_format(context, format, &encoder);
    if (error.code == heif_error_Ok) {
        heif_encoder_set_lossy_quality(encoder, 100);
        heif_encoder_set_parameter_string(encoder, "chroma", "444");
        heif_image_create(kSide, kSide, heif_colorspace_YCbCr, heif_chroma_444, &image);
        const std::pair<heif_channel, int> planes[] = {{heif_channel_Y, y}, {heif_channel_Cb, cb}, {heif_channel_Cr, cr}};
        for (const auto& [channel, value] : planes) {
            heif_image_add_plane(image, channel, kSide, kSide, 8);
            int stride = 0;
            std::uint8_t* plane = heif_image_get_plane(image, channel, &stride);
            for (int row = 0; row < kSide; ++row) std::memset(plane + row * stride, value, kSide);
        }
        // Without a profile of its own the picture would be converted to
        // the encoder's coding; with the encoder's, it is coded as given.
        heif_color_profile_nclx* nclx = heif_nclx_color_profile_alloc();
        heif_nclx_color_profile_set_matrix_coefficients(nclx, heif_matrix_coefficients_ITU_R_BT_601_6);
        nclx->full_range_flag = 1;
        heif_image_set_nclx_color_profile(image, nclx);
        heif_nclx_color_profile_free(nclx);
        error = heif_context_encode_image(context, image, encoder, options, nullptr);
    }
    return encoding.WriteTo(error, path);
}

}  // namespace kestrova::test
