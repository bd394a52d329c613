// The command-line grammar: "/" introduces a switch, spaces alone separate words, and the last
// word after a switch is its value.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/unit/ProgramFixture.h"

namespace {

using Items = std::vector<std::pair<std::wstring, std::wstring>>;

class Switches : public testing_support::MurivaleTest {
protected:
    Items Tokens(const std::wstring& line) {
        const selector::KeyedCollection tokens = choice->getTokens(line);
        Items items;
        for (int i = 0; i < tokens.Count(); ++i) items.push_back(tokens.At(i));
        return items;
    }
    void SetUp() override {
        MurivaleTest::SetUp();
        choice = std::make_unique<selector::frmBG>();  // not loaded: only its methods are used
    }
};

TEST_F(Switches, WorkedExamples) {
    const struct {
        const wchar_t* line;
        Items items;
    } cases[] = {
        {L"", {}},
        {L"/p %1", {{L"p", L"%1"}}},
        {L"/P %1", {{L"p", L"%1"}}},
        {L"/p", {}},
        {L"/p a b", {{L"p", L"b"}}},
        {L"/a /b 2", {{L"a", L""}, {L"b", L"2"}}},
        {L"/a 1 /b", {{L"a", L"/b"}}},
        {L"/p 1 /p 2", {{L"p", L"1"}}},
        {L"x /p y", {{L"p", L"y"}}},
        {L"-p %1", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(base::ToUtf8(c.line));
        EXPECT_EQ(Tokens(c.line), c.items);
    }
}

TEST_F(Switches, OnlySpacesSeparateWords) {
    EXPECT_EQ(Tokens(L"     "), Items{});
    EXPECT_EQ(Tokens(L"   /p    %1   "), (Items{{L"p", L"%1"}}));
    EXPECT_EQ(Tokens(L"/p a\tb"), (Items{{L"p", L"a\tb"}}));
    EXPECT_EQ(Tokens(L"/p \"a b\""), (Items{{L"p", L"b\""}}));
    EXPECT_EQ(Tokens(L"/\tp x"), (Items{{L"\tp", L"x"}}));
}

TEST_F(Switches, NamesFoldLetterCaseButValuesKeepIt) {
    EXPECT_EQ(Tokens(L"/LoGo Value /ÉTÉ Ünï"), (Items{{L"logo", L"Value"}, {L"été", L"Ünï"}}));
    const selector::KeyedCollection tokens = choice->getTokens(L"/P %1");
    EXPECT_EQ(tokens.Item(L"p"), std::optional<std::wstring>(L"%1"));
    EXPECT_EQ(tokens.Item(L"P"), std::optional<std::wstring>(L"%1"));
    EXPECT_EQ(tokens.Item(L"q"), std::nullopt);
}

}  // namespace
