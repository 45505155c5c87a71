#pragma once
// A race made up for the bet page's window tests: every kind's odds table filled, so any marks give
// lines, with odds that differ from line to line so sorting means something.
#include <QTemporaryDir>
#include <QtGlobal>

#include "app/clock.h"
#include "betting/bet_race.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

namespace fixture {

// Points VEXMORA_HOME at a fresh folder (with kaime/) for the life of the object.
struct Home {
    QTemporaryDir dir;
    QByteArray previous = qgetenv("VEXMORA_HOME");
    Home() {
        qputenv("VEXMORA_HOME", dir.path().toUtf8());
        QDir(dir.path()).mkpath("kaime");
    }
    ~Home() { qputenv("VEXMORA_HOME", previous); }
    QString path(const QString& name) const { return dir.filePath(name); }
};

inline vex::BetRace race(int runners = 16, int slot = 3, const vex::DateTime& post = vex::fromEpoch(vex::nowEpoch() + 3600)) {
    vex::BetRace r;
    r.slot = slot;
    r.runners = runners;
    r.sizeTables();
    for (int h = 1; h <= runners; ++h) {
        vex::BetRunner run;
        run.frame = vex::FrameOfHorse(runners, h);
        run.horse = h;
        run.name = vex::padRight(vex::sj(h % 2 ? "サンプルホース" : "テストランナー"), 36);
        run.compiValue = 90 - 3 * h;
        run.compiRank = h;
        run.winOdds = 1.5 + h * 1.7;
        run.winPopularity = h;
        run.zoneFlag = h <= 3 ? 1 : 0;
        r.cardRows.push_back(run);
        r.winPopularity[h] = h;
    }
    for (int kind = 1; kind <= 9; ++kind) {
        auto& odds = r.odds[kind];
        auto& pop = r.popularity[kind];
        const int n = static_cast<int>(odds.size()) - 1;
        for (int k = 1; k <= n; ++k) {
            odds[k] = 1.1 + (k * 37 % 997) / 10.0;
            pop[k] = 1 + (k * 37 % 997) % 999;
        }
    }
    for (int h = 1; h <= runners; ++h) {
        r.odds[1][h] = r.cardRows[h - 1].winOdds;
        r.popularity[1][h] = h;
    }
    r.recommendedHorse = 1;
    r.zonePattern = 3;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d", post.year);
    r.year = buf;
    std::snprintf(buf, sizeof buf, "%02d%02d", post.month, post.day);
    r.monthDay = buf;
    std::snprintf(buf, sizeof buf, "%02d%02d", post.hour, post.minute);
    r.postTime = buf;
    r.trackCode = "44";
    r.raceNumber = "11";
    r.listEntry = vex::sj("大井11R");
    return r;
}

}  // namespace fixture
