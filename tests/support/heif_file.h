#pragma once
// HEIC (HEVC) and AVIF (AV1) files written with libheif's own encoders, for
// tests and benchmarks: the only way to such files on a system that has no
// other HEIF writer.
#include <libheif/heif.h>

#include <cstdint>
#include <cstring>
#include <string>

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
};

// rgb: rows of width x 8-bit RGB, `stride` bytes apart. Returns the
// encoder's error text, empty when the file was written.
inline std::string WriteHeifFile(const std::string& path, const std::uint8_t* rgb, int width, int height, int stride,
                                 const HeifSettings& settings) {
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_image* image = nullptr;
    heif_encoding_options* options = heif_encoding_options_alloc();
    heif_error error = heif_context_get_encoder_for_format(context, settings.format, &encoder);
    if (error.code == heif_error_Ok) {
        heif_encoder_set_lossy_quality(encoder, settings.quality);
        if (settings.fastest && settings.format == heif_compression_HEVC) {
            heif_encoder_set_parameter_string(encoder, "preset", "ultrafast");
        } else if (settings.fastest) {
            heif_encoder_set_parameter_integer(encoder, "speed", 9);
        }
        if (*settings.chroma) heif_encoder_set_parameter_string(encoder, "chroma", settings.chroma);
        heif_image_create(width, height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
        heif_image_add_plane(image, heif_channel_interleaved, width, height, 8);
        int plane_stride = 0;
        std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &plane_stride);
        for (int y = 0; y < height; ++y) {
            std::memcpy(plane + static_cast<std::ptrdiff_t>(y) * plane_stride, rgb + static_cast<std::ptrdiff_t>(y) * stride,
                        static_cast<size_t>(width) * 3);
        }
        options->image_orientation = static_cast<heif_orientation>(settings.orientation);
        error = heif_context_encode_image(context, image, encoder, options, nullptr);
    }
    if (error.code == heif_error_Ok) error = heif_context_write_to_file(context, path.c_str());
    const std::string message = error.code == heif_error_Ok ? "" : error.message;
    heif_encoding_options_free(options);
    if (image) heif_image_release(image);
    if (encoder) heif_encoder_release(encoder);
    heif_context_free(context);
    return message;
}

}  // namespace kestrova::test
