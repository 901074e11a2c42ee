#include "following_former.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using RealPoints = std::vector<std::pair<double, double>>; // x from the axis, y up, real mm

// A key former on the design surface from its nine control points in real millimetres, its
// handles on its points as the start-up leaves them (the end ones centred on the axis), its
// doubling placed, and its outline sampled.
struct TracedKey {
    std::string name;
    double station = 0.0;
    RealPoints points;
    double realScale = 1.0;
    int order = 4;
    int samples = 100;
    std::vector<int> pins;
    OutlineOptions options;
};

TracedKey traced(std::string name, double station, RealPoints points) {
    return {std::move(name), station, std::move(points), 1.0, 4, 100, {}, {}};
}

FormerModel keyModel(const TracedKey& k) {
    FormerModel m;
    PlaceAxes(m, 120.0, 100.0, 100.0);
    Forme_Initiale(m);
    for (std::size_t i = 0; i < k.points.size(); ++i) {
        const PointXYZ p{m.X1() + k.points[i].first / k.realScale,
                         m.Y1() - k.points[i].second / k.realScale, 0.0};
        m.Pts_Couple[i] = p;
        const bool end = i == 0 || i + 1 == k.points.size();
        m.shppi[i].Left = end ? p.x - m.shppi[i].Width / 2.0 : p.x;
        m.shppi[i].Top = p.y;
        if (i < m.LinPi.size()) {
            m.LinPi[i].X1 = p.x;
            m.LinPi[i].Y1 = p.y;
        }
        if (i > 0) {
            m.LinPi[i - 1].X2 = p.x;
            m.LinPi[i - 1].Y2 = p.y;
        }
    }
    for (int pin : k.pins)
        TogglePin(m, pin);
    m.Ordre_Spline = k.order;
    m.Nb_Points = k.samples;
    m.resizeSamples(k.samples);
    PlaceDoubling(m, 5);
    DisegnaCurva(m, k.options, nullptr);
    return m;
}

const RealPoints kRound = {{0, 40},   {15, 40},  {25, 30}, {28, 10}, {28, -5},
                           {25, -20}, {15, -30}, {5, -32}, {0, -32}};
// Widest low down, and highest behind the axis: blended, neither box is the other's.
const RealPoints kPear = {{0, 35},   {10, 35},  {18, 25}, {22, 10}, {28, -10},
                          {30, -25}, {20, -32}, {8, -34}, {0, -34}};
const RealPoints kCanopy = {{0, 30},   {8, 40},   {18, 38}, {24, 20}, {25, 0},
                            {22, -15}, {15, -25}, {6, -28}, {0, -28}};
const RealPoints kBoxy = {{0, 25},   {20, 25},  {30, 25},  {30, 10}, {30, 0},
                          {30, -10}, {30, -25}, {20, -25}, {0, -25}};

FuselageViews typedViews(const char* dos, const char* ventre, const char* flanc) {
    FuselageViews v;
    const std::pair<CurveKind, const char*> typed[] = {
        {CurveKind::Dos, dos}, {CurveKind::Ventre, ventre}, {CurveKind::Flanc, flanc}};
    for (const auto& [kind, text] : typed) {
        const CurvePointsReading r = ReadCurvePoints(kind, text);
        EXPECT_TRUE(r.ok()) << r.reason;
        v.curve(kind) = r.points;
    }
    return v;
}

SampledViews sampledViews(const FuselageViews& v) {
    SampledViews s;
    s.sample(v);
    return s;
}

// The key formers' models, kept alive as long as the shapes made of them.
struct Keys {
    std::vector<FormerModel> models;
    std::vector<KeyFormer> keys;

    explicit Keys(const std::vector<TracedKey>& traced) {
        models.reserve(traced.size());
        for (const TracedKey& s : traced)
            models.push_back(keyModel(s));
        for (std::size_t i = 0; i < traced.size(); ++i)
            keys.push_back({traced[i].name, traced[i].station, traced[i].realScale, &models[i],
                            traced[i].options});
    }
};

// The control points in real millimetres normalised into a box.
std::vector<PointXYZ> normalisedPoints(const FormerModel& m, double k, const FormerMeasure& box) {
    std::vector<PointXYZ> uv;
    for (const PointXYZ& p : m.Pts_Couple) {
        const double x = (p.x - m.X1()) * k;
        const double y = (m.Y1() - p.y) * k;
        uv.push_back({x / box.halfWidth, (y - box.bottom) / (box.top - box.bottom), 0.0});
    }
    return uv;
}

