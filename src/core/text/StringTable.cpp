#include "core/text/StringTable.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/text/StringData.h"

namespace wexfold {
namespace {

std::atomic<Language> g_language{Language::kEnglish};

const char* FindText(std::span<const StringEntry> table, int id) {
    const auto it = std::lower_bound(table.begin(), table.end(), id,
                                     [](const StringEntry& e, int key) { return e.id < key; });
    return it != table.end() && it->id == id ? it->text : nullptr;
}

const char* FindPhrase(std::string_view english) {
    const auto table = Phrases();
    const auto it = std::lower_bound(table.begin(), table.end(), english,
                                     [](const PhraseEntry& e, std::string_view key) {
                                         return std::string_view(e.english) < key;
                                     });
    return it != table.end() && it->english == english ? it->chinese : nullptr;
}

// The English id texts ordered by text, so that a caller holding only the English wording
// of an id text (a template caption, say) still finds its translation.
const std::vector<const StringEntry*>& EnglishByText() {
    static const std::vector<const StringEntry*> index = [] {
        std::vector<const StringEntry*> entries;
        for (const StringEntry& e : EnglishStrings()) entries.push_back(&e);
        std::stable_sort(entries.begin(), entries.end(), [](const auto* a, const auto* b) {
            return std::string_view(a->text) < std::string_view(b->text);
        });
        return entries;
    }();
    return index;
}

const char* FindIdText(std::string_view english) {
    const auto& index = EnglishByText();
    const auto it = std::lower_bound(
        index.begin(), index.end(), english,
        [](const StringEntry* e, std::string_view key) { return std::string_view(e->text) < key; });
    if (it == index.end() || (*it)->text != english) return nullptr;
    return FindText(ChineseStrings(), (*it)->id);
}

}  // namespace

Language LanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang) {
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value == nullptr || *value == '\0') continue;
        return std::strncmp(value, "zh", 2) == 0 ? Language::kChinese : Language::kEnglish;
    }
    return Language::kEnglish;
}

Language LanguageFromEnvironment() {
    return LanguageFromLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
                              std::getenv("LANG"));
}

void SetLanguage(Language language) {
    g_language.store(language, std::memory_order_relaxed);
}

Language CurrentLanguage() {
    return g_language.load(std::memory_order_relaxed);
}

const char* Text(int id) {
    return Text(id, CurrentLanguage());
}

const char* Text(int id, Language language) {
    const char* text =
        FindText(language == Language::kChinese ? ChineseStrings() : EnglishStrings(), id);
    return text != nullptr ? text : "";
}

const char* Translate(const char* english) {
    return Translate(english, CurrentLanguage());
}

const char* Translate(const char* english, Language language) {
    if (english == nullptr || language != Language::kChinese) return english;
    if (const char* chinese = FindPhrase(english)) return chinese;
    if (const char* chinese = FindIdText(english)) return chinese;
    return english;
}

}  // namespace wexfold
