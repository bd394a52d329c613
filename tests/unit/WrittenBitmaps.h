// The bitmap file the programs write for each corpus file, reduced to one line: its size in
// pixels and a 64-bit FNV-1a digest of every byte written, or "refused" when the picture does
// not load. A table of those lines, recorded once, lets a test check that a change in the way
// pictures are decoded or written leaves every file written byte for byte as it was. Shared by
// the native and the Wine tests; each backend has its own table (tests/data/).
#pragma once

#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace written {

inline std::uint64_t Fnv1a(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const std::uint8_t b : bytes) {
        hash ^= b;
        hash *= 0x100000001b3ull;
    }
    return hash;
}

inline std::string Describe(int width, int height, const std::vector<std::uint8_t>& file) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex(16, '0');
    std::uint64_t hash = Fnv1a(file);
    for (int i = 15; i >= 0; --i, hash >>= 4) hex[static_cast<std::size_t>(i)] = kDigits[hash & 15];
    return std::to_string(width) + "x" + std::to_string(height) + " " + std::to_string(file.size()) + " " + hex;
}

inline const char* Refused() { return "refused"; }

// Some of the system's decoders leave pixels they do not write (skipped by a bitmap's RLE codes,
// or of a colour index beyond the palette) as whatever the memory held, so that such a file is
// written differently from one run to the next. A file recorded differently by two recordings
// has "varies" in place of its digest: only its size and length are compared.
constexpr char kVaries[] = "varies";

inline std::string SizeAndLength(const std::string& outcome) {
    const std::size_t last = outcome.rfind(' ');
    return last == std::string::npos ? outcome : outcome.substr(0, last);
}

inline bool Same(const std::string& recorded, const std::string& now) {
    if (recorded == now) return true;
    const std::size_t last = recorded.rfind(' ');
    return last != std::string::npos && recorded.substr(last + 1) == kVaries &&
           SizeAndLength(recorded) == SizeAndLength(now);
}

// A new recording merged into an earlier one: a digest that differs becomes "varies".
inline void Merge(std::map<std::string, std::string>& now, const std::map<std::string, std::string>& earlier) {
    for (auto& [path, outcome] : now) {
        const auto it = earlier.find(path);
        if (it == earlier.end() || Same(it->second, outcome)) {
            if (it != earlier.end()) outcome = it->second;
            continue;
        }
        if (SizeAndLength(it->second) == SizeAndLength(outcome) && outcome != Refused()) {
            outcome = SizeAndLength(outcome) + " " + kVaries;
        }
    }
}

using Table = std::map<std::string, std::string>;  // corpus path -> Describe() or Refused()

// One "path<TAB>outcome" line per file.
inline Table ParseTable(const std::vector<std::uint8_t>& text) {
    Table table;
    std::istringstream in(std::string(text.begin(), text.end()));
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t tab = line.find('\t');
        if (line.empty() || line[0] == '#' || tab == std::string::npos) continue;
        table[line.substr(0, tab)] = line.substr(tab + 1);
    }
    return table;
}

inline std::vector<std::uint8_t> FormatTable(const Table& table, const std::string& heading) {
    std::string text = "# " + heading + "\n";
    for (const auto& [path, outcome] : table) text += path + "\t" + outcome + "\n";
    return {text.begin(), text.end()};
}

// The files whose outcome differs between the two tables, each with both outcomes.
inline std::vector<std::string> Differences(const Table& recorded, const Table& now) {
    std::vector<std::string> out;
    for (const auto& [path, outcome] : now) {
        const auto it = recorded.find(path);
        const std::string before = it == recorded.end() ? "(not recorded)" : it->second;
        if (!Same(before, outcome)) out.push_back(path + ": was " + before + ", now " + outcome);
    }
    for (const auto& [path, outcome] : recorded) {
        if (now.count(path) == 0) out.push_back(path + ": was " + outcome + ", now not tried");
    }
    return out;
}

}  // namespace written
