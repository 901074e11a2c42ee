#include "cli_test_support.h"

#include "former/fuselage_curves.h"

#include <QDir>
#include <QProcess>
#include <QSlider>

namespace {

// The program itself, started in folder, so that relative names and the exit status are
// those a script sees.
CliRun program(const QStringList& args, const QString& folder) {
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(COUPLES_CLI_PATH, args);
    CliRun r;
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished(5000);
        ADD_FAILURE() << "couples-cli did not finish";
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QString chosenFile(const QString& statePath) {
    return readJson(statePath).value("Chosen_File").toString("<none>");
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

using CliFiles = CliTest;

TEST_F(CliFiles, NamesAreTakenInTheCurrentFolderAndEmptyCancels) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("my.data"));
    ASSERT_TRUE(succeeded(program({"save=haut:rel", "save=bas:my.data/inner", "state=a.json",
                                   "save=droit:", "state=b.json", "load=old.dat", "state=c.json",
                                   "load=", "state=d.json", "button=1", "state=e.json"},
                                  dir.path())));
    EXPECT_NE(fileBytes(file("rel.DAT")), "<missing>");
    EXPECT_NE(fileBytes(file("my.data/inner")), "<missing>") << "the folder's .data counts";
    EXPECT_EQ(chosenFile(file("a.json")), file("my.data/inner"));
    EXPECT_EQ(chosenFile(file("b.json")), "");
    EXPECT_EQ(chosenFile(file("c.json")), file("old.dat")) << "load keeps the name as is";
    EXPECT_EQ(chosenFile(file("d.json")), "");
    // The toolbar's save button opens a dialog nobody types into: a cancel.
    EXPECT_EQ(chosenFile(file("e.json")), "");
    // Load reads and writes nothing.
    EXPECT_EQ(entries(dir.path()), (QStringList{"a.json", "b.json", "c.json", "d.json", "e.json",
                                                "my.data", "rel.DAT"}));
    EXPECT_EQ(program({"save=bas"}, dir.path()).status, 2);
}

// Several formers scripted in the panel "Couples": each action acts on the former selected,
// the list operations are undo steps, the project keeps them all, and the refusals are the
// user's: a name taken, the last former, a part larger than the sheet.
TEST_F(CliFiles, SeveralFormersScriptedSavedAndCutFromSheets) {
    CliRun r = program({"former-new=F2:60", "drag=4:75,50", "former-new=Maître:120,5", "points=20",
                        "former-rename=F2:Milieu", "former-station=F1:-10", "former-duplicate=F1",
                        "former-delete=F1 copie", "former-select=Milieu", "state=made.json",
                        "project-save=fuselage", "fuselage=1", "export-all=dxf:plaques",
                        "export-all=svg:petites:140x80", "state=cut.json"},
                       dir.path());
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject made = readJson(file("made.json"));
    expectAt(made, R"({"formers/current": "Milieu", "formers/list/0/name": "F1",
        "formers/list/0/station": -10, "formers/list/1/name": "Milieu",
        "formers/list/1/station": 60, "formers/list/2/name": "Maître",
        "formers/list/2/station": 120.5, "formers/list/0/follows": false,
        "formers/list/0/notches": [], "formers/list/2/notches": [],
        "Nb_Points": 13, "undo": {"count": 11, "index": 11}})");
    EXPECT_EQ(at(made, "formers/list").toArray().size(), 3);
    // 11 steps: "former-new=NAME:STATION" is "Nouveau" then the name and the station typed,
    // as a user does it (3 steps, 2 for F2 whose name is the one given); selecting is none.
    const QJsonObject cut = readJson(file("cut.json"));
    expectAt(cut, R"({"view3d/fuselage": true, "project/modified": false})");
    // Three formers about 50 mm wide, one on each small sheet: SVG files numbered.
    EXPECT_EQ(cut["status"].toString(),
              QStringLiteral("3 plaques, 26 % utilisé → petites-1.SVG … petites-3.SVG"));
    for (const char* name : {"plaques.DXF", "petites-1.SVG", "petites-3.SVG"})
        EXPECT_TRUE(QFile::exists(file(name))) << name;
    const std::string dxf = fileBytes(file("plaques.DXF"));
    for (const char* layer : {"\n  8\nF1\n", "\n  8\nGRAVURE\n", "\n  8\nPLAQUE\n",
                              "\n  8\nMa\xeetre\n" /* the codepage of the drawing */})
        EXPECT_NE(dxf.find(layer), std::string::npos) << layer;

