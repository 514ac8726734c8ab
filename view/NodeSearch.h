// The filter of the search-to-add popup, without Qt.
#pragma once

#include <string_view>

namespace view {

// True when every word of `query` begins a word of `name`, ignoring case;
// an empty query matches every name. Words are split at anything that is
// not a letter or a digit, so "hsv" finds "RGB -> HSV".
bool MatchesSearch(std::string_view name, std::string_view query);

}  // namespace view
