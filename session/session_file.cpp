#include "session_file.h"

#include "exact_real.h"

#include "board/picture_file.h"
#include "board/png_data.h"
#include "exercise/json_keys.h"
#include "session/input_limits.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <cmath>
#include <iterator>
#include <limits>
#include <type_traits>
#include <vector>

namespace varmet {

namespace {

// ---- Counting an aggregate's fields, so that a field added to the state without a place in the
// session stops the build instead of being lost silently.

struct AnyField
{
    template<class T>
    operator T() const;
};

template<class T, class... Fields>
constexpr std::size_t FieldCount()
{
    if constexpr (requires { T {Fields {}..., AnyField {}}; })
        return FieldCount<T, Fields..., AnyField>();
    else
        return sizeof...(Fields);
}

// ---- The slot's fields by name, in declaration order within each kind.

template<class T>
struct SlotField
{
    const char *name;
    T TargetSlot::*member;
};

#define VARMET_FIELD(name)                                                                         \
    SlotField<std::remove_reference_t<decltype(TargetSlot {}.name)>>                               \
    {                                                                                              \
#name, &TargetSlot::name                                                                   \
    }

constexpr SlotField<std::int32_t> SlotWholes[] = {
    VARMET_FIELD(TargetNumber),
    VARMET_FIELD(LastTimeMarkTick),
};
constexpr SlotField<long double> SlotExtendeds[] = {
    VARMET_FIELD(FixBearing),
    VARMET_FIELD(FixDistance),
    VARMET_FIELD(AcousticBearing),
    VARMET_FIELD(DistancePx),
    VARMET_FIELD(TargetCourse),
    VARMET_FIELD(TargetSpeed),
    VARMET_FIELD(RelCourse),
    VARMET_FIELD(RelSpeed),
    VARMET_FIELD(PosX),
    VARMET_FIELD(PosY),
    VARMET_FIELD(RelVelX),
    VARMET_FIELD(RelVelY),
    VARMET_FIELD(TargetVelX),
    VARMET_FIELD(TargetVelY),
    VARMET_FIELD(TurnDx1),
    VARMET_FIELD(TurnDy1),
    VARMET_FIELD(TurnDx2),
    VARMET_FIELD(TurnDy2),
    VARMET_FIELD(LeadAngle),
    VARMET_FIELD(LeadAngle1),
    VARMET_FIELD(LeadAngle2),
    VARMET_FIELD(LeadCorrection),
    VARMET_FIELD(LeadAngleCorr),
    VARMET_FIELD(SalvoMedianRaw),
    VARMET_FIELD(SalvoMedian1),
    VARMET_FIELD(SalvoMedian2),
    VARMET_FIELD(TurnBearing1),
    VARMET_FIELD(TurnBearing2),
    VARMET_FIELD(TorpedoPathPx),
    VARMET_FIELD(WakePath1Px),
    VARMET_FIELD(WakePath2Px),
    VARMET_FIELD(TurnPath1Px),
    VARMET_FIELD(TurnPath2Px),
    VARMET_FIELD(TargetRunPx),
    VARMET_FIELD(ThetaSet),
    VARMET_FIELD(DeltaEtPx),
    VARMET_FIELD(WakeLengthPx),
};
constexpr SlotField<double> SlotDoubles[] = {
    VARMET_FIELD(Omega),
    VARMET_FIELD(Omega1),
    VARMET_FIELD(Omega2),
    VARMET_FIELD(SalvoMedian),
    VARMET_FIELD(SecondTurn1),
    VARMET_FIELD(SecondTurn2),
};
constexpr SlotField<bool> SlotFlags[] = {
    VARMET_FIELD(HasLeadAngle),
    VARMET_FIELD(HasSolution),
    VARMET_FIELD(IsTarget),
};
#undef VARMET_FIELD

static_assert(FieldCount<TargetSlot>()
        == std::size(SlotWholes) + std::size(SlotExtendeds) + std::size(SlotDoubles)
            + std::size(SlotFlags),
    "every field of a target slot must have its place in the session's \"slots\" section");
// The slots, nine scalars (clock, own ship), the fix logs and own ship's track.
static_assert(FieldCount<FireControlState>() == 12,
    "every item of the fire-control state must have its place in a section of the session");

// ---- Reading: every problem is thrown as the text that names it.

struct Damaged
{
    QString what;
    bool newer = false; // not damaged: written by a newer program
};

[[noreturn]] void damaged(const QString &what)
{
    throw Damaged {what};
}

constexpr std::int64_t Int32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t Int32Max = std::numeric_limits<std::int32_t>::max();
// Own ship's legs a session may hold: more than a day of work with a change every second.
constexpr qsizetype MaxOwnLegs = 100'000;
// Whole numbers a JSON number holds exactly.
constexpr std::int64_t ExactReach = std::int64_t {1} << 53;

// The fields of one JSON object, named in messages by where the object stands.
class Fields
{
public:
    Fields(const QJsonValue &value, QString where)
        : m_where(std::move(where))
    {
        if (!value.isObject())
            damaged(m_where + QStringLiteral(": ожидался объект"));
        m_object = value.toObject();
    }

    const QString &where() const { return m_where; }

    QString at(const char *key) const
    {
        return QStringLiteral("%1, поле «%2»").arg(m_where, QLatin1String(key));
    }

