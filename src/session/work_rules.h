#pragma once

#include "session/work.h"

#include <optional>
#include <string>

// The rules a former's work always keeps, whoever made it: the editor's edits apply them, the
// project file is refused when it breaks one.
//
// - A joint ("Horizontal", "Vertical") needs at least 16 samples.
// - Without a doubling there is nothing to decouple: the doubling is slaved.
// - A doubling in place has its controls following it.
// - The mouse acts on the doubling only while it is decoupled.
// - Only an end point remembers that it was pinned and freed, and not while pinned.

struct BrokenRule {
    std::string field;   // the field of the project file that breaks it ("former.sampleCount")
    std::string message; // why, in French
};

// Applies the rules to `w`; the first rule it had to apply, or nothing when `w` kept them all
// (the pin memory of the points is put right silently).
std::optional<BrokenRule> normalise(Work& w);

// The samples a joint needs at least.
inline constexpr int kJointSamples = 16;
