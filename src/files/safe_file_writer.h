#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Replaces the file `path` by `text` without ever leaving it half written: the text goes to a
// temporary file in the same folder, is flushed to the disk, and only then renamed over the
// target. On any failure the temporary file is removed and an older file stays byte for byte.
//
// - A target the user marked read-only (no write permission bit) is refused, even for root,
//   although the rename would succeed; so is a folder without any write permission bit.
// - A symbolic link is followed: the file it points to is replaced, or created when it is
//   missing; the link stays.
// - A character device (such as /dev/null or /dev/full) is written in place: replacing it by a
//   regular file would destroy it. Writing to /dev/full therefore fails with "disk full".
// - The replaced file keeps its permissions (and its owner where the system allows it).
//
// Returns "" on success, otherwise a French message naming the file and the reason.
std::string writeFileSafely(const std::string& path, std::string_view text);

// Several files written as one: each checked and written aside first, then all moved into
// place. The first that cannot be written leaves every older file as it was, and so does a move
// that fails half-way (the files already replaced are put back). Returns "" or the French
// message of the file that failed.
std::string writeFilesSafely(const std::vector<std::pair<std::string, std::string>>& files);

// French reason for an errno value, as shown after the file name ("le disque est plein").
std::string writeFailureReason(int err);

// "Impossible d'enregistrer le fichier « path » : reason."
std::string writeFailureMessage(const std::string& path, const std::string& reason);
