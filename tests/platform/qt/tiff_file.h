#pragma once
// TIFF files written by libtiff in the layouts cameras, scanners and editors
// use (strips of any height, tiles, compressed, samples plane by plane,
// alpha, an orientation tag), from a picture the test makes.
#include <tiffio.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kestrova::tiff_test {

// Rows of 8-bit red, green, blue and alpha.
struct RgbaPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
    const std::uint8_t* At(int x, int y) const { return rgba.data() + (static_cast<size_t>(y) * width + x) * 4; }
};

struct Layout {
    int rows_per_strip = 0;  // 0: tiled
    int tile = 0;            // the tiles' width and length
    int compression = COMPRESSION_NONE;
    int orientation = 0;  // 0: no tag
    bool separate = false;  // each sample's plane after the other
    bool alpha = false;     // the fourth sample kept, as unassociated alpha
};

// "" when written, else what failed.
inline std::string WriteTiff(const std::string& path, const RgbaPicture& picture, const Layout& layout) {
    struct Close {
        void operator()(TIFF* tif) const { TIFFClose(tif); }
    };
    const std::unique_ptr<TIFF, Close> tif(TIFFOpen(path.c_str(), "w"));
    if (!tif) return "cannot open " + path;
    TIFF* t = tif.get();
    const int samples = layout.alpha ? 4 : 3;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(picture.width));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(picture.height));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_COMPRESSION, layout.compression);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, layout.separate ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    if (layout.alpha) {
        const std::uint16_t extra = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    if (layout.orientation) TIFFSetField(t, TIFFTAG_ORIENTATION, layout.orientation);
    auto sample = [&](int x, int y, int s) { return picture.At(x, y)[s]; };
    if (layout.rows_per_strip == 0) {
        TIFFSetField(t, TIFFTAG_TILEWIDTH, layout.tile);
        TIFFSetField(t, TIFFTAG_TILELENGTH, layout.tile);
        std::vector<std::uint8_t> tile(static_cast<size_t>(layout.tile) * layout.tile * samples);
        for (int ty = 0; ty < picture.height; ty += layout.tile) {
            for (int tx = 0; tx < picture.width; tx += layout.tile) {
                std::fill(tile.begin(), tile.end(), 0);
                for (int y = ty; y < std::min(ty + layout.tile, picture.height); ++y) {
                    for (int x = tx; x < std::min(tx + layout.tile, picture.width); ++x) {
                        for (int s = 0; s < samples; ++s) {
                            tile[(static_cast<size_t>(y - ty) * layout.tile + (x - tx)) * samples + s] = sample(x, y, s);
                        }
                    }
                }
                if (TIFFWriteTile(t, tile.data(), tx, ty, 0, 0) < 0) return "tile not written";
            }
        }
        return "";
    }
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, layout.rows_per_strip);
    std::vector<std::uint8_t> row(static_cast<size_t>(picture.width) * samples);
    for (int plane = 0; plane < (layout.separate ? samples : 1); ++plane) {
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                if (layout.separate) {
                    row[static_cast<size_t>(x)] = sample(x, y, plane);
                } else {
                    for (int s = 0; s < samples; ++s) row[static_cast<size_t>(x) * samples + s] = sample(x, y, s);
                }
            }
            if (TIFFWriteScanline(t, row.data(), static_cast<std::uint32_t>(y), static_cast<std::uint16_t>(plane)) < 0) {
                return "row not written";
            }
        }
    }
    return "";
}

}  // namespace kestrova::tiff_test
