#pragma once

#include <string>
#include <string_view>

// The one rule for a former's name, wherever a name comes from: "Renommer", "Nouveau",
// "Dupliquer", couples-cli and the project file. A name is UTF-8 text of 1 to kMaxFormerName
// characters, not blank, with no control character and no blank at either end (the panel trims
// what is typed, so no name the editor makes has one).
// "" when `name` may name a former, else the French reason.
std::string formerNameRefusal(std::string_view name);

// The number of characters (code points) of UTF-8 text.
std::size_t characterCount(std::string_view utf8);

// `base` followed by `suffix`, the base cut (at a character's boundary) so that the whole keeps
// to the longest name.
std::string nameWithSuffix(std::string_view base, std::string_view suffix);
