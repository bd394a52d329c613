// The image corpus's manifest, read for the picture tests of both backends: the folder (from
// the MURIVALE_CORPUS environment variable, else the build's MURIVALE_CORPUS_DIR) and one entry
// per listed file with its expected outcome and, where another decoder reported it, its size.
#pragma once

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace corpus {

struct Entry {
    std::string path;    // relative, with '/'
    std::string expect;  // decode, decode-optional, either, reject-or-partial, reject, not-listed
    int width = 0;       // 0 when no decoder reported a size
    int height = 0;
};

inline std::string Folder() {
    if (const char* env = std::getenv("MURIVALE_CORPUS"); env != nullptr && *env != '\0') return env;
#ifdef MURIVALE_CORPUS_DIR
    return MURIVALE_CORPUS_DIR;
#else
    return "";
#endif
}

inline std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t')) fields.push_back(field);
    return fields;
}

// Size from a verdict such as "ok JPEG 113x150 frames=1".
inline bool ParseSize(const std::string& verdict, int& width, int& height) {
    static const std::regex size(R"(^ok [A-Z]+ (\d+)x(\d+))");
    std::smatch m;
    if (!std::regex_search(verdict, m, size)) return false;
    width = std::stoi(m[1]);
    height = std::stoi(m[2]);
    return true;
}

// Empty when the manifest cannot be read; the caller reports that as a failure.
inline std::vector<Entry> ReadManifest(const std::string& folder) {
    std::vector<Entry> entries;
    std::ifstream in(folder + "/MANIFEST.tsv");
    std::string line;
    std::getline(in, line);  // column names
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::vector<std::string> f = SplitTabs(line);
        if (f.size() < 6) continue;
        Entry e;
        e.path = f[0];
        e.expect = f[3];
        if (!ParseSize(f[5], e.width, e.height)) ParseSize(f[4], e.width, e.height);
        entries.push_back(e);
    }
    return entries;
}

inline std::string FileName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

}  // namespace corpus