    QJsonValue value(const char *key) const
    {
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (v.isUndefined())
            damaged(at(key) + QStringLiteral(": отсутствует"));
        return v;
    }

    std::int64_t whole(const char *key, std::int64_t minimum, std::int64_t maximum) const
    {
        return WholeOf(value(key), at(key), minimum, maximum);
    }

    long double extended(const char *key) const { return ExtendedOf(value(key), at(key)); }

    double real64(const char *key) const
    {
        const QJsonValue v = value(key);
        const auto real = DoubleFromText(v.toString());
        if (!v.isString() || !real)
            damaged(at(key) + QStringLiteral(": не является точной записью числа"));
        if (!std::isfinite(*real))
            damaged(at(key) + QStringLiteral(": значение не является конечным числом"));
        return *real;
    }

    bool flag(const char *key) const
    {
        const QJsonValue v = value(key);
        if (!v.isBool())
            damaged(at(key) + QStringLiteral(": ожидалось true или false"));
        return v.toBool();
    }

    QString text(const char *key) const
    {
        const QJsonValue v = value(key);
        if (!v.isString())
            damaged(at(key) + QStringLiteral(": ожидалась строка"));
        return v.toString();
    }

    QJsonArray array(const char *key, qsizetype minimum, qsizetype maximum) const
    {
        return ArrayOf(value(key), at(key), minimum, maximum);
    }

    // A field that may be absent (then undefined).
    QJsonValue optional(const char *key) const { return m_object.value(QLatin1String(key)); }

    static std::int64_t WholeOf(
        const QJsonValue &v, const QString &where, std::int64_t minimum, std::int64_t maximum)
    {
        const double d = v.toDouble(std::numeric_limits<double>::quiet_NaN());
        if (!v.isDouble() || !std::isfinite(d) || d != std::floor(d))
            damaged(where + QStringLiteral(": ожидалось целое число"));
        if (d < static_cast<double>(minimum) || d > static_cast<double>(maximum))
            damaged(where
                + QStringLiteral(": значение %1 вне допустимых пределов %2..%3")
                      // Beyond 15 digits in exponent form: a hostile 1e300 is no 301-digit line.
                      .arg(std::fabs(d) < 1e15 ? QString::number(d, 'f', 0)
                                               : QString::number(d, 'g', 3))
                      .arg(minimum)
                      .arg(maximum));
        return static_cast<std::int64_t>(d);
    }

    static long double ExtendedOf(const QJsonValue &v, const QString &where)
    {
        const auto real = ExtendedFromText(v.toString());
        if (!v.isString() || !real)
            damaged(where + QStringLiteral(": не является точной записью числа"));
        if (!std::isfinite(*real))
            damaged(where + QStringLiteral(": значение не является конечным числом"));
        return *real;
    }

    static QJsonArray ArrayOf(
        const QJsonValue &v, const QString &where, qsizetype minimum, qsizetype maximum)
    {
        if (!v.isArray())
            damaged(where + QStringLiteral(": ожидался список"));
        const QJsonArray array = v.toArray();
        if (array.size() < minimum || array.size() > maximum)
            damaged(where
                + QStringLiteral(": %1 элементов вместо %2..%3")
                      .arg(array.size())
                      .arg(minimum)
                      .arg(maximum));
        return array;
    }

