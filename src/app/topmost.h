#pragma once
// Notes on top: applying the switch to every window, and the guard that commands put around
// a modal dialog so that the dialog is not hidden behind the current note.

// Every window but the main form (notes and open dialogs) joins or leaves the topmost band
// as the "帖子在前" check mark says.
void ApplyTopmostToAll();

// Before a dialog: with notes on top, the current note leaves the topmost band.
void TopmostGuardBegin();
// After the dialog and its work: with notes on top (read again), it rejoins it.
void TopmostGuardEnd();
