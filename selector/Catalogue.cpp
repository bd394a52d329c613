#include "selector/Catalogue.h"

#include <algorithm>
#include <cstddef>
#include <numeric>

#include "base/CaseFold.h"
#include "base/Numeric.h"
#include "base/Text.h"
#include "selector/frmLoad.h"
#include "selector/frmSel.h"
#include "selector/modMain.h"
#include "toolkit/App.h"
#include "toolkit/FileSystem.h"

namespace selector {

int ListingProgress(int index, int count) {
    return static_cast<int>(base::RoundHalfEven(double(index) / double(count) * 5.0));
}

int SortingProgress(int pass, int count) {
    return static_cast<int>(base::RoundHalfEven(double(pass) / double(count - 1) * 95.0)) + 5;
}

namespace {

// Sort keys: the lower-cased name as UTF-16 code units, computed once per name, so that
// comparing two keys is a plain comparison of code units.
std::u16string SortKey(const std::wstring& name) {
    return base::Utf16Units(base::LowerCase(name));
}

// Reports the passes that a share `done` of `total` rounds of work stands for.
class PassReporter {
public:
    PassReporter(int passes, const ProgressSink& sink) : passes_(passes), sink_(sink) {}

    void ReportUpTo(std::size_t done, std::size_t total) {
        const int upTo = total == 0 ? passes_
                                    : static_cast<int>(double(done) / double(total) * passes_);
        for (; next_ < upTo; ++next_) {
            if (sink_) sink_(SortingProgress(next_, passes_));
        }
    }

private:
    int passes_;
    const ProgressSink& sink_;
    int next_ = 0;
};

}  // namespace

void SortCatalogue(std::vector<std::wstring>& names, const ProgressSink& progress) {
    const std::size_t n = names.size();
    if (n < 2) return;
    std::vector<std::u16string> keys(n);
    for (std::size_t i = 0; i < n; ++i) keys[i] = SortKey(names[i]);
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    const auto less = [&keys](std::size_t a, std::size_t b) { return keys[a] < keys[b]; };

    // Bottom-up merge sort of the positions: stable, and its rounds give natural points at
    // which to report progress.
    PassReporter reporter(static_cast<int>(n), progress);
    std::size_t rounds = 0;
    for (std::size_t width = 1; width < n; width *= 2) ++rounds;
    std::vector<std::size_t> merged(n);
    std::size_t round = 0;
    for (std::size_t width = 1; width < n; width *= 2) {
        for (std::size_t left = 0; left < n; left += 2 * width) {
            const std::size_t mid = std::min(left + width, n);
            const std::size_t right = std::min(left + 2 * width, n);
            std::merge(order.begin() + left, order.begin() + mid, order.begin() + mid,
                       order.begin() + right, merged.begin() + left, less);
        }
        order.swap(merged);
        reporter.ReportUpTo(++round, rounds);
    }

    std::vector<std::wstring> sorted(n);
    for (std::size_t i = 0; i < n; ++i) sorted[i] = std::move(names[order[i]]);
    names.swap(sorted);
}

namespace {

void ShowProgress(Program& program, int value) {
    // Only an open loading window shows progress; a logon run never opens one.
    if (frmLoad* loading = program.loading.IfLoaded()) loading->pBar.SetValue(float(value));
}

std::wstring FolderMessage(const std::wstring& folder, const std::wstring& problem) {
    return L"The image folder\r\n" + folder + L"\r\n" + problem +
           L"\r\n\r\nRun Tessaban.exe to choose another folder.";
}

}  // namespace

std::optional<std::wstring> BuildCatalogue(Program& program) {
    SessionState& state = program.state;
    frmSel& browser = *program.browser;
    try {
        browser.Dir.SetPath(state.FolderPath);
    } catch (const tk::FileError&) {
        return FolderMessage(state.FolderPath, L"cannot be read.");
    }
    state.CurrentIndex = kIndexNoSelection;
    state.FileCount = 0;
    const int count = browser.Dir.ListCount();
    if (count < 2) return FolderMessage(state.FolderPath, L"holds fewer than two images.");
    if (count > kMaxCatalogueNames) {
        return FolderMessage(state.FolderPath, L"holds more than 32767 images.");
    }
    state.ImageFiles.assign(static_cast<std::size_t>(count), std::wstring());
    for (int i = 0; i < count; ++i) {
        state.FileCount = static_cast<std::int16_t>(i);
        state.ImageFiles[static_cast<std::size_t>(i)] = browser.Dir.List(i);
        ShowProgress(program, ListingProgress(i, browser.Dir.ListCount()));
    }
    state.FileCount = static_cast<std::int16_t>(count);
    SortCatalogue(state.ImageFiles, [&program](int value) { ShowProgress(program, value); });
    return std::nullopt;
}

void PrepareBrowser(Program& program) {
    SessionState& state = program.state;
    frmSel& browser = *program.browser;
    browser.File1.AddItem(L"(None)");
    std::optional<int> match;
    for (int i = 0; i < state.FileCount; ++i) {
        const std::wstring& name = state.ImageFiles[static_cast<std::size_t>(i)];
        browser.File1.AddItem(name);
        if (state.CurrentFile == name) match = i;  // a later equal entry wins
    }
    browser.File1.SetListIndex(match ? *match + 1 : -1);
    program.loading.Unload();
    if (match) {
        browser.SetPicture();
    } else {
        browser.File1.SetListIndex(0);
    }
    const float width = float(tk::Screen::Width()) / float(tk::Screen::TwipsPerPixelX());
    const float height = float(tk::Screen::Height()) / float(tk::Screen::TwipsPerPixelY());
    browser.lblRes.SetCaption(base::ShortestDecimalText(width) + L"x" +
                              base::ShortestDecimalText(height));
}

}  // namespace selector
