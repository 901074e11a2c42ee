#include "default_extension.h"

namespace {

// ASCII only, so the result never depends on the C locale; the extensions are plain ASCII.
std::string upperAscii(std::string_view s) {
    std::string u(s);
    for (char& c : u) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return u;
}

} // namespace

std::string withDefaultExtension(std::string name, std::string_view description) {
    if (name.empty()) {
        return name;
    }
    for (const KnownFileType& type : knownFileTypes) {
        if (upperAscii(name).find(upperAscii(type.extension)) == std::string::npos &&
            description == type.description) {
            name += type.extension;
        }
    }
    return name;
}
