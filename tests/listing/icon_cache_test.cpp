#include <gtest/gtest.h>

#include <map>

#include "listing/icon_cache.h"
#include "listing_fixture.h"

namespace kestrova {
namespace {

using testing::ListingTest;

std::string Record(const std::string& field, unsigned char image) { return field + std::string{static_cast<char>(image), 0, 0, 0}; }

TEST(IconCacheKeys, ExtensionIsWhatFollowsTheLastDotCutToFiveCodePageBytes) {
    const struct {
        const char* name;
        const char* extension;
        const char* field;
    } cases[] = {
        {"a.jpg", "jpg", "jpg  "},
        {"a.b.JPG", "JPG", "JPG  "},
        {"noext", "", "     "},
        {"dot.", "", "     "},
        {"x.jpeg12", "jpeg12", "jpeg1"},
        {"x.写真x", "写真x", "\x8E\xCA\x90\x5Ex"},
        {"x.写真真", "写真真", "\x8E\xCA\x90\x5E "},  // no half character
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileExtension(c.name), c.extension) << c.name;
        EXPECT_EQ(ExtensionField(c.extension), c.field) << c.name;
    }
}

TEST_F(ListingTest, PerFileIconsAreSharedByExactExtensionThroughARecordFile) {
    for (const char* name : {"a.jpg", "b.jpg", "c.JPG", "d.bmp", "e.BMP", "f.exe", "g.exe", "h", "i", "j.jpeg1",
                             "k.jpeg12"}) {
        WriteSized(std::string("icons/") + name, 1);
    }
    SetRow(1, dir / "icons");
    state().ShowIcons = 1;
    state().IconMode = 1;
    SettingsToScreen(p());
    std::string records;
    services.When([&] { return list().Count() == 11; }, [&] { records = dir.Read("Kestrova.Ck2"); });
    Refresh();
    std::map<std::string, int> icon;
    for (std::int32_t i = 1; i <= list().Count(); ++i) icon[list().RowText(i)] = list().RowIcon(i);
    EXPECT_EQ(icon["a.jpg"], 5);
    EXPECT_EQ(icon["b.jpg"], 5) << "one extraction for both";
    EXPECT_EQ(icon["c.JPG"], 6) << "extensions compare exactly";
    EXPECT_EQ(icon["d.bmp"], kBitmapImage);
    EXPECT_EQ(icon["e.BMP"], kBitmapImage);
    EXPECT_EQ(icon["f.exe"], 7);
    EXPECT_EQ(icon["g.exe"], 8) << "each program file is extracted";
    EXPECT_EQ(icon["h"], 9);
    EXPECT_EQ(icon["i"], 9);
    EXPECT_EQ(icon["j.jpeg1"], 10);
    EXPECT_EQ(icon["k.jpeg12"], 10) << "the first five characters decide";
    EXPECT_EQ(p().Form1.ImageList1.Count(), 10);
    EXPECT_EQ(records, Record("BMP  ", 4) + Record("bmp  ", 4) + Record("jpg  ", 5) + Record("JPG  ", 6) +
                           Record("exe  ", 7) + Record("exe  ", 8) + Record("     ", 9) + Record("jpeg1", 10));
    EXPECT_FALSE(dir.Exists("Kestrova.Ck2")) << "the cache lives only while the refresh runs";

    // What the user sees is the picture: every row shows its own file's
    // icon, pixel for pixel, though all of them are of one size.
    const ImageList& images = p().Form1.ImageList1;
    for (std::int32_t i = 1; i <= list().Count(); ++i) {
        const std::string name = list().RowText(i);
        if (FileExtension(name) == "bmp" || FileExtension(name) == "BMP") continue;
        // Extensions alike in their first five characters share the first one's icon.
        const Picture own = services.AssociatedIcon(dir / ("icons/" + (name == "k.jpeg12" ? "j.jpeg1" : name)));
        const Picture& shown = *images.Item(list().RowIcon(i));
        EXPECT_TRUE(shown.width == own.width && shown.height == own.height && shown.pixels == own.pixels) << name;
    }
    EXPECT_NE(images.Item(icon["a.jpg"])->pixels, images.Item(icon["c.JPG"])->pixels);
    EXPECT_EQ(images.Item(icon["f.exe"]), images.Item(icon["g.exe"])) << "equal pictures are held once";

    state().IconMode = 0;
    SizeCheck(true);
    SettingsToScreen(p());
    Refresh();
    for (std::int32_t i = 1; i <= list().Count(); ++i) {
        EXPECT_EQ(list().RowIcon(i), i == 1 ? kScannedImage : kSameSizeImage) << "simple icons: " << list().RowText(i);
    }
}

}  // namespace
}  // namespace kestrova
