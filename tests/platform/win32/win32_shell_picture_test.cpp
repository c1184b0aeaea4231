// Command lines read back by the system's own parser, and pictures of every
// kind the viewer shows, written by the system's encoders and read back at
// their size or reduced to a target.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <wincodec.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win32/win32_shell.h"
#include "platform/windows/wide_text.h"
#include "platform/win32/win32_wic.h"

namespace kestrova {
namespace {

TEST(CommandLine, ReadsBackAsTheSameArguments) {
    const std::vector<std::vector<std::string>> cases = {
        {"C:\\Program Files\\mplayerc.exe", "C:\\v\\a.avi", "/play", "/close", "/fullscreen"},
        {"mplayerc.exe", "D:\\動画\\名前 に 空白.mpg"},
        {"p.exe", "say \"hi\"", "trailing\\", "back\\\\\"quote", ""},
        {"p.exe", "tab\there", "a\\b\\c", "\\\\server\\share\\x y\\"},
    };
    for (const auto& argv : cases) {
        const std::wstring line = CommandLineOf(argv);
        int count = 0;
        LPWSTR* parsed = CommandLineToArgvW(line.c_str(), &count);
        ASSERT_NE(parsed, nullptr);
        std::vector<std::string> back;
        for (int i = 0; i < count; ++i) back.push_back(Utf8FromWide(parsed[i]));
        LocalFree(parsed);
        EXPECT_EQ(back, argv) << Utf8FromWide(line);
    }
}

// A width x height picture, red on the left half and blue on the right,
// written by the system's encoder for the container (in its own pixel
// format: GIF takes a palette).
// The colour of each pixel (0xRRGGBB) comes from colour_at.
bool WritePicture(const std::wstring& path, const GUID& container, UINT width, UINT height,
                  const std::function<std::uint32_t(UINT x, UINT y)>& colour_at) {
    std::vector<BYTE> pixels(static_cast<size_t>(width) * height * 3);
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            BYTE* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
            const std::uint32_t rgb = colour_at(x, y);
            p[0] = static_cast<BYTE>(rgb);
            p[1] = static_cast<BYTE>(rgb >> 8);
            p[2] = static_cast<BYTE>(rgb >> 16);
        }
    }
    IWICImagingFactory* factory = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)))) return false;
    IWICBitmap* bitmap = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    IWICPalette* palette = nullptr;
    IWICFormatConverter* converter = nullptr;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    bool ok = SUCCEEDED(factory->CreateBitmapFromMemory(width, height, GUID_WICPixelFormat24bppBGR, width * 3,
                                                       static_cast<UINT>(pixels.size()), pixels.data(), &bitmap)) &&
              SUCCEEDED(factory->CreateStream(&stream)) &&
              SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
              SUCCEEDED(factory->CreateEncoder(container, nullptr, &encoder)) &&
              SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
              SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
              SUCCEEDED(frame->SetSize(width, height)) && SUCCEEDED(frame->SetPixelFormat(&format));
    IWICBitmapSource* source = bitmap;
    if (ok && format != GUID_WICPixelFormat24bppBGR) {
        ok = SUCCEEDED(factory->CreatePalette(&palette)) && SUCCEEDED(palette->InitializeFromBitmap(bitmap, 16, FALSE)) &&
             SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
             SUCCEEDED(converter->Initialize(bitmap, format, WICBitmapDitherTypeNone, palette, 0, WICBitmapPaletteTypeCustom)) &&
             SUCCEEDED(frame->SetPalette(palette));
        source = converter;
    }
    ok = ok && SUCCEEDED(frame->WriteSource(source, nullptr)) && SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    for (IUnknown* object : {static_cast<IUnknown*>(converter), static_cast<IUnknown*>(palette), static_cast<IUnknown*>(frame),
                             static_cast<IUnknown*>(encoder), static_cast<IUnknown*>(stream), static_cast<IUnknown*>(bitmap)}) {
        if (object) object->Release();
    }
    factory->Release();
    return ok;
}

bool WritePicture(const std::wstring& path, const GUID& container, UINT width, UINT height) {
    return WritePicture(path, container, width, height,
                        [width](UINT x, UINT) { return x < width / 2 ? 0xFF0000u : 0x0000FFu; });
}

