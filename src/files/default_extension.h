#pragma once

#include <array>
#include <string>
#include <string_view>

// The program's own file types: a save dialog showing one of these descriptions gives the
// chosen name its extension when the name lacks it.
struct KnownFileType {
    std::string_view extension;
    std::string_view description;
};

inline constexpr std::array<KnownFileType, 8> knownFileTypes{{
    {".CVB", "Fichier Projets"},
    {".DAT", "Fichier Profil"},
    {".FUS", "Fichier Fuselage"},
    {".DPE", "Fichier Découpe"},
    // The drawings of a piece to cut out.
    {".SVG", "Fichier SVG"},
    {".DXF", "Fichier DXF"},
    {".PDF", "Fichier PDF"},
    {".couple", "Couple"}, // the editor's own project file, the whole work
}};

// The name a save dialog hands back for `name`, typed under the filter `description`. For each
// known type in order: when the name does not contain the extension anywhere in any case (the
// whole path text counts, so a folder "my.data" is enough) and the description is exactly the
// type's, the extension is appended as the table writes it. An empty name (a cancelled dialog)
// stays empty. Open dialogs never apply this rule.
std::string withDefaultExtension(std::string name, std::string_view description);
