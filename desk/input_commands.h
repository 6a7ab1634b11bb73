#pragma once

// The operator's actions on the input fields that are no typed entry: the arrows' steps (and the
// keys'), a held arrow, and the choice of the slot the fields show ("Номер п/п"). Their journal
// lines are those the arrows and the spin field always gave, so that old journals replay.

#include "analysis_state.h"
#include "commands.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace varmet {

// A step of an input field's arrows or keys: the field's text becomes `value` (the arrows know
// the range, the wrapping and the increment a hold has reached). The field's entry runs as on
// any change, so the value that has stood through two ticks becomes a fix. A press and the
// repeats of the held arrow after it are one undo item; so are key steps within one second.
class StepField : public FieldInput
{
public:
    enum class Motion {
        Press, // the first step of an arrow pressed: "press X up"
        Repeat, // one more step of the arrow held: "repeat X"
        Keys, // `steps` single steps of the keys: "step X up" each
    };
    // `steps`: signed single steps (a press or repeat: +1 up, -1 down).
    StepField(Desk &desk, Control field, Motion motion, int steps, int value);

    QString scriptLine() const override;
    void record(Journal &journal) const override;
    int id() const override;
    bool mergeWith(const QUndoCommand *other) override;

    Control field() const { return m_field; }
    int value() const { return m_value; }

private:
    void apply() override;
    void name();

    Motion m_motion;
    int m_steps;
    int m_value;
    bool m_applied = false;
};

// "Номер п/п" set to `number` by `steps` of its arrows or keys, or typed as `typed` (the text it
// shows): the fields show that slot; nothing of any target changes (what was typed into the
// slot shown so far is kept as its inputs first). `before`: the field's number before, when the
// field has already changed. Undone whenever, the slot shown before is shown again.
class SelectSlot : public SpinFieldChange
{
public:
    static SelectSlot *stepped(Desk &desk, int number, int steps, std::optional<int> before = {});
    static SelectSlot *typed(
        Desk &desk, int number, const QString &text, std::optional<int> before = {});

    int id() const override;

private:
    SelectSlot(Desk &desk, int number, int steps, const QString &typed, std::optional<int> before);
    void apply() override;
    void revertLater() override;
    bool revertsExactly() const override { return true; }
    // "Номер п/п" set to `number`; whether that showed the slot already (a window's field does).
    bool setField(int number);

    int m_number;
    std::optional<int> m_spinBefore;
    int m_shownBefore = 1;
    bool m_applied = false;
};

// "Номер цели" of the selected slot (the target's number it shows) set to `value` by the
// arrows (a press, a held arrow's repeat, `steps` key steps) or typed and confirmed. Journal lines
// as the field's arrows and entry always gave; a press and its repeats are one undo item, so are
// key steps within one second. Undone whenever, the number before comes back.
class SetTargetNumber : public DeskCommand
{
public:
    enum class Motion { Press, Repeat, Keys, Typed };
    SetTargetNumber(Desk &desk, Motion motion, int steps, std::int32_t value);

    QString scriptLine() const override;
    void record(Journal &journal) const override;
    int id() const override;
    bool mergeWith(const QUndoCommand *other) override;

private:
    void apply() override;
    void revertLater() override;
    bool revertsExactly() const override { return true; }
    void name();
    void show(std::int32_t value);

    int m_slot;
    Motion m_motion;
    int m_steps;
    std::int32_t m_value;
    std::optional<std::int32_t> m_previous;
};

// A setting changed whole (a spin box's value): changes with no tick between are one undo item and
// one journal line, the later replacing the earlier; back where it began, the item is obsolete and
// leaves the stack. Undone whenever, the value before comes back. `Self` reads and writes the
// setting on the desk and names the item.
template<typename Self, typename Value>
class SettingInTick : public DeskCommand
{
public:
    void record(Journal &journal) const override;
    int id() const final { return m_mergeId; }
    bool mergeWith(const QUndoCommand *other) override;

protected:
    // `mergeId`: the setting's own undo id; `journalPrefix`: how its journal line begins.
    SettingInTick(Desk &desk, Value value, int mergeId, const char *journalPrefix);
    // The setting on the desk now.
    virtual Value current() const = 0;
    virtual void set(const Value &value) = 0;
    // Names the item after m_value (and m_previous, once done); again after a merge.
    virtual void name() = 0;

    Value m_value;
    std::optional<Value> m_previous;

private:
    void apply() final;
    void revertLater() final;
    bool revertsExactly() const final { return true; }

    int m_mergeId;
    const char *m_journalPrefix;
};

// The σ of the bearing analysis set (the analysis window's "σ П (град)" and "σ Д (кбт)"): the
// fits weigh the fixes by them. A setting within a tick; one journal line ("sigma 1.5 5").
class SetSigma : public SettingInTick<SetSigma, FitSigmas>
{
public:
    SetSigma(Desk &desk, const FitSigmas &sigmas);
    QString scriptLine() const override;

private:
    FitSigmas current() const override;
    void set(const FitSigmas &sigmas) override;
    void name() override;
};

// "Рассчитать": slot `slot`'s fit as the analysis computed it from the fixes now (`fit`) becomes
// its last fit; undone, the fit before it (or none) is the last again.
class Solve : public DeskCommand
{
public:
    Solve(Desk &desk, int slot, SlotFit fit);
    QString scriptLine() const override;

private:
    void apply() override;
    void revertLater() override;
    bool revertsExactly() const override { return true; }

    int m_slot;
    SlotFit m_fit;
    std::optional<SlotFit> m_previous;
};

// "Опасная дистанция" of the situation set to `cables`: a setting within a tick; one journal
// line ("situation limit 7.5").
class SetDangerLimit : public SettingInTick<SetDangerLimit, double>
{
public:
    SetDangerLimit(Desk &desk, double cables);
    QString scriptLine() const override;

private:
    double current() const override;
    void set(const double &cables) override;
    void name() override;
};

// The flow of time: the speed (ticks per second, one of WorkSettings::Speeds), or the pause
// (`paused`) and resume. Journalled ("speed 5", "pause", "resume") and a change, but no undo item.
class SetTimeFlow : public DeskCommand
{
public:
    static SetTimeFlow *speed(Desk &desk, int speed);
    static SetTimeFlow *pause(Desk &desk, bool paused);
    QString scriptLine() const override;
    bool undoable() const override { return false; }

private:
    SetTimeFlow(Desk &desk, std::optional<int> speed, std::optional<bool> paused);
    void apply() override;
    void revertLater() override { }

    std::optional<int> m_speed;
    std::optional<bool> m_paused;
};

// Slot `number` shown in the fields (as "Номер п/п" selects it): first the fields of another
// slot shown so far become its inputs, then the chosen slot's values are written as the
// program's loading, which moves no target. Nothing happens while `number` addresses no slot.
void ShowSlot(Desk &desk, int number);

} // namespace varmet
