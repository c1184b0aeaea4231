// Which pictures the slideshow decodes ahead, which it takes and which it
// drops, when the user acts while the first picture is shown.
#include <gtest/gtest.h>

#include <sstream>

#include "mainwin/main_window.h"
#include "platform/model/user_input.h"
#include "viewer/slideshow.h"
#include "viewer/viewer_actions.h"
#include "viewer_fixture.h"

namespace kestrova {
namespace {

class DecodeAheadTest;

struct DecodeCase {
    const char* name;
    const char* rows;  // file names, blank-separated; each a selected picture
    Flag16 loop;
    // Runs once, while the first picture is shown.
    void (*action)(DecodeAheadTest& t);
    // Every decode in the order asked for: name, "+" taken or "-" dropped,
    // "w" when decoded for the windowed viewer's box.
    const char* decodes;
};

class DecodeAheadTest : public testing::ViewerTest, public ::testing::WithParamInterface<DecodeCase> {
public:
    using ViewerTest::AddFile;
    using ViewerTest::p;
    using ViewerTest::services;
    std::string PathOf(const std::string& name) { return dir / ("pics/" + name); }
    // The file gets new contents (and so a new stamp) and a new picture.
    void Rewrite(const std::string& name, int width) {
        dir.Write("pics/" + name, std::string(static_cast<size_t>(width), 'y'));
        services.AddPicture(PathOf(name), Solid(width, width));
    }
    void Click(Form& form) { UserFormMouseDown(form, kLeftButton, 0, 100, 100); }
    void EndAfterTurns(long turns) {
        services.OnTurn(services.Turns() + turns, [this] { Image1_Click(p()); });
    }
    // The turn the first picture came up in.
    long first_shown_at = -1;

    std::string Decodes() const {
        std::ostringstream out;
        for (const RecordedDecode& d : services.Decodes()) {
            if (out.tellp() > 0) out << ' ';
            out << d.path.substr(d.path.rfind(kPathSeparator) + 1);
            out << (d.fate == RecordedDecode::Fate::Taken ? "+" : d.fate == RecordedDecode::Fate::Dropped ? "-" : "?");
            if (!(d.fit == PixelSize{1920, 1080})) out << 'w';
        }
        return out.str();
    }
};

const DecodeCase kCases[] = {
    {"NothingHappens", "a.jpg b.jpg c.jpg", 0, [](DecodeAheadTest&) {}, "a.jpg+ b.jpg+ c.jpg+"},
    {"PausedAndResumed", "a.jpg b.jpg c.jpg", 0,
     [](DecodeAheadTest& t) {
         t.Click(t.p().Form4);
         t.services.OnTurn(t.services.Turns() + 10, [&t] { t.Click(t.p().Form4); });
     },
     "a.jpg+ b.jpg+ c.jpg+"},
    {"NextRowDeleted", "a.jpg b.jpg c.jpg", 0, [](DecodeAheadTest& t) { t.p().Form1.ListView1.RemoveRow(2); },
     "a.jpg+ b.jpg- c.jpg+"},
    {"NextRowRenamed", "a.jpg b.jpg c.jpg", 0,
     [](DecodeAheadTest& t) {
         t.AddFile("b2.jpg", 30, 30, false);
         t.p().Form1.ListView1.SetRowText(2, "b2.jpg");
     },
     "a.jpg+ b.jpg- b2.jpg+ c.jpg+"},
    {"NextFileWrittenAnew", "a.jpg b.jpg c.jpg", 0, [](DecodeAheadTest& t) { t.Rewrite("b.jpg", 7); },
     "a.jpg+ b.jpg- b.jpg+ c.jpg+"},
    {"EnlargedAndRedrawn", "a.jpg b.jpg c.jpg", 0, [](DecodeAheadTest& t) { Form4_KeyDown(t.p(), 0, kShiftMask); },
     "a.jpg+ b.jpg+ c.jpg+"},
    {"ShownFileWrittenAnewThenRedrawn", "a.jpg b.jpg c.jpg", 0,
     [](DecodeAheadTest& t) {
         t.Rewrite("a.jpg", 9);
         Form4_KeyDown(t.p(), 0, kShiftMask);
     },
     "a.jpg+ b.jpg+ a.jpg+ c.jpg+"},
    {"MovedToTheWindow", "a.jpg b.jpg c.jpg", 0,
     [](DecodeAheadTest& t) {
         // A double click: a press, then the double click.
         t.Click(t.p().Form4);
         Form4_DblClick(t.p());
     },
     "a.jpg+ b.jpg- a.jpg+w b.jpg+w c.jpg+w"},
    {"Ended", "a.jpg b.jpg c.jpg", 0, [](DecodeAheadTest& t) { Form4_KeyDown(t.p(), 27, 0); }, "a.jpg+ b.jpg-"},
    {"RepeatOverTwo", "a.jpg b.jpg", 1, [](DecodeAheadTest& t) { t.EndAfterTurns(24); },
     "a.jpg+ b.jpg+ a.jpg+ b.jpg-"},
    {"RepeatOverOne", "a.jpg", 1, [](DecodeAheadTest& t) { t.EndAfterTurns(14); }, "a.jpg+"},
};

TEST_P(DecodeAheadTest, DecodesTakesAndDrops) {
    const DecodeCase& c = GetParam();
    StartProgram([&](SharedState& s) {
        s.FullScreenView = 1;
        s.ViewSeconds = 2;
        s.LoopSetting = c.loop;
    });
    std::istringstream rows(c.rows);
    for (std::string name; rows >> name;) AddFile(name, 40, 30);
    // Each decode takes two turns of the event loop.
    services.SetDecodeTurns(2);
    When([&] { return p().Form4.Drawing().has_value(); }, [&] {
        first_shown_at = services.Turns();
        c.action(*this);
    });
    ViewSelectedItems(p());
    EXPECT_EQ(Decodes(), c.decodes);
    const auto& decodes = services.Decodes();
    if (decodes.size() > 1) {
        EXPECT_LT(decodes[1].turn, first_shown_at) << "the second picture was on its way before the first was up";
    }
    EXPECT_FALSE(p().Form4.Picture1.GetPicture()) << "the show's pictures go with it";
}

INSTANTIATE_TEST_SUITE_P(Actions, DecodeAheadTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrova
