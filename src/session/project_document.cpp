#include "project_document.h"

#include "session/former_name.h"
#include "session/work_rules.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

using Ordered = nlohmann::ordered_json;
using Json = nlohmann::json;

// Names of the enumerations in the document, in the order of their values.
constexpr std::array<const char*, 3> kJoints = {"aucun", "horizontal", "vertical"};
constexpr std::array<const char*, 2> kMouseActions = {"couple", "doublage"};
constexpr std::array<const char*, 3> kDoublingControls = {"demarrage", "libelle", "suivent"};
constexpr std::array<const char*, 5> kPieces = {"entier", "gauche", "droit", "haut", "bas"};
constexpr std::array<const char*, 5> kRenderModes = {"surface", "filaire", "transparent",
                                                     "silhouette", "solide"};
constexpr std::array<const char*, 2> kTabs = {"dessin", "masque"};
constexpr std::array<const char*, 2> kDoublingModes = {"proportionnel", "constante"};
constexpr std::array<const char*, 4> kSheets = {"a4", "a4-paysage", "a3", "a3-paysage"};
constexpr std::array<const char*, 3> kSlotKinds = {"quille", "dorsale", "bati"};
constexpr std::array<const char*, 2> kDxfVersions = {"2000", "r12"};
// The curves' keys, in the order of CurveKind.
constexpr std::array<const char*, 3> kCurveKeys = {"dos", "ventre", "flanc"};

// The pitch at which the orbit stops, as the float it keeps.
constexpr float kQuarterTurn = static_cast<float>(3.14159265358979 / 2.0);

template <class E, std::size_t n>
const char* nameOf(const std::array<const char*, n>& names, E value) {
    return names[static_cast<std::size_t>(value)];
}

Ordered point(const SurfacePoint& p) {
    return Ordered::array({p.x, p.y});
}

Ordered dimension(const Work::Dimension& d) {
    Ordered o;
    o["value"] = d.value;
    o["applied"] = d.applied;
    return o;
}

// Puts each point of the indented document on one line: "[\n  x,\n  y\n]" becomes "[x, y]".
// A string of the document never holds a raw line break, so only arrays can match.
std::string pointsOnOneLine(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    auto number = [&text](std::size_t& at) {
        const std::size_t start = at;
        while (at < text.size() &&
               std::string_view("+-.0123456789eE").find(text[at]) != std::string_view::npos)
            ++at;
        return text.substr(start, at - start);
    };
    auto blanks = [&text](std::size_t& at) {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\n'))
            ++at;
    };
    while (i < text.size()) {
        if (text.compare(i, 2, "[\n") == 0) {
            std::size_t at = i + 1;
            blanks(at);
            const std::string x = number(at);
            if (!x.empty() && text.compare(at, 2, ",\n") == 0) {
                at += 1;
                blanks(at);
                const std::string y = number(at);
                const std::size_t end = at;
                blanks(at);
                if (!y.empty() && end != at && at < text.size() && text[at] == ']') {
                    out += "[" + x + ", " + y + "]";
                    i = at + 1;
                    continue;
                }
            }
        }
        out += text[i++];
    }
    return out;
}

// ---------------------------------------------------------------------------------------
// Reading: every check names the field it looks at; the first fault ends the reading.

struct Fault {
    std::string field;
    std::string message;
};

std::string quoted(const std::string& field) {
    return "Champ « " + field + " » : ";
}

class Reader {
public:
    Reader(const Json& value, std::string field) : value_(value), field_(std::move(field)) {}

    [[noreturn]] void fail(const std::string& what) const {
        throw Fault{field_, quoted(field_) + what};
    }

    Reader at(const char* key) const {
        const std::string field = field_.empty() ? key : field_ + "." + key;
        if (!value_.is_object())
            fail("objet attendu.");
        const auto it = value_.find(key);
        if (it == value_.end())
            throw Fault{field, quoted(field) + "valeur manquante."};
        return Reader(*it, field);
    }

    bool has(const char* key) const { return value_.is_object() && value_.contains(key); }
    std::size_t size() const {
        if (!value_.is_array())
            fail("liste attendue.");
        return value_.size();
    }

    Reader item(std::size_t i) const {
        return Reader(value_.at(i), field_ + "[" + std::to_string(i) + "]");
    }

