// The 8-bit text rules of Windows 95/98/Me (base/AnsiText.h) through a Windows-1252 page:
// registry strings both ways, and which name of a found file can be opened again.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/AnsiText.h"
#include "tests/fakes/Cp1252CodePage.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using base::FoundFileName;
using base::RegStringToNarrow;
using base::RegStringToWide;

constexpr std::uint32_t kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4, kRegMultiSz = 7;

const fakes::Cp1252CodePage kPage;

Bytes Narrow(const std::string& text) { return Bytes(text.begin(), text.end()); }
Bytes Utf16(const std::u16string& text) {
    Bytes bytes;
    for (const char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return bytes;
}

TEST(AnsiRegistry, StringsComeTerminatedWhetherOrNotTheStoredDataWas) {
    // "Café – €5" in the page: é, the en dash and the euro sign are one byte each.
    const std::string stored = "Caf\xE9 \x96 \x80" "5";
    const std::u16string text = u"Caf\u00E9 \u2013 \u20AC5";
    for (const std::uint32_t type : {kRegSz, kRegExpandSz}) {
        SCOPED_TRACE(type);
        EXPECT_EQ(RegStringToWide(kPage, type, Narrow(stored + '\0')), Utf16(text + u'\0'));
        EXPECT_EQ(RegStringToWide(kPage, type, Narrow(stored)), Utf16(text + u'\0'));
        EXPECT_EQ(RegStringToWide(kPage, type, Narrow(stored + std::string("\0\0", 2))), Utf16(text + u'\0'));
        EXPECT_EQ(RegStringToNarrow(kPage, type, Utf16(text + u'\0')), Narrow(stored + '\0'));
        EXPECT_EQ(RegStringToNarrow(kPage, type, Utf16(text)), Narrow(stored + '\0'));
        // What follows the first terminator of a single string is not part of it.
        EXPECT_EQ(RegStringToWide(kPage, type, Narrow(std::string("ab\0zz", 5))), Utf16(u"ab" + std::u16string(1, u'\0')));
        EXPECT_EQ(RegStringToNarrow(kPage, type, Utf16(std::u16string(u"ab\0zz", 5))), Narrow(std::string("ab\0", 3)));
        // The empty string, stored as nothing or as its terminator.
        EXPECT_EQ(RegStringToWide(kPage, type, {}), Utf16(std::u16string(1, u'\0')));
        EXPECT_EQ(RegStringToWide(kPage, type, {0}), Utf16(std::u16string(1, u'\0')));
        EXPECT_EQ(RegStringToNarrow(kPage, type, {}), Bytes{0});
        EXPECT_EQ(RegStringToNarrow(kPage, type, {0, 0}), Bytes{0});
    }
    // Expandable strings keep their placeholders as they are.
    EXPECT_EQ(RegStringToWide(kPage, kRegExpandSz, Narrow("%SystemRoot%\\x.bmp")), Utf16(u"%SystemRoot%\\x.bmp" + std::u16string(1, u'\0')));
}

TEST(AnsiRegistry, ListsKeepEveryStringAndEndWithTwoTerminators) {
    const std::u16string z(1, u'\0');
    const std::u16string text = u"C:\\Caf\u00E9" + z + u"\u201Cq\u201D";
    const std::string stored = std::string("C:\\Caf\xE9") + '\0' + "\x93q\x94";
    const Bytes wide = Utf16(text + z + z);
    EXPECT_EQ(RegStringToWide(kPage, kRegMultiSz, Narrow(stored + '\0' + '\0')), wide);
    EXPECT_EQ(RegStringToWide(kPage, kRegMultiSz, Narrow(stored + '\0')), wide);
    EXPECT_EQ(RegStringToWide(kPage, kRegMultiSz, Narrow(stored)), wide);
    EXPECT_EQ(RegStringToNarrow(kPage, kRegMultiSz, wide), Narrow(stored + '\0' + '\0'));
    EXPECT_EQ(RegStringToNarrow(kPage, kRegMultiSz, Utf16(text)), Narrow(stored + '\0' + '\0'));
    EXPECT_EQ(RegStringToWide(kPage, kRegMultiSz, RegStringToNarrow(kPage, kRegMultiSz, wide)), wide);
    // The empty list.
    EXPECT_EQ(RegStringToWide(kPage, kRegMultiSz, {}), Utf16(z + z));
    EXPECT_EQ(RegStringToWide(kPage, kRegMultiSz, {0}), Utf16(z + z));
    EXPECT_EQ(RegStringToNarrow(kPage, kRegMultiSz, Utf16(z + z)), (Bytes{0, 0}));
}

TEST(AnsiRegistry, TextOutsideThePageBecomesQuestionMarksAndOtherDataPassesUnchanged) {
    // Polish and Greek letters are not in the Western page: each is one '?' in the 8-bit form.
    const Bytes wide = Utf16(u"\u0141\u00F3d\u017A \u03A9" + std::u16string(1, u'\0'));
    EXPECT_EQ(RegStringToNarrow(kPage, kRegSz, wide), Narrow(std::string("?\xF3" "d? ?") + '\0'));
    // ... and the page says so: the name does not come back (the rule FoundFileName rests on).
    bool lossy = false;
    EXPECT_EQ(kPage.Widen(kPage.Narrow(L"\u0141\u00F3d\u017A", &lossy)), L"?\u00F3d?");
    EXPECT_TRUE(lossy);
    EXPECT_EQ(kPage.Widen(kPage.Narrow(L"Caf\u00E9 \u20AC", &lossy)), L"Caf\u00E9 \u20AC");
    EXPECT_FALSE(lossy);
    // A trailing odd byte of wide data is no character.
    EXPECT_EQ(RegStringToNarrow(kPage, kRegSz, {'a', 0, 'b'}), (Bytes{'a', 0}));

    const Bytes binary{0x00, 0xE9, 0x80, 0x00, 0x41};
    const Bytes number{0x78, 0x56, 0x34, 0x12};
    for (const std::uint32_t type : {kRegBinary, kRegDword}) {
        EXPECT_EQ(RegStringToWide(kPage, type, binary), binary);
        EXPECT_EQ(RegStringToNarrow(kPage, type, binary), binary);
        EXPECT_EQ(RegStringToWide(kPage, type, number), number);
    }
}

TEST(AnsiFoundFiles, TheLongNameWhenUsableElseTheShortOneElseNone) {
    // A long name the page holds, whatever the short one.
    EXPECT_EQ(FoundFileName(kPage, "Caf\xE9 \x80.jpg", "CAFE~1.JPG"), L"Caf\u00E9 \u20AC.jpg");
    EXPECT_EQ(FoundFileName(kPage, "beach.jpg", ""), L"beach.jpg");
    // One it could not hold arrives with '?': the short name is opened instead.
    EXPECT_EQ(FoundFileName(kPage, "??d\xE9.jpg", "D~1.JPG"), L"D~1.JPG");
    EXPECT_EQ(FoundFileName(kPage, "?", "\xC9T\xC9~1.BMP"), L"\u00C9T\u00C9~1.BMP");
    // Neither can be opened: the entry is left out.
    EXPECT_EQ(FoundFileName(kPage, "??.jpg", ""), std::nullopt);
    EXPECT_EQ(FoundFileName(kPage, "??.jpg", "?~1.JPG"), std::nullopt);
}

}  // namespace
