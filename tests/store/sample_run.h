#pragma once

// Runs to write in the store's tests: made up, but of every kind of score line.

#include "store/run_record.h"

namespace varmet::testing {

inline RunRecord SampleRun(const QString &trainee, const QString &group = QStringLiteral("1"),
    const QByteArray &source = QByteArrayLiteral("{\"name\": \"Пробное\"}"))
{
    RunRecord r;
    r.Start.Id = QUuid::createUuid();
    r.Start.Who = {trainee, group};
    r.Start.ExerciseName = QStringLiteral("Пробное");
    r.Start.ExerciseSource = source;
    r.Start.Seed = 18446744073709551557ull; // beyond a signed 64-bit column
    r.Start.Started = QDateTime(QDate(2026, 3, 1), QTime(9, 0), Qt::UTC);
    r.Ended = r.Start.Started.addSecs(1200);
    r.ScoreTime = 1200;
    StoredTarget hit;
    hit.Target = 1;
    hit.Slot = 1;
    hit.CourseError = -3.5L;
    hit.SpeedError = 0.25L;
    hit.DistanceError = 1.5L;
    hit.Within = true;
    hit.Since = 640;
    hit.Median = TorpedoOutcome {};
    hit.Median->MissMetres = 12.5L;
    hit.Median->Hit = true;
    hit.Wake[1] = TorpedoOutcome {};
    hit.Wake[1]->MissMetres = 250.0L;
    StoredTarget unsolved;
    unsolved.Target = 2;
    r.Targets = {hit, unsolved};
    r.Journal = QStringLiteral("exercise crossing.json 7\ntick 1200\nmenu MExerciseStop\n");
    r.Session = QByteArray("{\"format\": \"varmet-session\"}\0binary", 36);
    return r;
}

} // namespace varmet::testing
