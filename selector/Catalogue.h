// The order of the image catalogue and the progress it reports while it is built.
//
// The names end up in ascending order of their lower-cased forms, compared by UTF-16 code units;
// names whose lower-cased forms are equal keep the order in which they were listed. This is the
// order a full exchange sort with a strict comparison gives, reached here by a stable merge sort.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "services/Configuration.h"

namespace selector {

class Program;

// The most names the catalogue holds: its counts and indices are 16-bit.
constexpr int kMaxCatalogueNames = services::kMaxImageFiles;

// Lists the image folder through the browser's file list (loading the browser hidden), sorts
// the names into ImageFiles and FileCount, and shows progress in the loading window when it is
// open. Returns the message for the user when the folder cannot be catalogued: it cannot be
// listed, it holds fewer than two images, or more than the catalogue holds.
std::optional<std::wstring> BuildCatalogue(Program& program);

// Fills the browser's list with "(None)" and the catalogue, selects the current wallpaper (or
// "(None)"), closes the loading window and shows the screen resolution.
void PrepareBrowser(Program& program);

// Called with each progress value, a whole number from 0 to 100.
using ProgressSink = std::function<void(int)>;

// The progress shown after copying name `index` (counted from 0) of `count` names: the share
// copied so far times 5, to the nearest whole number (halves to even). 0 to below 5.
int ListingProgress(int index, int count);

// The progress shown after sorting pass `pass` (counted from 0) of `count` passes: 5 plus the
// share of passes done times 95, to the nearest whole number (halves to even). Needs count >= 2.
int SortingProgress(int pass, int count);

// Sorts `names` into catalogue order and reports the sorting progress: one value per name, the
// values SortingProgress gives for passes 0 .. n - 1, spread over the work as it is done. Needs
// at least two names.
void SortCatalogue(std::vector<std::wstring>& names, const ProgressSink& progress);

}  // namespace selector