    // A list of exactly n entries.
    void expectList(std::size_t n) const {
        if (!value_.is_array() || value_.size() != n)
            fail("liste de " + std::to_string(n) + " éléments attendue.");
    }

    bool boolean() const {
        if (!value_.is_boolean())
            fail("vrai ou faux attendu (true, false).");
        return value_.get<bool>();
    }

    int integer(IntRange range) const { return integer(range.min, range.max); }

    int integer(int lo, int hi) const {
        if (!value_.is_number_integer())
            fail("nombre entier attendu.");
        // A number too large for a signed integer is out of range as well.
        const bool huge = value_.is_number_unsigned() &&
                          value_.get<unsigned long long>() > static_cast<unsigned long long>(hi);
        const auto v = huge ? static_cast<long long>(hi) + 1 : value_.get<long long>();
        if (v < lo || v > hi)
            fail("valeur " + value_.dump() + " hors de l'intervalle " + std::to_string(lo) + ".." +
                 std::to_string(hi) + ".");
        return static_cast<int>(v);
    }

    // A number kept as a 32-bit float: the range is checked on the float it becomes, so that
    // whatever the editor stores reads back.
    float storedFloat(float lo, float hi) const {
        const double v =
            number(-std::numeric_limits<double>::max(), std::numeric_limits<double>::max());
        const auto f = static_cast<float>(v);
        if (!std::isfinite(f) || f < lo || f > hi)
            fail("valeur hors de l'intervalle " + text(lo) + ".." + text(hi) + ".");
        return f;
    }

    double number(double lo, double hi) const {
        if (!value_.is_number())
            fail("nombre attendu.");
        const auto v = value_.get<double>();
        if (!std::isfinite(v) || v < lo || v > hi)
            fail("valeur hors de l'intervalle " + text(lo) + ".." + text(hi) + ".");
        return v;
    }

    std::string string() const {
        if (!value_.is_string())
            fail("texte attendu.");
        return value_.get<std::string>();
    }

    template <class E, std::size_t n> E choice(const std::array<const char*, n>& names) const {
        if (value_.is_string()) {
            const auto& s = value_.get_ref<const std::string&>();
            for (std::size_t i = 0; i < n; ++i) {
                if (s == names[i])
                    return static_cast<E>(i);
            }
        }
        std::string list;
        for (std::size_t i = 0; i < n; ++i)
            list += (i == 0 ? "\"" : i + 1 == n ? " ou \"" : ", \"") + std::string(names[i]) + "\"";
        fail(list + " attendu.");
    }

    SurfacePoint point() const {
        if (!value_.is_array() || value_.size() != 2 || !value_[0].is_number() ||
            !value_[1].is_number())
            fail("point attendu : deux nombres [x, y].");
        const SurfacePoint p{value_[0].get<double>(), value_[1].get<double>()};
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || std::fabs(p.x) > kDrawingReach ||
            std::fabs(p.y) > kDrawingReach)
            fail("point hors de la zone de dessin.");
        return p;
    }

    // A number in a message, with a decimal comma as French writes it.
    static std::string text(double v) {
        std::string t = Json(v).dump();
        for (char& c : t)
            if (c == '.')
                c = ',';
        return t;
    }

private:
    const Json& value_;
    std::string field_;
};

} // namespace

// ---------------------------------------------------------------------------------------