    // A list of one object a target slot, in the slots' order: `read(number, fields)` for each.
    template<typename Read>
    static void EachSlot(const QJsonValue &v, const QString &where, Read read)
    {
        const QJsonArray items = ArrayOf(v, where, SlotCount, SlotCount);
        for (int number = 1; number <= SlotCount; ++number) {
            const Fields slot(items[number - 1], where + QStringLiteral(", слот %1").arg(number));
            read(number, slot);
        }
    }

private:
    QString m_where;
    QJsonObject m_object;
};

// A real that may be absent: null, or its exact text.
QJsonValue OptionalText(const std::optional<long double> &value)
{
    return value ? QJsonValue(ExactText(*value)) : QJsonValue();
}

std::optional<long double> OptionalOf(const QJsonValue &value, const QString &where)
{
    if (value.isNull())
        return std::nullopt;
    return Fields::ExtendedOf(value, where);
}

QString SectionName(const char *name)
{
    return QStringLiteral("раздел «%1»").arg(QLatin1String(name));
}

QString Colour(QRgb colour)
{
    return QStringLiteral("#%1").arg(colour, 8, 16, QLatin1Char('0'));
}

QRgb ColourOf(const Fields &fields, const char *key)
{
    const QString text = fields.text(key);
    bool ok = false;
    const uint value = text.mid(1).toUInt(&ok, 16);
    if (text.size() != 9 || !text.startsWith(QLatin1Char('#')) || !ok)
        damaged(fields.at(key) + QStringLiteral(": ожидался цвет вида #aarrggbb"));
    return value;
}

// ---- clock: ticks, the time texts' parts, the time mode.

QJsonValue WriteClock(const SessionData &session)
{
    const FireControlState &s = session.state;
    // TimeMode 1: operational time, 0: the ship's clock.
    return QJsonObject {{"TickCount", s.TickCount}, {"Minutes", s.Minutes}, {"Seconds", s.Seconds},
        {"TimeMode", session.shipClockMarks ? 0 : 1}};
}

void ReadClock(const Fields &f, SessionData &session)
{
    FireControlState &s = session.state;
    s.TickCount = static_cast<std::int32_t>(f.whole("TickCount", 0, MaxWorkCount));
    s.Minutes = static_cast<std::int32_t>(f.whole("Minutes", s.TickCount / 60, s.TickCount / 60));
    s.Seconds = static_cast<std::int32_t>(f.whole("Seconds", s.TickCount % 60, s.TickCount % 60));
    session.shipClockMarks = f.whole("TimeMode", 0, 1) == 0;
}

// ---- ownShip: own course, speed and velocity, torpedo speed and run as the last tick read them.

QJsonValue WriteOwnShip(const SessionData &session)
{
    const FireControlState &s = session.state;
    return QJsonObject {{"OwnCourse", s.OwnCourse}, {"OwnSpeed", s.OwnSpeed},
        {"OwnVecX", s.OwnVecX}, {"OwnVecY", s.OwnVecY}, {"TorpedoSpeed", s.TorpedoSpeed},
        {"MaxRun", s.MaxRun}};
}

void ReadOwnShip(const Fields &f, SessionData &session)
{
    FireControlState &s = session.state;
    s.OwnCourse = static_cast<std::int32_t>(f.whole("OwnCourse", 0, 359));
    s.OwnSpeed = static_cast<std::int32_t>(f.whole("OwnSpeed", 0, 50));
    s.OwnVecX = static_cast<std::int32_t>(f.whole("OwnVecX", -50, 50));
    s.OwnVecY = static_cast<std::int32_t>(f.whole("OwnVecY", -50, 50));
    s.TorpedoSpeed = static_cast<std::int32_t>(f.whole("TorpedoSpeed", 0, 200));
    s.MaxRun = static_cast<std::int32_t>(f.whole("MaxRun", 0, 32000));
}

// ---- hold: which up-down button was held last and the hold timer's count.

QJsonValue WriteHold(const SessionData &session)
{
    // HeldStepper 0: none, 1..4: the held arrow's number.
    const qint64 held = session.heldStepper ? static_cast<qint64>(*session.heldStepper) + 1 : 0;
    return QJsonObject {{"HeldStepper", held}, {"HoldTicks", session.holdTicks}};
}

void ReadHold(const Fields &f, SessionData &session)
{
    const std::int64_t held = f.whole("HeldStepper", 0, 4);
    session.heldStepper
        = held == 0 ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(held - 1));
    session.holdTicks = static_cast<std::int32_t>(f.whole("HoldTicks", 0, MaxWorkCount));
}

// ---- slots: the five target slots, every field at full precision.

QJsonValue WriteSlots(const SessionData &session)
{
    QJsonArray array;
    for (const TargetSlot &slot : session.state.Slots) {
        QJsonObject object;
        for (const auto &field : SlotWholes)
            object.insert(QLatin1String(field.name), slot.*field.member);
        for (const auto &field : SlotExtendeds)
            object.insert(QLatin1String(field.name), ExactText(slot.*field.member));
        for (const auto &field : SlotDoubles)
            object.insert(QLatin1String(field.name), ExactText(slot.*field.member));
        for (const auto &field : SlotFlags)
            object.insert(QLatin1String(field.name), slot.*field.member);
        array.append(object);
    }
    return array;
}

void ReadSlots(const QJsonValue &section, SessionData &session)
{
    const std::int32_t now = session.state.TickCount;
    Fields::EachSlot(section, SectionName("slots"), [&](int number, const Fields &f) {
        TargetSlot &slot = session.state.Slots[number];
        slot.TargetNumber = static_cast<std::int32_t>(f.whole("TargetNumber", Int32Min, Int32Max));
        slot.LastTimeMarkTick = static_cast<std::int32_t>(f.whole("LastTimeMarkTick", 0, now));
        for (const auto &field : SlotExtendeds)
            slot.*field.member = f.extended(field.name);
        for (const auto &field : SlotDoubles)
            slot.*field.member = f.real64(field.name);
        for (const auto &field : SlotFlags)
            slot.*field.member = f.flag(field.name);
        for (const char *direction : {"AcousticBearing", "RelCourse"}) {
            const long double value = f.extended(direction);
            if (value < 0 || value >= 360)
                damaged(f.at(direction) + QStringLiteral(": направление вне пределов 0..359"));
        }
    });
}

// A fix's value within what an entry can give: a bearing in degrees, a distance in cables; its
// expected value (from a solution) within what any table shows as a whole number.
void CheckFixValues(const Fix &fix, const QString &where)
{
    const bool bearing = fix.Kind == FixKind::Bearing;
    const long double high = bearing ? 360 : 100'000;
    if (fix.Value < 0 || fix.Value > high)
        damaged(where
            + QStringLiteral(": %1 %2 вне пределов 0..%3")
                  .arg(bearing ? QStringLiteral("пеленг") : QStringLiteral("дистанция"))
                  .arg(static_cast<double>(fix.Value), 0, 'g', 6)
                  .arg(static_cast<double>(high)));
    if (fix.Expected && std::fabs(*fix.Expected) > 1e9L)
        damaged(where + QStringLiteral(": ожидаемое значение вне пределов ±10⁹"));
}

// ---- fixLogs: each slot's fixes in order, and the start of its present leg. A distance that is
// only an estimate carries a fifth item "estimate"; without it a fix is a measurement, which is
// what every fix of a file written before estimates existed was.

constexpr QLatin1StringView EstimateMark("estimate");

// The optional mark after a fix's items: absent, or "estimate" on a distance.
bool EstimateOf(const QJsonArray &item, qsizetype at, FixKind kind, const QString &where)
{
    if (item.size() <= at)
        return false;
    if (item[at].toString() != EstimateMark || kind != FixKind::Distance)
        damaged(where + QStringLiteral(": после замера ожидается только «estimate» у дистанции"));
    return true;
}

QJsonValue WriteFixLogs(const SessionData &session)
{
    QJsonArray logs;
    for (const FixLog &log : session.state.FixLogs) {
        QJsonArray fixes;
        for (const Fix &fix : log.Fixes()) {
            QJsonArray item {fix.Tick,
                fix.Kind == FixKind::Bearing ? QStringLiteral("bearing")
                                             : QStringLiteral("distance"),
                ExactText(fix.Value), OptionalText(fix.Expected)};
            if (fix.Estimate)
                item.append(QString(EstimateMark));
            fixes.append(item);
        }
        logs.append(QJsonObject {{"fixes", fixes},
            {"newLegTick", log.NewLegTick ? QJsonValue(*log.NewLegTick) : QJsonValue()}});
    }
    return logs;
}

void ReadFixLogs(const QJsonValue &section, SessionData &session)
{
    const std::int32_t now = session.state.TickCount;
    Fields::EachSlot(section, SectionName("fixLogs"), [&](int number, const Fields &f) {
        FixLog &log = session.state.FixLogs[static_cast<std::size_t>(number - 1)];
        log.Clear();
        const QJsonArray fixes = f.array("fixes", 0, static_cast<qsizetype>(FixLog::Capacity));
        for (qsizetype i = 0; i < fixes.size(); ++i) {
            const QString where = f.at("fixes") + QStringLiteral(", отметка %1").arg(i + 1);
            const QJsonArray item = Fields::ArrayOf(fixes[i], where, 4, 5);
            Fix fix;
            fix.Tick = static_cast<std::int32_t>(Fields::WholeOf(item[0], where, 0, now));
            const QString kind = item[1].toString();
            if (kind != QLatin1String("bearing") && kind != QLatin1String("distance"))
                damaged(where + QStringLiteral(": вид отметки не «bearing» и не «distance»"));
            fix.Kind = kind == QLatin1String("bearing") ? FixKind::Bearing : FixKind::Distance;
            fix.Value = Fields::ExtendedOf(item[2], where);
            fix.Expected = OptionalOf(item[3], where);
            fix.Estimate = EstimateOf(item, 4, fix.Kind, where);
            CheckFixValues(fix, where);
            if (i > 0 && fix.Tick < log.Fixes().back().Tick)
                damaged(where + QStringLiteral(": отметки не по порядку времени"));
            log.Add(fix);
        }
        const QJsonValue leg = f.value("newLegTick");
        if (!leg.isNull())
            log.NewLegTick
                = static_cast<std::int32_t>(Fields::WholeOf(leg, f.at("newLegTick"), 0, now));
    });
}

// ---- pendingFixes: each slot's bearing and distance entries not yet settled into its log.

QJsonValue WritePendingFixes(const SessionData &session)
{
    const FixRecorder::Snapshot &snapshot = session.pendingFixes;
    QJsonArray slots_;
    for (const FixRecorder::SlotPending &pending : snapshot.pending) {
        QJsonObject slot;
        for (const auto &entry : pending) {
            if (!entry)
                continue;
            const bool bearing = entry->fix.Kind == FixKind::Bearing;
            QJsonArray item {entry->fix.Tick, ExactText(entry->fix.Value),
                OptionalText(entry->fix.Expected), entry->ticksStood,
                static_cast<double>(entry->order)};
            if (entry->fix.Estimate)
                item.append(QString(EstimateMark));
            slot.insert(bearing ? "bearing" : "distance", item);
        }
        slots_.append(slot);
    }
    return QJsonObject {{"entries", static_cast<double>(snapshot.entries)}, {"slots", slots_}};
}

void ReadPendingFixes(const Fields &f, SessionData &session)
{
    FixRecorder::Snapshot &snapshot = session.pendingFixes;
    snapshot.entries = static_cast<std::uint64_t>(f.whole("entries", 0, ExactReach));
    Fields::EachSlot(f.value("slots"), f.at("slots"), [&](int number, const Fields &slot) {
        for (const FixKind kind : {FixKind::Bearing, FixKind::Distance}) {
            const char *key = kind == FixKind::Bearing ? "bearing" : "distance";
            const QJsonValue value = slot.optional(key);
            if (value.isUndefined())
                continue;
            const QJsonArray item = Fields::ArrayOf(value, slot.at(key), 5, 6);
            FixRecorder::PendingFix pending;
            pending.fix.Kind = kind;
            pending.fix.Tick = static_cast<std::int32_t>(
                Fields::WholeOf(item[0], slot.at(key), 0, session.state.TickCount));
            pending.fix.Value = Fields::ExtendedOf(item[1], slot.at(key));
            pending.fix.Expected = OptionalOf(item[2], slot.at(key));
            CheckFixValues(pending.fix, slot.at(key));
            pending.ticksStood = static_cast<int>(Fields::WholeOf(item[3], slot.at(key), 0, 2));
            pending.order = static_cast<std::uint64_t>(Fields::WholeOf(
                item[4], slot.at(key), 0, static_cast<std::int64_t>(snapshot.entries)));
            pending.fix.Estimate = EstimateOf(item, 5, kind, slot.at(key));
            snapshot.pending[static_cast<std::size_t>(number - 1)][static_cast<std::size_t>(kind)]
                = pending;
        }
    });
}

// ---- ownTrack: own ship's legs at sea.

QJsonValue WriteOwnTrack(const SessionData &session)
{
    const OwnShipTrack &track = session.state.OwnTrack;
    QJsonArray legs;
    for (const OwnLeg &leg : track.Legs())
        legs.append(QJsonArray {leg.StartTick, ExactText(leg.Start.East),
            ExactText(leg.Start.North), ExactText(leg.Course), ExactText(leg.Speed)});
    return QJsonObject {{"lastTick", track.LastTick()}, {"legs", legs}};
}

void ReadOwnTrack(const Fields &f, SessionData &session)
{
    const auto lastTick
        = static_cast<std::int32_t>(f.whole("lastTick", 0, session.state.TickCount));
    // A leg starts at a tick of its own at most; a day of changes every few seconds is far less.
    const QJsonArray items = f.array("legs", 0, MaxOwnLegs);
    std::vector<OwnLeg> legs;
    legs.reserve(static_cast<std::size_t>(items.size()));
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString where = f.at("legs") + QStringLiteral(", галс %1").arg(i + 1);
        const QJsonArray item = Fields::ArrayOf(items[i], where, 5, 5);
        OwnLeg leg;
        const std::int64_t earliest = legs.empty() ? 0 : legs.back().StartTick;
        leg.StartTick
            = static_cast<std::int32_t>(Fields::WholeOf(item[0], where, earliest, lastTick));
        leg.Start = {Fields::ExtendedOf(item[1], where), Fields::ExtendedOf(item[2], where)};
        leg.Course = Fields::ExtendedOf(item[3], where);
        leg.Speed = Fields::ExtendedOf(item[4], where);
        legs.push_back(leg);
    }
    session.state.OwnTrack = OwnShipTrack::FromLegs(std::move(legs), lastTick);
}

