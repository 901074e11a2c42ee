// The stringers and slots of the whole fuselage ("Lisses et encoches"): the table's edits, each
// one undo step, and the notches they cut into every former.
#include "session/editor_session.h"

#include "session/work_model.h"

#include <algorithm>
#include <utility>

namespace {

// "L3 traverse le doublage de F4", and how many more were left out.
std::string refusalSummary(const std::vector<NotchRefusal>& refused) {
    if (refused.empty())
        return {};
    std::string s = refused.front().text;
    const std::size_t more = refused.size() - 1;
    if (more == 1)
        s += " (et 1 autre encoche laissée de côté)";
    else if (more > 1)
        s += " (et " + std::to_string(more) + " autres encoches laissées de côté)";
    return s;
}

std::string quoted(const std::string& name) {
    return "« " + name + " »";
}

// "fente de quille": a slot as a sentence names it.
std::string slotNoun(SlotKind kind) {
    std::string name(slotName(kind));
    name[0] = 'f';
    return name;
}

} // namespace

std::string EditorSession::formerName(int i) const {
    if (i < 0 || static_cast<std::size_t>(i) >= formers_.size())
        return "F1"; // at start-up, before the list holds its first former
    return formers_[static_cast<std::size_t>(i)]->name;
}

std::string EditorSession::notchesLeftOut() const {
    return refusalSummary(cut_.notches.refused);
}

void EditorSession::recut() {
    cut_ = cutOutline(model_, work_.realScale, DoublingDrawn(work_, model_), notchTable_,
                      formerName(current_));
    drawCutOutline(cut_, drawing_, model_.Nb_Points);
}

const CutOutline& EditorSession::formerCut(int i) const {
    if (i == current_ || i < 0 || static_cast<std::size_t>(i) >= formers_.size())
        return cut_;
    if (cutsTable_ != notchTable_) {
        cuts_.clear();
        cutsTable_ = notchTable_;
    }
    const std::shared_ptr<const Former>& former = formers_[static_cast<std::size_t>(i)];
    for (const CutEntry& e : cuts_)
        if (e.former == former)
            return *e.cut;
    // Formers gone from the list (changed, deleted) are forgotten now and then.
    if (cuts_.size() > 2 * formers_.size() + 8)
        std::erase_if(cuts_, [this](const CutEntry& e) {
            return std::find(formers_.begin(), formers_.end(), e.former) == formers_.end();
        });
    FormerModel sampled = model_; // the session's axes
    auto cut = std::make_shared<CutOutline>();
    if (SampleFormer(former->work, sampled))
        *cut = cutOutline(sampled, former->work.realScale, DoublingDrawn(former->work, sampled),
                          notchTable_, former->name);
    cuts_.push_back({former, cut});
    return *cut;
}

std::vector<NotchRefusal> EditorSession::notchRefusals() const {
    std::vector<NotchRefusal> all;
    for (std::size_t i = 0; i < formers_.size(); ++i) {
        const std::vector<NotchRefusal>& r = formerCut(static_cast<int>(i)).notches.refused;
        all.insert(all.end(), r.begin(), r.end());
    }
    return all;
}

bool EditorSession::changeTable(const NotchTable& table, const std::string& caption,
                                std::string& why, Changed& changed) {
    why = notchTableProblem(table);
    if (!why.empty())
        return false;
    changed = Changed::None;
    if (table == notchTable_)
        return true;
    endGesture();
    notchTable_ = table;
    resample();
    // Every former's notches left out, told at once, unless they are only the edited former's:
    // those are said for as long as they are left out.
    const std::string all = refusalSummary(notchRefusals());
    say(all == notchesLeftOut() ? std::string() : all);
    record(caption, Step::Own);
    changed =
        Changed::Notches | Changed::Drawing | Changed::Part | Changed::Fuselage | Changed::Status;
    return true;
}

bool EditorSession::addStringer(const Stringer& stringer, std::string& why, Changed& changed) {
    NotchTable table = notchTable_;
    table.stringers.push_back(stringer);
    return changeTable(table, "ajouter la lisse " + quoted(stringer.name), why, changed);
}

bool EditorSession::changeStringer(int i, const Stringer& stringer, std::string& why,
                                   Changed& changed) {
    if (i < 0 || static_cast<std::size_t>(i) >= notchTable_.stringers.size()) {
        why = "Cette lisse n'existe pas.";
        return false;
    }
    NotchTable table = notchTable_;
    const std::string name = table.stringers[static_cast<std::size_t>(i)].name;
    table.stringers[static_cast<std::size_t>(i)] = stringer;
    return changeTable(table, "modifier la lisse " + quoted(name), why, changed);
}

bool EditorSession::deleteStringer(int i, std::string& why, Changed& changed) {
    if (i < 0 || static_cast<std::size_t>(i) >= notchTable_.stringers.size()) {
        why = "Cette lisse n'existe pas.";
        return false;
    }
    NotchTable table = notchTable_;
    const std::string name = table.stringers[static_cast<std::size_t>(i)].name;
    table.stringers.erase(table.stringers.begin() + i);
    return changeTable(table, "supprimer la lisse " + quoted(name), why, changed);
}

bool EditorSession::setSlot(const Slot& slot, std::string& why, Changed& changed) {
    NotchTable table = notchTable_;
    Slot s = slot;
    if (s.kind != SlotKind::Crutch)
        s.height = 0.0; // centred on the axis at the top or the bottom point
    const auto there = std::find_if(table.slotList.begin(), table.slotList.end(),
                                    [&s](const Slot& o) { return o.kind == s.kind; });
    const bool change = there != table.slotList.end();
    if (change)
        *there = s;
    else
        table.slotList.push_back(s);
    return changeTable(table, (change ? "modifier la " : "poser la ") + slotNoun(s.kind), why,
                       changed);
}

bool EditorSession::deleteSlot(SlotKind kind, std::string& why, Changed& changed) {
    NotchTable table = notchTable_;
    if (std::erase_if(table.slotList, [kind](const Slot& s) { return s.kind == kind; }) == 0) {
        why = "Il n'y a pas de " + slotNoun(kind) + ".";
        return false;
    }
    return changeTable(table, "retirer la " + slotNoun(kind), why, changed);
}

Stringer EditorSession::nextStringer() const {
    Stringer s;
    const auto taken = [this](const std::string& name) {
        return std::any_of(notchTable_.stringers.begin(), notchTable_.stringers.end(),
                           [&name](const Stringer& o) { return o.name == name; });
    };
    for (int k = 1;; ++k) {
        s.name.assign(1, 'L'); // built by appending: GCC 12 at -O3 warns wrongly on "L" + string
        s.name += std::to_string(k);
        if (!taken(s.name))
            break;
    }
    std::vector<double> places{0.0, 1.0};
    for (const Stringer& o : notchTable_.stringers)
        places.push_back(std::clamp(o.place, 0.0, 1.0));
    std::sort(places.begin(), places.end());
    double widest = -1.0;
    for (std::size_t k = 0; k + 1 < places.size(); ++k)
        if (places[k + 1] - places[k] > widest) {
            widest = places[k + 1] - places[k];
            s.place = (places[k] + places[k + 1]) / 2.0;
        }
    return s;
}

void EditorSession::setExportDxfR12(bool r12) {
    view_.exportDxfR12 = r12;
}