namespace {

// A former's work: its points and settings, the doubling, the joint and the mouse's set, the
// 3-D part's dimensions, its picture and where it lies, and its real scale.
Ordered writeWork(const Work& w) {
    Ordered doc;
    Ordered former;
    Ordered points = Ordered::array();
    for (const FormerPoint& p : w.former) {
        Ordered o;
        o["at"] = point(p.at);
        o["handle"] = point(p.handle);
        o["polygon"] = point(p.polygon);
        o["pinned"] = p.pinned;
        o["unpinned"] = p.unpinned;
        points.push_back(std::move(o));
    }
    former["points"] = std::move(points);
    former["sampleCount"] = w.sampleCount;
    former["orderSlider"] = w.orderSlider;
    former["orderInUse"] = w.orderInUse;
    former["endsOnAxis"] = w.endsOnAxis;
    doc["former"] = std::move(former);

    Ordered doubling;
    doubling["on"] = w.doublingOn;
    doubling["scale"] = w.doublingScale;
    doubling["slaved"] = w.slaved;
    doubling["controls"] = nameOf(kDoublingControls, w.doublingControls);
    Ordered dpoints = Ordered::array();
    for (const SurfacePoint& p : w.doubling)
        dpoints.push_back(point(p));
    doubling["points"] = std::move(dpoints);
    doubling["mode"] = nameOf(kDoublingModes, w.doublingMode);
    doubling["width"] = w.doublingWidth;
    doc["doubling"] = std::move(doubling);

    doc["joint"] = nameOf(kJoints, w.joint);
    doc["mouseAction"] = nameOf(kMouseActions, w.mouseAction);

    Ordered dimensions;
    dimensions["thickness"] = dimension(w.thickness);
    dimensions["thickness"]["built"] = w.thicknessBuilt;
    dimensions["height"] = dimension(w.height);
    dimensions["width"] = dimension(w.width);
    doc["dimensions"] = std::move(dimensions);

    Ordered picture;
    picture["path"] = w.picturePath;
    picture["horiz"] = w.pictureHoriz;
    picture["vert"] = w.pictureVert;
    picture["zoom"] = w.pictureZoom;
    doc["picture"] = std::move(picture);

    Ordered scale;
    scale["real"] = w.realScale;
    scale["calibrated"] = w.calibrated;
    doc["scale"] = std::move(scale);
    return doc;
}

// How the work is seen: the handles, the toolbar, the 3-D window, the picture's display, the
// tab and the export dialog's memory.
Ordered writeView(const View& v) {
    Ordered doc;
    doc["formerHandlesShown"] = v.formerHandlesShown;
    doc["doublingHandlesShown"] = v.doublingHandlesShown;

    Ordered toolbar;
    toolbar["controlPolygonShown"] = v.controlPolygonShown;
    toolbar["samplePointsShown"] = v.samplePointsShown;
    toolbar["handlesHidden"] = v.handlesHidden;
    toolbar["axesOn"] = v.axesOn;
    toolbar["gridOn"] = v.gridOn;
    doc["toolbar"] = std::move(toolbar);

    Ordered view;
    view["shown"] = v.view3dShown;
    view["piece"] = nameOf(kPieces, v.viewPiece);
    view["renderMode"] = nameOf(kRenderModes, v.renderMode);
    view["specular"] = v.specular;
    view["attenuation"] = v.attenuation;
    // A float widened to a double reads back to the same float.
    view["yaw"] = static_cast<double>(v.yaw);
    view["pitch"] = static_cast<double>(v.pitch);
    view["distance"] = static_cast<double>(v.distance);
    view["fuselage"] = v.fuselageShown;
    if (v.fuselageOrbitKept) {
        Ordered orbit;
        orbit["yaw"] = static_cast<double>(v.fuselageYaw);
        orbit["pitch"] = static_cast<double>(v.fuselagePitch);
        orbit["distance"] = static_cast<double>(v.fuselageDistance);
        view["fuselageOrbit"] = std::move(orbit);
    }
    doc["view3d"] = std::move(view);

    doc["pictureShown"] = v.pictureShown;
    doc["tab"] = nameOf(kTabs, v.tab);
    doc["fuselageWindow"] = v.fuselageWindowShown;

    Ordered loupe;
    loupe["zoom"] = v.viewZoom;
    loupe["centre"] = point(v.viewCentre);
    doc["loupe"] = std::move(loupe);

    Ordered exports;
    exports["piece"] = v.exportPiece;
    exports["width"] = v.exportWidth;
    exports["height"] = v.exportHeight;
    exports["sheet"] = nameOf(kSheets, v.exportSheet);
    exports["folder"] = v.exportFolder;
    exports["dxf"] = kDxfVersions[v.exportDxfR12 ? 1 : 0];
    doc["export"] = std::move(exports);
    return doc;
}

// The stringers and slots of the whole fuselage; a crutch slot's height only for it.
Ordered writeNotches(const NotchTable& t) {
    Ordered doc;
    Ordered stringers = Ordered::array();
    for (const Stringer& s : t.stringers) {
        Ordered o;
        o["name"] = s.name;
        o["place"] = s.place;
        o["width"] = s.width;
        o["depth"] = s.depth;
        o["bothSides"] = s.bothSides;
        stringers.push_back(std::move(o));
    }
    doc["stringers"] = std::move(stringers);
    Ordered slots = Ordered::array();
    for (const Slot& s : t.slotList) {
        Ordered o;
        o["kind"] = nameOf(kSlotKinds, s.kind);
        if (s.kind == SlotKind::Crutch)
            o["height"] = s.height;
        o["width"] = s.width;
        o["depth"] = s.depth;
        slots.push_back(std::move(o));
    }
    doc["slots"] = std::move(slots);
    return doc;
}

// The fuselage's views: each curve's points as [station, value], then each plan's picture.
Ordered writeFuselage(const FuselageWork& f) {
    Ordered doc;
    for (CurveKind kind : kCurveKinds) {
        Ordered points = Ordered::array();
        for (const CurvePoint& p : f.curves.curve(kind))
            points.push_back(Ordered::array({p.station, p.value}));
        doc[kCurveKeys[static_cast<std::size_t>(kind)]] = std::move(points);
    }
    for (const auto& [key, picture] : {std::pair{"side", &f.side}, std::pair{"top", &f.top}}) {
        Ordered o;
        o["path"] = picture->path;
        o["left"] = picture->left;
        o["top"] = picture->top;
        o["mmPerPixel"] = picture->mmPerPixel;
        o["calibrated"] = picture->calibrated;
        doc[key] = std::move(o);
    }
    return doc;
}

} // namespace