// ---- board: the permanent picture and the undo snapshot as PNG, the live figures as strokes,
// the canvas's pen and brush, the eraser.

QString PngText(const QImage &picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG", 80); // fast compression; PNG is lossless whatever the level
    return QString::fromLatin1(bytes.toBase64());
}

QImage PictureOf(const Fields &f, const char *key)
{
    QByteArray bytes = QByteArray::fromBase64Encoding(
        f.text(key).toLatin1(), QByteArray::AbortOnBase64DecodingErrors)
                           .decoded;
    if (const auto fault = CheckPngChunks(bytes))
        damaged(f.at(key) + QStringLiteral(": рисунок PNG не читается: ") + *fault);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    // Every picture within the side limit fits, also at 64 bits a pixel.
    reader.setAllocationLimit(256);
    reader.setAutoDetectImageFormat(false);
    // The header alone gives the size: a picture larger than the board takes is refused before
    // any memory is taken for its pixels.
    const QSize size = reader.size();
    if (size.width() > MaxPictureSide || size.height() > MaxPictureSide)
        damaged(f.at(key)
            + QStringLiteral(": рисунок %1 × %2 точек больше допустимых %3 × %3")
                  .arg(size.width())
                  .arg(size.height())
                  .arg(MaxPictureSide));
    QImage picture;
    if (bytes.isEmpty() || !reader.read(&picture) || picture.isNull())
        damaged(f.at(key) + QStringLiteral(": рисунок PNG не читается"));
    return picture.convertToFormat(QImage::Format_RGB32);
}

