// The Windows file layer on real files: wide names, attributes, atomic
// replacement, renames that never replace, long paths.
#include "platform/system/files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/text/codepage.h"
#include "platform/windows/long_path.h"
#include "platform/windows/system_error.h"
#include "platform/windows/wide_text.h"
#include "support/temp_dir.h"

#undef DeleteFile

namespace kestrova {
namespace {

using testing::TempDir;

std::wstring LongForm(const std::string& path) { return L"\\\\?\\" + WideFromUtf8(path); }

void WriteWide(const std::string& folder, const std::wstring& name, const std::string& bytes) {
    std::ofstream(std::filesystem::path(LongForm(folder) + L"\\" + name), std::ios::binary) << bytes;
}

TEST(WideText, NamesGoBothWaysUnchanged) {
    const struct {
        std::wstring wide;
        std::string utf8;
    } cases[] = {
        {L"plain.txt", "plain.txt"},
        {L"\x8868\x30BD\x80FD", "\xE8\xA1\xA8\xE3\x82\xBD\xE8\x83\xBD"},  // trail bytes 0x5C in code page 932
        {L"\xD83D\xDE00", "\xF0\x9F\x98\x80"},                            // a pair is one character
        {L"a\xD800" L"b", "a\xED\xA0\x80" "b"},                           // lone high surrogate
        {L"\xDC00", "\xED\xB0\x80"},                                      // lone low surrogate
        {L"\xDC00\xD800", "\xED\xB0\x80\xED\xA0\x80"},                    // the wrong way round: two lone ones
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8FromWide(c.wide), c.utf8);
        EXPECT_EQ(WideFromUtf8(c.utf8), c.wide) << c.utf8;
    }
    EXPECT_EQ(WideFromUtf8("a\xFF" "b\xC3"), L"a\xFFFD" L"b\xFFFD") << "bytes of no character";
}

// The edges of each length of UTF-8 and of the surrogate ranges, both ways.
TEST(WideText, EveryBoundaryGoesBothWaysUnchanged) {
    const struct {
        std::wstring wide;
        std::string utf8;
    } cases[] = {
        {L"\x7F", "\x7F"},
        {L"\x80", "\xC2\x80"},
        {L"\x7FF", "\xDF\xBF"},
        {L"\x800", "\xE0\xA0\x80"},
        {L"\xD7FF", "\xED\x9F\xBF"},                             // the last before the surrogates
        {L"\xD800", "\xED\xA0\x80"},                             // the first, alone
        {L"\xDBFF", "\xED\xAF\xBF"},                             // the last high one, alone
        {L"\xDFFF", "\xED\xBF\xBF"},                             // the last surrogate, alone
        {L"\xE000", "\xEE\x80\x80"},                             // the first after them
        {L"\xFFFF", "\xEF\xBF\xBF"},
        {L"\xD800\xDC00", "\xF0\x90\x80\x80"},                     // the first pair
        {L"\xDBFF\xDFFF", "\xF4\x8F\xBF\xBF"},                     // the last pair
        {L"\xDBFF\xE000", "\xED\xAF\xBF\xEE\x80\x80"},             // a high one before no low one
        {L"a\xDBFF", "a\xED\xAF\xBF"},                           // a high one at the very end
        {L"\xDFFF\xDBFF\xDFFF", "\xED\xBF\xBF\xF4\x8F\xBF\xBF"},   // a lone low one, then a pair
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8FromWide(c.wide), c.utf8) << c.utf8;
        EXPECT_EQ(WideFromUtf8(c.utf8), c.wide) << c.utf8;
    }
    // What is no character: one U+FFFD for each byte that starts none.
    const struct {
        std::string utf8;
        std::wstring wide;
    } broken[] = {
        {"\xC1\xBF", L"\xFFFD\xFFFD"},                       // overlong
        {"\xE0\x9F\xBF", L"\xFFFD\xFFFD\xFFFD"},               // overlong
        {"\xF0\x8F\xBF\xBF", L"\xFFFD\xFFFD\xFFFD\xFFFD"},       // overlong
        {"\xF4\x90\x80\x80", L"\xFFFD\xFFFD\xFFFD\xFFFD"},       // past U+10FFFF
        {"\xF5\x80\x80\x80", L"\xFFFD\xFFFD\xFFFD\xFFFD"},
        {"x\xC3", L"x\xFFFD"},                               // cut at the end
        {"x\xE3\x81", L"x\xFFFD\xFFFD"},
        {"x\xF0\x9F\x98", L"x\xFFFD\xFFFD\xFFFD"},
        {"\xE3\x81x", L"\xFFFD\xFFFDx"},                       // cut by another character
        {"\x80", L"\xFFFD"},
    };
    for (const auto& c : broken) EXPECT_EQ(WideFromUtf8(c.utf8), c.wide) << c.utf8;
}

