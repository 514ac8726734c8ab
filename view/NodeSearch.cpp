#include "view/NodeSearch.h"

#include <cctype>
#include <string>
#include <vector>

namespace view {

namespace {

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u)) {
            word += static_cast<char>(std::tolower(u));
        } else if (!word.empty()) {
            words.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

}  // namespace

bool MatchesSearch(std::string_view name, std::string_view query) {
    const std::vector<std::string> names = Words(name);
    for (const std::string& wanted : Words(query)) {
        bool found = false;
        for (const std::string& word : names) found = found || word.starts_with(wanted);
        if (!found) return false;
    }
    return true;
}

}  // namespace view