QJsonValue WriteBoard(const SessionData &session)
{
    const BoardRecord &board = session.board;
    QJsonArray figures;
    for (const RecordedFigure &figure : board.figures) {
        QJsonArray strokes;
        for (const Stroke &stroke : figure.strokes)
            strokes.append(QJsonArray {static_cast<double>(stroke.from.x),
                static_cast<double>(stroke.from.y), static_cast<double>(stroke.to.x),
                static_cast<double>(stroke.to.y), stroke.width});
        figures.append(QJsonObject {{"colour", Colour(figure.colour)}, {"strokes", strokes}});
    }
    const CanvasState &c = board.canvas;
    const QJsonObject canvas {{"penColour", Colour(c.penColour)}, {"penWidth", c.penWidth},
        {"penMode", c.penMode == PenMode::CopyPen ? "copy" : "notXor"},
        {"brushColour", Colour(c.brushColour)},
        {"brushStyle", c.brushStyle == BrushStyle::Solid ? "solid" : "clear"},
        {"x", static_cast<double>(c.position.x)}, {"y", static_cast<double>(c.position.y)}};
    const EraseRectangle &r = board.eraseRect;
    const QJsonObject eraser {{"left", r.Left}, {"top", r.Top}, {"right", r.Right},
        {"bottom", r.Bottom}, {"shown", board.eraserShown}};
    return QJsonObject {{"picture", PngText(board.picture)},
        {"undoBitmap", PngText(board.undoBitmap)}, {"canvas", canvas}, {"figures", figures},
        {"eraser", eraser}};
}

