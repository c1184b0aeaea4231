#include "picture_supply.h"

#include <algorithm>

#include "picture_kind.h"
#include "core/selected_rows.h"
#include "platform/system/files.h"

namespace kestrova {
namespace {

// Only a picture the pass will come to and can find is worth decoding.
bool WillBeShown(const ListView& list, std::int32_t row, std::string& path) {
    if (!list.Selected(row)) return false;
    path = RowFilePath(list, row);
    return PictureKindOf(path) != PictureKind::None && NormalFileExists(path);
}

// The path of the next picture the slideshow shows after `row`: later in
// this pass, or with repeat on, from the start of the next pass.
std::optional<std::string> NextPicture(Program& p, std::int32_t row, std::int32_t pass_rows) {
    const ListView& list = p.Form1.ListView1;
    std::string path;
    const std::int32_t last = std::min(pass_rows, list.Count());
    for (std::int32_t i = row + 1; i <= last; ++i) {
        if (WillBeShown(list, i, path)) return path;
    }
    if (!IsOn(p.state.LoopMode)) return std::nullopt;
    for (std::int32_t i = 1; i <= list.Count(); ++i) {
        if (WillBeShown(list, i, path)) return path;
    }
    return std::nullopt;
}

}  // namespace

void PictureSupply::SetRow(std::int32_t row, std::int32_t pass_rows) {
    row_ = row;
    pass_rows_ = pass_rows;
}

std::shared_ptr<const LoadedPicture> PictureSupply::Get(Program& p, const std::string& path, PixelSize box) {
    const std::optional<FileStamp> stamp = FileStampOf(path);
    if (!stamp) return nullptr;
    const Key key{path, box, *stamp};
    if (shown_ && shown_key_ == key) return shown_;
    shown_.reset();
    shown_key_ = key;
    std::unique_ptr<PendingPicture> pending;
    if (ahead_ && ahead_key_ == key) {
        pending = std::move(ahead_);
    } else {
        // Decoded ahead for another box or an older version of this file.
        if (ahead_ && ahead_key_.path == path) ahead_.reset();
        pending = p.services.LoadPictureAhead(path, box);
    }
    // The one after this is queued behind it at once, so nothing that
    // could start now waits for this picture's display.
    PrepareNext(p);
    while (!pending->Ready()) p.services.WaitTurn();
    std::optional<LoadedPicture> loaded = pending->Take();
    if (!loaded || loaded->picture.Empty()) return nullptr;
    shown_ = std::make_shared<const LoadedPicture>(std::move(*loaded));
    shown_key_ = key;
    return shown_;
}

void PictureSupply::PrepareNext(Program& p) {
    if (row_ <= 0) return;
    const std::optional<std::string> next = NextPicture(p, row_, pass_rows_);
    const std::optional<FileStamp> stamp = next ? FileStampOf(*next) : std::nullopt;
    if (!stamp) {
        ahead_.reset();
        return;
    }
    Key key{*next, DecodeBox(p), *stamp};
    if (ahead_ && ahead_key_ == key) return;
    ahead_.reset();
    // The picture shown comes again (repeat over a single picture).
    if (shown_key_ == key) return;
    ahead_ = p.services.LoadPictureAhead(key.path, key.box);
    ahead_key_ = std::move(key);
}

void PictureSupply::Clear() {
    row_ = pass_rows_ = 0;
    ahead_.reset();
    shown_.reset();
}

PictureSupply& PictureSupplyOf(Program& p) {
    if (!p.viewer_cache) p.viewer_cache = std::make_unique<PictureSupply>();
    return static_cast<PictureSupply&>(*p.viewer_cache);
}

// In the screen's device pixels: on a screen scaled to 150 % a picture the
// size of the screen is decoded at that size and drawn 1:1, not decoded at
// two thirds of it and blown up.
PixelSize DecodeBox(Program& p) {
    const SharedState& s = p.state;
    auto box = [](const Form& form, int width, int height) {
        return PixelSize{TwipsToPixels(width, form.ScreenDpi()), TwipsToPixels(height, form.ScreenDpi())};
    };
    if (IsOn(s.FullScreenView)) return box(p.Form4, p.Form4.ScaleWidth(), p.Form4.ScaleHeight());
    // Form5 is drawn into its inner area; its outer size is a few pixels
    // more and is known before the window is placed, so the box stays the
    // same from the first picture of a pass to the last.
    if (s.ViewWindowPlaced == 1) return box(p.Form5, p.Form5.Width(), p.Form5.Height());
    return box(p.Form5, s.ViewWindowWidth, s.ViewWindowHeight);
}

}  // namespace kestrova
