#include "following_former.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>

namespace {

std::string quoted(std::string_view text) {
    return "« " + std::string(text) + " »";
}

// Below this a box has no extent to normalise by, real millimetres.
constexpr double kFlat = 1e-9;
// The placed outline fills its box this closely, real millimetres, or the stretching gives up
// after kStretchPasses passes and keeps its best.
constexpr double kFilled = 1e-7;
constexpr int kStretchPasses = 4;

// The box a former is placed into: the curves' values at its station, real millimetres.
struct Box {
    double top = 0.0;
    double bottom = 0.0;
    double halfWidth = 0.0;
};

double misfit(const FormerMeasure& m, const Box& b) {
    return std::max({std::abs(m.top - b.top), std::abs(m.bottom - b.bottom),
                     std::abs(m.halfWidth - b.halfWidth)});
}

PointXYZ normalised(const PointXYZ& p, double X1, double Y1, double k, const FormerMeasure& box) {
    const double x = (p.x - X1) * k;
    const double y = (Y1 - p.y) * k;
    return {x / box.halfWidth, (y - box.bottom) / (box.top - box.bottom), 0.0};
}

// The corner of the control polygon at point i (the end of the last segment for the last).
PointXYZ polygonCorner(const FormerModel& m, std::size_t i) {
    if (i < m.LinPi.size())
        return {m.LinPi[i].X1, m.LinPi[i].Y1, 0.0};
    const LineItem& l = m.LinPi.back();
    return {l.X2, l.Y2, 0.0};
}

// Puts the normalised points into the box, in the drawing's millimetres of `m` (its axes, real
// scale k). Handles and polygon corners keep the offsets from their points that the key former
// had, so they look and pick as its own do.
void place(FormerModel& m, const FormerModel& key, double k, const std::vector<PointXYZ>& control,
           const std::vector<PointXYZ>& doubling, const Box& box) {
    const double X1 = m.X1();
    const double Y1 = m.Y1();
    const double height = box.top - box.bottom;
    auto toDrawing = [&](const PointXYZ& uv) {
        return PointXYZ{X1 + uv.x * box.halfWidth / k, Y1 - (box.bottom + uv.y * height) / k, 0.0};
    };
    for (std::size_t i = 0; i < control.size(); ++i) {
        const PointXYZ p = toDrawing(control[i]);
        const PointXYZ& own = key.Pts_Couple[i];
        m.Pts_Couple[i] = p;
        m.shppi[i].Left = p.x + (key.shppi[i].Left - own.x);
        m.shppi[i].Top = p.y + (key.shppi[i].Top - own.y);
        const PointXYZ corner = polygonCorner(key, i);
        const double cx = p.x + (corner.x - own.x);
        const double cy = p.y + (corner.y - own.y);
        if (i < m.LinPi.size()) {
            m.LinPi[i].X1 = cx;
            m.LinPi[i].Y1 = cy;
        }
        if (i > 0 && i - 1 < m.LinPi.size()) {
            m.LinPi[i - 1].X2 = cx;
            m.LinPi[i - 1].Y2 = cy;
        }
    }
    for (std::size_t i = 0; i < doubling.size(); ++i) {
        const PointXYZ d = toDrawing(doubling[i]);
        m.Pts_Doublage[i] = d;
        m.Shape1[i].Left = d.x;
        m.Shape1[i].Top = d.y;
    }
}

std::vector<PointXYZ> blend(const std::vector<PointXYZ>& a, const std::vector<PointXYZ>& b,
                            double t) {
    std::vector<PointXYZ> r(a.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        r[i] = {a[i].x + t * (b[i].x - a[i].x), a[i].y + t * (b[i].y - a[i].y), 0.0};
    return r;
}

// The normalised points whose placed outline would measure `box`, from those whose outline
// measured `got` (both real mm): u scaled by the width's ratio, v by the height's.
bool restretch(std::vector<PointXYZ>& uv, const FormerMeasure& got, const Box& box) {
    const double height = box.top - box.bottom;
    const double u = got.halfWidth / box.halfWidth;
    const double vTop = (got.top - box.bottom) / height;
    const double vBottom = (got.bottom - box.bottom) / height;
    if (!(u > kFlat) || !(vTop - vBottom > kFlat))
        return false;
    for (PointXYZ& p : uv)
        p = {p.x / u, (p.y - vBottom) / (vTop - vBottom), 0.0};
    return true;
}

std::string missingCurves(const SampledViews& curves) {
    std::vector<std::string_view> missing;
    for (CurveKind kind : kCurveKinds) {
        if (curves.curve(kind).empty())
            missing.push_back(CurveName(kind));
    }
    if (missing.empty())
        return {};
    if (missing.size() == 3)
        return "Aucune courbe du fuselage : tracez « Dos », « Ventre » et « Flanc » dans la "
               "fenêtre « Fuselage ».";
    if (missing.size() == 1)
        return "Courbe " + quoted(missing[0]) +
               " absente : tracez-la dans la fenêtre « Fuselage ».";
    return "Courbes " + quoted(missing[0]) + " et " + quoted(missing[1]) +
           " absentes : tracez-les dans la fenêtre « Fuselage ».";
}

FollowStatus refused(FollowRefusal why, std::string reason) {
    return {why, std::move(reason)};
}

} // namespace

KeyShapes::KeyShapes(const std::vector<KeyFormer>& keys) {
    for (std::size_t k = 0; k < keys.size(); ++k) {
        const KeyFormer& key = keys[k];
        if (key.sampled == nullptr)
            continue;
        const FormerModel& m = *key.sampled;
        Shape s;
        s.key = static_cast<int>(k);
        s.name = key.name;
        s.station = key.station;
        s.realScale = key.realScale;
        s.sampled = key.sampled;
        s.options = key.options;
        const std::optional<FormerMeasure> box =
            MeasureFormer(m.Courbe_Droite, m.X1(), m.Y1(), key.realScale);
        s.flat = !box || !(box->top - box->bottom > kFlat) || !(box->halfWidth > kFlat) ||
                 m.LinPi.empty() || m.shppi.size() < m.Pts_Couple.size() ||
                 m.Shape1.size() < m.Pts_Doublage.size();
        if (!s.flat) {
            for (const PointXYZ& p : m.Pts_Couple)
                s.control.push_back(normalised(p, m.X1(), m.Y1(), key.realScale, *box));
            for (const PointXYZ& p : m.Pts_Doublage)
                s.doubling.push_back(normalised(p, m.X1(), m.Y1(), key.realScale, *box));
        }
        shapes_.push_back(std::move(s));
    }
    std::stable_sort(shapes_.begin(), shapes_.end(),
                     [](const Shape& a, const Shape& b) { return a.station < b.station; });
}

FollowStatus KeyShapes::status(const SampledViews& curves) const {
    if (std::string why = missingCurves(curves); !why.empty())
        return refused(FollowRefusal::NoCurves, std::move(why));
    if (shapes_.empty())
        return refused(FollowRefusal::NoKeyFormer,
                       "Aucun couple clé : un couple au moins doit garder sa propre forme pour "
                       "que les autres suivent le fuselage.");
    return {};
}

namespace {

const std::string kKeepsOutline = " : le couple garde son dernier contour.";

// The curves' box at `station`, or why there is none.
FollowStatus boxAt(const SampledViews& curves, double station, Box& box) {
    const std::string at = "À la station " + frenchHundredths(station) + " mm, ";
    // A station that is not a number has no box: it is refused below as one where "Dos" is not
    // above "Ventre".
    constexpr double none = std::numeric_limits<double>::quiet_NaN();
    box.top = curves.dos.valueAt(station).value_or(none);
    box.bottom = curves.ventre.valueAt(station).value_or(none);
    box.halfWidth = curves.flanc.valueAt(station).value_or(none);
    if (!(box.top > box.bottom))
        return refused(FollowRefusal::BackNotAboveBelly,
                       at + "« Dos » (" + frenchHundredths(box.top) +
                           " mm) n'est pas au-dessus de « Ventre » (" +
                           frenchHundredths(box.bottom) + " mm)" + kKeepsOutline);
    if (!(box.halfWidth > 0.0))
        return refused(FollowRefusal::SideNotAboveZero,
                       at + "« Flanc » (" + frenchHundredths(box.halfWidth) +
                           " mm) n'est pas au-dessus de 0" + kKeepsOutline);
    return {};
}

} // namespace

FollowStatus KeyShapes::statusAt(const SampledViews& curves, double station) const {
    FollowStatus s = status(curves);
    Box box;
    return s.ok() ? boxAt(curves, station, box) : s;
}

FollowingFormer KeyShapes::follow(const SampledViews& curves, double station) const {
    FollowingFormer f;
    f.status = status(curves);
    if (!f.status.ok())
        return f;
    Box box;
    f.status = boxAt(curves, station, box);
    if (!f.status.ok())
        return f;

    // The two shapes around the station, or the nearest alone beyond the keys.
    const Shape* a = &shapes_.front();
    const Shape* b = nullptr;
    double t = 0.0;
    if (station >= shapes_.back().station) {
        a = &shapes_.back();
    } else if (station > shapes_.front().station) {
        const auto after =
            std::upper_bound(shapes_.begin(), shapes_.end(), station,
                             [](double s, const Shape& shape) { return s < shape.station; });
        a = &*(after - 1);
        b = &*after;
        t = (station - a->station) / (b->station - a->station);
    }
    const Shape* nearest = &shapes_.front();
    for (const Shape& s : shapes_) {
        if (std::abs(station - s.station) < std::abs(station - nearest->station))
            nearest = &s;
    }
    for (const Shape* s : {a, b}) {
        if (s != nullptr && s->flat) {
            f.status = refused(FollowRefusal::FlatKeyFormer,
                               "Le couple clé " + quoted(s->name) +
                                   " n'a pas de hauteur ou pas de largeur" + kKeepsOutline);
            return f;
        }
    }
    if (nearest->flat) {
        f.status = refused(FollowRefusal::FlatKeyFormer,
                           "Le couple clé " + quoted(nearest->name) +
                               " n'a pas de hauteur ou pas de largeur" + kKeepsOutline);
        return f;
    }
    std::vector<PointXYZ> control = a->control;
    std::vector<PointXYZ> doubling = a->doubling;
    if (b != nullptr && b->control.size() == control.size() &&
        b->doubling.size() == doubling.size()) {
        control = blend(control, b->control, t);
        doubling = blend(doubling, b->doubling, t);
    }
    const FormerModel& key = *nearest->sampled;
    f.nearestKey = nearest->key;
    f.model = key;
    if (f.model.Pts_Couple.size() != control.size() ||
        f.model.Pts_Doublage.size() != doubling.size()) {
        // Key formers of another number of points: the nearest one's shape alone.
        control = nearest->control;
        doubling = nearest->doubling;
    }

    const double k = nearest->realScale;
    auto sampleAndMeasure = [&] {
        place(f.model, key, k, control, doubling, box);
        DisegnaCurva(f.model, nearest->options, nullptr);
        f.measure = *MeasureFormer(f.model.Courbe_Droite, f.model.X1(), f.model.Y1(), k);
        return misfit(f.measure, box);
    };
    double error = sampleAndMeasure();
    std::vector<PointXYZ> bestControl = control;
    std::vector<PointXYZ> bestDoubling = doubling;
    double best = error;
    for (int pass = 0; pass < kStretchPasses && best > kFilled; ++pass) {
        if (!restretch(control, f.measure, box) || !restretch(doubling, f.measure, box))
            break;
        error = sampleAndMeasure();
        if (!(error < best))
            break;
        best = error;
        bestControl = control;
        bestDoubling = doubling;
    }
    if (error != best) {
        control = bestControl;
        doubling = bestDoubling;
        sampleAndMeasure();
    }
    return f;
}
