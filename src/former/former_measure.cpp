#include "former_measure.h"

#include "splines.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numeric>
#include <utility>

namespace {

std::string quoted(const std::string& text) {
    return "« " + text + " »";
}

const std::string kFitName = "« Courbes par les couples »";

// A square system solved by Gaussian elimination with partial pivoting, kept factored so the
// correction of the residual reuses it. At most 30 unknowns: plain loops are enough.
class SquareSystem {
public:
    explicit SquareSystem(std::vector<std::vector<double>> a) : a_(std::move(a)) {
        const std::size_t n = a_.size();
        pivot_.resize(n);
        std::iota(pivot_.begin(), pivot_.end(), std::size_t{0});
        for (std::size_t c = 0; c < n; ++c) {
            std::size_t best = c;
            for (std::size_t r = c + 1; r < n; ++r) {
                if (std::abs(a_[r][c]) > std::abs(a_[best][c]))
                    best = r;
            }
            if (!(std::abs(a_[best][c]) > 1e-12)) {
                singular_ = true;
                return;
            }
            std::swap(a_[c], a_[best]);
            std::swap(pivot_[c], pivot_[best]);
            for (std::size_t r = c + 1; r < n; ++r) {
                const double f = a_[r][c] / a_[c][c];
                a_[r][c] = f;
                for (std::size_t k = c + 1; k < n; ++k)
                    a_[r][k] -= f * a_[c][k];
            }
        }
    }

    bool singular() const { return singular_; }

    std::vector<double> solve(const std::vector<double>& b) const {
        const std::size_t n = a_.size();
        std::vector<double> x(n);
        for (std::size_t r = 0; r < n; ++r) {
            double s = b[pivot_[r]];
            for (std::size_t k = 0; k < r; ++k)
                s -= a_[r][k] * x[k];
            x[r] = s;
        }
        for (std::size_t r = n; r-- > 0;) {
            double s = x[r];
            for (std::size_t k = r + 1; k < n; ++k)
                s -= a_[r][k] * x[k];
            x[r] = s / a_[r][r];
        }
        return x;
    }

private:
    std::vector<std::vector<double>> a_;
    std::vector<std::size_t> pivot_;
    bool singular_ = false;
};

// Row r of the system: how the value read at station a[r] depends on each control point's
// value, through the spline's weights and the interpolation between the two samples around it.
std::vector<std::vector<double>> readingWeights(const std::vector<double>& a) {
    const int last = static_cast<int>(a.size()) - 1;
    const int order = std::min(4, last + 1);
    const int m = kCurveSamples - 1;
    std::vector<CurvePoint> stationsOnly(a.size());
    for (std::size_t j = 0; j < a.size(); ++j)
        stationsOnly[j] = {a[j], 0.0};
    SampledCurve stations;
    stations.sample(stationsOnly);
    const std::vector<PointXYZ>& x = stations.samples();

    SplineBasis basis;
    const std::vector<double>& table = basis.weights(last, order, m);
    const auto samples = static_cast<std::size_t>(m - 1);
    auto weight = [&](std::size_t i, std::size_t j) {
        if (i == 0)
            return j == 0 ? 1.0 : 0.0;
        if (i == static_cast<std::size_t>(m))
            return j == static_cast<std::size_t>(last) ? 1.0 : 0.0;
        return table[j * samples + i - 1];
    };

    std::vector<std::vector<double>> rows(a.size(), std::vector<double>(a.size(), 0.0));
    for (std::size_t r = 0; r < a.size(); ++r) {
        const double s = a[r];
        if (s <= x.front().x) {
            rows[r][0] = 1.0;
            continue;
        }
        if (s >= x.back().x) {
            rows[r][static_cast<std::size_t>(last)] = 1.0;
            continue;
        }
        const auto after = std::upper_bound(x.begin() + 1, x.end() - 1, s,
                                            [](double v, const PointXYZ& p) { return v < p.x; });
        const auto i = static_cast<std::size_t>(after - x.begin());
        const double t = (s - x[i - 1].x) / (x[i].x - x[i - 1].x);
        for (std::size_t j = 0; j < a.size(); ++j)
            rows[r][j] = (1.0 - t) * weight(i - 1, j) + t * weight(i, j);
    }
    return rows;
}

bool sameMeasure(const FormerMeasure& p, const FormerMeasure& q) {
    for (CurveKind kind : kCurveKinds) {
        if (!(std::abs(p.of(kind) - q.of(kind)) <= kFitTolerance))
            return false;
    }
    return true;
}

} // namespace

double FormerMeasure::of(CurveKind kind) const {
    return kind == CurveKind::Dos ? top : kind == CurveKind::Ventre ? bottom : halfWidth;
}