std::string WriteProject(const ProjectState& s) {
    Ordered doc;
    doc["format"] = kEditorStateFormat;
    doc["version"] = kEditorStateVersion;
    doc["surface"] = Ordered{{"width", s.surface.width}, {"height", s.surface.height}};
    Ordered formers;
    formers["current"] = s.current;
    Ordered list = Ordered::array();
    for (const Former& f : s.formers) {
        Ordered entry;
        entry["name"] = f.name;
        entry["station"] = f.station;
        entry["follows"] = f.follows;
        entry["work"] = writeWork(f.work);
        list.push_back(std::move(entry));
    }
    formers["list"] = std::move(list);
    doc["formers"] = std::move(formers);
    doc["notches"] = writeNotches(s.notches);
    doc["fuselage"] = writeFuselage(s.fuselage);
    doc["view"] = writeView(s.view);
    // Invalid UTF-8 in a name or a picture's path is replaced rather than breaking the document.
    return pointsOnOneLine(doc.dump(2, ' ', false, Ordered::error_handler_t::replace)) + "\n";
}

std::string WriteEditorState(const EditorState& s) {
    return WriteProject({s.surface, {Former{"F1", 0.0, s.work}}, 0, s.view});
}

namespace {

Work::Dimension readDimension(const Reader& r, IntRange range) {
    return {r.at("value").integer(range), r.at("applied").integer(range)};
}

// A former's work from `r`: the document's root in version 1, a former's "work" in version 2.
// The keys that came after version 1's first files may be missing from version 1 only.
void readWork(const Reader& r, Work& s, double axis, bool firstVersion) {
    const Reader former = r.at("former");
    const Reader points = former.at("points");
    points.expectList(Work::kPointCount);
    s.former.resize(Work::kPointCount);
    for (std::size_t i = 0; i < s.former.size(); ++i) {
        const Reader p = points.item(i);
        FormerPoint& f = s.former[i];
        f.at = p.at("at").point();
        if (f.at.x < axis)
            p.at("at").fail("point à gauche de l'axe de symétrie (x < " + Reader::text(axis) +
                            ").");
        f.handle = p.at("handle").point();
        f.polygon = p.at("polygon").point();
        f.pinned = p.at("pinned").boolean();
        f.unpinned = p.at("unpinned").boolean(); // an end point's memory, kept by the rules
    }
    s.sampleCount = former.at("sampleCount").integer(kSampleCountRange);
    s.orderSlider = former.at("orderSlider").integer(kOrderRange);
    s.orderInUse = former.at("orderInUse").integer(kOrderRange);
    // "Extrémités sur l'axe" came later: a project without it leaves the end points free.
    if (former.has("endsOnAxis"))
        s.endsOnAxis = former.at("endsOnAxis").boolean();

    const Reader doubling = r.at("doubling");
    s.doublingOn = doubling.at("on").boolean();
    s.doublingScale = doubling.at("scale").integer(kDoublingScaleRange);
    s.slaved = doubling.at("slaved").boolean();
    s.doublingControls = doubling.at("controls").choice<DoublingControls>(kDoublingControls);
    const Reader dpoints = doubling.at("points");
    dpoints.expectList(Work::kPointCount);
    for (std::size_t i = 0; i < Work::kPointCount; ++i)
        s.doubling.push_back(dpoints.item(i).point());
    // The constant width came later: a project without it has the proportional doubling.
    if (!firstVersion || doubling.has("mode")) {
        s.doublingMode = doubling.at("mode").choice<DoublingMode>(kDoublingModes);
        s.doublingWidth = doubling.at("width").number(kMinDoublingWidth, kMaxDoublingWidth);
    }

    s.joint = r.at("joint").choice<AssemblyJoint>(kJoints);
    s.mouseAction = r.at("mouseAction").choice<MouseAction>(kMouseActions);

    const Reader dimensions = r.at("dimensions");
    s.thickness = readDimension(dimensions.at("thickness"), kThicknessRange);
    s.thicknessBuilt = dimensions.at("thickness").at("built").integer(kThicknessRange);
    s.height = readDimension(dimensions.at("height"), kHeightRange);
    s.width = readDimension(dimensions.at("width"), kWidthRange);

    const Reader picture = r.at("picture");
    s.picturePath = picture.at("path").string();
    // A file name ends at a zero character: the part before it would name another file.
    if (s.picturePath.find('\0') != std::string::npos)
        picture.at("path").fail("le chemin contient un caractère nul.");
    s.pictureHoriz = picture.at("horiz").integer(kPictureOffsetLimits);
    s.pictureVert = picture.at("vert").integer(kPictureOffsetLimits);
    s.pictureZoom = picture.at("zoom").integer(kPictureZoomRange);

    // The real scale came later: a project without it has the drawing's own size.
    if (!firstVersion || r.has("scale")) {
        const Reader scale = r.at("scale");
        s.realScale = scale.at("real").number(kMinRealScale, kMaxRealScale);
        s.calibrated = scale.at("calibrated").boolean();
    }

    // The rules every work keeps: a work that breaks one is no work of this editor.
    if (const std::optional<BrokenRule> broken = normalise(s)) {
        const std::string& field = broken->field; // "mouseAction", "former.sampleCount"
        const std::size_t dot = field.find('.');
        if (dot == std::string::npos)
            r.at(field.c_str()).fail(broken->message);
        r.at(field.substr(0, dot).c_str()).at(field.substr(dot + 1).c_str()).fail(broken->message);
    }
}

// How the work is seen, from `r`: the document's root in version 1, where some of it sits beside
// the work, or its "view" in version 2.
void readView(const Reader& r, View& v, bool firstVersion) {
    v.formerHandlesShown =
        (firstVersion ? r.at("former").at("handlesShown") : r.at("formerHandlesShown")).boolean();
    v.doublingHandlesShown =
        (firstVersion ? r.at("doubling").at("handlesShown") : r.at("doublingHandlesShown"))
            .boolean();

    const Reader toolbar = r.at("toolbar");
    v.controlPolygonShown = toolbar.at("controlPolygonShown").boolean();
    v.samplePointsShown = toolbar.at("samplePointsShown").boolean();
    v.handlesHidden = toolbar.at("handlesHidden").boolean();
    v.axesOn = toolbar.at("axesOn").boolean();
    v.gridOn = toolbar.at("gridOn").boolean();

    const Reader view = r.at("view3d");
    v.view3dShown = view.at("shown").boolean();
    v.viewPiece = view.at("piece").choice<ViewPiece>(kPieces);
    v.renderMode = view.at("renderMode").choice<RenderMode>(kRenderModes);
    v.specular = view.at("specular").boolean();
    v.attenuation = view.at("attenuation").boolean();
    // What the orbit can store: it turns the yaw back by one turn at most per move, so a fast
    // enough drag leaves any finite angle; the pitch stops at a quarter turn, which it keeps as
    // a float; the distance stops at zero.
    constexpr float kMaxFloat = std::numeric_limits<float>::max();
    v.yaw = view.at("yaw").storedFloat(-kMaxFloat, kMaxFloat);
    v.pitch = view.at("pitch").storedFloat(-kQuarterTurn, kQuarterTurn);
    v.distance = view.at("distance").storedFloat(0.0f, kMaxFloat);
    if (!firstVersion)
        v.fuselageShown = view.at("fuselage").boolean();
    // The fuselage's own orbit came later: without it, its first showing fits it.
    if (view.has("fuselageOrbit")) {
        const Reader orbit = view.at("fuselageOrbit");
        v.fuselageOrbitKept = true;
        v.fuselageYaw = orbit.at("yaw").storedFloat(-kMaxFloat, kMaxFloat);
        v.fuselagePitch = orbit.at("pitch").storedFloat(-kQuarterTurn, kQuarterTurn);
        v.fuselageDistance = orbit.at("distance").storedFloat(0.0f, kMaxFloat);
    }

    v.pictureShown = (firstVersion ? r.at("picture").at("shown") : r.at("pictureShown")).boolean();
    v.tab = r.at("tab").choice<EditorTab>(kTabs);
    // The window "Fuselage" came later: a project without it has it closed.
    if (r.has("fuselageWindow"))
        v.fuselageWindowShown = r.at("fuselageWindow").boolean();

    // The drawing's own view came later: a project without it shows the whole surface.
    if (r.has("loupe")) {
        const Reader loupe = r.at("loupe");
        v.viewZoom = loupe.at("zoom").number(1.0, kMaxViewZoom);
        v.viewCentre = loupe.at("centre").point();
    }

    // The export dialog's memory came later: a project without it has its first choices.
    if (!firstVersion || r.has("export")) {
        const Reader exports = r.at("export");
        v.exportPiece = exports.at("piece").integer(1, 5);
        v.exportWidth = exports.at("width").number(0.0, 10000.0);
        v.exportHeight = exports.at("height").number(0.0, 10000.0);
        v.exportSheet = exports.at("sheet").choice<ExportSheet>(kSheets);
        v.exportFolder = exports.at("folder").string();
        // The DXF version came later still.
        if (exports.has("dxf"))
            v.exportDxfR12 = exports.at("dxf").choice<int>(kDxfVersions) == 1;
    }
}

// The stringers and slots, each value in its range, then the table as a whole by its own rule.
NotchTable readNotches(const Reader& r) {
    NotchTable t;
    const Reader stringers = r.at("stringers");
    if (stringers.size() > kMaxStringers)
        stringers.fail(std::to_string(kMaxStringers) + " lisses au plus.");
    for (std::size_t i = 0; i < stringers.size(); ++i) {
        const Reader e = stringers.item(i);
        Stringer s;
        s.name = e.at("name").string();
        s.place = e.at("place").number(0.0, 1.0);
        s.width = e.at("width").number(kMinNotchSize, kMaxNotchSize);
        s.depth = e.at("depth").number(kMinNotchSize, kMaxNotchSize);
        s.bothSides = e.at("bothSides").boolean();
        t.stringers.push_back(std::move(s));
    }
    const Reader slots = r.at("slots");
    if (slots.size() > kSlotKinds.size())
        slots.fail("une fente de chaque sorte au plus.");
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const Reader e = slots.item(i);
        Slot s;
        s.kind = e.at("kind").choice<SlotKind>(kSlotKinds);
        if (s.kind == SlotKind::Crutch)
            s.height = e.at("height").number(-kMaxCrutchHeight, kMaxCrutchHeight);
        s.width = e.at("width").number(kMinNotchSize, kMaxNotchSize);
        s.depth = e.at("depth").number(kMinNotchSize, kMaxNotchSize);
        t.slotList.push_back(s);
    }
    if (const std::string why = notchTableProblem(t); !why.empty())
        r.fail(why);
    return t;
}

