// The box "絞り込み": wildcards that narrow the chosen files the list shows, and so what the
// preview and Apply act on; remembered per user like the switches.
#pragma once

#include "../model/NameFilter.h"
#include "DialogPart.h"

class ChoiceFilter : public DialogPart {
public:
    // The box with its cue banner and the filter stored by an earlier run.
    void Restore();
    // EN_CHANGE: the box's text is the filter now, and is stored.
    void OnChanged();
    const NameFilter& Filter() const { return m_filter; }

private:
    NameFilter m_filter;
};