void ReadBoard(const Fields &f, SessionData &session)
{
    BoardRecord &board = session.board;
    board.picture = PictureOf(f, "picture");
    board.undoBitmap = PictureOf(f, "undoBitmap");

    const Fields c(f.value("canvas"), f.at("canvas"));
    board.canvas.penColour = ColourOf(c, "penColour");
    board.canvas.penWidth = static_cast<int>(c.whole("penWidth", 1, 3));
    const QString mode = c.text("penMode");
    if (mode != QLatin1String("copy") && mode != QLatin1String("notXor"))
        damaged(c.at("penMode") + QStringLiteral(": ожидалось copy или notXor"));
    board.canvas.penMode = mode == QLatin1String("copy") ? PenMode::CopyPen : PenMode::NotXorPen;
    board.canvas.brushColour = ColourOf(c, "brushColour");
    const QString style = c.text("brushStyle");
    if (style != QLatin1String("solid") && style != QLatin1String("clear"))
        damaged(c.at("brushStyle") + QStringLiteral(": ожидалось solid или clear"));
    board.canvas.brushStyle
        = style == QLatin1String("solid") ? BrushStyle::Solid : BrushStyle::Clear;
    board.canvas.position
        = {c.whole("x", -ExactReach, ExactReach), c.whole("y", -ExactReach, ExactReach)};

    const auto count = static_cast<qsizetype>(board.figures.size());
    const QJsonArray figures = f.array("figures", count, count);
    for (qsizetype i = 0; i < count; ++i) {
        const Fields figure(figures[i], f.at("figures") + QStringLiteral(", фигура %1").arg(i + 1));
        RecordedFigure recorded;
        recorded.colour = ColourOf(figure, "colour");
        const QJsonArray strokes
            = figure.array("strokes", 0, static_cast<qsizetype>(StrokeList::Capacity));
        for (qsizetype k = 0; k < strokes.size(); ++k) {
            const QString where = figure.at("strokes") + QStringLiteral(", линия %1").arg(k + 1);
            const QJsonArray s = Fields::ArrayOf(strokes[k], where, 5, 5);
            const auto coordinate = [&](int index) {
                return Fields::WholeOf(s[index], where, -ExactReach, ExactReach);
            };
            recorded.strokes.add({{coordinate(0), coordinate(1)}, {coordinate(2), coordinate(3)},
                static_cast<int>(Fields::WholeOf(s[4], where, 1, 3))});
        }
        board.figures[static_cast<std::size_t>(i)] = recorded;
    }

    const Fields e(f.value("eraser"), f.at("eraser"));
    // Where the board holds a mouse position, with the outline around it.
    constexpr std::int64_t EraserReach = Board::MousePositionReach + 64;
    board.eraseRect = {static_cast<std::int32_t>(e.whole("left", -EraserReach, EraserReach)),
        static_cast<std::int32_t>(e.whole("top", -EraserReach, EraserReach)),
        static_cast<std::int32_t>(e.whole("right", -EraserReach, EraserReach)),
        static_cast<std::int32_t>(e.whole("bottom", -EraserReach, EraserReach))};
    board.eraserShown = e.flag("shown");
}

// ---- journal: the operator's actions from start-up.

QJsonValue WriteJournal(const SessionData &session)
{
    return session.journal;
}

// ---- exercise: the exercise started last with its truth and its noise generator's state, or
// null. A state the exercise cannot go on from is refused here, before anything changes.

QJsonValue WriteExercise(const SessionData &session)
{
    return session.exercise ? QJsonValue(ExerciseStateToJson(*session.exercise)) : QJsonValue();
}

void ReadExercise(const QJsonValue &section, SessionData &session)
{
    if (section.isNull()) {
        session.exercise.reset();
        return;
    }
    if (!section.isObject())
        damaged(SectionName("exercise") + QStringLiteral(": ожидался объект или null"));
    QString error;
    std::optional<ExerciseState> state = ExerciseStateFromJson(section.toObject(), &error);
    if (!state)
        damaged(SectionName("exercise") + QStringLiteral(": ") + error);
    if (state->Time > session.state.TickCount)
        damaged(SectionName("exercise")
            + QStringLiteral(": время учения %1 позже часов сеанса %2")
                  .arg(state->Time)
                  .arg(session.state.TickCount));
    if (!Exercise::Resume(*state))
        damaged(
            SectionName("exercise") + QStringLiteral(": файл учения внутри сеанса не читается"));
    session.exercise = std::move(state);
}

// ---- The parts in the order they are read: later ones are checked against earlier ones (no fix
// or time mark after the clock).

struct Part
{
    const char *name; // the section's name in version 1
    QJsonValue (*write)(const SessionData &);
    // Read from the value as it stands, or (readObject) from the object it must be.
    void (*read)(const QJsonValue &, SessionData &) = nullptr;
    void (*readObject)(const Fields &, SessionData &) = nullptr;

    void readFrom(const QJsonValue &value, SessionData &session) const
    {
        if (readObject)
            readObject(Fields(value, SectionName(name)), session);
        else
            read(value, session);
    }
};

// ---- controls (version 1): every control's state as text.

