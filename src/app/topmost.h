#pragma once
// Notes on top: applying the switch to every window.

class OpenWindows;
class QWidget;

// Every window but the main one (notes and open dialogs) joins or leaves the topmost band.
void applyTopmostToAll(const OpenWindows& windows, bool notesOnTop);
