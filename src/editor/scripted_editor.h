#pragma once

#include "editor/main.h"
#include "editor/user_dialogs.h"

// An editor window with a session of its own and dialogs that a script or a test answers: what
// the scripting front-end, the tests and the benchmarks drive.
struct ScriptedEditorParts {
    explicit ScriptedEditorParts(QSizeF surfaceMm)
        : editorSession(SurfaceSize{surfaceMm.width(), surfaceMm.height()}) {}
    EditorSession editorSession;
    ScriptedDialogs dialogs;
};

class ScriptedEditor : public ScriptedEditorParts, public Main {
public:
    explicit ScriptedEditor(QSizeF surfaceMm = {kDesignSurfaceWidth, kDesignSurfaceHeight})
        : ScriptedEditorParts(surfaceMm), Main(editorSession, dialogs) {}
};
