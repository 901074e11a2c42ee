#include "default_extension.h"

#include <gtest/gtest.h>

namespace {

// Each known type appends its extension as the table writes it when the whole path text lacks it in
// any case and the dialog's description is exactly the type's.
TEST(DefaultExtension, AppendedOnlyWhenTheWholePathLacksItAndTheDescriptionMatches) {
    const struct {
        const char* name;
        const char* description;
        const char* expected;
    } cases[] = {
        {"/home/u/formers/f1", "Fichier Profil", "/home/u/formers/f1.DAT"},
        {"/home/u/f1.Dat", "Fichier Profil", "/home/u/f1.Dat"},
        {"/home/u/f1.txt", "Fichier Profil", "/home/u/f1.txt.DAT"},
        {"/home/u/my.data/f1", "Fichier Profil", "/home/u/my.data/f1"},
        {"/home/u/f.dat.old", "Fichier Profil", "/home/u/f.dat.old"},
        {"", "Fichier Profil", ""},       // a cancelled dialog
        {"f1", "Fichiers Profils", "f1"}, // the load command's description
        {"f1", "fichier profil", "f1"},
        {"f1", "Fichier Projets", "f1.CVB"},
        {"f1", "Fichier Fuselage", "f1.FUS"},
        {"f1", "Fichier Découpe", "f1.DPE"},
        {"f1.dat", "Fichier Fuselage", "f1.dat.FUS"}, // each type looks for its own only
        {"/home/u/f1", "Couple", "/home/u/f1.couple"},
        {"/home/u/f1.COUPLE", "Couple", "/home/u/f1.COUPLE"},
        {"/home/u/f1.DAT", "Couple", "/home/u/f1.DAT.couple"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(withDefaultExtension(c.name, c.description), c.expected)
            << c.name << " / " << c.description;
    }
}

} // namespace