    // The project opens with its three formers, the one edited when saved edited again.
    ASSERT_TRUE(
        succeeded(program({"project-open=fuselage.couple", "state=opened.json"}, dir.path())));
    const QJsonObject opened = readJson(file("opened.json"));
    EXPECT_EQ(opened["formers"], made["formers"]);
    EXPECT_EQ(opened["Pts_Couple"], made["Pts_Couple"]);

    const struct {
        QStringList actions;
        int status;
        const char* words;
    } refusals[] = {
        {{"former-rename=F1:F1 ", "former-new=F2:50", "former-rename=F2:F1 "}, 1, "s'appelle déjà"},
        {{"former-delete=F1"}, 2, "cmdSupprimer is disabled"},
        {{"former-select=F9"}, 2, "no former F9"},
        {{"former-station=F1:abc"}, 2, "« abc »"},
        {{"former-station=F1:200000"}, 2, "hors de l'intervalle"},
        {{"export-all=dxf:trop:40x40"}, 1, "« F1 »"},
        {{"export-all=eps:a"}, 2, "unknown format"},
        // A size that does not read is bad usage, never part of a file name.
        {{"export-all=dxf:neg:-5x5"}, 2, "valeur négative"},
        {{"export-all=dxf:neg:0x5"}, 2, "hors de l'intervalle"},
        {{"export-all=dxf:neg:5"}, 2, "no sheet size"},
        {{"export-all=dxf:a:b:600x300"}, 2, "NAME holds no ':'"},
        // The names "Renommer" refuses are refused whatever road they come by.
        {{"former-rename=F1:" + QString(41, 'L')}, 1, "trop long"},
        {{"former-rename=F1: "}, 1, "doit avoir un nom"},
        {{"former-new=F\x1b[31m:50"}, 1, "caractère de contrôle"},
    };
    for (const auto& c : refusals) {
        r = program(c.actions + QStringList{"state=after.json"}, dir.path());
        EXPECT_EQ(r.status, c.status) << c.actions.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.words))) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(file("after.json")));
    }
    EXPECT_FALSE(QFile::exists(file("trop.DXF")));
    EXPECT_TRUE(entries(dir.path()).filter("neg").isEmpty());

    // Forty characters fit, and "Dupliquer" keeps its copies' names to them.
    const QString longest(40, 'L');
    r = program({"former-rename=F1:" + longest, "former-duplicate=" + longest,
                 "former-duplicate=" + longest, "project-save=longs", "state=longs.json"},
                dir.path());
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    expectAt(readJson(file("longs.json")),
             R"j({"formers/list/2/name": "LLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLL copie",
                 "formers/list/1/name": "LLLLLLLLLLLLLLLLLLLLLLLLLLLLLL copie (2)"})j");
    EXPECT_TRUE(succeeded(program({"project-open=longs.couple"}, dir.path())));

    // Sheets as SVG are numbered however many they are; several are written as one: when one
    // cannot be (its name is a folder), every older file stays as it was.
    ASSERT_TRUE(succeeded(program({"export-all=svg:seule"}, dir.path())));
    EXPECT_TRUE(QFile::exists(file("seule-1.SVG")));
    EXPECT_FALSE(QFile::exists(file("seule.SVG")));
    writeScratchFile(file("t-1.SVG"), "older sheet");
    ASSERT_TRUE(QDir(dir.path()).mkdir("t-2.SVG"));
    const QStringList before = entries(dir.path());
    r = program({"project-open=fuselage.couple", "export-all=svg:t:82x62"}, dir.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("t-2.SVG")) << r.err.toStdString();
    EXPECT_EQ(fileBytes(file("t-1.SVG")), "older sheet");
    EXPECT_EQ(entries(dir.path()), before) << "no sheet and no temporary file left behind";

    // A deletion is no failure for what the former shown next says: here, with the history
    // at its limit of steps (where a new step drops the oldest), the former left has a
    // constant width its real scale makes too wide to draw.
    QStringList steps;
    for (int i = 0; i <= 1000; ++i)
        steps << QStringLiteral("points=%1").arg(10 + i % 2);
    r = program(steps + QStringList{"doubling=on", "doubling-mode=constante", "doubling-width=20",
                                    "former-new=F2:50", "scale=0,01", "former-delete=F1",
                                    "state=deleted.json"},
                dir.path());
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject deleted = readJson(file("deleted.json"));
    expectAt(deleted, R"({"formers/current": "F2", "formers/list/0/name": "F2",
        "formers/list/0/station": 50, "formers/list/0/notches": [],
        "undo": {"count": 1000, "index": 1000}, "doubling/drawn": false})");
    EXPECT_EQ(at(deleted, "formers/list").toArray().size(), 1);
    EXPECT_FALSE(deleted["status"].toString().isEmpty());
}

