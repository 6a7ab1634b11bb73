#pragma once

// Whether the operator's work has changed since it was last saved or opened, and the question
// asked before closing would lose it: save it, drop it, or go on working.

#include <functional>

namespace varmet {

class UnsavedChanges
{
public:
    enum class Answer { Save, Discard, Cancel };

    void markChanged() { m_changed = true; }
    void markSaved() { m_changed = false; }
    bool pending() const { return m_changed; }

    // Whether the work may be closed: at once without changes; else by the operator's answer to
    // `ask`, Save only when `save` then succeeds.
    bool mayClose(const std::function<Answer()> &ask, const std::function<bool()> &save) const
    {
        if (!m_changed)
            return true;
        switch (ask()) {
        case Answer::Save:
            return save();
        case Answer::Discard:
            return true;
        case Answer::Cancel:
            break;
        }
        return false;
    }

private:
    bool m_changed = false;
};

} // namespace varmet