// Behind "\\?\" the system takes "." and ".." as names, so they are
// stepped through before the prefix goes on; "..b" is a name of its own.
TEST(LongPaths, DotStepsAreResolvedBeforeThePrefix) {
    wchar_t current[32768];
    const DWORD length = ::GetCurrentDirectoryW(32768, current);
    ASSERT_GT(length, 0u);
    std::wstring here(current, length);
    if (here.back() != L'\\') here += L'\\';
    const struct {
        std::string path;
        std::wstring long_form;
    } cases[] = {
        {"C:\\a\\b", L"\\\\?\\C:\\a\\b"},
        {"C:/a/b", L"\\\\?\\C:\\a\\b"},
        {"C:\\a\\..\\b", L"\\\\?\\C:\\b"},
        {"C:\\a\\.\\b", L"\\\\?\\C:\\a\\b"},
        {"C:\\a\\b\\..", L"\\\\?\\C:\\a"},
        {"C:/a/b/../../c", L"\\\\?\\C:\\c"},
        {"C:\\a\\..b", L"\\\\?\\C:\\a\\..b"},
        {"C:\\a\\b..\\.c", L"\\\\?\\C:\\a\\b..\\.c"},
        {"\\\\server\\share\\x\\..\\y", L"\\\\?\\UNC\\server\\share\\y"},
        {"\\\\server\\share\\y", L"\\\\?\\UNC\\server\\share\\y"},
        {"\\\\?\\C:\\a\\..\\b", L"\\\\?\\C:\\a\\..\\b"},  // already long: the caller's own
        {"\\\\.\\pipe\\x", L"\\\\.\\pipe\\x"},                 // a device
        {"rel\\x", L"\\\\?\\" + here + L"rel\\x"},
        {"rel\\..\\x", L"\\\\?\\" + here + L"x"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LongPath(c.path), c.long_form) << c.path;
    }
    EXPECT_EQ(ShortForm(L"\\\\?\\UNC\\server\\share\\y"), L"\\\\server\\share\\y");
    EXPECT_EQ(ShortForm(L"\\\\?\\C:\\a"), L"C:\\a");
    EXPECT_EQ(ShortForm(L"C:\\a"), L"C:\\a");
}

class WindowsFilesTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return dir / name; }
    std::vector<DirEntry> List(int attributes) const {
        const Listing listing = ListFolder(dir.path(), attributes, "*");
        EXPECT_TRUE(listing.ok) << listing.error;
        return listing.entries;
    }
    std::vector<std::string> Names(int attributes) const {
        std::vector<std::string> names;
        for (const DirEntry& e : List(attributes)) names.push_back(e.name);
        return names;
    }
    TempDir dir;
};