// The stringers and slots by script: each action one step, the table and every former's notches
// in the state, kept in the project with the DXF version; a bad value is bad usage naming it,
// and a notch left out is cut from no file and named.
TEST_F(CliFiles, StringersAndSlotsScriptedKeptAndRefusedByValue) {
    CliRun r =
        program({"former-new=F2:60", "stringer-add=L1:0,25:3:2", "stringer-add=L2:0.6:2,5:3:one",
                 "slot=keel:4:3", "slot=crutch:-5:3:4", "slot=spine:3:2", "slot-delete=spine",
                 "stringer-add=L3:0.8:3:3", "stringer-delete=L3", "export=dxf:entier:f2:r12",
                 "export-all=dxf:plaques:r12", "project-save=encoches", "state=made.json"},
                dir.path());
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject made = readJson(file("made.json"));
    expectAt(made, R"({"stringers": [
        {"name": "L1", "place": 0.25, "width": 3, "depth": 2, "bothSides": true},
        {"name": "L2", "place": 0.6, "width": 2.5, "depth": 3, "bothSides": false}],
        "slots": [{"kind": "keel", "width": 4, "depth": 3},
                  {"kind": "crutch", "width": 3, "depth": 4, "height": -5}],
        "undo": {"count": 10, "index": 10}})");
    // Every former gets them: L1 on both halves, L2 on the right, the keel on the axis, the
    // crutch on both sides, each centre on the outline.
    for (const QJsonValue f : made["formers"].toObject()["list"].toArray()) {
        QStringList cut;
        for (const QJsonValue n : f.toObject()["notches"].toArray()) {
            const QJsonObject o = n.toObject();
            EXPECT_FALSE(o.contains("refused")) << o["refused"].toString().toStdString();
            cut << o["name"].toString() + " " + o["side"].toString();
            EXPECT_EQ(o["centre"].toArray().size(), 2);
        }
        EXPECT_EQ(cut.join(", "), "L1 droit, L1 gauche, L2 droit, Fente de quille axe, "
                                  "Fente de bâti droit, Fente de bâti gauche")
            << f.toObject()["name"].toString().toStdString();
    }
    for (const char* name : {"f2.DXF", "plaques.DXF"})
        EXPECT_NE(fileBytes(file(name)).find("AC1009"), std::string::npos) << name;

    // Opened again: the same table and notches, the R12 choice kept.
    r = program({"project-open=encoches.couple", "state=opened.json"}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject opened = readJson(file("opened.json"));
    EXPECT_EQ(opened["stringers"], made["stringers"]);
    EXPECT_EQ(opened["slots"], made["slots"]);
    EXPECT_EQ(opened["formers"], made["formers"]);
    EXPECT_NE(fileBytes(file("encoches.couple")).find("\"dxf\": \"r12\""), std::string::npos);

    // A notch through the doubling is left out of the file, named in the state and on stderr.
    r = program(
        {"doubling=on", "stringer-add=L1:0.5:3:20", "state=out.json", "export=dxf:entier:out"},
        dir.path());
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("L1 traverse le doublage de F1")) << r.err.toStdString();
    expectAt(readJson(file("out.json")),
             R"({"formers/list/0/notches/0/refused": "L1 traverse le doublage de F1",
                 "status": "L1 traverse le doublage de F1"})");

    const struct {
        QStringList actions;
        const char* words;
    } refusals[] = {
        {{"stringer-add=L1:1,5:3:3"}, "1,5"},
        {{"stringer-add=L1:0.5:45:3"}, "45"},
        {{"stringer-add=L1:0.5:3:0,2"}, "0,2"},
        {{"stringer-add=L1:0.5:3"}, "expected NAME:PLACE:W:D[:one]"},
        {{"stringer-add=L1:0.5:3:3:two"}, "expected NAME:PLACE:W:D[:one]"},
        {{"stringer-add=L1:0.2:3:3", "stringer-add=L1:0.4:3:3"}, "L1"},
        {{"stringer-add=Fente de quille:0.4:3:3"}, "Fente de quille"},
        {{"stringer-delete=L9"}, "no stringer L9"},
        {{"slot=wing:3:3"}, "unknown slot wing"},
        {{"slot=crutch:3:3"}, "expected crutch:HEIGHT:W:D"},
        {{"slot=keel:3:31"}, "31"},
        {{"slot=crutch:abc:3:3"}, "abc"},
        {{"slot-delete=keel"}, "no keel slot"},
        {{"export=dxf:entier:a:r13"}, "r13"},
    };
    for (const auto& c : refusals) {
        r = program(c.actions + QStringList{"state=after.json"}, dir.path());
        EXPECT_EQ(r.status, 2) << c.actions.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.words)))
            << c.words << ": " << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(file("after.json")));
    }
}