void ReadControls(const QJsonValue &v, SessionData &s)
{
    if (!v.isObject())
        damaged(SectionName("controls") + QStringLiteral(": ожидался объект"));
    const QJsonObject object = v.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!it.value().isString())
            damaged(SectionName("controls")
                + QStringLiteral(", элемент «%1»: ожидалась строка").arg(it.key()));
        s.controls[it.key()] = it.value().toString();
    }
}

// ---- inputs (version 2): the operator's inputs by name as typed values: a mark as true or false,
// a number as a JSON number when its shortest text is the text shown (anything else, such as a
// number being typed, as a string), an empty text as null.

const QString DownSuffix = QStringLiteral(".down");
const QString VisibleSuffix = QStringLiteral(".visible");
const QString StepSuffix = QStringLiteral(".step");

QString ShortestText(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QJsonValue TypedInput(const QString &name, const QString &text)
{
    if ((name.endsWith(DownSuffix) || name.endsWith(VisibleSuffix))
        && (text == QLatin1String("0") || text == QLatin1String("1")))
        return text == QLatin1String("1");
    if (text.isEmpty())
        return QJsonValue();
    bool ok = false;
    const double number = text.toDouble(&ok);
    // Only a text the number gives back exactly ("-0" would come back as "0").
    if (ok && std::isfinite(number) && (number != 0 || text == QLatin1String("0"))
        && ShortestText(number) == text)
        return number;
    return text;
}

QString InputText(const QJsonValue &value, const QString &where)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QJsonValue::Null:
        return {};
    case QJsonValue::Double:
        // Out-of-range numbers are the console's to refuse, with the input's own range.
        return ShortestText(value.toDouble());
    case QJsonValue::String:
        return value.toString();
    default:
        damaged(where + QStringLiteral(": ожидалось число, строка, true, false или null"));
    }
}

QJsonValue WriteInputs(const SessionData &session)
{
    QJsonObject inputs;
    for (const auto &[name, text] : session.controls)
        inputs.insert(name, TypedInput(name, text));
    return inputs;
}

void ReadInputs(const QJsonValue &v, SessionData &s)
{
    if (!v.isObject())
        damaged(SectionName("inputs") + QStringLiteral(", поле «values»: ожидался объект"));
    const QJsonObject object = v.toObject();
    for (auto it = object.begin(); it != object.end(); ++it)
        s.controls[it.key()] = InputText(
            it.value(), SectionName("inputs") + QStringLiteral(", значение «%1»").arg(it.key()));
}

void ReadJournal(const QJsonValue &v, SessionData &s)
{
    if (!v.isString())
        damaged(SectionName("journal") + QStringLiteral(": ожидался текст"));
    s.journal = v.toString();
}

constexpr Part Clock {"clock", WriteClock, nullptr, ReadClock};
constexpr Part OwnShip {"ownShip", WriteOwnShip, nullptr, ReadOwnShip};
constexpr Part Hold {"hold", WriteHold, nullptr, ReadHold};
constexpr Part Slots {"slots", WriteSlots, ReadSlots};
constexpr Part FixLogs {"fixLogs", WriteFixLogs, ReadFixLogs};
constexpr Part PendingFixes {"pendingFixes", WritePendingFixes, nullptr, ReadPendingFixes};
constexpr Part OwnTrack {"ownTrack", WriteOwnTrack, nullptr, ReadOwnTrack};
constexpr Part BoardPart {"board", WriteBoard, nullptr, ReadBoard};
constexpr Part Controls {"controls", nullptr, ReadControls};
constexpr Part Inputs {"inputs", WriteInputs, ReadInputs};
constexpr Part Journal {"journal", WriteJournal, ReadJournal};
constexpr Part ExercisePart {"exercise", WriteExercise, ReadExercise};

// Version 1: every part a section of its own.
constexpr Part Version1[] = {Clock, OwnShip, Hold, Slots, FixLogs, PendingFixes, OwnTrack,
    BoardPart, Controls, Journal, ExercisePart};

// Version 2: sections that group the parts, each with its own version and minor version. A newer
// version of a section is refused; a newer minor version only adds what an older program may
// pass over (inputs it does not know).
struct Entry
{
    const char *key; // the part's name within its section
    Part part;
};

struct Section
{
    const char *name;
    int version;
    int minor;
    std::vector<Entry> entries;
};

const std::vector<Section> &Version2()
{
    static const std::vector<Section> sections {
        {"state", StateSectionVersion, 0,
            {{"clock", Clock}, {"ownShip", OwnShip}, {"hold", Hold}, {"slots", Slots},
                {"ownTrack", OwnTrack}}},
        {"fixes", FixesSectionVersion, 0, {{"logs", FixLogs}, {"pending", PendingFixes}}},
        {"board", BoardSectionVersion, 0, {{"record", BoardPart}}},
        {"inputs", InputsSectionVersion, InputsSectionMinor, {{"values", Inputs}}},
        {"journal", JournalSectionVersion, 0, {{"text", Journal}}},
        {"exercise", ExerciseSectionVersion, 0, {{"state", ExercisePart}}},
    };
    return sections;
}

QString Newer(const QString &what, double version, int known)
{
    return QStringLiteral("%1 записан более новой версией программы: версии %2, программа знает "
                          "версию %3")
        .arg(what)
        .arg(version)
        .arg(known);
}

