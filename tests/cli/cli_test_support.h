#pragma once

#include "cli_actions.h"
#include "couples_cli.h"
#include "editor_test_support.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <string>

struct CliRun {
    int status = -1;
    QString out;
    QString err;
};

// Runs couples-cli in this process, as the program's main does.
inline CliRun cli(const QStringList& args) {
    CliRun r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.status = runCouplesCli(args, out, err);
    out.flush();
    err.flush();
    return r;
}

// Passes when the run ended with status 0; its errors are the message otherwise.
inline ::testing::AssertionResult succeeded(const CliRun& r) {
    if (r.status == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "status " << r.status << ": " << r.err.toStdString();
}

// The JSON object of a state file; empty when there is none.
inline QJsonObject readJson(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object()
                                       : QJsonObject{};
}

// The value at a path of keys and array indices: "controls/Hscroll3/value", "shppi/3/visible".
inline QJsonValue at(const QJsonObject& state, const QString& path) {
    QJsonValue v = state;
    for (const QString& key : path.split('/'))
        v = v.isArray() ? v.toArray().at(key.toInt()) : v.toObject().value(key);
    return v;
}

// Each path of the state holds its value, both given as a JSON object: {"Nb_Points": 13,
// "controls/Text3": "13"} (an integer equals the same double).
inline void expectAt(const QJsonObject& state, const char* expectedJson) {
    QJsonParseError error;
    const QJsonObject expected = QJsonDocument::fromJson(expectedJson, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << expectedJson;
    auto text = [](const QJsonValue& v) {
        return QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact).toStdString();
    };
    for (auto it = expected.begin(); it != expected.end(); ++it)
        EXPECT_TRUE(at(state, it.key()) == it.value())
            << it.key().toStdString() << " is " << text(at(state, it.key())) << ", expected "
            << text(it.value());
}

// The bytes of a file, or "<missing>" when it cannot be read.
inline std::string fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : "<missing>";
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString file(const QString& name) const { return dir.filePath(name); }
    // Runs the actions followed by state= into a fresh file, and reads that state back.
    QJsonObject stateAfter(QStringList args) {
        const QString path = file(QStringLiteral("state%1.json").arg(++runs_));
        EXPECT_TRUE(succeeded(cli(args << "state=" + path)));
        return readJson(path);
    }
    // Each action alone is bad usage, named in the message, and stops the script before the
    // next action.
    void expectBadUsage(const QStringList& actions) {
        for (const QString& a : actions) {
            const QString never = file("never.json");
            const CliRun r = cli({a, "state=" + never});
            EXPECT_EQ(r.status, 2) << a.toStdString();
            EXPECT_TRUE(r.err.contains(a)) << r.err.toStdString();
            EXPECT_FALSE(QFile::exists(never)) << a.toStdString();
        }
    }
    QTemporaryDir dir;

private:
    int runs_ = 0;
};