// The designer's job: the three curves typed, one key former traced, eleven formers that
// follow at stations 0..500, each filling the curves' box at its station. A point of "Dos"
// typed higher moves exactly the formers its span covers, in one step; undone, every former
// is as it was to the bit; the project opens again equal, and the formers are cut.
TEST_F(CliFiles, FormersFollowTheFuselagesViewsFromTheCurvesToTheSheets) {
    const QString dos = "-20,28;60,36;130,42;200,45;270,46;340,42;420,34;520,22";
    const QString raised = "-20,28;60,36;130,42;200,51;270,46;340,42;420,34;520,22";
    const QString ventre = "-20,-18;100,-30;250,-34;400,-24;520,-10";
    const QString flanc = "-20,16;100,26;250,30;400,22;520,9";
    QStringList script = {"fuselage-window=1", "side=dos:" + dos, "side=ventre:" + ventre,
                          "top=" + flanc,      "drag=4:75,50",    "former-station=F1:250"};
    for (int k = 0; k <= 10; ++k) {
        script << QStringLiteral("former-new=C%1:%2").arg(k).arg(50 * k);
        if (k == 0)
            script << "former-follow=C0:1"; // the next ones are its copies
    }
    script << "state=typed.json"
           << "side=dos:" + raised << "state=raised.json"
           << "undo=1"
           << "state=undone.json"
           << "redo=1"
           << "project-save=suivis"
           << "export-all=dxf:plaques";
    CliRun r = program(script, dir.path());
    ASSERT_EQ(r.status, 0) << r.err.toStdString();

    auto curves = [&ventre, &flanc](const QString& d) {
        FuselageViews v;
        v.dos = ReadCurvePoints(CurveKind::Dos, d.toStdString()).points;
        v.ventre = ReadCurvePoints(CurveKind::Ventre, ventre.toStdString()).points;
        v.flanc = ReadCurvePoints(CurveKind::Flanc, flanc.toStdString()).points;
        SampledViews s;
        s.sample(v);
        return s;
    };
    const SampledViews before = curves(dos), after = curves(raised);
    const QJsonObject typed = readJson(file("typed.json"));
    const QJsonArray list = at(typed, "formers/list").toArray();
    ASSERT_EQ(list.size(), 12);
    EXPECT_EQ(at(typed, "fuselageViews/dos/3").toArray(), (QJsonArray{200, 45}));
    EXPECT_EQ(at(typed, "formers/list/0/follows"), false);
    for (int i = 1; i < 12; ++i) {
        const QJsonObject f = list[i].toObject();
        const double station = f["station"].toDouble();
        EXPECT_TRUE(f["follows"].toBool()) << i;
        EXPECT_EQ(station, 50.0 * (i - 1));
        EXPECT_NEAR(f["top"].toDouble(), *before.dos.valueAt(station), 0.01) << i;
        EXPECT_NEAR(f["bottom"].toDouble(), *before.ventre.valueAt(station), 0.01) << i;
        EXPECT_NEAR(f["halfWidth"].toDouble(), *before.flanc.valueAt(station), 0.01) << i;
    }

    // The span the point moves: the stations between the last sample of "Dos" that stays
    // before it and the first that stays after it.
    const auto& was = before.dos.samples();
    const auto& now = after.dos.samples();
    std::size_t first = 0, last = now.size() - 1;
    while (first < now.size() && now[first].y == was[first].y)
        ++first;
    while (last > 0 && now[last].y == was[last].y)
        --last;
    ASSERT_LT(first, last);
    const double from = first == 0 ? -1e9 : now[first - 1].x;
    const double to = last + 1 == now.size() ? 1e9 : now[last + 1].x;
    const QJsonObject raisedState = readJson(file("raised.json"));
    const QJsonArray moved = at(raisedState, "formers/list").toArray();
    int changed = 0;
    for (int i = 0; i < 12; ++i) {
        const QJsonObject f = moved[i].toObject();
        const double station = f["station"].toDouble();
        const bool covered = f["follows"].toBool() && station > from && station < to;
        EXPECT_EQ(f != list[i].toObject(), covered) << i << " at " << station;
        if (covered) {
            EXPECT_NEAR(f["top"].toDouble(), *after.dos.valueAt(station), 0.01) << i;
            ++changed;
        }
    }
    EXPECT_GE(changed, 2);
    EXPECT_LE(changed, 9);
    EXPECT_EQ(at(raisedState, "undo/index").toInt(), at(typed, "undo/index").toInt() + 1);
    const QJsonObject undone = readJson(file("undone.json"));
    EXPECT_EQ(undone["formers"], typed["formers"]);
    EXPECT_EQ(undone["Pts_Couple"], typed["Pts_Couple"]);

    // Opened again: the same formers, measures and curves.
    r = program({"project-open=suivis.couple", "state=opened.json"}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject opened = readJson(file("opened.json"));
    EXPECT_EQ(opened["formers"].toObject()["list"], raisedState["formers"].toObject()["list"]);
    EXPECT_EQ(opened["fuselageViews"], raisedState["fuselageViews"]);
    const std::string dxf = fileBytes(file("plaques.DXF"));
    for (int k = 0; k <= 10; ++k)
        EXPECT_NE(dxf.find(QStringLiteral("\n  8\nC%1\n").arg(k).toStdString()), std::string::npos)
            << k;

    const struct {
        QStringList actions;
        int status;
        const char* words;
    } refusals[] = {
        {{"side=dos:0,1"}, 2, "the window \"Fuselage\" is not open"},
        {{"fuselage-window=1", "side=dos:0,1"}, 2, "1 point"},
        {{"fuselage-window=1", "side=dos:0,1;0,2"}, 2, "la station 0 ne dépasse pas"},
        {{"fuselage-window=1", "top=0,1;x,2"}, 2, "x"},
        {{"fuselage-window=1", "side=aile:0,1;2,3"}, 2, "expected dos"},
        {{"former-follow=F9:1"}, 2, "no former F9"},
        {{"former-follow=F1:oui"}, 2, "expected NAME:1"},
        {{"fuselage-window=1", "fit-curves=1"}, 1, "Courbes par les couples"},
        {{"fuselage-window=1", "side-calibrate=0,0:10,0:100"}, 2, "disabled"},
    };
    for (const auto& c : refusals) {
        r = program(c.actions + QStringList{"state=after.json"}, dir.path());
        EXPECT_EQ(r.status, c.status) << c.actions.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.words))) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(file("after.json")));
    }
    // 31 points are too many.
    QStringList many;
    for (int i = 0; i <= 30; ++i)
        many << QStringLiteral("%1,10").arg(i * 10);
    r = program({"fuselage-window=1", "top=" + many.join(';')}, dir.path());
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains("plus de 30 points")) << r.err.toStdString();
}

