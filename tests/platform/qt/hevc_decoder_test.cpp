// The HEVC decoder that runs libde265 on a worker per processor must give
// libheif exactly the picture libheif's own single-threaded decoder gives:
// HEVC decoding is exact, so any difference is a fault of the hand-over
// (a plane cut short, a depth or sampling mistaken, the coded size not
// cropped), never a rounding. libheif 1.15 offers no way to name the
// decoder of one decode, so the pictures of its own are taken before the
// program registers its decoder: this test needs a process of its own.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/heif_decode.h"
#include "platform/qt/hevc_decoder.h"
#include "support/heif_file.h"

namespace kestrova {
namespace {

// libheif's own HEVC decoder, by the name it registers.
constexpr const char* kLibheifOwnDecoder = "libde265";

// The HEVC decoder libheif takes when the caller names none.
std::string PreferredHevcDecoder() {
    const heif_decoder_descriptor* first = nullptr;
    if (heif_get_decoder_descriptors(heif_compression_HEVC, &first, 1) != 1) return "";
    const char* id = heif_decoder_descriptor_get_id_name(first);
    return id ? id : "";
}

struct Released {
    void operator()(heif_context* c) const { heif_context_free(c); }
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
    void operator()(heif_image* i) const { heif_image_release(i); }
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};

// The primary picture decoded by the preferred decoder, in the codec's own
// planes at `chroma` as libheif crops and turns them.
std::unique_ptr<heif_image, Released> Decoded(const std::string& path, heif_chroma chroma) {
    std::unique_ptr<heif_context, Released> context(heif_context_alloc());
    if (heif_context_read_from_file(context.get(), path.c_str(), nullptr).code != heif_error_Ok) return nullptr;
    heif_image_handle* raw_handle = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &raw_handle).code != heif_error_Ok) return nullptr;
    const std::unique_ptr<heif_image_handle, Released> handle(raw_handle);
    heif_image* image = nullptr;
    if (heif_decode_image(handle.get(), &image, heif_colorspace_YCbCr, chroma, nullptr).code != heif_error_Ok) {
        return nullptr;
    }
    return std::unique_ptr<heif_image, Released>(image);
}

void ExpectSamePlanes(const heif_image* got, const heif_image* reference, const std::string& what) {
    ASSERT_EQ(heif_image_get_colorspace(got), heif_image_get_colorspace(reference)) << what;
    ASSERT_EQ(heif_image_get_chroma_format(got), heif_image_get_chroma_format(reference)) << what;
    for (const heif_channel channel : {heif_channel_Y, heif_channel_Cb, heif_channel_Cr}) {
        const std::string plane = what + " plane " + std::to_string(channel);
        ASSERT_EQ(heif_image_has_channel(got, channel), heif_image_has_channel(reference, channel)) << plane;
        if (!heif_image_has_channel(reference, channel)) continue;
        const int width = heif_image_get_width(reference, channel);
        const int height = heif_image_get_height(reference, channel);
        const int bits = heif_image_get_bits_per_pixel(reference, channel);
        ASSERT_EQ(heif_image_get_width(got, channel), width) << plane;
        ASSERT_EQ(heif_image_get_height(got, channel), height) << plane;
        ASSERT_EQ(heif_image_get_bits_per_pixel_range(got, channel),
                  heif_image_get_bits_per_pixel_range(reference, channel))
            << plane;
        ASSERT_EQ(heif_image_get_bits_per_pixel(got, channel), bits) << plane;
        int got_stride = 0;
        int reference_stride = 0;
        const std::uint8_t* got_rows = heif_image_get_plane_readonly(got, channel, &got_stride);
        const std::uint8_t* reference_rows = heif_image_get_plane_readonly(reference, channel, &reference_stride);
        const size_t row_bytes = static_cast<size_t>(width) * ((bits + 7) / 8);
        int rows_differing = 0;
        for (int row = 0; row < height; ++row) {
            rows_differing += std::memcmp(got_rows + static_cast<std::ptrdiff_t>(row) * got_stride,
                                          reference_rows + static_cast<std::ptrdiff_t>(row) * reference_stride,
                                          row_bytes) != 0;
        }
        EXPECT_EQ(rows_differing, 0) << plane;
    }
}

// Sizes that are not whole coding blocks (the coded picture is larger and
// cropped), each sampling and a deeper sample, a turned picture, and one
// of several rows of coding blocks, which the workers decode side by side.
TEST(HevcDecoder, GivesThePicturesLibheifsOwnDecoderGives) {
    ASSERT_EQ(heif_init(nullptr).code, heif_error_Ok);
    ASSERT_EQ(PreferredHevcDecoder(), kLibheifOwnDecoder) << "the program's decoder was registered before the test";
    QTemporaryDir dir;
    struct Case {
        const char* name;
        int width;
        int height;
        test::HeifSettings settings;
        heif_chroma chroma;
    };
    const Case cases[] = {
        {"odd-420.heic", 45, 37, {heif_compression_HEVC, 90, 1, false, "420"}, heif_chroma_420},
        {"odd-422.heic", 45, 37, {heif_compression_HEVC, 90, 1, false, "422"}, heif_chroma_422},
        {"odd-444.heic", 45, 37, {heif_compression_HEVC, 90, 1, false, "444"}, heif_chroma_444},
        {"10-bit.heic", 40, 24, {heif_compression_HEVC, 90, 1, false, "420", 10}, heif_chroma_420},
        {"turned.heic", 45, 37, {heif_compression_HEVC, 90, 6, false, "420"}, heif_chroma_420},
        {"rows.heic", 330, 270, {heif_compression_HEVC, 60, 1, true, "420"}, heif_chroma_420},
    };
    std::vector<std::unique_ptr<heif_image, Released>> libheifs;
    for (const Case& c : cases) {
        std::vector<std::uint8_t> rgb(static_cast<size_t>(c.width) * c.height * 3);
        for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>((i * 7919) >> 3);
        const std::string path = dir.filePath(c.name).toStdString();
        ASSERT_EQ(test::WriteHeifFile(path, rgb.data(), c.width, c.height, c.width * 3, c.settings), "") << c.name;
        libheifs.push_back(Decoded(path, c.chroma));
        ASSERT_TRUE(libheifs.back()) << c.name;
        // The case is what it claims to be: the file's own sampling and depth.
        ASSERT_EQ(heif_image_get_chroma_format(libheifs.back().get()), c.chroma) << c.name;
        ASSERT_EQ(heif_image_get_bits_per_pixel_range(libheifs.back().get(), heif_channel_Y), c.settings.bits) << c.name;
    }
    // The program's first decode registers its decoder, which libheif then
    // takes over its own.
    ASSERT_TRUE(DecodeHeifFile(dir.filePath(cases[0].name).toStdString(), {}).has_value());
    ASSERT_EQ(PreferredHevcDecoder(), kHevcDecoderId);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto ours = Decoded(dir.filePath(cases[i].name).toStdString(), cases[i].chroma);
        ASSERT_TRUE(ours) << cases[i].name;
        ExpectSamePlanes(ours.get(), libheifs[i].get(), cases[i].name);
    }
}

}  // namespace
}  // namespace kestrova