// Lists the names written, then takes each through the list file's encoding
// and a rename: every one must still name its file.
void CheckNamesSurvive(const TempDir& dir, const std::vector<std::wstring>& names) {
    const Listing listing = ListFolder(dir.path(), kAttrNormal, "*");
    ASSERT_TRUE(listing.ok) << listing.error;
    ASSERT_EQ(listing.entries.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string name = Utf8FromWide(names[i]);
        SCOPED_TRACE(name);
        const auto entry = std::find_if(listing.entries.begin(), listing.entries.end(), [&](const DirEntry& e) { return e.name == name; });
        ASSERT_NE(entry, listing.entries.end());
        EXPECT_EQ(entry->size, static_cast<std::int64_t>(i + 1));
        const std::string path = dir / name;
        EXPECT_TRUE(NormalFileExists(path));
        const std::string read_back = DecodeFileText(EncodeFileText(path));
        EXPECT_EQ(read_back, path);
        EXPECT_EQ(FileLength(read_back), static_cast<std::int64_t>(i + 1));
        std::string error;
        ASSERT_TRUE(RenameFile(path, path + "-2", error)) << error;
        EXPECT_NE(::GetFileAttributesW((LongForm(dir.path()) + L"\\" + names[i] + L"-2").c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_FALSE(NormalFileExists(path));
    }
}

void WriteNames(const TempDir& dir, const std::vector<std::wstring>& names) {
    for (std::size_t i = 0; i < names.size(); ++i) WriteWide(dir.path(), names[i], std::string(i + 1, 'x'));
}

TEST_F(WindowsFilesTest, OddNamesSurviveListingTheListFileAndRenaming) {
    const std::vector<std::wstring> names = {
        L"\x8868\x30BD\x80FD.txt",  // code page 932, with 0x5C trail bytes
        L"\xD55C\xAD6D\xC5B4.txt",  // Korean: no code page 932 form
        L"\xD83D\xDE00.jpg",        // outside the BMP
        L"\xFF76\xFF85 half.txt",   // half-width katakana
        L"trailing dot.",           // only the long form keeps it
    };
    WriteNames(dir, names);
    CheckNamesSurvive(dir, names);
}

TEST_F(WindowsFilesTest, NamesWithAnUnpairedSurrogateSurviveToo) {
    const std::vector<std::wstring> names = {L"lone\xD800.avi", L"end\xDC00"};
    WriteNames(dir, names);
    if (::GetFileAttributesW((LongForm(dir.path()) + L"\\" + names[0]).c_str()) == INVALID_FILE_ATTRIBUTES) {
        // NTFS takes any 16-bit units; Wine keeps names as UTF-8 on the
        // Linux side, where an unpaired surrogate has no form.
        GTEST_SKIP() << "this file system cannot hold a name with an unpaired surrogate";
    }
    CheckNamesSurvive(dir, names);
}

TEST_F(WindowsFilesTest, HiddenAndSystemFilesNeedTheHiddenBit) {
    for (const char* name : {"shown.avi", "hidden.avi", "system.avi"}) dir.Write(name, "x");
    std::filesystem::create_directory(testing::NativePath(Path("folder")));
    ASSERT_TRUE(::SetFileAttributesW(WideFromUtf8(Path("hidden.avi")).c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(::SetFileAttributesW(WideFromUtf8(Path("system.avi")).c_str(), FILE_ATTRIBUTE_SYSTEM));

    EXPECT_EQ(Names(kAttrNormal), (std::vector<std::string>{"shown.avi"}));
    EXPECT_EQ(Names(kAttrHidden), (std::vector<std::string>{"hidden.avi", "shown.avi", "system.avi"}));
    EXPECT_EQ(Names(kAttrDirectory), (std::vector<std::string>{"folder", "shown.avi"}));
    EXPECT_TRUE(NormalFileExists(Path("shown.avi")));
    EXPECT_FALSE(NormalFileExists(Path("hidden.avi")));
    EXPECT_FALSE(NormalFileExists(Path("system.avi")));
    EXPECT_FALSE(NormalFileExists(Path("folder")));
    EXPECT_TRUE(FolderExists(Path("folder")));
    // The settings and list files are the user's whatever their attributes.
    std::string error;
    for (const char* name : {"shown.avi", "hidden.avi", "system.avi"}) EXPECT_EQ(KindOfPath(Path(name), error), PathKind::File) << name;
    EXPECT_EQ(KindOfPath(Path("folder"), error), PathKind::Folder);
    EXPECT_EQ(KindOfPath(Path("missing"), error), PathKind::Missing);
    EXPECT_EQ(KindOfPath(Path("missing\\below"), error), PathKind::Missing);
}

TEST_F(WindowsFilesTest, AtomicWriteReplacesAndKeepsTheAttributes) {
    constexpr DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    const struct {
        const char* name;
        bool exists_before;
        DWORD attributes;
    } cases[] = {
        {"new.ini", false, 0},
        {"plain.ini", true, FILE_ATTRIBUTE_NORMAL},
        {"hidden.ini", true, FILE_ATTRIBUTE_HIDDEN},
        {"system.ini", true, FILE_ATTRIBUTE_SYSTEM},
        {"both.ini", true, kHiddenSystem},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Path(c.name);
        if (c.exists_before) {
            dir.Write(c.name, "old contents, longer than the new");
            ASSERT_TRUE(::SetFileAttributesW(WideFromUtf8(path).c_str(), c.attributes));
        }
        std::string error;
        ASSERT_TRUE(WriteFileAtomically(path, "new\r\n", error)) << error;
        EXPECT_EQ(dir.Read(c.name), "new\r\n");
        const DWORD now = ::GetFileAttributesW(WideFromUtf8(path).c_str());
        EXPECT_EQ(now & kHiddenSystem, c.attributes & kHiddenSystem);
    }
    EXPECT_EQ(Names(kAttrHidden), (std::vector<std::string>{"both.ini", "hidden.ini", "new.ini", "plain.ini", "system.ini"}))
        << "no temporary is left";

    // A read-only file is the user's word: it is said and left alone.
    dir.Write("locked.ini", "old");
    ASSERT_TRUE(::SetFileAttributesW(WideFromUtf8(Path("locked.ini")).c_str(), FILE_ATTRIBUTE_READONLY));
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(Path("locked.ini"), "new", error));
    EXPECT_EQ(error, WindowsErrorText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(dir.Read("locked.ini"), "old");
    ::SetFileAttributesW(WideFromUtf8(Path("locked.ini")).c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The replace is one step: a reader that looks for the file all through
// many saves never finds it missing. (ReplaceFileW, under Wine, leaves the
// name empty for milliseconds of every save.)
TEST_F(WindowsFilesTest, SavesNeverLeaveAMomentWithoutTheFile) {
    const std::string path = Path("Kestrova.csv");
    const std::wstring wide = WideFromUtf8(path);
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(path, std::string(1 << 20, 'a'), error)) << error;
    std::atomic<bool> saving{true};
    std::atomic<long> looks{0};
    std::atomic<long> missing{0};
    std::thread reader([&] {
        while (saving) {
            if (::GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES) ++missing;
            ++looks;
        }
    });
    for (int save = 0; save < 100; ++save) {
        ASSERT_TRUE(WriteFileAtomically(path, std::string(1 << 20, static_cast<char>('a' + save % 26)), error)) << error;
        // The reader looks at least once during every save.
        const long seen = looks;
        while (looks == seen) std::this_thread::yield();
    }
    saving = false;
    reader.join();
    EXPECT_GT(looks, 100);
    EXPECT_EQ(missing, 0) << "of " << looks << " looks";
}

TEST_F(WindowsFilesTest, RenameNeverReplacesAnotherFile) {
    const struct {
        const char* to;
        bool ok;
        std::vector<std::string> after;
    } cases[] = {
        {"b.txt", false, {"a.txt", "b.txt"}},  // taken: b.txt must survive
        {"A.TXT", true, {"A.TXT", "b.txt"}},   // the same file, another case
        {"c.txt", true, {"b.txt", "c.txt"}},
        {"missing\\c.txt", false, {"a.txt", "b.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.to);
        for (const DirEntry& e : List(kAttrNormal)) std::filesystem::remove(testing::NativePath(Path(e.name)));
        dir.Write("a.txt", "a");
        dir.Write("b.txt", "b");
        std::string error;
        EXPECT_EQ(RenameFile(Path("a.txt"), Path(c.to), error), c.ok);
        EXPECT_EQ(Names(kAttrNormal), c.after);
        EXPECT_EQ(dir.Read("b.txt"), "b");
        EXPECT_EQ(error.empty(), c.ok);
    }
    std::string error;
    ASSERT_FALSE(RenameFile(Path("A.TXT"), Path("b.txt"), error));
    EXPECT_EQ(error, WindowsErrorText(ERROR_ALREADY_EXISTS));
}

TEST(WindowsNames, ARenameMakesNoNameWindowsCannotHandle) {
    const char* refused[] = {
        "x.txt.", "x.txt ", "x.txt. ", "...",                                // a trailing dot or blank
        "aux", "AUX.txt", "aux.tar.gz", "Nul .txt", "con", "PRN.log",       // devices, with or without an extension
        "COM1", "com9.txt", "LPT1.doc", "lpt5", "COM\xC2\xB9.txt", "conin$",  // ports, superscript digits too
        "a<b", "a>b", "a:b", "a\"b", "a|b", "a?b", "a*b", "a\\b", "a/b",     // characters of paths and patterns
        "tab\there", "bell\x07", "\x1F",                                      // control characters
    };
    for (const char* name : refused) {
        std::string error;
        EXPECT_FALSE(CheckNewFileName(name, error)) << name;
        EXPECT_EQ(error, WindowsErrorText(ERROR_INVALID_NAME)) << name;
    }
    const char* taken[] = {"com10.txt", "auxiliary.txt", "con-fig.ini", "lpt.txt", "com.txt", "x.y", ".profile",
                           "\xE5\x90\x8D\xE5\x89\x8D.txt", "nul-free", "a b.c"};
    for (const char* name : taken) {
        std::string error;
        EXPECT_TRUE(CheckNewFileName(name, error)) << name << ": " << error;
    }
}

// Other programs make such files through the long form of their paths; a
// refresh lists them, and they open, rename and go away like any other.
TEST_F(WindowsFilesTest, FilesOfNamesWindowsRefusesStillListRenameAndDelete) {
    const std::vector<std::wstring> names = {L"aux.txt", L"x.txt. ", L"nul", L"Com1.log"};
    WriteNames(dir, names);
    const std::vector<std::string> listed = Names(kAttrNormal);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string name = Utf8FromWide(names[i]);
        SCOPED_TRACE(name);
        EXPECT_NE(std::find(listed.begin(), listed.end(), name), listed.end());
        const std::string path = Path(name);
        EXPECT_TRUE(NormalFileExists(path));
        EXPECT_EQ(FileLength(path), static_cast<std::int64_t>(i + 1));
        std::string error;
        EXPECT_EQ(ReadFileBytes(path, error), std::string(i + 1, 'x')) << error;
    }
    std::string error;
    ASSERT_TRUE(RenameFile(Path("aux.txt"), Path("auxiliary.txt"), error)) << error;
    EXPECT_EQ(dir.Read("auxiliary.txt"), "x");
    ASSERT_TRUE(RenameFile(Path("x.txt. "), Path("x.txt"), error)) << error;
    EXPECT_EQ(dir.Read("x.txt"), "xx");
    for (const char* name : {"nul", "Com1.log"}) {
        EXPECT_TRUE(DeleteFile(Path(name), error)) << name << ": " << error;
    }
    EXPECT_EQ(Names(kAttrNormal), (std::vector<std::string>{"auxiliary.txt", "x.txt"}));
}

TEST_F(WindowsFilesTest, PathsBeyondTheOldLimitWork) {
    // 20 levels of 20 characters: over 400 characters, past MAX_PATH.
    std::string path = dir.path();
    for (int depth = 0; depth < 20; ++depth) {
        path += "\\" + std::string(20, static_cast<char>('a' + depth));
        ASSERT_TRUE(::CreateDirectoryW(LongForm(path).c_str(), nullptr)) << depth;
    }
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(path + "\\deep.ini", "deep", error)) << error;
    EXPECT_EQ(ReadFileBytes(path + "\\deep.ini", error), "deep");
    EXPECT_EQ(FileLength(path + "\\deep.ini"), 4);
    const FolderHandle deep = OpenFolder(path, error);
    ASSERT_TRUE(deep.is_open()) << error;
    const Listing listing = ListFolder(deep, kAttrNormal, "*.ini");
    ASSERT_TRUE(listing.ok) << listing.error;
    ASSERT_EQ(listing.entries.size(), 1u);
    EXPECT_EQ(listing.entries[0].name, "deep.ini");
    // Up by "..", as a walk climbs, and down again by name.
    const FolderHandle up = OpenSubfolder(deep, "..", error);
    ASSERT_TRUE(up.is_open()) << error;
    EXPECT_EQ(up.Identity(), OpenFolder(ParentFolder(path), error).Identity());
    EXPECT_EQ(OpenSubfolder(up, BaseName(path), error).Identity(), deep.Identity());
    // A path with ".." in it, past the old limit: a folder row may hold one.
    const std::string round = path + "\\..\\" + BaseName(path) + "\\.\\deep.ini";
    EXPECT_EQ(ReadFileBytes(round, error), "deep") << error;
    EXPECT_EQ(OpenFolder(path + "\\..", error).Identity(), up.Identity()) << error;
    EXPECT_TRUE(DeleteFile(path + "/deep.ini", error)) << error << ": \"/\" separates names too";
    EXPECT_FALSE(NormalFileExists(path + "\\deep.ini"));
    // The standard library cannot remove what lies beyond the old limit.
    for (; path.size() > dir.path().size(); path = ParentFolder(path)) ::RemoveDirectoryW(LongForm(path).c_str());
}

}  // namespace
}  // namespace kestrova