// The real scale makes the constant width another offset on the drawing, whatever road changed
// it (typed, calibrated, undone, a project opened): the drawing, the profile, the drawing to cut
// and the 3-D part all follow, and a project saved and opened again gives the same files. What
// the editor lets a user make, it writes and reads back: a point typed at the ends of the
// boxes' range at the ends of the real scale is refused when the drawing cannot hold it.
TEST_F(CliFiles, TheRealScaleMakesTheSameFilesByEveryRoad) {
    const QString plan = file("plan.bmp");
    ASSERT_TRUE(plainPicture({400, 300}, Qt::white).save(plan, "BMP"));
    const QStringList roads[] = {
        {"scale=2"},
        {"picture=plan.bmp", "calibrate=60,20:60,60:80"},
        {"scale=2", "scale=3", "undo=1"},
    };
    for (const QStringList& road : roads) {
        SCOPED_TRACE(road.join(' ').toStdString());
        for (const char* f : {"a.DXF", "a.DAT", "b.DXF", "b.DAT"})
            QFile::remove(file(f));
        CliRun r = program(QStringList{"doubling=on", "doubling-mode=constante"} + road +
                               QStringList{"export=dxf:entier:a", "save=entier:a", "project-save=a",
                                           "state=a.json"},
                           dir.path());
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        r = program(
            {"project-open=a.couple", "export=dxf:entier:b", "save=entier:b", "state=b.json"},
            dir.path());
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(fileBytes(file("a.DXF")), fileBytes(file("b.DXF")));
        EXPECT_EQ(fileBytes(file("a.DAT")), fileBytes(file("b.DAT")));
        const QJsonObject a = readJson(file("a.json")), b = readJson(file("b.json"));
        EXPECT_EQ(a["realScale"].toDouble(), 2.0);
        // Five real millimetres are two and a half of the drawing at the top of the former
        // (its inner outline crosses the axis a little lower where the top is curved).
        EXPECT_NEAR(at(a, "Doublage_Droit/0/1").toDouble() - at(a, "Courbe_Droite/0/1").toDouble(),
                    2.5, 0.01);
        for (const char* key : {"Courbe_Droite", "Doublage_Droit"})
            EXPECT_EQ(a[key], b[key]) << key;
        EXPECT_EQ(at(a, "view3d/formerMesh/vertices"), at(b, "view3d/formerMesh/vertices"));
    }

    for (const char* scale : {"0,001", "1000", "0,005"}) {
        for (const char* point : {"10000,10000", "-10000,-10000", "5000,0", "0,0"}) {
            const QString where = QStringLiteral("scale %1, point %2").arg(scale, point);
            QFile::remove(file("p.couple"));
            const CliRun r = program({"former-new=N2:50", QStringLiteral("scale=") + scale,
                                      QStringLiteral("point=4:") + point, "project-save=p"},
                                     dir.path());
            if (r.status == 2) {
                EXPECT_TRUE(r.err.contains("zone de dessin")) << r.err.toStdString();
                continue;
            }
            ASSERT_EQ(r.status, 0) << where.toStdString() << ": " << r.err.toStdString();
            const CliRun opened = program({"project-open=p.couple"}, dir.path());
            EXPECT_EQ(opened.status, 0) << where.toStdString() << ": " << opened.err.toStdString();
        }
    }
}

