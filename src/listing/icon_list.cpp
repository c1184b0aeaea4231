#include "icon_list.h"

#include "core/icons.h"

namespace kestrova {

void PrepareIconList(Program& p) {
    ImageList& icons = p.Form1.ImageList1;
    icons.Clear();
    // A view may still hold the old pictures for a moment; wait until the
    // list reports empty, unless the user interrupts.
    do {
        p.services.DoEvents();
        if (IsOn(p.state.AbortRequested)) break;
    } while (icons.Count() != 0);
    icons.SetImageSize(16, 16);
    // Picture 1 marks a scanned file. The interrupt button it would be copied
    // from shows a stop sign, which would make every row look like an error,
    // so the list gets the file page drawn for it instead.
    static const std::shared_ptr<const Picture> scanned = ScannedFileIcon();
    icons.Add(scanned);
    for (ImageControl* source : {&p.Form1.Image4, &p.Form1.Image5, &p.Form1.Image7}) icons.Add(source->GetPicture());
    if (IsOn(p.state.ShowIcons)) p.Form1.ListView1.SetSmallIcons(&icons);
}

}  // namespace kestrova
