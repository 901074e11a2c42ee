#include "default_extension.h"

#include <gtest/gtest.h>

namespace {

TEST(DefaultExtension, ProfileNamesGetDatUnlessTheyHaveIt) {
    EXPECT_EQ(withDefaultExtension("/home/u/formers/f1", "Fichier Profil"),
              "/home/u/formers/f1.DAT");
    EXPECT_EQ(withDefaultExtension("/home/u/f1.dat", "Fichier Profil"), "/home/u/f1.dat");
    EXPECT_EQ(withDefaultExtension("/home/u/f1.Dat", "Fichier Profil"), "/home/u/f1.Dat");
    EXPECT_EQ(withDefaultExtension("/home/u/f1.txt", "Fichier Profil"), "/home/u/f1.txt.DAT");
    EXPECT_EQ(withDefaultExtension("f1", "Fichier Profil"), "f1.DAT");
}

TEST(DefaultExtension, TheWholePathTextCounts) {
    EXPECT_EQ(withDefaultExtension("/home/u/my.data/f1", "Fichier Profil"), "/home/u/my.data/f1");
    EXPECT_EQ(withDefaultExtension("/home/u/f.dat.old", "Fichier Profil"), "/home/u/f.dat.old");
}

TEST(DefaultExtension, OnlyAnExactDescriptionTriggersIt) {
    EXPECT_EQ(withDefaultExtension("f1", "Fichiers Profils"), "f1"); // the load command's
    EXPECT_EQ(withDefaultExtension("f1", "fichier profil"), "f1");
    EXPECT_EQ(withDefaultExtension("f1", "Fichier Projets"), "f1.CVB");
    EXPECT_EQ(withDefaultExtension("f1", "Fichier Fuselage"), "f1.FUS");
    EXPECT_EQ(withDefaultExtension("f1", "Fichier Découpe"), "f1.DPE");
    EXPECT_EQ(withDefaultExtension("f1", "Fichier Decoupe"), "f1");
    // Each type looks for its own extension only.
    EXPECT_EQ(withDefaultExtension("f1.dat", "Fichier Fuselage"), "f1.dat.FUS");
}

TEST(DefaultExtension, ACancelledDialogStaysEmpty) {
    EXPECT_EQ(withDefaultExtension("", "Fichier Profil"), "");
}

} // namespace
