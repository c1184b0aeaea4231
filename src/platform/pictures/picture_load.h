#pragma once
// Pictures decoded for showing: no larger than they will be drawn, upright,
// within a fixed memory budget, and, when asked, ahead of need on a worker
// thread.
#include <cstdint>
#include <optional>

#include "picture.h"

namespace kestrova {

// In pixels.
struct PixelSize {
    int width = 0;
    int height = 0;
    bool Empty() const { return width <= 0 || height <= 0; }
    bool operator==(const PixelSize&) const = default;
};

// The most memory one decode may hold in pixels at a time. A picture that
// would need more, even decoded reduced, is not shown: the program stays
// small and the window keeps answering whatever a file declares.
inline constexpr std::int64_t kPictureDecodeBudgetBytes = std::int64_t{192} * 1024 * 1024;

// A decoded picture and the size of the whole picture, upright (the file's
// orientation tag applied), which the fitting works on.
struct LoadedPicture {
    Picture picture;
    PixelSize natural;
};

// The size a picture of `natural` size is decoded at for drawing into `box`:
// reduced to fit, aspect kept, never enlarged (enlarging is left to drawing,
// which costs no memory). An empty box asks for the natural size.
PixelSize FitInside(PixelSize natural, PixelSize box);
// A picture stored at `stored` size and tagged with `orientation` (counted
// as for Upright), fitted into `box`: its upright size, which the fitting
// works on, and the size it is reduced to on its stored axes, before it is
// turned, as decoders that reduce while they read must.
struct StoredFit {
    PixelSize natural;
    PixelSize reduced;
};
StoredFit FitStoredInside(PixelSize stored, int orientation, PixelSize box);
// The picture as it is seen, from the picture as it is stored and its
// orientation, counted as the camera's EXIF tag counts (1 as stored, 6 a
// quarter turn clockwise, 2 to 8 the eight ways of turning and mirroring).
Picture Upright(const Picture& stored, int orientation);
// Whether `size` pixels of `bytes_per_pixel` bytes, and what the decoder
// keeps besides, fit the decode budget.
bool WithinDecodeBudget(PixelSize size, int bytes_per_pixel, std::int64_t decoder_bytes = 0);
// Whether a picture of `stored` size may be decoded at all: its pixels
// whole, at 32 bits each, within the budget. Decoders that reduce a piece
// at a time (a TIFF's strips, lossy WebP's rows) never hold them so, yet
// still decode every one; what a header claims meets the rule of the
// readers that do hold them, and a huge claim is refused before any work.
bool PixelCountWithinBudget(PixelSize stored);

// A decode started ahead of need. Destroying it unused drops it: a decode
// not yet begun never runs, one under way is thrown away when it ends.
class PendingPicture {
public:
    virtual ~PendingPicture() = default;
    // True once Take returns without waiting.
    virtual bool Ready() = 0;
    // The result (nullopt: not readable, or over the budget); waits for it
    // when not ready. Only the first call gets the picture.
    virtual std::optional<LoadedPicture> Take() = 0;
};

}  // namespace kestrova
