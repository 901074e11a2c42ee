#include "session/former_name.h"

#include "session/work.h"

namespace {

bool blank(char c) {
    return c == ' ' || c == '\t';
}

// The bytes of a valid UTF-8 sequence starting at `i`, or 0.
std::size_t sequenceLength(std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80             ? 1
                          : (c & 0xE0) == 0xC0 ? 2
                          : (c & 0xF0) == 0xE0 ? 3
                          : (c & 0xF8) == 0xF0 ? 4
                                               : 0;
    if (n == 0 || i + n > s.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
            return 0;
    return n;
}

} // namespace

std::size_t characterCount(std::string_view utf8) {
    std::size_t chars = 0;
    for (const char c : utf8)
        chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return chars;
}

std::string formerNameRefusal(std::string_view name) {
    if (name.find_first_not_of(" \t") == std::string_view::npos)
        return "Un couple doit avoir un nom.";
    if (characterCount(name) > kMaxFormerName)
        return "Le nom est trop long (" + std::to_string(kMaxFormerName) + " caractères au plus).";
    for (std::size_t i = 0; i < name.size();) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c == 0x7F)
            return "Le nom ne peut pas contenir de caractère de contrôle.";
        const std::size_t n = sequenceLength(name, i);
        if (n == 0)
            return "Le nom n'est pas un texte UTF-8 valide.";
        i += n;
    }
    if (blank(name.front()) || blank(name.back()))
        return "Le nom ne peut ni commencer ni finir par une espace.";
    return {};
}

std::string nameWithSuffix(std::string_view base, std::string_view suffix) {
    const std::size_t room =
        kMaxFormerName > characterCount(suffix) ? kMaxFormerName - characterCount(suffix) : 0;
    std::size_t end = 0;
    for (std::size_t chars = 0; end < base.size() && chars < room; ++chars) {
        ++end;
        while (end < base.size() && (static_cast<unsigned char>(base[end]) & 0xC0) == 0x80)
            ++end;
    }
    std::string name(base.substr(0, end));
    while (!name.empty() && blank(name.back())) // a cut may end on a blank
        name.pop_back();
    return name + std::string(suffix);
}
