#pragma once

#include "piece_outline.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Every former of a fuselage laid out on the sheets of wood (plates) they are cut from: each
// part at its real size, none overlapping, on as few sheets as a skyline packing of their
// bounding boxes finds, then drawn as one DXF, one SVG per sheet or a PDF (piece_page.h).
//
// Sheet coordinates are millimetres from the sheet's lower-left corner, x right and y up, as
// the pieces and the DXF have them.

struct LayoutPart {
    std::string name;     // UTF-8, as labelled on the part: "F3", "F3 gauche"
    PieceOutline outline; // the single piece's outline, in its own millimetres
    std::string former;   // the former it is cut from, its DXF layer and SVG group; "" = name
    int pair = -1;        // parts sharing an id >= 0 are laid out next to each other
};

struct SheetOptions {
    double width = 600.0; // mm
    double height = 300.0;
    double spacing = 5.0; // between parts, and between a part and the sheet's edges
};

// A part on its sheet: its outline turned by 90° (counter-clockwise, about the piece's own
// origin) when `turned`, then moved by `offset`. left..top is its bounding box on the sheet.
struct PlacedPart {
    std::size_t part = 0; // index in SheetLayout::parts
    bool turned = false;
    MmPoint offset;
    double left = 0.0, bottom = 0.0, right = 0.0, top = 0.0;
};

struct LayoutSheet {
    std::vector<PlacedPart> parts;
};

struct SheetLayout {
    std::vector<LayoutPart> parts; // as given
    SheetOptions sheet;
    std::vector<LayoutSheet> sheets;
    // The area enclosed by the parts' former outlines (the wood they take, holes included)
    // over the area of all the sheets.
    double used = 0.0;
    std::string error; // the French refusal; no sheets then
    bool ok() const { return error.empty(); }
};

// Lays the parts out: every part (or pair, the parts side by side in a row, or one above the
// other when no row fits) on the first sheet where it finds room, its bounding box at least
// `spacing` from the others and from the edges, turned when that keeps it lower. Larger parts
// go first, "larger" measured four ways in turn, and the packing with the fewest sheets is
// kept; the result depends on nothing but the input. Refused, naming the part and giving
// both sizes, when a part (or a pair) fits a sheet in neither orientation; refused too when
// there is nothing to lay out, a part has no outline or the sheet's measures are no numbers.
SheetLayout layOutParts(std::vector<LayoutPart> parts, const SheetOptions& sheet);

// The part's outline where it lies on its sheet: `piece` turned and moved as `placed` says.
PieceOutline placedOutline(const PieceOutline& piece, const PlacedPart& placed);

// "3 plaques, 71 % utilisé", "1 plaque, 12 % utilisé": for the status bar.
std::string layoutSummary(const SheetLayout& layout);

// The engraved name of a part, horizontal, in the wood: at the middle of the part's box, or when
// that is no wood (a ring's hole) or has less room, at the middle of the wood along the
// vertical or horizontal line through it; 5 mm high, or as high as the wood there allows, its
// box (0.7 height per character) a fifth of its height clear of every cut.
struct PartLabel {
    MmPoint centre; // sheet mm
    double height = 0.0;
    std::string text;
};
PartLabel partLabel(const SheetLayout& layout, const PlacedPart& placed);

// Sheet `index` as a single piece for the pages at 1:1: its border, then every part's outlines
// where they lie, its bounds the sheet's.
PieceOutline sheetPiece(const SheetLayout& layout, std::size_t index);

// For each part, the name of its former's layer or group: `fit` makes the former's name fit
// the file format, and a name two formers would share, or one of `reserved`, gets "-2", "-3"...
// (case ignored, as DXF layers ignore it).
std::vector<std::string> formerGroupNames(const SheetLayout& layout,
                                          std::string (*fit)(std::string_view),
                                          const std::vector<std::string_view>& reserved);

// The drawing files of a layout that is ok().
//
// DXF, in millimetres: the sheets side by side along x, sheet k's lower-left corner at
// x = k * (width + kDxfSheetGap), each sheet's border a closed polyline on layer "PLAQUE" (not
// to cut), each part's outlines closed polylines on its former's layer (the name made fit for a
// layer, the doubling in red), and the names as TEXT on layer "GRAVURE" for engraving.
inline constexpr double kDxfSheetGap = 20.0; // mm
std::string sheetsDxf(const SheetLayout& layout, DxfVersion version = DxfVersion::AutoCad2000);

// One SVG per sheet, the sheet's size in millimetres and a viewBox of one unit per millimetre
// (y down from the sheet's top), each former's outlines in a group with an id made of its name,
// the names as text in the group "GRAVURE", drawn in blue.
std::vector<std::string> sheetsSvg(const SheetLayout& layout);
