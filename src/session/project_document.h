#pragma once

#include "session/work.h"

#include <cstddef>
#include <string>
#include <string_view>

// The editor's state as a UTF-8 JSON document: a format name, a version, then the state with
// its keys always in the same order and every number written with the fewest digits that read
// back to the same double, so that the same state always gives the same bytes.
inline constexpr const char* kEditorStateFormat = "EDITEUR de COUPLES - couple";
// Version 3 adds the fuselage's side and top views (the curves and the plan's pictures),
// whether each former follows them, and the stringers and slots cut into every former
// ("notches", read where present); version 2 holds the fuselage's formers; version 1 (one
// former) is read as a project of one. Older versions read as projects without fuselage views,
// stringers or slots.
inline constexpr int kEditorStateVersion = 3;
// Documents past this size are refused before they are read.
inline constexpr std::size_t kEditorStateMaxBytes = 1024 * 1024;

std::string WriteProject(const ProjectState& state);
// A project of the one former of the state, "F1" at station 0.
std::string WriteEditorState(const EditorState& state);

// The outcome of reading a project: the state, or the first faulty field and a French message
// that names it.
struct ProjectReading {
    bool ok = false;
    ProjectState state;
    std::string field;
    std::string message;
};
ProjectReading ReadProject(std::string_view text);

// The outcome of reading a document: the state, or the first faulty field and a French message
// that names it.
struct EditorStateReading {
    bool ok = false;
    EditorState state;
    std::string field;   // "former.points[3].at", "" when the document as a whole is at fault
    std::string message; // for the user
};

// Checks the whole document before anything is taken from it: JSON, format, version, every
// field present, of its type, finite and in its range, and the state consistent (a joint needs
// 16 samples, the mouse acts on the doubling only while it is on and not slaved, ...).
EditorStateReading ReadEditorState(std::string_view text);
// (The former being edited, when the project holds several.)