// The fuselage's views of version 3: each curve none or 2 to 30 points whose stations increase,
// each picture's path and placement.
void readFuselage(const Reader& r, FuselageWork& f) {
    for (CurveKind kind : kCurveKinds) {
        const Reader points = r.at(kCurveKeys[static_cast<std::size_t>(kind)]);
        std::vector<CurvePoint>& curve = f.curves.curve(kind);
        const std::size_t n = points.size();
        if (n > static_cast<std::size_t>(kMaxCurvePoints))
            points.fail("de 2 à " + std::to_string(kMaxCurvePoints) + " points attendus.");
        for (std::size_t i = 0; i < n; ++i) {
            const Reader p = points.item(i);
            p.expectList(2);
            curve.push_back({p.item(0).number(-kCurveLimit, kCurveLimit),
                             p.item(1).number(-kCurveLimit, kCurveLimit)});
        }
        // A curve not drawn has no points; one drawn keeps the rules of the window's curves.
        if (n > 0)
            if (const std::string why = CheckCurvePoints(kind, curve); !why.empty())
                points.fail(why);
    }
    for (const auto& [key, picture] : {std::pair{"side", &f.side}, std::pair{"top", &f.top}}) {
        const Reader p = r.at(key);
        picture->path = p.at("path").string();
        if (picture->path.find('\0') != std::string::npos)
            p.at("path").fail("le chemin contient un caractère nul.");
        picture->left = p.at("left").number(-kCurveLimit, kCurveLimit);
        picture->top = p.at("top").number(-kCurveLimit, kCurveLimit);
        picture->mmPerPixel = p.at("mmPerPixel").number(kMinMmPerPixel, kMaxMmPerPixel);
        picture->calibrated = p.at("calibrated").boolean();
    }
}

