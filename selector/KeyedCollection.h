// An insertion-ordered collection of texts under unique keys; keys compare without regard to
// letter case, and a second item under a key already present is refused.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/CaseFold.h"

namespace selector {

class KeyedCollection {
public:
    // Adds `item` under `key`; false, and nothing changes, when the key is already present.
    bool Add(const std::wstring& key, std::wstring item) {
        if (Find(key)) return false;
        entries_.emplace_back(key, std::move(item));
        return true;
    }

    std::optional<std::wstring> Item(const std::wstring& key) const {
        const auto* entry = Find(key);
        return entry ? std::optional<std::wstring>(entry->second) : std::nullopt;
    }

    int Count() const { return static_cast<int>(entries_.size()); }
    // Key and item at `position` (from 0), in the order of adding.
    const std::pair<std::wstring, std::wstring>& At(int position) const {
        return entries_.at(static_cast<std::size_t>(position));
    }

private:
    const std::pair<std::wstring, std::wstring>* Find(const std::wstring& key) const {
        const std::wstring folded = base::LowerCase(key);
        for (const auto& entry : entries_) {
            if (base::LowerCase(entry.first) == folded) return &entry;
        }
        return nullptr;
    }

    std::vector<std::pair<std::wstring, std::wstring>> entries_;
};

}  // namespace selector