FormerMeasure measured(const FormerModel& m, double k) {
    return *MeasureFormer(m.Courbe_Droite, m.X1(), m.Y1(), k);
}

// The largest residual of the straight line fitted to (a, b) by least squares.
double lineResidual(const std::vector<double>& a, const std::vector<double>& b) {
    const auto n = static_cast<double>(a.size());
    double sa = 0, sb = 0, saa = 0, sab = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        sa += a[i];
        sb += b[i];
        saa += a[i] * a[i];
        sab += a[i] * b[i];
    }
    const double slope = (n * sab - sa * sb) / (n * saa - sa * sa);
    const double offset = (sb - slope * sa) / n;
    double worst = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, std::abs(slope * a[i] + offset - b[i]));
    return worst;
}

const char* const kDos = "0,30;100,45;250,52;400,40;500,25";
const char* const kVentre = "0,-25;120,-35;300,-30;500,-5";
const char* const kFlanc = "0,20;150,32;350,28;500,8";

} // namespace

TEST(FormerMeasure, TopBottomAndHalfWidthInRealMillimetres) {
    struct Case {
        std::vector<PointXYZ> outline; // drawing mm, axes at X1 = 60, Y1 = 50
        double realScale;
        FormerMeasure expected;
    };
    const Case cases[] = {
        {{{60, 20, 0}, {80, 30, 0}, {90, 50, 0}, {70, 75, 0}, {60, 80, 0}}, 2.0, {60, -60, 60}},
        // A pin's sample left of the axis, the whole outline above the datum.
        {{{58.7, 10, 0}, {75, 12, 0}, {75, 30, 0}, {60, 40, 0}}, 1.0, {40, 10, 15}},
        {{{65, 55, 0}}, 0.5, {-2.5, -2.5, 2.5}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(*MeasureFormer(c.outline, 60.0, 50.0, c.realScale), c.expected);
    EXPECT_FALSE(MeasureFormer({}, 60.0, 50.0, 1.0).has_value());
}

// "Courbes par les couples" on formers traced by hand: random shapes, sample counts, orders,
// pins and scales at random stations, a few close together.
TEST(CurvesFromFormers, PassThroughEveryFormersMeasure) {
    std::mt19937 rng(17);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int trial = 0; trial < 40; ++trial) {
        SCOPED_TRACE(trial);
        const int count = 2 + trial % 29;
        std::vector<MeasuredFormer> formers;
        double station = -100.0 + 200.0 * unit(rng);
        for (int f = 0; f < count; ++f) {
            TracedKey drawn;
            drawn.points = kRound;
            for (std::size_t i = 1; i + 1 < drawn.points.size(); ++i) {
                drawn.points[i].first *= 0.5 + unit(rng);
                drawn.points[i].second *= 0.5 + unit(rng);
            }
            drawn.points.front().second += 20.0 * unit(rng);
            drawn.realScale = 0.5 + 3.0 * unit(rng);
            drawn.order = 1 + static_cast<int>(unit(rng) * 9.0) % 9;
            drawn.samples = 10 + static_cast<int>(unit(rng) * 91.0) % 91;
            if (unit(rng) < 0.3)
                drawn.pins = {2, 6};
            const FormerModel m = keyModel(drawn);
            formers.push_back({"F" + std::to_string(f + 1), station, measured(m, drawn.realScale)});
            station += f % 7 == 3 ? 0.5 : 5.0 + 120.0 * unit(rng);
        }
        std::shuffle(formers.begin(), formers.end(), rng); // the panel's order is any order
        const CurvesFit fit = CurvesFromFormers(formers);
        ASSERT_TRUE(fit.ok()) << fit.reason;
        const SampledViews curves = sampledViews(fit.views);
        for (CurveKind kind : kCurveKinds) {
            EXPECT_EQ(CheckCurvePoints(kind, fit.views.curve(kind)), "");
            EXPECT_EQ(fit.views.curve(kind).size(), formers.size()) << "one point per former";
        }
        for (const MeasuredFormer& f : formers) {
            for (CurveKind kind : kCurveKinds) {
                EXPECT_NEAR(*curves.curve(kind).valueAt(f.station), f.measure.of(kind), 1e-6)
                    << f.name << " " << CurveName(kind);
            }
            EXPECT_FALSE(DeparturesOf(curves, f.station, f.measure).unfair());
        }
        // The fairness check: one former made 2 mm taller stands out, and it alone.
        std::vector<MeasuredFormer> moved = formers;
        moved[0].measure.top += 2.0;
        for (const MeasuredFormer& f : moved) {
            const Departures d = DeparturesOf(curves, f.station, f.measure);
            EXPECT_EQ(d.unfair(), &f == &moved[0]) << f.name;
            if (&f == &moved[0]) {
                EXPECT_NEAR(*d.dos, 2.0, 1e-6);
            }
        }
    }
}

TEST(CurvesFromFormers, RefusesWhatNoCurveCanPassThrough) {
    const FormerMeasure a{40, -30, 25};
    const FormerMeasure b{45, -32, 28};
    const FormerMeasure aAlmost{40.005, -30, 25};
    std::vector<MeasuredFormer> many;
    for (int i = 0; i < 31; ++i)
        many.push_back({"F" + std::to_string(i + 1), i * 20.0, a});
    struct Case {
        const char* name;
        std::vector<MeasuredFormer> formers;
        std::size_t points; // per curve when fitted
        const char* reason;
    };
    const Case cases[] = {
        {"none",
         {},
         0,
         "« Courbes par les couples » demande au moins deux couples à des stations différentes."},
        {"one",
         {{"F1", 0, a}},
         0,
         "« Courbes par les couples » demande au moins deux couples à des stations différentes."},
        {"a duplicate not moved yet counts once",
         {{"F1", 0, a}, {"F2", 0, aAlmost}},
         0,
         "« Courbes par les couples » demande au moins deux couples à des stations différentes."},
        {"so with a third", {{"F1", 0, a}, {"F3", 300, b}, {"F2", 0, aAlmost}}, 2, ""},
        {"two shapes at one station",
         {{"F1", 0, a}, {"F2", 120, a}, {"F3", 120, b}},
         0,
         "Les couples « F2 » et « F3 » sont à la même station (120 mm) sans avoir les mêmes "
         "mesures : une courbe ne passe qu'une fois par une station."},
        {"thirty-one", many, 0,
         "« Courbes par les couples » : 31 stations différentes ; une courbe a au plus 30 "
         "points."},
        {"a station out of bounds",
         {{"F1", 0, a}, {"F2", 2e6, b}},
         0,
         "« Courbes par les couples » : la station 2000000 du couple « F2 » est hors de "
         "-1000000..1000000 mm."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CurvesFit fit = CurvesFromFormers(c.formers);
        EXPECT_EQ(fit.reason, c.reason);
        EXPECT_EQ(fit.views.dos.size(), c.points);
        EXPECT_EQ(fit.views.flanc.size(), c.points);
    }
}

// The designer's job: three curves typed, key formers traced, eleven formers that follow at
// stations 0..500. Sampled again as the editor samples a former, every follower's top, bottom
// and half-width are the curves' at its station.
TEST(FollowingFormer, EveryFollowerFillsTheCurvesBoxAtItsStation) {
    OutlineOptions constantWidth;
    constantWidth.doublingOn = true;
    constantWidth.constantWidth = 3.0;
    struct Case {
        const char* name;
        std::vector<TracedKey> keys;
        std::vector<int> nearest; // per follower at 0, 50, ..., 500
        bool ownShape;            // one key: the normalised points are the key's own
    };
    const Case cases[] = {
        {"one key former", {traced("F1", 200, kRound)}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, true},
        {"one pinned key former, order 9, 37 samples, 1 mm of drawing for 2.5 real mm",
         {{"F1", 0, kRound, 2.5, 9, 37, {2, 6}, constantWidth}},
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         true},
        {"two key formers of other shapes, listed last first: the blend is stretched to the box",
         {{"F9", 400, kCanopy, 1.5, 4, 60, {}, {}}, traced("F2", 100, kPear)},
         {1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0},
         false},
        {"pins on the blend",
         {{"F1", 150, kBoxy, 1.0, 4, 100, {2, 6}, {}}, {"F2", 350, kRound, 1.0, 3, 80, {3}, {}}},
         {0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1},
         false},
    };
    const SampledViews curves = sampledViews(typedViews(kDos, kVentre, kFlanc));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Keys keys(c.keys);
        const KeyShapes shapes(keys.keys);
        EXPECT_TRUE(shapes.status(curves).ok());
        for (int i = 0; i <= 10; ++i) {
            const double station = 50.0 * i;
            SCOPED_TRACE(station);
            const FollowingFormer f = shapes.follow(curves, station);
            ASSERT_TRUE(f.placed()) << f.status.reason;
            ASSERT_EQ(f.nearestKey, c.nearest[static_cast<std::size_t>(i)]);
            const TracedKey& key = c.keys[static_cast<std::size_t>(f.nearestKey)];
            // The nearest key's settings.
            EXPECT_EQ(f.model.Nb_Points, key.samples);
            EXPECT_EQ(f.model.Ordre_Spline, key.order);
            for (int p = 1; p < 8; ++p) {
                const bool pinned = std::count(key.pins.begin(), key.pins.end(), p) != 0;
                EXPECT_EQ(IsPinned(f.model, p), pinned) << p;
            }
            // Sampled again from its points, as the editor draws it.
            FormerModel again = f.model;
            std::fill(again.Courbe_Droite.begin(), again.Courbe_Droite.end(), PointXYZ{});
            DisegnaCurva(again, key.options, nullptr);
            EXPECT_EQ(again.Courbe_Droite, f.model.Courbe_Droite);
            const FormerMeasure m = measured(again, key.realScale);
            EXPECT_EQ(m, f.measure);
            EXPECT_NEAR(m.top, *curves.dos.valueAt(station), 0.01);
            EXPECT_NEAR(m.bottom, *curves.ventre.valueAt(station), 0.01);
            EXPECT_NEAR(m.halfWidth, *curves.flanc.valueAt(station), 0.01);
            // Handles keep their offsets from their points, so they pick as the key's do, and
            // the control polygon runs through the points.
            const FormerModel& k = keys.models[static_cast<std::size_t>(f.nearestKey)];
            for (std::size_t p = 0; p < 9; ++p) {
                EXPECT_NEAR(f.model.shppi[p].Left - f.model.Pts_Couple[p].x,
                            k.shppi[p].Left - k.Pts_Couple[p].x, 1e-9);
                EXPECT_NEAR(f.model.shppi[p].Top, f.model.Pts_Couple[p].y, 1e-9);
                const LineItem& side = f.model.LinPi[std::min<std::size_t>(p, 7)];
                EXPECT_NEAR(p < 8 ? side.X1 : side.X2, f.model.Pts_Couple[p].x, 1e-9);
                EXPECT_NEAR(p < 8 ? side.Y1 : side.Y2, f.model.Pts_Couple[p].y, 1e-9);
            }
            if (c.ownShape) {
                const std::vector<PointXYZ> own = normalisedPoints(f.model, key.realScale, m);
                const std::vector<PointXYZ> theirs =
                    normalisedPoints(k, key.realScale, measured(k, key.realScale));
                for (std::size_t p = 0; p < 9; ++p) {
                    EXPECT_NEAR(own[p].x, theirs[p].x, 1e-9) << p;
                    EXPECT_NEAR(own[p].y, theirs[p].y, 1e-9) << p;
                }
            }
        }
    }
}

// Between two key formers the shape is their blend by station, stretched along each axis only.
TEST(FollowingFormer, BlendsTheTwoKeyFormersAroundItByStation) {
    const Keys keys({traced("A", 100, kRound), traced("B", 400, kBoxy)});
    const KeyShapes shapes(keys.keys);
    const SampledViews curves = sampledViews(typedViews(kDos, kVentre, kFlanc));
    std::vector<PointXYZ> shape[2];
    for (std::size_t k = 0; k < 2; ++k)
        shape[k] = normalisedPoints(keys.models[k], 1.0, measured(keys.models[k], 1.0));
    for (double station : {0.0, 100.0, 130.0, 250.0, 399.0, 400.0, 480.0}) {
        SCOPED_TRACE(station);
        const FollowingFormer f = shapes.follow(curves, station);
        ASSERT_TRUE(f.placed());
        const double t = std::clamp((station - 100.0) / 300.0, 0.0, 1.0);
        std::vector<double> blendU, blendV, ownV;
        for (std::size_t p = 0; p < 9; ++p) {
            blendU.push_back(shape[0][p].x + t * (shape[1][p].x - shape[0][p].x));
            blendV.push_back(shape[0][p].y + t * (shape[1][p].y - shape[0][p].y));
            ownV.push_back(f.model.Y1() - f.model.Pts_Couple[p].y);
        }
        // x is the blend's u scaled (u = 0 stays on the axis), y an affine image of its v.
        const double scale = (f.model.Pts_Couple[3].x - f.model.X1()) / blendU[3];
        for (std::size_t p = 0; p < 9; ++p)
            EXPECT_NEAR(f.model.Pts_Couple[p].x - f.model.X1(), scale * blendU[p], 1e-9) << p;
        EXPECT_LT(lineResidual(blendV, ownV), 1e-9);
    }
}

TEST(FollowingFormer, RefusalsSayWhy) {
    const std::vector<TracedKey> one = {traced("F1", 100, kRound)};
    const std::vector<TracedKey> flatFirst = {traced("F1", 0, RealPoints(9, {0.0, 10.0})),
                                              traced("F2", 100, kRound), traced("F3", 200, kBoxy)};
    const char* keeps = " : le couple garde son dernier contour.";
    struct Case {
        const char* name;
        FuselageViews views;
        std::vector<TracedKey> keys;
        double station;
        FollowRefusal refusal;
        std::string reason;
    };
    const Case cases[] = {
        {"no curves",
         {},
         one,
         100,
         FollowRefusal::NoCurves,
         "Aucune courbe du fuselage : tracez « Dos », « Ventre » et « Flanc » dans la fenêtre "
         "« Fuselage »."},
        {"no key former",
         typedViews(kDos, kVentre, kFlanc),
         {},
         100,
         FollowRefusal::NoKeyFormer,
         "Aucun couple clé : un couple au moins doit garder sa propre forme pour que les autres "
         "suivent le fuselage."},
        {"the back below the belly", typedViews("0,30;500,-20", "0,-20;500,30", kFlanc), one, 400,
         FollowRefusal::BackNotAboveBelly,
         std::string("À la station 400 mm, « Dos » (-10 mm) n'est pas au-dessus de « Ventre » "
                     "(20 mm)") +
             keeps},
        {"the back on the belly", typedViews("0,30;200,5", "0,-20;200,5", kFlanc), one, 300,
         FollowRefusal::BackNotAboveBelly,
         std::string("À la station 300 mm, « Dos » (5 mm) n'est pas au-dessus de « Ventre » "
                     "(5 mm)") +
             keeps},
        {"a station that is not a number", typedViews(kDos, kVentre, kFlanc), one, std::nan(""),
         FollowRefusal::BackNotAboveBelly,
         std::string("À la station nan mm, « Dos » (nan mm) n'est pas au-dessus de « Ventre » "
                     "(nan mm)") +
             keeps},
        {"the side across the centre line", typedViews(kDos, kVentre, "0,10;500,-10"), one, 300,
         FollowRefusal::SideNotAboveZero,
         std::string("À la station 300 mm, « Flanc » (-2 mm) n'est pas au-dessus de 0") + keeps},
        {"the side on it", typedViews(kDos, kVentre, "0,10;200,0"), one, 300,
         FollowRefusal::SideNotAboveZero,
         std::string("À la station 300 mm, « Flanc » (0 mm) n'est pas au-dessus de 0") + keeps},
        {"a flat key former to blend", typedViews(kDos, kVentre, kFlanc), flatFirst, 50,
         FollowRefusal::FlatKeyFormer,
         std::string("Le couple clé « F1 » n'a pas de hauteur ou pas de largeur") + keeps},
        {"a flat key former out of reach", typedViews(kDos, kVentre, kFlanc), flatFirst, 150,
         FollowRefusal::None, ""},
    };
    FuselageViews partial = typedViews(kDos, kVentre, kFlanc);
    partial.flanc.clear();
    const SampledViews noTop = sampledViews(partial);
    partial.ventre.clear();
    const SampledViews sideOnlyBack = sampledViews(partial);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Keys keys(c.keys);
        const KeyShapes shapes(keys.keys);
        const FollowingFormer f = shapes.follow(sampledViews(c.views), c.station);
        EXPECT_EQ(f.status.refusal, c.refusal);
        EXPECT_EQ(f.status.reason, c.reason);
        EXPECT_EQ(f.nearestKey < 0, c.refusal != FollowRefusal::None);
    }
    const Keys oneKey(one);
    const KeyShapes shapes(oneKey.keys);
    EXPECT_EQ(shapes.status(noTop).reason,
              "Courbe « Flanc » absente : tracez-la dans la fenêtre « Fuselage ».");
    EXPECT_EQ(
        shapes.status(sideOnlyBack).reason,
        "Courbes « Ventre » et « Flanc » absentes : tracez-les dans la fenêtre « Fuselage ».");
}