TEST(Pictures, DecodeAtMostToTheTarget) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    struct Case {
        const char* name;
        GUID container;
        int max_w, max_h;
        int want_w, want_h;
    };
    const Case cases[] = {
        {"whole.bmp", GUID_ContainerFormatBmp, 0, 0, 400, 200},
        {"fits.png", GUID_ContainerFormatPng, 800, 600, 400, 200},
        {"wide.png", GUID_ContainerFormatPng, 100, 100, 100, 50},
        {"tall box.jpg", GUID_ContainerFormatJpeg, 1000, 40, 80, 40},
        {"写真.gif", GUID_ContainerFormatGif, 200, 1000, 200, 100},
        // Names the system keeps for devices, made by another program.
        {"aux.png", GUID_ContainerFormatPng, 0, 0, 400, 200},
        {"Com1.jpg", GUID_ContainerFormatJpeg, 0, 0, 400, 200},
    };
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kestrova-wic-test";
    std::filesystem::create_directories(folder);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring path = (folder / WideFromUtf8(c.name)).wstring();
        ASSERT_TRUE(WritePicture(L"\\\\?\\" + path, c.container, 400, 200));
        const auto decoded = DecodePictureFile(Utf8FromWide(path), PixelSize{c.max_w, c.max_h});
        ASSERT_TRUE(decoded.has_value());
        EXPECT_EQ(decoded->natural, (PixelSize{400, 200}));
        EXPECT_EQ(decoded->picture.width, c.want_w);
        EXPECT_EQ(decoded->picture.height, c.want_h);
        ASSERT_EQ(decoded->picture.pixels.size(), static_cast<size_t>(c.want_w) * c.want_h);
        // Red stays on the left, blue on the right, opaque (a lossy format is near enough).
        const std::uint32_t left = decoded->picture.pixels[static_cast<size_t>(c.want_h / 2) * c.want_w + c.want_w / 8];
        const std::uint32_t right = decoded->picture.pixels[static_cast<size_t>(c.want_h / 2) * c.want_w + c.want_w * 7 / 8];
        EXPECT_EQ(left >> 24, 0xFFu);
        EXPECT_GT((left >> 16) & 0xFF, 200u);
        EXPECT_LT(left & 0xFF, 60u);
        EXPECT_GT(right & 0xFF, 200u);
        EXPECT_LT((right >> 16) & 0xFF, 60u);
        ::DeleteFileW((L"\\\\?\\" + path).c_str());
    }
    EXPECT_FALSE(DecodePictureFile(Utf8FromWide((folder / L"none.png").wstring()), PixelSize{}).has_value());
    std::filesystem::remove_all(folder);
    CoUninitialize();
}

// Four quarters of four colours, each a chequer of 8-pixel squares with
// white: squeezed along one axis and stretched back, or turned the wrong
// way, it differs everywhere.
std::uint32_t QuarterColour(UINT x, UINT y, UINT width, UINT height) {
    const std::uint32_t colours[] = {0xFF0000, 0x0000FF, 0x008000, 0x000000};
    const std::uint32_t colour = colours[(y * 2 / height) * 2 + x * 2 / width];
    return (x / 8 + y / 8) % 2 ? colour : 0xFFFFFF;
}

// Puts an EXIF orientation tag into a JPEG file, right after its start.
void TagOrientation(const std::filesystem::path& path, int orientation) {
    std::string jpeg;
    {
        std::ifstream in(path, std::ios::binary);
        jpeg.assign(std::istreambuf_iterator<char>(in), {});
    }
    const unsigned char exif[] = {0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3,
                                  0, 1, 0, 0, 0, static_cast<unsigned char>(orientation), 0, 0, 0, 0, 0, 0, 0};
    jpeg.insert(2, reinterpret_cast<const char*>(exif), sizeof exif);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << jpeg;
}

double MeanDifference(const Picture& a, const Picture& b) {
    double sum = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        for (int shift : {0, 8, 16}) sum += std::abs(int(a.pixels[i] >> shift & 0xff) - int(b.pixels[i] >> shift & 0xff));
    }
    return sum / (3.0 * static_cast<double>(a.pixels.size()));
}

// A photo taken turned decodes as the same photo stored upright would, at
// every size it is fitted into.
TEST(Pictures, ATurnedPictureDecodesLikeTheSamePictureStoredUpright) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kestrova-wic-turned";
    std::filesystem::create_directories(folder);
    const UINT w = 192, h = 96;
    const std::filesystem::path turned = folder / "turned.jpg";
    const std::filesystem::path upright = folder / "upright.jpg";
    ASSERT_TRUE(WritePicture(turned.wstring(), GUID_ContainerFormatJpeg, w, h,
                             [&](UINT x, UINT y) { return QuarterColour(x, y, w, h); }));
    TagOrientation(turned, 6);  // turned a quarter clockwise to be seen upright
    // The upright picture's (x, y) is the stored one's (y, h - 1 - x).
    ASSERT_TRUE(WritePicture(upright.wstring(), GUID_ContainerFormatJpeg, h, w,
                             [&](UINT x, UINT y) { return QuarterColour(y, h - 1 - x, w, h); }));
    const auto probe = DecodePictureFile(Utf8FromWide(turned.wstring()), PixelSize{});
    ASSERT_TRUE(probe.has_value());
    if (probe->natural == (PixelSize{192, 96})) {
        std::filesystem::remove_all(folder);
        GTEST_SKIP() << "this system's decoder does not read orientation tags";
    }
    for (const PixelSize fit : {PixelSize{}, PixelSize{48, 96}, PixelSize{40, 40}, PixelSize{96, 48}}) {
        SCOPED_TRACE(std::to_string(fit.width) + "x" + std::to_string(fit.height));
        const auto got = DecodePictureFile(Utf8FromWide(turned.wstring()), fit);
        const auto want = DecodePictureFile(Utf8FromWide(upright.wstring()), fit);
        ASSERT_TRUE(got && want);
        EXPECT_EQ(got->natural, (PixelSize{96, 192}));
        ASSERT_EQ((PixelSize{got->picture.width, got->picture.height}), (PixelSize{want->picture.width, want->picture.height}));
        EXPECT_LT(MeanDifference(got->picture, want->picture), 16.0);
    }
    std::filesystem::remove_all(folder);
    CoUninitialize();
}

}  // namespace
}  // namespace kestrova
