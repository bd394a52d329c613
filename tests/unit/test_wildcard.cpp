// Wildcard matching of file names and the case-blind order of names.
#include <gtest/gtest.h>

#include "toolkit/FileSystem.h"

namespace {

using tk::WildcardMatch;

TEST(Wildcard, StarsAndQuestionMarks) {
    EXPECT_TRUE(WildcardMatch(L"*.jp*g", L"a.jpg"));
    EXPECT_TRUE(WildcardMatch(L"*.jp*g", L"a.jpeg"));
    EXPECT_TRUE(WildcardMatch(L"*.jp*g", L"x.jpng"));
    EXPECT_TRUE(WildcardMatch(L"*.jp*g", L"x.png.jpg"));
    EXPECT_TRUE(WildcardMatch(L"*.jp*g", L".jpg"));
    EXPECT_FALSE(WildcardMatch(L"*.jp*g", L"x.jpe"));
    EXPECT_FALSE(WildcardMatch(L"*.jp*g", L"x.jpeg.bak"));
    EXPECT_FALSE(WildcardMatch(L"*.jp*g", L"x.jpg.png"));
    EXPECT_FALSE(WildcardMatch(L"*.bmp", L"x.bmpx"));
    EXPECT_TRUE(WildcardMatch(L"a?c", L"abc"));
    EXPECT_FALSE(WildcardMatch(L"a?c", L"ac"));
    EXPECT_FALSE(WildcardMatch(L"a?c", L"abbc"));
    EXPECT_TRUE(WildcardMatch(L"*", L""));
    EXPECT_FALSE(WildcardMatch(L"", L"a"));
    EXPECT_TRUE(WildcardMatch(L"**a**b**", L"xxaxxbxx"));
    EXPECT_TRUE(WildcardMatch(L"semi;colon.jpg", L"semi;colon.jpg"));
    EXPECT_TRUE(WildcardMatch(L"[1]*", L"[1] (copy).jpg"));  // brackets are plain characters
}

TEST(Wildcard, LetterCaseIsIgnoredBeyondAscii) {
    EXPECT_TRUE(WildcardMatch(L"*.jp*g", L"PHOTO.JPEG"));
    EXPECT_TRUE(WildcardMatch(L"*.BmP", L"mixed.bMp"));
    EXPECT_TRUE(WildcardMatch(L"café*", L"CAFÉ.jpg"));
    EXPECT_TRUE(WildcardMatch(L"пейзаж.*", L"Пейзаж.jpeg"));
    EXPECT_TRUE(WildcardMatch(L"ŁÓDŹ.gif", L"łódź.GIF"));
    EXPECT_TRUE(WildcardMatch(L"ÿ", L"Ÿ"));
    EXPECT_TRUE(WildcardMatch(L"ΣΟΦΙΑ", L"σοφια"));
    EXPECT_FALSE(WildcardMatch(L"e*", L"é.jpg"));  // accents are not dropped
    EXPECT_FALSE(WildcardMatch(L"i", L"ı"));       // dotless i has no simple pair
    // The same lower-casing as everywhere else in the programs.
    EXPECT_TRUE(WildcardMatch(L"\u0189*.jpg", L"\u0256x.JPG"));
    EXPECT_TRUE(WildcardMatch(L"\u01C4.*", L"\u01C6.bmp"));
    EXPECT_TRUE(WildcardMatch(L"\u1F88?", L"\u1F80a"));
    EXPECT_FALSE(WildcardMatch(L"k*", L"\u212A.jpg"));  // the Kelvin sign stays a sign
}

TEST(Wildcard, TrailingDotStarAlsoMatchesNamesWithoutExtension) {
    EXPECT_TRUE(WildcardMatch(L"*.*", L"photo"));
    EXPECT_TRUE(WildcardMatch(L"*.*", L"photo.jpg"));
    EXPECT_TRUE(WildcardMatch(L"photo.*", L"photo"));
    EXPECT_TRUE(WildcardMatch(L"photo.*", L"PHOTO.bmp"));
    EXPECT_FALSE(WildcardMatch(L"photo.*", L"photos"));
    EXPECT_FALSE(WildcardMatch(L"*x.*", L"y.x"));  // that name has an extension, "x"
    EXPECT_FALSE(WildcardMatch(L"*.jpg", L"photo"));
    EXPECT_TRUE(WildcardMatch(L"*.", L"photo"));
    EXPECT_FALSE(WildcardMatch(L"*.", L"photo.jpg"));
    EXPECT_TRUE(WildcardMatch(L"*.*", L"a.b.c"));
    EXPECT_TRUE(WildcardMatch(L"a*.b*", L"a1.b2.b3"));  // "a1.b2" before the last dot, "b3" after
}

TEST(Wildcard, LongNamesMatchQuickly) {
    const std::wstring name(5000, L'a');
    EXPECT_FALSE(WildcardMatch(L"*a*a*a*a*a*a*a*a*a*a*b", name));  // would be exponential if recursive
    EXPECT_TRUE(WildcardMatch(L"*a*a*a*a*a*a*a*a*a*a*", name));
}

TEST(Wildcard, CaseBlindOrderTieBreaksExactly) {
    EXPECT_LT(tk::CompareNoCase(L"apple", L"Banana"), 0);
    EXPECT_GT(tk::CompareNoCase(L"banana", L"Apple"), 0);
    EXPECT_LT(tk::CompareNoCase(L"ab", L"ABC"), 0);
    EXPECT_NE(tk::CompareNoCase(L"A", L"a"), 0);
    EXPECT_EQ(tk::CompareNoCase(L"A", L"a"), -tk::CompareNoCase(L"a", L"A"));
    EXPECT_EQ(tk::CompareNoCase(L"éclair", L"ÉCLAIR") == 0, false);
    EXPECT_LT(tk::CompareNoCase(L"éclair", L"ÉCLAIRS"), 0);
    EXPECT_GT(tk::CompareNoCase(L"\u0189", L"\u00e9"), 0);  // by U+0256, its lower-case form
}

}  // namespace
