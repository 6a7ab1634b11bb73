#include "field_words.h"

#include "model/state.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <utility>

namespace varmet {
namespace {

struct FieldWords
{
    Control field;
    const char *noun; // genitive where a target follows ("пеленг … цели 2")
    const char *unit;
    bool target; // belongs to the selected target
};

constexpr std::array Words {
    FieldWords {Control::LabeledEdit7, "пеленг", "°", true},
    FieldWords {Control::LabeledEdit8, "дистанция", " кбт", true},
    FieldWords {Control::LabeledEdit9, "курс", "°", true},
    FieldWords {Control::LabeledEdit1, "скорость", " уз", true},
    FieldWords {Control::LabeledEdit16, "кильватерный след", " м", true},
    FieldWords {Control::LabeledEdit18, "кильватерная поправка", "°", true},
    FieldWords {Control::LabeledEdit5, "курс ПЛ", "°", false},
    FieldWords {Control::LabeledEdit6, "скорость ПЛ", " уз", false},
    FieldWords {Control::LabeledEdit14, "скорость торпеды", " уз", false},
    FieldWords {Control::LabeledEdit15, "путь торпеды", " м", false},
    FieldWords {Control::SpinEdit1, "Тетта", "°", true},
    FieldWords {Control::SpinEdit3, "Delta ет", " м", true},
};

const FieldWords *wordsOf(Control field)
{
    for (const FieldWords &w : Words) {
        if (w.field == field)
            return &w;
    }
    return nullptr;
}

// Fields the cycle does not read still have journal lines, and the operator's words for them.
struct OtherFieldWords
{
    const char *name;
    const char *noun;
    const char *unit;
    bool target;
};

constexpr std::array OtherWords {
    OtherFieldWords {"LabeledEdit4", "номер цели", "", true},
    OtherFieldWords {"LabeledEdit17", "длина цели", " м", false},
};

// A field's words by its object name, for any input field that has a journal line.
std::optional<OtherFieldWords> wordsNamed(const QString &name)
{
    for (const FieldWords &w : Words) {
        if (name == QLatin1String(objectName(w.field)))
            return OtherFieldWords {objectName(w.field), w.noun, w.unit, w.target};
    }
    for (const OtherFieldWords &w : OtherWords) {
        if (name == QLatin1String(w.name))
            return w;
    }
    return std::nullopt;
}

QString timeText(std::int64_t tick)
{
    return QStringLiteral("%1:%2:%3")
        .arg(tick / 3600, 2, 10, QLatin1Char('0'))
        .arg(tick / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(tick % 60, 2, 10, QLatin1Char('0'));
}

// The switches and buttons of the main window in the operator's words.
const char *switchWords(const QString &verb, const QString &name, const QString &state)
{
    struct Switch
    {
        const char *verb, *name, *state, *words;
    };
    static constexpr Switch switches[] = {
        {"select", "RadioButton1", "", "движение целей включено"},
        {"select", "RadioButton2", "", "движение целей выключено"},
        {"check", "CheckBox1", "on", "угловые величины показаны"},
        {"check", "CheckBox1", "off", "угловые величины скрыты"},
        {"check", "CheckBox2", "on", "линейные величины показаны"},
        {"check", "CheckBox2", "off", "линейные величины скрыты"},
        {"click", "Button1", "", "сетка обновлена"},
        {"click", "Button2", "", "номер цели нанесен на планшет"},
        {"click", "SBErase", "", "ластик"},
        {"click", "SpeedButton1", "", "отметки по оперативному времени"},
        {"click", "SpeedButton2", "", "отметки по судовому времени"},
    };
    for (const Switch &s : switches) {
        if (verb == QLatin1String(s.verb) && name == QLatin1String(s.name)
            && state == QLatin1String(s.state))
            return s.words;
    }
    return nullptr;
}

} // namespace

QString SwitchWords(const QString &verb, const QString &name, const QString &state)
{
    const char *words = switchWords(verb, name, state);
    return words ? QString::fromUtf8(words) : QString();
}

std::optional<Control> InputControlNamed(const QString &name)
{
    for (const FieldWords &w : Words) {
        if (name == QLatin1String(objectName(w.field)))
            return w.field;
    }
    return std::nullopt;
}

bool IsTargetField(Control field)
{
    const FieldWords *w = wordsOf(field);
    return w && w->target;
}

QString FieldValueWords(Control field, const QString &value, std::optional<int> slot)
{
    const FieldWords *w = wordsOf(field);
    if (!w)
        return QStringLiteral("%1 %2").arg(QLatin1String(objectName(field)), value);
    QString words = QStringLiteral("%1 %2%3").arg(
        QString::fromUtf8(w->noun), value, QString::fromUtf8(w->unit));
    if (w->target && slot)
        words += QStringLiteral(" цели %1").arg(*slot);
    return words;
}

namespace {

// The board's and the files' lines in the operator's words: empty for a line that says nothing
// of its own (the moves and the release of an eraser stroke), none for another line.
std::optional<QString> boardWords(const QStringList &w)
{
    const QString &verb = w[0];
    const QString arg1 = w.value(1);
    // A file by its name, without the folders before it.
    static const QRegularExpression folders(QStringLiteral("[/\\\\]"));
    const auto file
        = [&w](qsizetype from) { return w.mid(from).join(QLatin1Char(' ')).section(folders, -1); };
    if (verb == QLatin1String("mouse"))
        return arg1 == QLatin1String("down") ? QStringLiteral("стерто ластиком") : QString();
    if (verb == QLatin1String("menu") && arg1 == QLatin1String("MOpen"))
        return QStringLiteral("открыт рисунок %1").arg(file(2));
    if (verb == QLatin1String("menu") && arg1 == QLatin1String("MSave"))
        return QStringLiteral("сохранен рисунок %1").arg(file(2));
    if (verb == QLatin1String("menu") && arg1 == QLatin1String("N2"))
        return QStringLiteral("рисунок восстановлен");
    if (verb == QLatin1String("exercise")) // the seed last
        return QStringLiteral("начато учение %1").arg(file(1).section(QLatin1Char(' '), 0, -2));
    if (verb == QLatin1String("menu") && arg1 == QLatin1String("MExerciseStop"))
        return QStringLiteral("учение завершено");
    return std::nullopt;
}

} // namespace

QStringList OperatorRecord(const QString &journal)
{
    QStringList record;
    std::int64_t tick = 0;
    int slot = 1;
    const auto say = [&](const QString &what, bool ofTarget) {
        record << (ofTarget
                ? QStringLiteral("%1 цель %2: %3").arg(timeText(tick)).arg(slot).arg(what)
                : QStringLiteral("%1 %2").arg(timeText(tick), what));
    };
    const auto fieldWords = [](const QString &name, const QString &value) {
        const std::optional<OtherFieldWords> words = wordsNamed(name);
        if (!words)
            return QStringLiteral("%1 %2").arg(name, value);
        return QStringLiteral("%1 %2%3").arg(
            QString::fromUtf8(words->noun), value, QString::fromUtf8(words->unit));
    };
    const auto nounOf = [](const QString &name) {
        const std::optional<OtherFieldWords> words = wordsNamed(name);
        return words ? QString::fromUtf8(words->noun) : name;
    };
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    // The words an undo or a redo took back, from the note the journal keeps before it.
    QString noted;
    for (const QString &line : journal.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1Char('#'))) {
            noted = trimmed.mid(1).trimmed();
            continue;
        }
        const QString note = std::exchange(noted, {});
        const QStringList w = line.split(blanks, Qt::SkipEmptyParts);
        if (w.isEmpty())
            continue;
        const QString &verb = w[0];
        const int count = w.size() > 1 ? w[1].toInt() : 1;
        const QString arg1 = w.value(1), arg2 = w.value(2);
        const std::optional<OtherFieldWords> named = wordsNamed(arg1);
        const bool field = named.has_value();
        const bool ofTarget = named && named->target;
        if (verb == QLatin1String("tick")) {
            tick += w.size() > 1 ? count : 1;
        } else if (verb == QLatin1String("holdtick") || verb == QLatin1String("repeat")
            || verb == QLatin1String("release")) {
            continue;
        } else if (verb == QLatin1String("enter")) {
            say(fieldWords(arg1, arg2), ofTarget);
        } else if (verb == QLatin1String("fix")) {
            say(QStringLiteral("замер: %1 как в поле").arg(nounOf(arg1)), ofTarget);
        } else if (const char *said = switchWords(verb, arg1, arg2)) {
            say(QString::fromUtf8(said), false);
        } else if ((verb == QLatin1String("step") || verb == QLatin1String("press"))
            && arg1 == QLatin1String("SpinEdit2")) {
            const int steps = w.size() > 3 ? w[3].toInt() : 1;
            // Each step stops at the field's ends; the first brings a typed number outside them
            // back in.
            const int way = arg2 == QLatin1String("up") ? 1 : -1;
            if (steps > 0) {
                slot = std::clamp(slot + way, 1, SlotCount);
                slot = std::clamp(slot + way * (steps - 1), 1, SlotCount);
            }
            record << QStringLiteral("%1 выбрана цель п/п %2").arg(timeText(tick)).arg(slot);
        } else if (verb == QLatin1String("type") && arg1 == QLatin1String("SpinEdit2")) {
            slot = arg2.toInt();
            record << QStringLiteral("%1 выбрана цель п/п %2").arg(timeText(tick), arg2);
        } else if (verb == QLatin1String("type") && field) {
            say(fieldWords(arg1, arg2), ofTarget);
        } else if (verb == QLatin1String("step") || verb == QLatin1String("press")) {
            // A step names its way, not a value: the value it reached stands in the fields.
            const QString noun = nounOf(arg1);
            const QString way
                = arg2 == QLatin1String("up") ? QStringLiteral("вверх") : QStringLiteral("вниз");
            if (verb == QLatin1String("press"))
                say(QStringLiteral("%1 — стрелка %2 удержана").arg(noun, way), ofTarget);
            else
                say(QStringLiteral("%1 — шаг %2%3")
                        .arg(
                            noun, way, w.size() > 3 ? QStringLiteral(" ×%1").arg(w[3]) : QString()),
                    ofTarget);
        } else if (verb == QLatin1String("deletefix")) {
            say(QStringLiteral("удален замер %1").arg(arg1), true);
        } else if (verb == QLatin1String("clearlog")) {
            say(QStringLiteral("журнал замеров очищен"), true);
        } else if (verb == QLatin1String("estimate")) {
            say(QStringLiteral("замер %1 — %2")
                    .arg(arg1,
                        arg2 == QLatin1String("on") ? QStringLiteral("оценка")
                                                    : QStringLiteral("измерение")),
                true);
        } else if (verb == QLatin1String("newleg")) {
            say(QStringLiteral("новый галс"), true);
        } else if (verb == QLatin1String("solve")) {
            say(QStringLiteral("расчет по пеленгам"), true);
        } else if (verb == QLatin1String("apply")) {
            say(QStringLiteral("решение применено"), true);
        } else if (verb == QLatin1String("sigma") && w.size() == 3) {
            say(QStringLiteral("СКО пеленга %1°, дистанции %2 кбт").arg(arg1, arg2), false);
        } else if (verb == QLatin1String("situation") && arg1 == QLatin1String("limit")) {
            say(QStringLiteral("опасная дистанция %1 кбт").arg(arg2), false);
        } else if (verb == QLatin1String("speed")) {
            say(QStringLiteral("скорость времени ×%1").arg(arg1), false);
        } else if (verb == QLatin1String("pause")) {
            say(QStringLiteral("время остановлено"), false);
        } else if (verb == QLatin1String("resume")) {
            say(QStringLiteral("время пущено"), false);
        } else if (const std::optional<QString> said = boardWords(w)) {
            if (!said->isEmpty())
                say(*said, false);
        } else if (verb == QLatin1String("undo")) {
            say(note.startsWith(QStringLiteral("отмена: ")) ? note : QStringLiteral("отмена"),
                false);
        } else if (verb == QLatin1String("redo")) {
            say(note.startsWith(QStringLiteral("повтор: ")) ? note : QStringLiteral("повтор"),
                false);
        } else {
            say(line.trimmed(), false);
        }
    }
    return record;
}

} // namespace varmet
