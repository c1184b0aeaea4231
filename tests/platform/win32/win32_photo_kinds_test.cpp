// Today's photo kinds through the Windows Imaging Component: TIFF, which
// every Windows reads, reduced and upright by its orientation tag; WebP,
// HEIC and AVIF shown right where Windows has their codec, and failing like
// an unreadable file (no picture, nothing else) where it has none.
#include <gtest/gtest.h>

#include <windows.h>
#include <wincodec.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/windows/wide_text.h"
#include "platform/win32/win32_wic.h"
#include "support/picture_comparison.h"
#include "support/quarter_picture.h"
#include "support/tiff_bytes.h"

namespace kestrova {
namespace {

using testing::SizeOf;

class PhotoKinds : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        folder_ = std::filesystem::temp_directory_path() / "kestrova-photo-kinds-test";
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        std::filesystem::remove_all(folder_);
        CoUninitialize();
    }
    std::string Write(const std::wstring& name, const std::string& bytes) const {
        const std::filesystem::path path = folder_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return Utf8FromWide(path.wstring());
    }

    std::filesystem::path folder_;
};


TEST_F(PhotoKinds, TiffReducedAndUprightByItsTag) {
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE("orientation " + std::to_string(orientation));
        const std::string path =
            Write(L"o" + std::to_wstring(orientation) + L".tif", test::TiffBytes({test::QuarterPicture(64, 32)}, orientation));
        const PixelSize natural = orientation >= 5 ? PixelSize{32, 64} : PixelSize{64, 32};
        for (const PixelSize fit : {PixelSize{}, PixelSize{16, 16}}) {
            const auto decoded = DecodePictureFile(path, fit);
            if (!decoded) {
                ADD_FAILURE() << "not decoded in " << fit.width << "x" << fit.height;
                continue;
            }
            EXPECT_EQ(decoded->natural, natural);
            EXPECT_EQ(SizeOf(decoded->picture), (fit.Empty() ? natural : PixelSize{natural.width / 4, natural.height / 4}));
            EXPECT_EQ(test::QuartersOf(decoded->picture), test::UprightQuarters(orientation));
        }
    }
}

TEST_F(PhotoKinds, OnlyTheFirstPageOfATiffAndNothingOverTheBudget) {
    const test::RgbPicture white{64, 32, std::vector<std::uint8_t>(64 * 32 * 3, 255)};
    const auto pages = DecodePictureFile(Write(L"pages.tiff", test::TiffBytes({test::QuarterPicture(64, 32), white}, 0)), {});
    ASSERT_TRUE(pages.has_value());
    EXPECT_EQ(test::QuartersOf(pages->picture), "RGBY");
    // 12000 x 12000 held whole is three times the budget, whatever it is
    // reduced to; 4000 x 4000 is within it.
    EXPECT_FALSE(DecodePictureFile(Write(L"huge.tif", test::GreyTiledTiffBytes(12000, 12000)), {1920, 1080}).has_value());
    const auto large = DecodePictureFile(Write(L"large.tif", test::GreyTiledTiffBytes(4000, 4000)), {1920, 1080});
    ASSERT_TRUE(large.has_value());
    EXPECT_EQ(SizeOf(large->picture), (PixelSize{1080, 1080}));
}

// Whether WIC finds a decoder for the file and it gives pixels: what a
// system without the kind's codec (or with its container codec but not the
// video codec inside) cannot do.
bool WindowsReads(const std::wstring& path) {
    IWICImagingFactory* factory = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)))) return false;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    BYTE pixel[4];
    const WICRect one{0, 0, 1, 1};
    const bool reads = SUCCEEDED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                                    WICDecodeMetadataCacheOnDemand, &decoder)) &&
                       SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->CopyPixels(&one, 4, 4, pixel));
    if (frame) frame->Release();
    if (decoder) decoder->Release();
    factory->Release();
    return reads;
}

std::filesystem::path ProgramFolder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path();
}

TEST_F(PhotoKinds, ShownWhereWindowsHasTheCodecAndPassedOverWhereNot) {
    // Kept beside the test program by the build, each to be turned a
    // quarter clockwise: the WebP by its EXIF chunk, the HEIC and the AVIF
    // by HEIF's own rotation.
    struct Case {
        const wchar_t* name;
        int orientation;
    } cases[] = {{L"quarters-6.webp", 6}, {L"quarters-6.heic", 6}, {L"quarters-6.avif", 6}};
    for (const Case& c : cases) {
        const std::filesystem::path path = ProgramFolder() / "photos" / c.name;
        SCOPED_TRACE(Utf8FromWide(c.name));
        ASSERT_TRUE(std::filesystem::exists(path));
        const auto decoded = DecodePictureFile(Utf8FromWide(path.wstring()), {16, 16});
        if (!WindowsReads(path.wstring())) {
            EXPECT_FALSE(decoded.has_value());
            std::printf("no codec on this system for %s: passed over\n", Utf8FromWide(c.name).c_str());
            continue;
        }
        ASSERT_TRUE(decoded.has_value());
        const PixelSize natural = c.orientation >= 5 ? PixelSize{32, 64} : PixelSize{64, 32};
        EXPECT_EQ(decoded->natural, natural);
        EXPECT_EQ(SizeOf(decoded->picture), (PixelSize{natural.width / 4, natural.height / 4}));
        EXPECT_EQ(test::QuartersOf(decoded->picture), test::UprightQuarters(c.orientation));
    }
}

}  // namespace
}  // namespace kestrova