ProjectState readProject(const Json& doc) {
    const Reader root(doc, "");
    if (!doc.is_object())
        throw Fault{"", "Le document n'est pas un objet JSON."};
    if (root.at("format").string() != kEditorStateFormat)
        root.at("format").fail("ce n'est pas un couple de l'EDITEUR de COUPLES.");
    const int version = root.at("version").integer(1, 1'000'000);
    if (version > kEditorStateVersion)
        root.at("version").fail("version " + std::to_string(version) +
                                " trop récente : ce programme lit la version " +
                                std::to_string(kEditorStateVersion) + ".");

    ProjectState state;
    const Reader surface = root.at("surface");
    state.surface.width = surface.at("width").number(1.0, 10000.0);
    state.surface.height = surface.at("height").number(1.0, 10000.0);
    const double axis = state.surface.width / 2.0;

    // The first version held one former, the work beside the view.
    if (version == 1) {
        Former only{"F1", 0.0, {}};
        readWork(root, only.work, axis, true);
        state.formers.push_back(std::move(only));
        readView(root, state.view, true);
        return state;
    }
    const Reader formers = root.at("formers");
    const Reader list = formers.at("list");
    const std::size_t count = list.size();
    if (count == 0 || count > 200)
        list.fail("de 1 à 200 couples attendus.");
    for (std::size_t i = 0; i < count; ++i) {
        const Reader entry = list.item(i);
        Former f;
        f.name = entry.at("name").string();
        // The rule "Renommer" applies: a name the panel could not make is no name.
        if (const std::string why = formerNameRefusal(f.name); !why.empty())
            entry.at("name").fail(why);
        for (const Former& other : state.formers)
            if (other.name == f.name)
                entry.at("name").fail("deux couples s'appellent « " + f.name + " ».");
        f.station = entry.at("station").number(-kMaxStation, kMaxStation);
        if (version >= 3)
            f.follows = entry.at("follows").boolean();
        readWork(entry.at("work"), f.work, axis, false);
        state.formers.push_back(std::move(f));
    }
    state.current = formers.at("current").integer(0, static_cast<int>(count) - 1);
    // The stringers and slots came with version 3; a project without them has none.
    if (root.has("notches"))
        state.notches = readNotches(root.at("notches"));
    if (version >= 3)
        readFuselage(root.at("fuselage"), state.fuselage);
    readView(root.at("view"), state.view, false);
    return state;
}

} // namespace