// The section's version and minor version, a newer version refused.
int CheckSectionVersion(const Fields &f, const Section &section)
{
    const auto version = f.whole("version", 1, ExactReach);
    if (version > section.version)
        throw Damaged {
            Newer(SectionName(section.name), static_cast<double>(version), section.version), true};
    return static_cast<int>(f.whole("minor", 0, Int32Max));
}

void ReadVersion1(const QJsonObject &root, SessionData &read)
{
    for (const Part &part : Version1) {
        const QJsonValue value = root.value(QLatin1String(part.name));
        if (value.isUndefined())
            damaged(QStringLiteral("нет раздела «%1»").arg(QLatin1String(part.name)));
        part.readFrom(value, read);
    }
}

void ReadVersion2(const QJsonObject &root, SessionData &read)
{
    for (const Section &section : Version2()) {
        const QJsonValue value = root.value(QLatin1String(section.name));
        if (value.isUndefined())
            damaged(QStringLiteral("нет раздела «%1»").arg(QLatin1String(section.name)));
        const Fields f(value, SectionName(section.name));
        const int minor = CheckSectionVersion(f, section);
        if (section.name == std::string_view("inputs"))
            read.inputsOfNewerMinor = minor > section.minor;
        for (const Entry &entry : section.entries)
            entry.part.readFrom(f.value(entry.key), read);
    }
}

QString ParseErrorText(QJsonParseError::ParseError error)
{
    switch (error) {
    case QJsonParseError::UnterminatedObject:
        return QStringLiteral("объект не завершён");
    case QJsonParseError::UnterminatedArray:
        return QStringLiteral("список не завершён");
    case QJsonParseError::UnterminatedString:
        return QStringLiteral("строка не завершена");
    case QJsonParseError::TerminationByNumber:
        return QStringLiteral("файл оборван на числе");
    case QJsonParseError::GarbageAtEnd:
        return QStringLiteral("лишние данные после конца");
    case QJsonParseError::IllegalUTF8String:
        return QStringLiteral("недопустимые символы");
    default:
        return QStringLiteral("нарушена запись JSON");
    }
}

} // namespace

QByteArray WriteSession(const SessionData &session)
{
    QJsonObject document {
        {"format", QLatin1String(SessionFormatName)}, {"version", SessionFormatVersion}};
    for (const Section &section : Version2()) {
        QJsonObject object {{"version", section.version}, {"minor", section.minor}};
        for (const Entry &entry : section.entries)
            object.insert(QLatin1String(entry.key), entry.part.write(session));
        document.insert(QLatin1String(section.name), object);
    }
    return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

std::optional<QString> ReadSession(const QByteArray &bytes, SessionData &session)
{
    const QByteArray start = bytes.left(64).trimmed();
    if (!start.startsWith('{'))
        return QStringLiteral("это не файл сеанса");
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return QStringLiteral("файл повреждён или обрезан: %1 (байт %2 из %3)")
            .arg(ParseErrorText(error.error))
            // The library counts from 0 and may point just past the end.
            .arg(std::min<qint64>(qint64 {error.offset} + 1, bytes.size()))
            .arg(bytes.size());
    if (const auto twice = DuplicateJsonKey(bytes))
        return QStringLiteral("файл повреждён: поле «%1» указано дважды").arg(*twice);
    const QJsonObject root = document.object();
    if (root.value(QLatin1String("format")).toString() != QLatin1String(SessionFormatName))
        return QStringLiteral("это не файл сеанса");
    const QJsonValue version = root.value(QLatin1String("version"));
    if (!version.isDouble() || version.toDouble() != std::floor(version.toDouble())
        || version.toDouble() < 1)
        return QStringLiteral("неверный номер версии формата");
    if (version.toDouble() > SessionFormatVersion)
        return Newer(QStringLiteral("файл"), version.toDouble(), SessionFormatVersion);

    SessionData read;
    try {
        if (version.toDouble() == 1)
            ReadVersion1(root, read);
        else
            ReadVersion2(root, read);
    } catch (const Damaged &problem) {
        if (problem.newer)
            return problem.what;
        return QStringLiteral("файл повреждён: %1").arg(problem.what);
    }
    session = std::move(read);
    return std::nullopt;
}

std::optional<QString> SaveSessionFile(const QString &path, const SessionData &session)
{
    // Written aside and put in place only when complete; only a regular file or a new name.
    if (const auto reason = WriteFileInPlace(path, WriteSession(session)))
        return QStringLiteral("Не удалось сохранить сеанс в файл «%1»: %2.")
            .arg(QDir::toNativeSeparators(path), *reason);
    return std::nullopt;
}

std::optional<QString> OpenSessionFile(const QString &path, SessionData &session)
{
    const auto refusal = [&](const QString &reason) {
        return QStringLiteral("Не удалось открыть сеанс «%1»: %2.")
            .arg(QDir::toNativeSeparators(path), reason);
    };
    std::variant<QByteArray, QString> read = ReadRegularFile(path, MaxSessionFileBytes);
    if (const auto *reason = std::get_if<QString>(&read))
        return refusal(*reason);
    if (const auto problem = ReadSession(std::get<QByteArray>(read), session))
        return refusal(*problem);
    return std::nullopt;
}

} // namespace varmet
