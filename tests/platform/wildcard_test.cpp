#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"

namespace kestrova {
namespace {

TEST(Wildcard, MatchesAnyPattern) {
    struct Case {
        std::string name;
        std::string patterns;
        bool expected;
    };
    const Case cases[] = {
        {"A.MPG", "*.avi;*.mpg;*.wmv", true},
        {"a.mp4", "*.avi;*.mpg;*.wmv", false},
        {"clip.Wmv", "*.avi;*.mpg;*.wmv", true},
        {"movie.avi", " *.mpg ;\t*.AVI ", true},
        {"movie.avi", "*.mpg;;", false},
        {"movie.avi", "", false},
        {"movie.avi", " ; ", false},
        {"a.txt.bak", "*.txt", false},
        {"x.avi.part", "*.avi*", true},
        // "*.*" takes every name, with or without a dot.
        {"abc", "*.*", true},
        {"a.b.c", "*.*", true},
        {".hidden", "*.*", true},
        {"abc", "abc.*", true},
        {"abcd", "abc.*", false},
        // A trailing dot asks for names without an extension.
        {"README", "*.", true},
        {"readme.txt", "*.", false},
        {"abc", "abc.", true},
        {"x.txt", "*.txt.", true},
        {"abc", "a?c", true},
        {"abbc", "a?c", false},
        {"ac", "a?c", false},
        {"readme", "r*d*e", true},
        {"readme", "r*x", false},
        {"readme", "*", true},
        {"aaa", "a*a*a", true},
        {"aa", "a*a*a", false},
        // "?" is one character, however many bytes it takes.
        {"あいう.txt", "?いう.*", true},
        {"😀.png", "?.png", true},
        // Full-width Latin letters fold like ASCII ones; other scripts stay exact.
        {"Ａｂｃ.txt", "ａＢＣ.TXT", true},
        {"ア.txt", "ｱ.txt", false},
        // Bytes that are not UTF-8 are single characters matching themselves.
        {"\xFF.avi", "?.avi", true},
        {"\xFF\xFE.avi", "?.avi", false},
        {"\xFF.avi", "\xFF.AVI", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("name=\"" + c.name + "\" patterns=\"" + c.patterns + "\"");
        EXPECT_EQ(MatchesAnyPattern(c.name, c.patterns), c.expected);
    }
}

TEST(Wildcard, ManyStarsOnLongNameFinish) {
    // Backtracking into every star would take astronomically long here.
    const std::string name(20000, 'a');
    EXPECT_FALSE(MatchesAnyPattern(name, "*a*a*a*a*a*a*a*a*a*a*b"));
    EXPECT_TRUE(MatchesAnyPattern(name + "b", "*a*a*a*a*a*a*a*a*a*a*b"));
    EXPECT_FALSE(MatchesAnyPattern(name, "*?*?*?*?*?*?*?*?*.x"));
}

}  // namespace
}  // namespace kestrova
