#pragma once

// The question asked before closing would lose the operator's unsaved work (whether there is any
// is the desk's to say): its answers.

namespace varmet {

struct UnsavedChanges
{
    enum class Answer { Save, Discard, Cancel };
};

} // namespace varmet
