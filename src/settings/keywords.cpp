#include "settings/keywords.h"

#include "platform/platform.h"

int KeywordValue(const KeywordList& list, std::string_view text) {
    std::string upper = AsciiUpper(text);
    for (const Keyword& k : list.words)
        if (upper == k.word) return k.value;
    return 0;
}

std::string KeywordName(const KeywordList& list, int value) {
    for (const Keyword& k : list.words)
        if (k.value == value) return AsciiLower(k.word);
    return "";
}