std::optional<FormerMeasure> MeasureFormer(const std::vector<PointXYZ>& outline, double X1,
                                           double Y1, double realScale) {
    if (outline.empty())
        return std::nullopt;
    FormerMeasure m;
    m.top = m.bottom = (Y1 - outline.front().y) * realScale;
    m.halfWidth = (outline.front().x - X1) * realScale;
    for (const PointXYZ& p : outline) {
        const double y = (Y1 - p.y) * realScale;
        m.top = std::max(m.top, y);
        m.bottom = std::min(m.bottom, y);
        m.halfWidth = std::max(m.halfWidth, (p.x - X1) * realScale);
    }
    return m;
}

std::optional<double> Departures::of(CurveKind kind) const {
    return kind == CurveKind::Dos ? dos : kind == CurveKind::Ventre ? ventre : flanc;
}

bool Departures::unfair() const {
    for (CurveKind kind : kCurveKinds) {
        if (of(kind) && std::abs(*of(kind)) > kFairnessTolerance)
            return true;
    }
    return false;
}

Departures DeparturesOf(const SampledViews& curves, double station, const FormerMeasure& m) {
    Departures d;
    std::optional<double>* into[] = {&d.dos, &d.ventre, &d.flanc};
    for (std::size_t c = 0; c < 3; ++c) {
        const CurveKind kind = kCurveKinds[c];
        if (const std::optional<double> v = curves.curve(kind).valueAt(station))
            *into[c] = m.of(kind) - *v;
    }
    return d;
}

CurvesFit CurvesFromFormers(const std::vector<MeasuredFormer>& formers) {
    CurvesFit fit;
    std::vector<const MeasuredFormer*> byStation;
    for (const MeasuredFormer& f : formers) {
        if (!std::isfinite(f.station) || std::abs(f.station) > kCurveLimit) {
            fit.reason = kFitName + " : la station " + frenchDecimal(f.station) + " du couple " +
                         quoted(f.name) + " est hors de " + frenchDecimal(-kCurveLimit) + ".." +
                         frenchDecimal(kCurveLimit) + " mm.";
            return fit;
        }
        byStation.push_back(&f);
    }
    std::stable_sort(
        byStation.begin(), byStation.end(),
        [](const MeasuredFormer* p, const MeasuredFormer* q) { return p->station < q->station; });
    // A former duplicated and not moved yet says nothing new; two different ones cannot both be
    // passed through.
    std::vector<const MeasuredFormer*> kept;
    for (const MeasuredFormer* f : byStation) {
        if (!kept.empty() && kept.back()->station == f->station) {
            if (!sameMeasure(kept.back()->measure, f->measure)) {
                fit.reason = "Les couples " + quoted(kept.back()->name) + " et " + quoted(f->name) +
                             " sont à la même station (" + frenchDecimal(f->station) +
                             " mm) sans avoir les mêmes mesures : une courbe ne passe qu'une "
                             "fois par une station.";
                return fit;
            }
            continue;
        }
        kept.push_back(f);
    }
    if (kept.size() < static_cast<std::size_t>(kMinCurvePoints)) {
        fit.reason = kFitName + " demande au moins deux couples à des stations différentes.";
        return fit;
    }
    if (kept.size() > static_cast<std::size_t>(kMaxCurvePoints)) {
        fit.reason = kFitName + " : " + std::to_string(kept.size()) +
                     " stations différentes ; une courbe a au plus " +
                     std::to_string(kMaxCurvePoints) + " points.";
        return fit;
    }

    std::vector<double> stations;
    for (const MeasuredFormer* f : kept)
        stations.push_back(f->station);
    const SquareSystem system(readingWeights(stations));
    const std::string notThrough = kFitName + " : les courbes ne passent pas à " +
                                   frenchDecimal(kFitTolerance) + " mm près par les couples.";
    if (system.singular()) {
        fit.reason = notThrough;
        return fit;
    }
    for (CurveKind kind : kCurveKinds) {
        std::vector<double> wanted;
        for (const MeasuredFormer* f : kept)
            wanted.push_back(f->measure.of(kind));
        std::vector<double> values = system.solve(wanted);
        std::vector<CurvePoint>& points = fit.views.curve(kind);
        auto place = [&] {
            points.resize(stations.size());
            for (std::size_t j = 0; j < stations.size(); ++j)
                points[j] = {stations[j], values[j]};
        };
        place();
        // One correction by what the sampled curve actually reads, then the check.
        SampledCurve curve;
        std::vector<double> residual(stations.size());
        for (int pass = 0; pass < 2; ++pass) {
            curve.sample(points);
            bool through = true;
            for (std::size_t r = 0; r < stations.size(); ++r) {
                residual[r] = wanted[r] - *curve.valueAt(stations[r]);
                through = through && std::abs(residual[r]) <= kFitTolerance;
            }
            if (pass == 1) {
                if (!through) {
                    fit.reason = notThrough;
                    fit.views = {};
                    return fit;
                }
                break;
            }
            const std::vector<double> step = system.solve(residual);
            for (std::size_t j = 0; j < values.size(); ++j)
                values[j] += step[j];
            place();
        }
        if (std::string why = CheckCurvePoints(kind, points); !why.empty()) {
            fit.reason = kFitName + " : " + why;
            fit.views = {};
            return fit;
        }
    }
    return fit;
}
