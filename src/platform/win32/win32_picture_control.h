#pragma once
// Image controls and picture boxes: the picture at its natural size (at the
// monitor's scale) from the top left corner, or stretched over the control.
#include <windows.h>

#include "platform/model/controls.h"
#include "win32_window.h"

namespace kestrova {

class PictureControl final : public Window {
public:
    PictureControl(const ImageControl& control, HWND parent, UINT id);
    ~PictureControl() override;
    // Call after the control's picture, stretch or colour changed.
    void PictureChanged();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    void Paint(HDC dc);
    const ImageControl& control_;
    // The last picture made ready for drawing, premultiplied at its drawn size.
    const Picture* prepared_for_ = nullptr;
    SIZE prepared_size_{};
    HBITMAP prepared_ = nullptr;
};

// Draws a picture with its transparency into target, choosing the densest
// rendering the target needs.
void DrawPictureBlended(HDC dc, const Picture& picture, const RECT& target, HBITMAP& cache, SIZE& cache_size);

}  // namespace kestrova
