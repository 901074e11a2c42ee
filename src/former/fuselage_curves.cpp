#include "fuselage_curves.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <system_error>

namespace {

std::string quoted(std::string_view text) {
    return "« " + std::string(text) + " »";
}

std::string curveQuoted(CurveKind kind) {
    return quoted(CurveName(kind));
}

// What a point's value is called in messages.
std::string_view valueName(CurveKind kind) {
    return kind == CurveKind::Flanc ? "demi-largeur" : "hauteur";
}

std::string pointPrefix(CurveKind kind, std::size_t i) {
    return curveQuoted(kind) + ", point " + std::to_string(i + 1) + " : ";
}

std::string countText(std::size_t n) {
    if (n == 0)
        return "aucun point";
    return std::to_string(n) + (n == 1 ? " point" : " points");
}

std::string countReason(CurveKind kind, std::size_t n) {
    return curveQuoted(kind) + " : " + countText(n) + " ; une courbe en a de " +
           std::to_string(kMinCurvePoints) + " à " + std::to_string(kMaxCurvePoints) + ".";
}

// Why one coordinate of point i is refused, "" when it is a number within the limits.
std::string coordinateReason(CurveKind kind, std::size_t i, std::string_view name, double v) {
    if (!std::isfinite(v))
        return pointPrefix(kind, i) + "la " + std::string(name) + " " + frenchDecimal(v) +
               " n'est pas un nombre fini.";
    if (std::abs(v) > kCurveLimit)
        return pointPrefix(kind, i) + "la " + std::string(name) + " " + frenchDecimal(v) +
               " est hors de " + frenchDecimal(-kCurveLimit) + ".." + frenchDecimal(kCurveLimit) +
               " mm.";
    return {};
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// The whole text as one number ("12", "-3.5", "inf"), or none.
std::optional<double> wholeNumber(std::string_view s) {
    if (s.size() > 1 && s[0] == '+' && s[1] != '-')
        s.remove_prefix(1);
    if (s.empty())
        return std::nullopt;
    double v = 0.0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (error != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    return v;
}

// The two samples around `station` and how far along from the first: sample j - 1 at or
// before it, sample j after it. The station lies strictly inside the samples' stations.
struct Bracket {
    std::size_t j;
    double t;
};

Bracket bracketOf(const std::vector<PointXYZ>& s, double station) {
    const auto after = std::upper_bound(s.begin() + 1, s.end() - 1, station,
                                        [](double v, const PointXYZ& p) { return v < p.x; });
    const auto j = static_cast<std::size_t>(after - s.begin());
    const PointXYZ& a = s[j - 1];
    const PointXYZ& b = s[j];
    return {j, b.x > a.x ? (station - a.x) / (b.x - a.x) : 0.0};
}

} // namespace

std::string_view CurveName(CurveKind kind) {
    switch (kind) {
    case CurveKind::Dos:
        return "Dos";
    case CurveKind::Ventre:
        return "Ventre";
    case CurveKind::Flanc:
        break;
    }
    return "Flanc";
}

std::vector<CurvePoint>& FuselageViews::curve(CurveKind kind) {
    return kind == CurveKind::Dos ? dos : kind == CurveKind::Ventre ? ventre : flanc;
}

const std::vector<CurvePoint>& FuselageViews::curve(CurveKind kind) const {
    return kind == CurveKind::Dos ? dos : kind == CurveKind::Ventre ? ventre : flanc;
}

std::string CheckCurvePoints(CurveKind kind, const std::vector<CurvePoint>& points) {
    const std::size_t n = points.size();
    if (n < static_cast<std::size_t>(kMinCurvePoints) ||
        n > static_cast<std::size_t>(kMaxCurvePoints))
        return countReason(kind, n);
    for (std::size_t i = 0; i < n; ++i) {
        std::string why = coordinateReason(kind, i, "station", points[i].station);
        if (why.empty())
            why = coordinateReason(kind, i, valueName(kind), points[i].value);
        if (!why.empty())
            return why;
        if (i > 0 && !(points[i].station > points[i - 1].station))
            return pointPrefix(kind, i) + "la station " + frenchDecimal(points[i].station) +
                   " ne dépasse pas celle du point " + std::to_string(i) + " (" +
                   frenchDecimal(points[i - 1].station) +
                   ") ; les stations croissent d'un point au suivant.";
    }
    return {};
}

CurvePointsReading ReadCurvePoints(CurveKind kind, std::string_view text) {
    CurvePointsReading r;
    if (trimmed(text).empty()) {
        r.reason = countReason(kind, 0);
        return r;
    }
    std::size_t i = 0;
    while (true) {
        const std::size_t end = text.find(';');
        const std::string_view pair = trimmed(text.substr(0, end));
        const std::size_t comma = pair.find(',');
        if (comma == std::string_view::npos ||
            pair.find(',', comma + 1) != std::string_view::npos) {
            r.reason = pointPrefix(kind, i) + quoted(pair) + " n'est pas de la forme station," +
                       std::string(valueName(kind)) + ".";
            return r;
        }
        CurvePoint p;
        const std::string_view parts[] = {trimmed(pair.substr(0, comma)),
                                          trimmed(pair.substr(comma + 1))};
        double* into[] = {&p.station, &p.value};
        for (int k = 0; k < 2; ++k) {
            const std::optional<double> v = wholeNumber(parts[k]);
            if (!v) {
                r.reason = pointPrefix(kind, i) + quoted(parts[k]) + " n'est pas un nombre.";
                return r;
            }
            *into[k] = *v;
        }
        r.points.push_back(p);
        ++i;
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
        // Far more pairs than a curve may have: say so without reading the rest.
        if (i > static_cast<std::size_t>(kMaxCurvePoints))
            break;
    }
    if (r.points.size() > static_cast<std::size_t>(kMaxCurvePoints)) {
        r.reason = curveQuoted(kind) + " : plus de " + std::to_string(kMaxCurvePoints) +
                   " points ; une courbe en a de " + std::to_string(kMinCurvePoints) + " à " +
                   std::to_string(kMaxCurvePoints) + ".";
        return r;
    }
    r.reason = CheckCurvePoints(kind, r.points);
    return r;
}

void SampledCurve::sample(const std::vector<CurvePoint>& points) {
    if (points.size() < static_cast<std::size_t>(kMinCurvePoints)) {
        samples_.clear();
        return;
    }
    controls_.resize(points.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        controls_[i] = {points[i].station, points[i].value, 0.0};
    samples_.resize(static_cast<std::size_t>(kCurveSamples));
    const int order = std::min(4, static_cast<int>(points.size()));
    Calcul_Spline(controls_, order, samples_, basis_);
}

std::optional<double> SampledCurve::valueAt(double station) const {
    if (samples_.empty() || std::isnan(station))
        return std::nullopt;
    if (station <= samples_.front().x)
        return samples_.front().y;
    if (station >= samples_.back().x)
        return samples_.back().y;
    const Bracket b = bracketOf(samples_, station);
    const PointXYZ& p = samples_[b.j - 1];
    const PointXYZ& q = samples_[b.j];
    return p.y + b.t * (q.y - p.y);
}

SampledCurve& SampledViews::curve(CurveKind kind) {
    return kind == CurveKind::Dos ? dos : kind == CurveKind::Ventre ? ventre : flanc;
}

const SampledCurve& SampledViews::curve(CurveKind kind) const {
    return kind == CurveKind::Dos ? dos : kind == CurveKind::Ventre ? ventre : flanc;
}

void SampledViews::sample(const FuselageViews& views) {
    for (CurveKind kind : kCurveKinds)
        curve(kind).sample(views.curve(kind));
}

CurvePoint ClampedDrag(const std::vector<CurvePoint>& points, int index, double station,
                       double value) {
    if (index < 0 || static_cast<std::size_t>(index) >= points.size())
        return {station, value};
    const auto i = static_cast<std::size_t>(index);
    const CurvePoint& own = points[i];
    double lo = -kCurveLimit;
    double hi = kCurveLimit;
    if (i > 0)
        lo = points[i - 1].station + kDragStationGap;
    if (i + 1 < points.size())
        hi = points[i + 1].station - kDragStationGap;
    // Neighbours closer than two gaps: the point may stay where it is, not cross them.
    lo = std::min(lo, own.station);
    hi = std::max(hi, own.station);
    CurvePoint p = own;
    if (!std::isnan(station))
        p.station = std::clamp(station, lo, hi);
    if (!std::isnan(value))
        p.value = std::clamp(value, -kCurveLimit, kCurveLimit);
    return p;
}

CurveEdit InsertCurvePoint(CurveKind kind, const std::vector<CurvePoint>& points, double station) {
    CurveEdit e;
    if (points.size() >= static_cast<std::size_t>(kMaxCurvePoints)) {
        e.reason = curveQuoted(kind) + " a déjà " + std::to_string(kMaxCurvePoints) +
                   " points, le plus qu'une courbe puisse avoir.";
        return e;
    }
    e.reason = CheckCurvePoints(kind, points);
    if (e.reason.empty() && (!std::isfinite(station) || std::abs(station) > kCurveLimit))
        e.reason = curveQuoted(kind) + " : la station " + frenchDecimal(station) + " est hors de " +
                   frenchDecimal(-kCurveLimit) + ".." + frenchDecimal(kCurveLimit) + " mm.";
    if (!e.reason.empty())
        return e;
    const auto at = std::lower_bound(points.begin(), points.end(), station,
                                     [](const CurvePoint& p, double s) { return p.station < s; });
    if (at != points.end() && at->station == station) {
        e.reason =
            curveQuoted(kind) + " a déjà un point à la station " + frenchDecimal(station) + " mm.";
        return e;
    }
    const auto index = static_cast<std::size_t>(at - points.begin());

    SampledCurve before;
    before.sample(points);
    // The new curve is linear in the new point's value: sampled with 0 and with 1, its value at
    // any station is c0 + c1 * value, and the least-squares value follows in closed form.
    e.points = points;
    e.points.insert(e.points.begin() + static_cast<std::ptrdiff_t>(index), {station, 0.0});
    e.index = static_cast<int>(index);
    SampledCurve zero;
    zero.sample(e.points);
    e.points[index].value = 1.0;
    SampledCurve one;
    one.sample(e.points);

    const double from = std::min(points.front().station, station);
    const double to = std::max(points.back().station, station);
    double num = 0.0;
    double den = 0.0;
    for (int i = 0; i < kCurveSamples; ++i) {
        const double s = from + (to - from) * i / (kCurveSamples - 1);
        const double c0 = *zero.valueAt(s);
        const double c1 = *one.valueAt(s) - c0;
        num += c1 * (*before.valueAt(s) - c0);
        den += c1 * c1;
    }
    const double value = den > 0.0 ? num / den : *before.valueAt(station);
    e.points[index].value = std::clamp(value, -kCurveLimit, kCurveLimit);
    return e;
}

CurveEdit RemoveCurvePoint(CurveKind kind, const std::vector<CurvePoint>& points, int index) {
    CurveEdit e;
    if (index < 0 || static_cast<std::size_t>(index) >= points.size()) {
        e.reason = curveQuoted(kind) + " n'a pas de point " + std::to_string(index + 1) + ".";
        return e;
    }
    if (points.size() <= static_cast<std::size_t>(kMinCurvePoints)) {
        e.reason =
            curveQuoted(kind) + " garde au moins " + std::to_string(kMinCurvePoints) + " points.";
        return e;
    }
    e.points = points;
    e.points.erase(e.points.begin() + index);
    e.index = std::min(index, static_cast<int>(e.points.size()) - 1);
    return e;
}

std::string frenchDecimal(double v) {
    if (std::isnan(v))
        return "nan";
    if (std::isinf(v))
        return v > 0 ? "inf" : "-inf";
    if (v == 0.0)
        return "0"; // and not "-0"
    char text[64];
    const double size = std::abs(v);
    const std::chars_format format =
        size >= 1e15 || size < 1e-6 ? std::chars_format::general : std::chars_format::fixed;
    const auto end = std::to_chars(text, text + sizeof text, v, format).ptr;
    std::string s(text, end);
    std::replace(s.begin(), s.end(), '.', ',');
    return s;
}

std::string frenchHundredths(double v) {
    return std::isfinite(v) ? frenchDecimal(std::round(v * 100.0) / 100.0) : frenchDecimal(v);
}
