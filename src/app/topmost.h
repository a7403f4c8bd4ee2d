#pragma once
// Notes on top: applying the switch to every window.

#include <QObject>
#include <functional>

class OpenWindows;
class QWidget;

// Every window but the main one (notes and open dialogs) joins or leaves the topmost band.
void applyTopmostToAll(const OpenWindows& windows, bool notesOnTop);

// With notes on top, every other window of the program that comes up (a file, print, font or
// colour dialog, a prompt, a message) joins the topmost band as it is shown, so that no note
// covers it; the notes stay as they are. Menus and tool tips are above everything anyway.
class DialogsAboveNotes : public QObject {
public:
    explicit DialogsAboveNotes(std::function<bool()> notesOnTop, QObject* parent = nullptr)
        : QObject(parent), m_notesOnTop(std::move(notesOnTop)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<bool()> m_notesOnTop;
};
