// The catalogue's order and the progress it reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "base/CaseFold.h"
#include "base/Text.h"
#include "selector/Catalogue.h"

namespace {

using Names = std::vector<std::wstring>;

// The exchange sort the catalogue's order is defined by: full passes over neighbours compared
// lower-cased and ordinal, swapped only when strictly out of order.
Names ExchangeSorted(Names names) {
    const std::size_t n = names.size();
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 1; j < n; ++j) {
            if (base::CompareUtf16(base::LowerCase(names[j - 1]), base::LowerCase(names[j])) > 0) {
                std::swap(names[j - 1], names[j]);
            }
        }
    }
    return names;
}

Names Sorted(Names names, std::vector<int>* progress = nullptr) {
    selector::SortCatalogue(names, [&](int value) {
        if (progress) progress->push_back(value);
    });
    return names;
}

TEST(CatalogueOrder, DigitsBeforeLettersAndLetterCaseIgnored) {
    EXPECT_EQ(Sorted({L"b.jpg", L"A.gif", L"a.jpg", L"1.bmp"}),
              (Names{L"1.bmp", L"A.gif", L"a.jpg", L"b.jpg"}));
}

TEST(CatalogueOrder, OrdinalByCodeUnits) {
    EXPECT_EQ(Sorted({L"ab.jpg", L"a_b.jpg", L"a.jpg", L"a-b.jpg", L"a b.jpg", L"zz.jpg",
                      L"\u00e9t\u00e9.jpg"}),
              (Names{L"a b.jpg", L"a-b.jpg", L"a.jpg", L"a_b.jpg", L"ab.jpg", L"zz.jpg",
                     L"\u00e9t\u00e9.jpg"}));
}

TEST(CatalogueOrder, EqualLowerCaseNamesKeepTheirListingOrder) {
    EXPECT_EQ(Sorted({L"B.jpg", L"a.JPG", L"b.jpg", L"A.jpg"}),
              (Names{L"a.JPG", L"A.jpg", L"B.jpg", L"b.jpg"}));
}

TEST(CatalogueOrder, UpperCaseAccentedAndNonLatinNamesSortByTheirLowerCase) {
    // \u00c9 lower-cases to \u00e9; Cyrillic and Greek capitals to their small letters; CJK and
    // characters outside the basic plane stay as they are and sort by UTF-16 code units, so a
    // surrogate pair (D83D...) comes before U+FF21's lower case U+FF41.
    const Names names = {L"\u00c9CLAIR.jpg", L"\u0416\u0443\u043a.jpg", L"\u03a9mega.gif",
                         L"\u65e5\u672c.jpg",  L"\U0001F600.bmp",        L"\uFF21.jpg",
                         L"eclair.jpg",        L"Zeta.jpg"};
    const Names sorted = Sorted(names);
    EXPECT_EQ(sorted, ExchangeSorted(names));
    EXPECT_EQ(sorted.front(), L"eclair.jpg");
    EXPECT_EQ(sorted[1], L"Zeta.jpg");
    EXPECT_EQ(sorted[2], L"\u00c9CLAIR.jpg");
}

TEST(CatalogueOrder, SameAsTheExchangeSortOnRandomNames) {
    std::mt19937 generator(7);
    const std::wstring alphabet = L"aAbB_-. 0\u00e9\u00c9\u0416\u0436z";
    for (int round = 0; round < 30; ++round) {
        Names names(2 + generator() % 60);
        for (auto& name : names) {
            const std::size_t length = 1 + generator() % 4;
            for (std::size_t i = 0; i < length; ++i) name += alphabet[generator() % alphabet.size()];
        }
        EXPECT_EQ(Sorted(names), ExchangeSorted(names));
    }
}

TEST(CatalogueProgress, ListingShowsTheShareCopiedTimesFive) {
    std::vector<int> four;
    for (int i = 0; i < 4; ++i) four.push_back(selector::ListingProgress(i, 4));
    EXPECT_EQ(four, (std::vector<int>{0, 1, 2, 4}));  // 1.25, 2.5 -> 2, 3.75
}

TEST(CatalogueProgress, SortingReportsOnePassEachFromFiveToHundred) {
    std::vector<int> progress;
    Sorted({L"d", L"c", L"b", L"a"}, &progress);
    EXPECT_EQ(progress, (std::vector<int>{5, 37, 68, 100}));
    progress.clear();
    Sorted({L"c", L"b", L"a"}, &progress);
    EXPECT_EQ(progress, (std::vector<int>{5, 53, 100}));  // 47.5 goes to 48
    progress.clear();
    Names many(1000, L"x");
    Sorted(many, &progress);
    ASSERT_EQ(progress.size(), 1000u);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.front(), 5);
    EXPECT_EQ(progress.back(), 100);
}

TEST(CaseFold, SystemsLowerCasingBeyondTheCommonScripts) {
    EXPECT_EQ(base::LowerCase(L"ABC xyz \u00c0\u00de\u00d7 \u0100\u0178"),
              L"abc xyz \u00e0\u00fe\u00d7 \u0101\u00ff");
    // Latin Extended-B capitals, the digraph capitals, Greek symbols, Greek Extended with
    // iota subscript, Cherokee, Latin Extended-D.
    EXPECT_EQ(base::LowerCase(L"\u0189\u018A\u01B7\u01C4\u01C7\u01CA\u01F1"),
              L"\u0256\u0257\u0292\u01C6\u01C9\u01CC\u01F3");
    EXPECT_EQ(base::LowerCase(L"\u03F7\u03FA\u03FD\u03FF\u1F88\u1FBC\u1FFC"),
              L"\u03F8\u03FB\u037B\u037D\u1F80\u1FB3\u1FF3");
    EXPECT_EQ(base::LowerCase(L"\u13A0\uA7C0\u2C00\u24B6"), L"\uAB70\uA7C1\u2C30\u24D0");
    // Mappings whose lower-case letter upper-cases to another letter are not applied: the
    // dotted capital I, the title-case digraphs, the theta symbol, the capital sharp s and the
    // ohm, Kelvin and angstrom signs stay as they are.
    const std::wstring kept = L"\u0130\u01C5\u01C8\u01CB\u01F2\u03F4\u1E9E\u2126\u212A\u212B";
    EXPECT_EQ(base::LowerCase(kept), kept);
    std::wstring other = L"\u65e5 1_-\uFFFF";
    other += static_cast<wchar_t>(0xD801);
    EXPECT_EQ(base::LowerCase(other), other);
    // Beyond the basic plane nothing changes, as the system leaves surrogate pairs alone.
    EXPECT_EQ(base::LowerCase(L"\U00010400"), L"\U00010400");
    EXPECT_TRUE(base::EqualsIgnoringCase(L"\u01C4a.JPG", L"\u01C6A.jpg"));
    EXPECT_FALSE(base::EqualsIgnoringCase(L"\u212A.jpg", L"k.jpg"));
    EXPECT_FALSE(base::EqualsIgnoringCase(L"ab", L"abc"));
}

TEST(CatalogueOrder, NamesCompareByTheSystemsLowerCasing) {
    // The capital African D lower-cases to U+0256, after every Latin-1 letter.
    EXPECT_EQ(Sorted({L"\u0189b.jpg", L"\u0256a.jpg", L"\u00e9.jpg", L"z.jpg"}),
              (Names{L"z.jpg", L"\u00e9.jpg", L"\u0256a.jpg", L"\u0189b.jpg"}));
    EXPECT_EQ(Sorted({L"\u1F88b.gif", L"\u1F80a.gif"}), (Names{L"\u1F80a.gif", L"\u1F88b.gif"}));
}

}  // namespace
