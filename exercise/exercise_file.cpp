#include "exercise_file.h"

#include "json_keys.h"
#include "json_positions.h"

#include "board/picture_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <map>

namespace varmet {

namespace {

// A refusal on its way out of the reader: the field and what is wrong with it.
struct FieldFault
{
    QString field;
    QString problem;
};

QString number(long double value)
{
    return QString::number(static_cast<double>(value), 'g', 15);
}

QString parseErrorText(QJsonParseError::ParseError error)
{
    switch (error) {
    case QJsonParseError::UnterminatedObject:
        return QStringLiteral("объект не закрыт");
    case QJsonParseError::MissingNameSeparator:
        return QStringLiteral("нет двоеточия после имени поля");
    case QJsonParseError::UnterminatedArray:
        return QStringLiteral("список не закрыт");
    case QJsonParseError::MissingValueSeparator:
        return QStringLiteral("нет запятой между значениями");
    case QJsonParseError::IllegalValue:
        return QStringLiteral("недопустимое значение");
    case QJsonParseError::TerminationByNumber:
        return QStringLiteral("текст оборван на числе");
    case QJsonParseError::IllegalNumber:
        return QStringLiteral("недопустимое число");
    case QJsonParseError::IllegalEscapeSequence:
    case QJsonParseError::IllegalUTF8String:
    case QJsonParseError::UnterminatedString:
        return QStringLiteral("недопустимая или незакрытая строка");
    case QJsonParseError::MissingObject:
        return QStringLiteral("ожидается объект");
    case QJsonParseError::DeepNesting:
        return QStringLiteral("слишком глубокая вложенность");
    case QJsonParseError::DocumentTooLarge:
        return QStringLiteral("документ слишком велик");
    case QJsonParseError::GarbageAtEnd:
        return QStringLiteral("лишний текст после документа");
    case QJsonParseError::NoError:
        break;
    }
    return QStringLiteral("ошибка разбора");
}

// Reads the fields of one JSON object, each named by its path in the file; every unread field
// of the object is refused as unknown, so that a misspelt name never passes for a default.
class ObjectReader
{
public:
    ObjectReader(const QJsonValue &value, QString path)
        : m_path(std::move(path))
    {
        if (!value.isObject())
            throw FieldFault {m_path, QStringLiteral("ожидается объект")};
        m_object = value.toObject();
    }

    QString pathOf(const QString &key) const
    {
        return m_path.isEmpty() ? key : m_path + QLatin1Char('.') + key;
    }

    bool has(const QString &key) const { return m_object.contains(key); }

    QJsonValue take(const QString &key)
    {
        m_read.insert(key);
        if (!m_object.contains(key))
            throw FieldFault {pathOf(key), QStringLiteral("поле отсутствует")};
        return m_object.value(key);
    }

    // A real within [low, high] (or [low, high) when `highOpen`, or (low, high] when `lowOpen`).
    long double real(const QString &key, long double low, long double high, bool lowOpen = false,
        bool highOpen = false)
    {
        const QJsonValue value = take(key);
        if (!value.isDouble())
            throw FieldFault {pathOf(key), QStringLiteral("ожидается число")};
        const long double x = value.toDouble();
        const bool below = lowOpen ? x <= low : x < low;
        const bool above = highOpen ? x >= high : x > high;
        if (below || above)
            throw FieldFault {pathOf(key),
                QStringLiteral("значение %1 вне пределов %2%3…%4%5")
                    .arg(number(x), lowOpen ? QStringLiteral("(") : QStringLiteral("["),
                        number(low), number(high),
                        highOpen ? QStringLiteral(")") : QStringLiteral("]"))};
        return x;
    }

    std::int64_t whole(const QString &key, std::int64_t low, std::int64_t high)
    {
        const QJsonValue value = take(key);
        const double x = value.toDouble();
        if (!value.isDouble() || x != std::floor(x))
            throw FieldFault {pathOf(key), QStringLiteral("ожидается целое число")};
        if (x < static_cast<double>(low) || x > static_cast<double>(high))
            throw FieldFault {pathOf(key),
                QStringLiteral("значение %1 вне пределов %2…%3")
                    .arg(number(x), QString::number(low), QString::number(high))};
        return static_cast<std::int64_t>(x);
    }

    QString text(const QString &key)
    {
        const QJsonValue value = take(key);
        if (!value.isString() || value.toString().trimmed().isEmpty())
            throw FieldFault {pathOf(key), QStringLiteral("ожидается непустая строка")};
        return value.toString().trimmed();
    }

    QJsonArray array(const QString &key)
    {
        const QJsonValue value = take(key);
        if (!value.isArray())
            throw FieldFault {pathOf(key), QStringLiteral("ожидается список")};
        return value.toArray();
    }

