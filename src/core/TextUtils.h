#pragma once
#include <string>
#include <vector>

namespace orlinda {

// The n-th field (from 0) of text split at every separator; empty when there are
// fewer than n + 1 fields.
std::string GetField(const std::string& text, int n, char separator);
// 0 for an empty text, otherwise 1 + the number of separators.
int FieldCount(const std::string& text, char separator);

// Every occurrence of find replaced, left to right, without rescanning inserted text.
// An empty find leaves the text unchanged.
std::string ReplaceAll(const std::string& text, const std::string& find, const std::string& replacement);

// Position (from 1) of find in text at or after start (from 1), 0 when absent or when
// find is empty. Without case sensitivity only ASCII letters are folded.
int PosFrom(const std::string& find, const std::string& text, int start, bool caseSensitive = true);

// Every run of characters with codes 0-32 becomes one space; a run at the end vanishes.
std::string CollapseBlanks(const std::string& text);

// The folder with a trailing "\" (the program's stored form) unless it is empty or
// already ends with one.
std::string AddTrailingBackslash(const std::string& folder);
// The folder with a trailing "/" for native paths unless it is empty or already ends
// with one.
std::string AddTrailingSeparator(const std::string& folder);

// Without leading and trailing characters up to U+0020.
std::u16string TrimWide(const std::u16string& text);

// Form encoding of a POST body field: space as '+', a few safe characters kept,
// every other byte as %XX (upper case).
std::string UrlEncodeForm(const std::string& text);

// Text typed with the Latin keyboard layout while the Russian one was meant: each
// character of the Latin layout becomes the Russian character on the same key.
// The 8-bit form works on Windows-1251 text.
std::string LatinToCyrillicLayout(const std::string& text);
std::u16string LatinToCyrillicLayout(const std::u16string& text);

// Puts the list in a random order (not a uniformly distributed one): a quicksort whose
// comparison answers at random, whatever the items.
void ShuffleStrings(std::vector<std::string>& list);

} // namespace orlinda
