// Text helpers where a slip would corrupt data: exact replacement, the UTF-16 ordering used for
// sorted file lists, and UTF-8 conversion of file names.
#include <gtest/gtest.h>

#include "base/Text.h"

namespace {

using base::CompareUtf16;
using base::FromUtf8;
using base::ReplaceAll;
using base::ToUtf8;

TEST(TextReplace, ExactCaseLeftToRightWithoutRescanning) {
    EXPECT_EQ(ReplaceAll(L"%SystemRoot%\\a;%systemroot%\\b", L"%SystemRoot%", L"C:\\WINDOWS"),
              L"C:\\WINDOWS\\a;%systemroot%\\b");
    EXPECT_EQ(ReplaceAll(L"C:\\\\\\x", L"\\\\", L"\\"), L"C:\\\\x");  // three backslashes -> two
    EXPECT_EQ(ReplaceAll(L"aaa", L"a", L"aa"), L"aaaaaa");
    EXPECT_EQ(ReplaceAll(L"abcabc", L"abc", L""), L"");
    EXPECT_EQ(ReplaceAll(L"abc", L"", L"x"), L"abc");
    EXPECT_EQ(ReplaceAll(L"", L"a", L"b"), L"");
}

TEST(TextTrim, OnlySpacesAreTrimmed) {
    EXPECT_EQ(base::TrimSpaces(L"  a b  "), L"a b");
    EXPECT_EQ(base::TrimSpaces(L"\t a \t"), L"\t a \t");
    EXPECT_EQ(base::TrimSpaces(L"   "), L"");
}

TEST(TextDecimal, EveryRangeEdgeInPlainDigits) {
    EXPECT_EQ(base::DecimalText(0), L"0");
    EXPECT_EQ(base::DecimalText(7), L"7");
    EXPECT_EQ(base::DecimalText(-32768), L"-32768");
    EXPECT_EQ(base::DecimalText(4294967295LL), L"4294967295");
    EXPECT_EQ(base::DecimalText(9223372036854775807LL), L"9223372036854775807");
    EXPECT_EQ(base::DecimalText(-9223372036854775807LL - 1), L"-9223372036854775808");
}

TEST(TextCompare, OrdersByUtf16CodeUnits) {
    EXPECT_LT(CompareUtf16(L"B", L"a"), 0);  // ordinal, so capitals first
    EXPECT_LT(CompareUtf16(L"a", L"ab"), 0);
    EXPECT_EQ(CompareUtf16(L"abc", L"abc"), 0);
    EXPECT_GT(CompareUtf16(L"\u00E9", L"z"), 0);
}

TEST(TextCompare, CharactersAboveBmpSortBetweenSurrogateRangeAndPrivateUse) {
    const std::wstring smiley = L"\U0001F600";  // D83D DE00 in UTF-16
    EXPECT_LT(CompareUtf16(smiley, L"\uE000"), 0);
    EXPECT_LT(CompareUtf16(smiley, L"\uFFFD"), 0);
    EXPECT_GT(CompareUtf16(smiley, L"\uD7FF"), 0);
    EXPECT_LT(CompareUtf16(L"\U00010000", L"\U0010FFFF"), 0);
    EXPECT_LT(CompareUtf16(L"x" + smiley, L"x\uE000"), 0);
    EXPECT_EQ(CompareUtf16(smiley, smiley), 0);
}

TEST(TextDecimal, ShortestFormIsPlainDecimalThatReadsBackEqual) {
    using base::ShortestDecimalText;
    EXPECT_EQ(ShortestDecimalText(800.0f), L"800");
    EXPECT_EQ(ShortestDecimalText(1280.0f), L"1280");
    EXPECT_EQ(ShortestDecimalText(1080.0f), L"1080");
    EXPECT_EQ(ShortestDecimalText(16777216.0f), L"16777216");
    EXPECT_EQ(ShortestDecimalText(1e10f), L"10000000000");
    EXPECT_EQ(ShortestDecimalText(0.0f), L"0");
    EXPECT_EQ(ShortestDecimalText(1366.5f), L"1366.5");
    EXPECT_EQ(ShortestDecimalText(1097.1428f), L"1097.1428");
    EXPECT_EQ(ShortestDecimalText(0.1f), L"0.1");
    EXPECT_EQ(ShortestDecimalText(-0.001f), L"-0.001");
}

TEST(TextUtf8, RoundTripsEveryPlane) {
    const std::wstring text = L"a\u00E9\u20AC\uFFFD\U0001F600\U0010FFFF";
    const std::string utf8 = ToUtf8(text);
    EXPECT_EQ(utf8, "a\xC3\xA9\xE2\x82\xAC\xEF\xBF\xBD\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF");
    EXPECT_EQ(FromUtf8(utf8), text);
}

TEST(TextUtf8, InvalidInputBecomesReplacementCharacter) {
    EXPECT_EQ(FromUtf8("a\xFF" "b"), L"a\uFFFD" L"b");
    EXPECT_EQ(FromUtf8("\xC0\xAF"), L"\uFFFD");                // overlong '/'
    EXPECT_EQ(FromUtf8("\xED\xA0\x80"), L"\uFFFD");            // encoded surrogate
    EXPECT_EQ(FromUtf8("\xF4\x90\x80\x80"), L"\uFFFD");        // above U+10FFFF
    EXPECT_EQ(FromUtf8("\xE2\x82"), L"\uFFFD\uFFFD");          // truncated
    EXPECT_EQ(FromUtf8("\xE2\x82" "A"), L"\uFFFD\uFFFD" L"A");  // broken sequence resumes
}

TEST(TextUtf8, UnpairedSurrogateBecomesReplacementCharacter) {
    std::wstring lone(1, static_cast<wchar_t>(0xD800));
    lone += L'x';
    EXPECT_EQ(ToUtf8(lone), "\xEF\xBF\xBDx");
}

}  // namespace