namespace {

// "ligne L, colonne C" of a byte offset, both counted from 1.
std::string lineAndColumn(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    std::size_t line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    return "ligne " + std::to_string(line) + ", colonne " + std::to_string(offset - lineStart + 1);
}

// Builds the document as the parser reads it, so that a fault of the text itself is told with
// the field it lies in: a number beyond a double's range, a key given twice, bad syntax.
class DocumentBuilder {
public:
    explicit DocumentBuilder(std::string_view text) : text_(text) {}

    Json document;
    Fault fault;

    bool null() { return value(Json(nullptr)); }
    bool boolean(bool v) { return value(Json(v)); }
    bool number_integer(Json::number_integer_t v) { return value(Json(v)); }
    bool number_unsigned(Json::number_unsigned_t v) { return value(Json(v)); }
    bool number_float(Json::number_float_t v, const std::string&) { return value(Json(v)); }
    bool string(std::string& v) { return value(Json(std::move(v))); }
    bool binary(Json::binary_t& v) { return value(Json(std::move(v))); }

    bool start_object(std::size_t) { return open(Json::object()); }
    bool start_array(std::size_t) { return open(Json::array()); }
    bool end_object() { return close(); }
    bool end_array() { return close(); }

    bool key(std::string& k) {
        Level& level = levels_.back();
        if (level.value->contains(k)) {
            fault = {fieldOf(k), quoted(fieldOf(k)) + "clé en double."};
            return false;
        }
        level.key = std::move(k);
        return true;
    }

    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& e) {
        const std::string where = lineAndColumn(text_, position > 0 ? position - 1 : 0);
        const std::string field = levels_.empty() ? std::string() : fieldOf(nextName());
        if (e.id == 406) // a number beyond the range of a double
            fault = {field, (field.empty() ? std::string() : quoted(field)) +
                                "nombre hors des limites (" + where + ")."};
        else // the text as a whole is no JSON: told where, and in which field when inside one
            fault = {"", "Ce n'est pas un document JSON valide (" + where +
                             (field.empty() ? "" : ", dans le champ « " + field + " »") + ")."};
        return false;
    }

private:
    struct Level {
        Json* value;
        std::string key; // in an object: the member being read
    };