    // Every field must have been read.
    void finish() const
    {
        for (const QString &key : m_object.keys()) {
            if (!m_read.contains(key))
                throw FieldFault {pathOf(key), QStringLiteral("неизвестное поле")};
        }
    }

private:
    QString m_path;
    QJsonObject m_object;
    QSet<QString> m_read;
};

// Where a field stands; a missing one is pointed at by the object that lacks it.
TextPosition placeOf(const std::map<QString, TextPosition> &places, QString field)
{
    for (;;) {
        if (const auto found = places.find(field); found != places.end())
            return found->second;
        const qsizetype cut
            = std::max(field.lastIndexOf(QLatin1Char('.')), field.lastIndexOf(QLatin1Char('[')));
        if (cut < 0)
            break;
        field.truncate(cut);
    }
    const auto root = places.find(QString());
    return root != places.end() ? root->second : TextPosition {};
}

QString item(const QString &path, qsizetype index)
{
    return QStringLiteral("%1[%2]").arg(path).arg(index);
}

constexpr long double MaxSpeed = 50; // knots, as "V пл (узл)" and "Vц (узл)" reach
constexpr long double MaxDistance = 300; // cables, as "Д до цели (кбт)" reaches
constexpr std::int64_t MaxSeed = (std::int64_t {1} << 53) - 1; // exact in a JSON number

ExerciseTarget readTarget(const QJsonValue &value, const QString &path)
{
    ObjectReader r(value, path);
    ExerciseTarget t;
    t.Number = static_cast<std::int32_t>(r.whole(QStringLiteral("number"), 1, 10));
    t.Bearing = r.real(QStringLiteral("bearing"), 0, 360, false, true);
    t.Distance = r.real(QStringLiteral("distance"), 0, MaxDistance, true);
    t.Course = r.real(QStringLiteral("course"), 0, 360, false, true);
    t.Speed = r.real(QStringLiteral("speed"), 0, MaxSpeed);
    if (r.has(QStringLiteral("length")))
        t.Length = r.real(QStringLiteral("length"), 0, 500, true);
    if (r.has(QStringLiteral("manoeuvres"))) {
        const QString listPath = r.pathOf(QStringLiteral("manoeuvres"));
        const QJsonArray list = r.array(QStringLiteral("manoeuvres"));
        std::int32_t previous = 0;
        for (qsizetype i = 0; i < list.size(); ++i) {
            ObjectReader m(list[i], item(listPath, i));
            Manoeuvre manoeuvre;
            manoeuvre.Time = static_cast<std::int32_t>(
                m.whole(QStringLiteral("time"), -86400 * 10, 86400 * 10));
            if (manoeuvre.Time <= previous)
                throw FieldFault {m.pathOf(QStringLiteral("time")),
                    previous == 0
                        ? QStringLiteral("манёвр в прошлом: %1 с — не позже начала учения")
                              .arg(manoeuvre.Time)
                        : QStringLiteral("манёвр в прошлом: %1 с — не позже предыдущего манёвра "
                                         "(%2 с)")
                              .arg(manoeuvre.Time)
                              .arg(previous)};
            previous = manoeuvre.Time;
            manoeuvre.Course = m.real(QStringLiteral("course"), 0, 360, false, true);
            manoeuvre.Speed = m.real(QStringLiteral("speed"), 0, MaxSpeed);
            m.finish();
            t.Manoeuvres.push_back(manoeuvre);
        }
    }
    r.finish();
    return t;
}

ExerciseDefinition readDefinition(const QJsonValue &root, const QString &fallbackName)
{
    ObjectReader r(root, QString());
    ExerciseDefinition d;
    d.Name = r.has(QStringLiteral("name")) ? r.text(QStringLiteral("name")) : fallbackName;
    if (r.has(QStringLiteral("seed")))
        d.Seed = static_cast<std::uint64_t>(r.whole(QStringLiteral("seed"), 0, MaxSeed));

    ObjectReader own(r.take(QStringLiteral("own")), QStringLiteral("own"));
    d.OwnCourse = static_cast<std::int32_t>(own.whole(QStringLiteral("course"), 0, 359));
    d.OwnSpeed = static_cast<std::int32_t>(own.whole(QStringLiteral("speed"), 0, 50));
    own.finish();

    const QJsonArray targets = r.array(QStringLiteral("targets"));
    if (targets.isEmpty())
        throw FieldFault {QStringLiteral("targets"), QStringLiteral("нет ни одной цели")};
    if (targets.size() > MaxExerciseTargets)
        throw FieldFault {QStringLiteral("targets"),
            QStringLiteral("целей %1, а слотов только %2")
                .arg(targets.size())
                .arg(MaxExerciseTargets)};
    std::map<std::int32_t, qsizetype> numbers;
    for (qsizetype i = 0; i < targets.size(); ++i) {
        const QString path = item(QStringLiteral("targets"), i);
        ExerciseTarget target = readTarget(targets[i], path);
        const auto [at, fresh] = numbers.emplace(target.Number, i);
        if (!fresh)
            throw FieldFault {path + QStringLiteral(".number"),
                QStringLiteral("номер %1 уже есть у цели targets[%2]")
                    .arg(target.Number)
                    .arg(at->second)};
        d.Targets.push_back(std::move(target));
    }
    std::sort(d.Targets.begin(), d.Targets.end(),
        [](const ExerciseTarget &a, const ExerciseTarget &b) { return a.Number < b.Number; });

    ObjectReader sonar(r.take(QStringLiteral("sonar")), QStringLiteral("sonar"));
    d.Sonar.BearingSigma = sonar.real(QStringLiteral("sigma"), 0, 30);
    d.Sonar.Interval = static_cast<std::int32_t>(sonar.whole(QStringLiteral("interval"), 1, 3600));
    if (sonar.has(QStringLiteral("range")))
        d.Sonar.Range = sonar.real(QStringLiteral("range"), 0, 1000, true);
    sonar.finish();

    if (r.has(QStringLiteral("tolerances"))) {
        ObjectReader t(r.take(QStringLiteral("tolerances")), QStringLiteral("tolerances"));
        if (t.has(QStringLiteral("course")))
            d.Tolerances.Course = t.real(QStringLiteral("course"), 0, 180, true);
        if (t.has(QStringLiteral("speed")))
            d.Tolerances.Speed = t.real(QStringLiteral("speed"), 0, MaxSpeed, true);
        if (t.has(QStringLiteral("distance")))
            d.Tolerances.DistancePercent = t.real(QStringLiteral("distance"), 0, 100, true);
        t.finish();
    }
    if (r.has(QStringLiteral("time_limit")))
        d.TimeLimit = static_cast<std::int32_t>(r.whole(QStringLiteral("time_limit"), 1, 86400));
    if (r.has(QStringLiteral("instructor_key")))
        d.InstructorKey = r.text(QStringLiteral("instructor_key"));
    r.finish();
    return d;
}

} // namespace

const ExerciseTarget *ExerciseDefinition::target(std::int32_t number) const
{
    for (const ExerciseTarget &t : Targets) {
        if (t.Number == number)
            return &t;
    }
    return nullptr;
}

ExerciseParse ParseExercise(const QByteArray &json, const QString &fallbackName)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return ExerciseRefusal {
            QStringLiteral("файл не является документом JSON: %1 (%2)")
                .arg(parseErrorText(error.error), PositionText(PositionAt(json, error.offset)))};
    if (!document.isObject())
        return ExerciseRefusal {QStringLiteral("файл должен содержать объект JSON")};
    if (const auto twice = DuplicateJsonKey(json))
        return ExerciseRefusal {QStringLiteral("поле «%1» указано дважды").arg(*twice)};
    try {
        return readDefinition(document.object(), fallbackName);
    } catch (const FieldFault &fault) {
        return ExerciseRefusal {
            QStringLiteral("поле «%1» (%2): %3")
                .arg(fault.field, PositionText(placeOf(LocateJsonValues(json), fault.field)),
                    fault.problem)};
    }
}

ExerciseParse ReadExerciseFile(const QString &path, QByteArray *source)
{
    const auto refuse = [&path](const QString &why) {
        return ExerciseRefusal {QStringLiteral("Учение «%1» не начато: %2.").arg(path, why)};
    };
    // Regular files only, never waiting on a pipe nor reading a device without end.
    std::variant<QByteArray, QString> read = ReadRegularFile(path, MaxExerciseFileBytes);
    if (const auto *reason = std::get_if<QString>(&read))
        return refuse(*reason);
    const QByteArray text = std::move(std::get<QByteArray>(read));
    if (source)
        *source = text;
    ExerciseParse parsed = ParseExercise(text, QFileInfo(path).completeBaseName());
    if (const auto *refusal = std::get_if<ExerciseRefusal>(&parsed))
        return refuse(refusal->Message);
    return parsed;
}

std::optional<QString> ShippedExercisesFolder(
    const QString &programFolder, const QString &sourceFolder)
{
    const QString installed
        = QDir::cleanPath(programFolder + QStringLiteral("/../share/varmet/exercises"));
    for (const QString &folder : {installed, sourceFolder}) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    }
    return std::nullopt;
}

} // namespace varmet
