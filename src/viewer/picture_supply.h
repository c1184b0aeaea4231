#pragma once
// Decoded pictures for the slideshow: the one shown, kept for a redisplay,
// and the next one of the pass, decoded on the backend's worker while the
// current one is shown, so the display time hides the decoding.
#include <cstdint>
#include <memory>
#include <string>

#include "core/program.h"
#include "platform/system/file_stamp.h"

namespace kestrova {

class PictureSupply final : public LayerCache {
public:
    // The row of the pass CurrentFilePath came from (0: none) and the row
    // count the pass read at its start.
    void SetRow(std::int32_t row, std::int32_t pass_rows);
    // The picture of `path` decoded for drawing into `box`: the one kept or
    // decoded ahead when it is of the same file, unchanged since, for the
    // same box; otherwise decoded now, the event loop turning meanwhile.
    // nullptr when the file cannot be shown.
    std::shared_ptr<const LoadedPicture> Get(Program& p, const std::string& path, PixelSize box);
    // Makes sure the picture that follows the current row is decoded or on
    // its way, for the window FullScreenView picks now; one decoded ahead
    // that no longer follows, or whose file changed, is dropped.
    void PrepareNext(Program& p);
    // Drops every picture: the slideshow is over.
    void Clear();

private:
    struct Key {
        std::string path;
        PixelSize box;
        FileStamp stamp;
        bool operator==(const Key&) const = default;
    };

    std::int32_t row_ = 0;
    std::int32_t pass_rows_ = 0;
    std::shared_ptr<const LoadedPicture> shown_;
    Key shown_key_;
    std::unique_ptr<PendingPicture> ahead_;
    Key ahead_key_;
};

PictureSupply& PictureSupplyOf(Program& p);
// The box a picture is decoded for in the window FullScreenView picks, in
// the device pixels of its screen: the screen for Form4, Form5's size
// (where it is about to be placed, before its first picture of a pass).
PixelSize DecodeBox(Program& p);

}  // namespace kestrova