    // The name of the value being read inside the innermost level: its key or its index.
    std::string nextName() const {
        const Level& level = levels_.back();
        if (level.value->is_object())
            return level.key;
        return indexName(level.value->size());
    }
    std::string fieldOf(const std::string& name) const {
        std::string field;
        for (std::size_t i = 0; i + 1 < levels_.size(); ++i)
            field = join(field, nameAt(i));
        return join(field, name);
    }
    std::string nameAt(std::size_t i) const {
        const Level& level = levels_[i];
        if (level.value->is_object())
            return level.key;
        return indexName(level.value->size() - 1);
    }
    // "[3]", built in steps: GCC 12 warns falsely on "[" + std::to_string(i) when optimising.
    static std::string indexName(std::size_t i) {
        std::string name(1, '[');
        name += std::to_string(i);
        name += ']';
        return name;
    }
    static std::string join(const std::string& field, const std::string& name) {
        if (field.empty() || name.front() == '[')
            return field + name;
        return field + "." + name;
    }

    Json* place(Json v) {
        if (levels_.empty()) {
            document = std::move(v);
            return &document;
        }
        Level& level = levels_.back();
        if (level.value->is_object())
            return &((*level.value)[level.key] = std::move(v));
        level.value->push_back(std::move(v));
        return &level.value->back();
    }
    bool value(Json v) {
        place(std::move(v));
        return true;
    }
    bool open(Json container) {
        levels_.push_back({place(std::move(container)), {}});
        return true;
    }
    bool close() {
        levels_.pop_back();
        return true;
    }

    std::string_view text_;
    std::vector<Level> levels_;
};

} // namespace

ProjectReading ReadProject(std::string_view text) {
    ProjectReading r;
    if (text.size() > kEditorStateMaxBytes) {
        r.message = "Le document est trop grand (plus de 1 Mo) : il n'est pas lu.";
        return r;
    }
    // The parser stops at a zero byte as at the end of the text: whatever follows would go
    // unread, so the text must end there.
    if (const std::size_t zero = text.find('\0'); zero != std::string_view::npos) {
        r.message = "Le document contient un octet nul à l'octet " + std::to_string(zero) + " (" +
                    lineAndColumn(text, zero) + ") : ce n'est pas un texte JSON.";
        return r;
    }
    try {
        DocumentBuilder builder(text);
        if (!Json::sax_parse(text, &builder)) {
            r.field = builder.fault.field;
            r.message = builder.fault.message;
            return r;
        }
        r.state = readProject(builder.document);
        r.ok = true;
    } catch (const Fault& f) {
        r.field = f.field;
        r.message = f.message;
    } catch (const std::exception&) {
        // Every check above names its field; this only keeps an unforeseen case from escaping.
        r.message = "Le document ne peut pas être lu.";
    }
    return r;
}

EditorStateReading ReadEditorState(std::string_view text) {
    ProjectReading p = ReadProject(text);
    EditorStateReading r{p.ok, {}, std::move(p.field), std::move(p.message)};
    if (p.ok) {
        Former& f = p.state.formers[static_cast<std::size_t>(p.state.current)];
        r.state = {p.state.surface, std::move(f.work), p.state.view};
    }
    return r;
}
