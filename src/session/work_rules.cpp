#include "session/work_rules.h"

std::optional<BrokenRule> normalise(Work& w) {
    std::optional<BrokenRule> first;
    auto broken = [&first](const char* field, const char* message) {
        if (!first)
            first = BrokenRule{field, message};
    };
    if (!w.doublingOn && !w.slaved) {
        w.slaved = true;
        broken("doubling.slaved", "sans doublage, les mouvements sont asservis.");
    }
    if (w.doublingOn && w.doublingControls != DoublingControls::FollowDoubling) {
        w.doublingControls = DoublingControls::FollowDoubling;
        broken("doubling.controls", "un doublage en place a ses commandes à jour.");
    }
    if (w.joint != AssemblyJoint::None && w.sampleCount < kJointSamples) {
        w.sampleCount = kJointSamples;
        broken("former.sampleCount", "un assemblage demande au moins 16 points.");
    }
    if (w.mouseAction == MouseAction::Doubling && w.slaved) {
        w.mouseAction = MouseAction::Former;
        broken("mouseAction", "la souris n'agit sur le doublage qu'en mode découplé.");
    }
    for (std::size_t i = 0; i < w.former.size(); ++i) {
        FormerPoint& p = w.former[i];
        const bool end = i == 0 || i + 1 == w.former.size();
        p.unpinned = p.unpinned && end && !p.pinned;
    }
    return first;
}
