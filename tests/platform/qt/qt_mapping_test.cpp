// Pure translations of the Qt backend: keys, modifiers and buttons into the
// handlers' numbering, desktop network mounts into //HOST/SHARE paths, and
// texts whose bytes are not UTF-8 into readable strings and back.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/model/geometry.h"
#include "platform/posix/gvfs_path.h"
#include "platform/qt/qt_input_map.h"
#include "platform/qt/qt_text.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

TEST(QtKeyMap, KeysBecomeVirtualKeyCodes) {
    struct Case {
        int qt;
        Qt::KeyboardModifiers mods;
        int vk;
    };
    const Case cases[] = {
        {Qt::Key_A, {}, 65},
        {Qt::Key_Z, Qt::ShiftModifier, 90},
        {Qt::Key_0, {}, 48},
        {Qt::Key_9, {}, 57},
        {Qt::Key_5, Qt::KeypadModifier, 101},
        {Qt::Key_Exclam, Qt::ShiftModifier, 49},
        {Qt::Key_F1, {}, 112},
        {Qt::Key_F2, {}, 113},
        {Qt::Key_F12, {}, 123},
        {Qt::Key_Left, {}, 37},
        {Qt::Key_Up, {}, 38},
        {Qt::Key_Right, {}, 39},
        {Qt::Key_Down, {}, 40},
        {Qt::Key_Return, {}, 13},
        {Qt::Key_Enter, Qt::KeypadModifier, 13},
        {Qt::Key_Escape, {}, 27},
        {Qt::Key_Space, {}, 32},
        {Qt::Key_Delete, {}, 46},
        {Qt::Key_Insert, {}, 45},
        {Qt::Key_Shift, Qt::ShiftModifier, 16},
        {Qt::Key_Control, Qt::ControlModifier, 17},
        {Qt::Key_Alt, Qt::AltModifier, 18},
        {Qt::Key_PageUp, {}, 33},
        {Qt::Key_PageDown, {}, 34},
        {Qt::Key_Home, {}, 36},
        {Qt::Key_End, {}, 35},
        {Qt::Key_Backspace, {}, 8},
        {Qt::Key_Tab, {}, 9},
        {Qt::Key_Backtab, Qt::ShiftModifier, 9},
        {Qt::Key_Plus, Qt::KeypadModifier, 107},
        {Qt::Key_Minus, {}, 189},
        {Qt::Key_unknown, {}, 0},
        {Qt::Key_VolumeUp, {}, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(VirtualKey(c.qt, c.mods), c.vk) << "Qt key " << std::hex << c.qt;
}

TEST(QtKeyMap, ModifiersAndButtons) {
    EXPECT_EQ(ShiftMask({}), 0);
    EXPECT_EQ(ShiftMask(Qt::ShiftModifier), kShiftMask);
    EXPECT_EQ(ShiftMask(Qt::ControlModifier | Qt::AltModifier), kCtrlMask | kAltMask);
    EXPECT_EQ(ShiftMask(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::KeypadModifier), 7);
    EXPECT_EQ(MouseButtonCode(Qt::LeftButton), kLeftButton);
    EXPECT_EQ(MouseButtonCode(Qt::RightButton), kRightButton);
    EXPECT_EQ(MouseButtonCode(Qt::MiddleButton), kMiddleButton);
    EXPECT_EQ(MouseButtonCode(Qt::BackButton), 0);
}

TEST(GvfsPath, SharesBecomeNetworkPaths) {
    struct Case {
        const char* path;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"/run/user/1000/gvfs/smb-share:server=nas,share=photos", "//nas/photos"},
        {"/run/user/1000/gvfs/smb-share:server=nas,share=photos/2024/夏", "//nas/photos/2024/夏"},
        {"/run/user/1000/gvfs/smb-share:domain=WG,server=nas.local,share=my%20docs,user=kei/a/", "//nas.local/my docs/a"},
        {"/run/user/1000/gvfs/smb-server:server=nas", "//nas"},
        // Escapes at both ends of a name, in either case of hex digit, and
        // what only looks like one.
        {"/run/user/1000/gvfs/smb-share:server=%6Eas,share=a%2c", "//nas/a,"},
        {"/run/user/1000/gvfs/smb-share:server=nas,share=%25", "//nas/%"},
        {"/run/user/1000/gvfs/smb-share:server=nas,share=100%", "//nas/100%"},
        {"/run/user/1000/gvfs/smb-share:server=nas,share=a%2", "//nas/a%2"},
        {"/run/user/1000/gvfs/smb-share:server=nas,share=a%zz", "//nas/a%zz"},
        {"/run/user/1000/gvfs/smb-share:share=photos", std::nullopt},
        {"/run/user/1000/gvfs/sftp:host=nas,user=kei/home", std::nullopt},
        {"/run/user/1000/gvfs", std::nullopt},
        {"/home/kei/gvfs-notes", std::nullopt},
        {"/mnt/photos", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(GvfsPathToNetworkPath(c.path), c.expected) << c.path;
}

TEST(GvfsPath, NetworkBrowsingStartsAtTheFirstMountPlaceThatExists) {
    auto only = [](std::initializer_list<const char*> dirs) {
        return [set = std::vector<std::string>(dirs.begin(), dirs.end())](const std::string& d) {
            return std::find(set.begin(), set.end(), d) != set.end();
        };
    };
    EXPECT_EQ(NetworkBrowseStart(1000, only({"/run/user/1000/gvfs", "/mnt"})), "/run/user/1000/gvfs");
    EXPECT_EQ(NetworkBrowseStart(1000, only({"/run/user/1001/gvfs", "/media"})), "/media");
    EXPECT_EQ(NetworkBrowseStart(0, only({"/mnt", "/media"})), "/mnt");
    EXPECT_EQ(NetworkBrowseStart(0, only({})), "/");
}

const std::string kLatin1Name = "Fotos-\xE9t\xE9";  // ISO-8859-1 bytes, not UTF-8

TEST(QtText, BytesThatAreNotUtf8AreShownAsLatin1) {
    EXPECT_EQ(ToQString(kLatin1Name), QString::fromUtf8("Fotos-été"));
    EXPECT_EQ(ToQString("\x80 \xA0\xFF"), QString::fromUtf8("€ \u00A0ÿ"));
    EXPECT_EQ(ToQString("写真 🚀 été"), QString::fromUtf8("写真 🚀 été")) << "UTF-8 is shown as it is";
    EXPECT_EQ(ToQString("🚀\xE9"), QString::fromUtf8("🚀é"));
}

TEST(QtText, EditsKeepTheBytesTheUserDidNotTouch) {
    struct Case {
        std::string before;
        const char* edited;  // UTF-8 of what the text box holds afterwards
        std::string expected;
    };
    const Case cases[] = {
        {kLatin1Name, "Fotos-été", kLatin1Name},
        {kLatin1Name, "Fotos-été 2", kLatin1Name + " 2"},
        {kLatin1Name, "Fotos-éXté", "Fotos-\xE9Xt\xE9"},
        {kLatin1Name, "Fotos-ét", "Fotos-\xE9t"},
        {kLatin1Name, "/x/Fotos-été", "/x/" + kLatin1Name},
        {kLatin1Name, "Fotos-étéé", kLatin1Name + "\xC3\xA9"},  // a typed é is UTF-8
        {kLatin1Name, "", ""},
        {"\xE9\xE9", "\xC3\xA9", "\xE9"},                      // one of two equal characters removed
        {"🚀\xE9🚀", "🚀X\xC3\xA9🚀", "🚀X\xE9🚀"},
        {"plain été", "plain étés", "plain étés"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FromEditedQString(QString::fromUtf8(c.edited), c.before), c.expected) << c.edited;
    }
}

TEST(QtText, FolderPickedInTheDialogKeepsItsBytes) {
    testing::TempDir dir;
    ASSERT_EQ(::mkdir((dir / kLatin1Name).c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((dir / kLatin1Name + "/in").c_str(), 0755), 0);
    const std::string picked = dir / kLatin1Name + "/in";
    // The dialog reads the name as Qt does: each stray byte becomes U+FFFD.
    const QString from_dialog = QString::fromUtf8(picked.data(), static_cast<qsizetype>(picked.size()));
    ASSERT_TRUE(from_dialog.contains(QChar(0xFFFD)));
    EXPECT_EQ(PathFromQtDialog(from_dialog), picked);
    EXPECT_EQ(PathFromQtDialog(QString::fromUtf8("/tmp/写真")), "/tmp/写真");
}

}  // namespace
}  // namespace kestrova
