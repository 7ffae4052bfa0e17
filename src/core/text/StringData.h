// The tables behind StringTable.h, for the lookup code and for tests that walk every entry.
#pragma once

#include <span>

namespace wexfold {

struct StringEntry {
    int id;
    const char* text;
};

struct PhraseEntry {
    const char* english;
    const char* chinese;
};

// Sorted by id; both tables hold the same ids.
std::span<const StringEntry> EnglishStrings();
std::span<const StringEntry> ChineseStrings();

// Texts without an id, sorted by their English text (byte order).
std::span<const PhraseEntry> Phrases();

}  // namespace wexfold
