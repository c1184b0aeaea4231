#pragma once
// A headless program with pictures in its list, for slideshow tests.
#include <string>
#include <vector>

#include "support/program_fixture.h"

namespace kestrova::testing {

class ViewerTest : public ProgramTest {
protected:
    // Adds a selected row for a file that exists; a picture of the given
    // size is registered for it unless the size is 0.
    std::string AddFile(const std::string& name, int width = 0, int height = 0, bool selected = true) {
        dir.Write("pics/" + name, "x");
        const std::string path = dir / ("pics/" + name);
        if (width > 0) services.AddPicture(path, Solid(width, height));
        AddRow(name, selected);
        return path;
    }
    void AddRow(const std::string& name, bool selected = true) {
        ListRow row;
        row.text = name;
        row.sub[0] = dir / "pics";
        row.selected = selected;
        p().Form1.ListView1.AddRow(std::move(row));
    }
    static Picture Solid(int width, int height) {
        Picture picture;
        picture.width = width;
        picture.height = height;
        picture.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0xff336699u);
        return picture;
    }
    // Every distinct text the control showed, turn by turn.
    void Watch(const Control& control) {
        services.When([this, &control] {
            const std::string& now = control.Caption();
            if (seen.empty() || seen.back() != now) seen.push_back(now);
            return false;
        }, [] {});
    }
    // Runs action at the first turn where condition holds.
    void When(std::function<bool()> condition, std::function<void()> action) {
        services.When(std::move(condition), std::move(action));
    }
    bool Shows(const Label& label, const std::string& prefix) const { return label.Caption().rfind(prefix, 0) == 0; }

    std::vector<std::string> seen;
};

}  // namespace kestrova::testing
