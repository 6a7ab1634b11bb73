#include "run_record.h"

#include <QCryptographicHash>

#include <algorithm>

namespace varmet {

std::optional<Trainee> MakeTrainee(const QString &name, const QString &group)
{
    Trainee trainee {name.simplified(), group.simplified()};
    if (trainee.Name.isEmpty() || trainee.Name.size() > MaxTraineeNameLength
        || trainee.Group.size() > MaxTraineeGroupLength)
        return std::nullopt;
    return trainee;
}

QString ExerciseHash(const QByteArray &source)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(source, QCryptographicHash::Sha256).toHex());
}

bool StoredTarget::Hit() const
{
    const auto hit = [](const std::optional<TorpedoOutcome> &o) { return o && o->Hit; };
    return hit(Median) || hit(Wake[0]) || hit(Wake[1]);
}

std::vector<StoredTarget> StoredTargets(const ExerciseScore &score)
{
    std::vector<StoredTarget> targets;
    targets.reserve(score.Targets.size());
    for (const TargetScore &t : score.Targets) {
        StoredTarget s;
        s.Target = t.Target;
        s.Slot = t.Slot;
        if (t.Slot) {
            s.CourseError = t.CourseError;
            s.SpeedError = t.SpeedError;
            s.DistanceError = t.DistanceError;
        }
        s.Within = t.Within();
        s.Since = t.Since;
        s.Median = t.Median;
        s.Wake = t.Wake;
        targets.push_back(s);
    }
    return targets;
}

int RunRecord::Hits() const
{
    return static_cast<int>(
        std::count_if(Targets.begin(), Targets.end(), [](const auto &t) { return t.Hit(); }));
}

} // namespace varmet
