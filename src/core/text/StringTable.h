// The program's string table: every user text by its numeric id, in English and in
// Simplified Chinese (UTF-8). Both languages have the same ids and the same format specifiers.
#pragma once

namespace wexfold {

enum class Language { kEnglish, kChinese };

// The language for a locale: the first non-empty of LC_ALL, LC_MESSAGES and LANG decides;
// one that begins with "zh" gives Chinese, anything else English.
Language LanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang);
Language LanguageFromEnvironment();

// The language Text() uses; English until set.
void SetLanguage(Language language);
Language CurrentLanguage();

// The text of a string id in the current or the given language; "" for an unknown id.
const char* Text(int id);
const char* Text(int id, Language language);

// The text shown for an English text without an id (captions, menu items, dialog labels;
// an id text given by its English wording is found too): its Chinese translation when the
// language is Chinese and one exists, else the argument itself.
const char* Translate(const char* english);
const char* Translate(const char* english, Language language);

}  // namespace wexfold
