#pragma once

#include <QJsonObject>

class Main;

// The state of the editor as couples-cli writes it with `state=`: the model's arrays and
// values, the handles and the controls' own state. Doubles keep every digit they need to
// round-trip.
QJsonObject editorState(const Main& window);
