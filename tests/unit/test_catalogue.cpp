// The catalogue's order and the progress it reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "common/CaseFold.h"
#include "common/Text.h"
#include "selector/Catalogue.h"

namespace {

using Names = std::vector<std::wstring>;

// The exchange sort the catalogue's order is defined by: full passes over neighbours compared
// lower-cased and ordinal, swapped only when strictly out of order.
Names ExchangeSorted(Names names) {
    const std::size_t n = names.size();
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 1; j < n; ++j) {
            if (common::CompareUtf16(common::LowerCase(names[j - 1]), common::LowerCase(names[j])) > 0) {
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

TEST(CaseFold, TableCoversTheUsualScriptsAndLeavesTheRest) {
    EXPECT_EQ(common::LowerCase(L"ABC xyz \u00c0\u00de\u00d7 \u0100\u0178"),
              L"abc xyz \u00e0\u00fe\u00d7 \u0101\u00ff");
    EXPECT_EQ(common::LowerCase(L"\u0391\u03a3\u0401\u0416\u0531\uFF3A"),
              L"\u03b1\u03c3\u0451\u0436\u0561\uFF5A");
    EXPECT_EQ(common::LowerCase(L"\u65e5 1_-"), L"\u65e5 1_-");
}

}  // namespace
