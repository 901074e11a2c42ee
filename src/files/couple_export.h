#pragma once

#include "outline_sequences.h"

#include <string>

// The "Fichier Profil" (.DAT): one point per line, "x y" with the pattern "0.0000000", a point
// as decimal separator, CR LF after every line, no header.

// Appends `v` with seven decimals and a decimal point whatever the C or C++ locale is: the
// user's separator was always turned into a point, so the file never depends on it.
void appendCoordinate(std::string& out, double v);
std::string formatCoordinate(double v);

struct CoupleText {
    std::string text;  // the whole file, every line ended by CR LF
    std::string error; // French reason when nothing can be written; text is then empty
    bool ok() const { return error.empty(); }
};

// The lines of the piece with save code `Piece` (1 bottom, 2 top, 3 left, 4 right, 5 whole):
// the piece's points, the junction rule (L[M] copies the first line's y text when they
// differ), and the closing line (left half always, top and bottom halves with doubling).
// Refuses, with a reason, an unknown code, arrays shorter than N and non-finite points.
CoupleText coupleFileText(const OutlineInput& in, int Piece);

// Writes the piece to `path` through writeFileSafely. Returns "" on success, otherwise a French
// message naming the file and the reason; an older file is then left as it was.
std::string saveCoupleFile(const std::string& path, const OutlineInput& in, int Piece);