// A former with a doubling of constant width, saved as a profile and drawn as a DXF: the same
// bytes as the files kept beside the test (the ".DAT" keeps its format, the DXF its layers).
TEST_F(CliFiles, AnOffsetDoublingGivesTheKeptProfileAndDrawing) {
    ASSERT_TRUE(succeeded(
        program({"doubling=on", "doubling-mode=constante", "doubling-width=6", "drag=4:95,50",
                 "save=entier:offset_former.DAT", "export=dxf:entier:offset_former.dxf"},
                dir.path())));
    for (const char* name : {"offset_former.DAT", "offset_former.dxf"})
        EXPECT_EQ(fileBytes(file(name)),
                  fileBytes(QStringLiteral(COUPLES_TEST_DATA "/") + QLatin1String(name)))
            << name;
}

// The picture through a script (what it shows is the window's): the paint program's command
// line, and what cannot be done.
TEST_F(CliFiles, PictureSessionAndItsRefusals) {
    const QString picture = file("plan d'été; 1.bmp");
    ASSERT_TRUE(plainPicture({400, 300}, QColor(10, 20, 200)).save(picture, "BMP"));
    expectAt(stateAfter({"picture=" + picture, "tab=masque", "image=off", "image=on"}),
             R"({"picture": {"on": true, "width": 400, "height": 300}, "controls/Command4/tag": "1",
                 "calibrated": false, "statusLasting": "Plan non calibré", "statusPassing": "",
                 "status": "Plan non calibré"})");
    expectAt(stateAfter({}), R"({"statusLasting": "", "statusPassing": "", "status": ""})");
    // The paint program, found on PATH, gets the path as one shell-quoted word.
    const QByteArray path = qgetenv("PATH");
    QDir(dir.path()).mkdir("bin");
    writeScratchFile(file("bin/mtpaint"));
    QFile::setPermissions(file("bin/mtpaint"), QFile::ReadOwner | QFile::ExeOwner);
    qputenv("PATH", QFile::encodeName(file("bin")));
    const CliRun paint = cli({"mspaint=1", "picture=" + picture, "mspaint=1"});
    qputenv("PATH", QFile::encodeName(file("nowhere")));
    const CliRun none = cli({"picture=" + picture, "mspaint=1"});
    qputenv("PATH", path);
    EXPECT_EQ(paint.status, 0) << paint.err.toStdString();
    EXPECT_EQ(paint.out, "mspaint: none\nmspaint: " + file("bin/mtpaint") + " '" +
                             file("plan d'\\''été; 1.bmp") + "'\n");
    EXPECT_EQ(none.out, "mspaint: none\n");

    // A picture that cannot be read is a run-time failure with its reason; hidden or disabled
    // controls are bad usage.
    writeScratchFile(file("notes.jpg"), "pas une image");
    for (const QStringList& script : {QStringList{"picture=" + file("notes.jpg")},
                                      QStringList{"picture=" + file("absent.bmp")}}) {
        const CliRun r = cli(script + QStringList{"state=" + file("never.json")});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.contains("Impossible d'afficher l'image")) << r.err.toStdString();
    }
    expectBadUsage({"tab=plan", "image=on", "image=maybe", "horiz=700", "tab=masque:x", "mspaint=2",
                    "picture=" + dir.path(), "export=svg:entier:" + file("e.svg") + ":1e400x1",
                    "export=svg:entier:" + file("e.svg") + ":", "export=svg:entier:a:b.svg",
                    "export=dxf:entier:a:0x5", "export=pdf:entier:a:100x-:a5",
                    "export=eps:entier:a", "export=svg:milieu:a"});
    EXPECT_EQ(entries(dir.path()).filter("svg"), QStringList()) << "a size is no file name";
    // Out of reach: "Horiz" without a picture or off its tab, beyond the picture, a zoom out of
    // range, the doubling from the tab "Masque".
    const QString wide = file("wide.png");
    ASSERT_TRUE(plainPicture({5000, 2500}, QColor(10, 20, 200)).save(wide));
    for (const QStringList& script :
         {QStringList{"horiz=700"}, QStringList{"tab=masque", "horiz=700"},
          QStringList{"picture=" + wide, "tab=masque", "horiz=9999"},
          QStringList{"picture=" + picture, "zoom=300"},
          QStringList{"picture=" + picture, "zoom=50"}, QStringList{"tab=masque", "doubling=on"}})
        EXPECT_EQ(cli(script).status, 2) << script.join(' ').toStdString();
}

} // namespace
