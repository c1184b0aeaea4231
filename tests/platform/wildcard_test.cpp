#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/system/files.h"

namespace kestrova {
namespace {

TEST(Wildcard, MatchesAnyPattern) {
    const std::tuple<std::string, std::string, bool> cases[] = {
        {"A.MPG", "*.avi;*.mpg;*.wmv", true},   {"a.mp4", "*.avi;*.mpg;*.wmv", false},
        {"movie.avi", " *.mpg ;\t*.AVI ", true}, {"movie.avi", "*.mpg;;", false},
        {"movie.avi", "", false},                {"movie.avi", " ; ", false},
        {"a.txt.bak", "*.txt", false},           {"x.avi.part", "*.avi*", true},
        // "*.*" takes every name; "x.*" also takes "x".
        {"abc", "*.*", true},     {".hidden", "*.*", true},  {"abc", "abc.*", true}, {"abcd", "abc.*", false},
        // A trailing dot asks for names without an extension.
        {"README", "*.", true},   {"readme.txt", "*.", false}, {"x.txt", "*.txt.", true},
        {"abc", "a?c", true},     {"abbc", "a?c", false},    {"ac", "a?c", false},
        {"readme", "r*d*e", true}, {"readme", "r*x", false},  {"aa", "a*a*a", false},
        // A trailing "*" may match nothing at all.
        {"a", "a*", true},        {"x.avi", "*.avi*", true}, {"ab", "a*b**", true}, {"a", "*a*", true},
        // "?" is one character however many bytes it takes; stray bytes are characters too.
        {"あいう.txt", "?いう.*", true}, {"😀.png", "?.png", true},
        {"\xFF.avi", "?.avi", true},     {"\xFF\xFE.avi", "?.avi", false}, {"\xFF.avi", "\xFF.AVI", true},
        // Full-width Latin letters fold like ASCII; kana widths stay distinct.
        {"Ａｂｃ.txt", "ａＢＣ.TXT", true}, {"ア.txt", "ｱ.txt", false},
        // Each folded script at both ends of its capitals; letters of other
        // scripts, and signs between the letters, compare exactly.
        {"Ａ", "ａ", true}, {"Ｚ", "ｚ", true}, {"＠", "｀", false},
        {"À", "à", true}, {"Þ", "þ", true}, {"×", "÷", false}, {"ß", "SS", false},
        {"Α", "α", true}, {"Ω", "ω", true}, {"Σ", "σ", true},
        {"А", "а", true}, {"Я", "я", true}, {"Ѐ", "ѐ", true}, {"Џ", "џ", true}, {"Ё.txt", "ё.TXT", true},
        {"Ա", "ա", false},
    };
    for (const auto& [name, patterns, expected] : cases) {
        EXPECT_EQ(MatchesAnyPattern(name, patterns), expected) << '"' << name << "\" vs \"" << patterns << '"';
    }
}

TEST(Wildcard, ManyStarsOnLongNameFinish) {
    // Backtracking into every star would take astronomically long here.
    const std::string name(20000, 'a');
    EXPECT_FALSE(MatchesAnyPattern(name, "*a*a*a*a*a*a*a*a*a*a*b"));
    EXPECT_TRUE(MatchesAnyPattern(name + "b", "*a*a*a*a*a*a*a*a*a*a*b"));
}

}  // namespace
}  // namespace kestrova
