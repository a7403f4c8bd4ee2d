#pragma once
// The icon picker: the palette of small pictures shipped as "kvz.dat", from which the selected
// picture goes into the current note, one after another while the picker stays open. Dragged
// by its background; always on top. By keys: the arrows move among the pictures, Enter or +
// inserts, Esc closes.

#include <QLabel>
#include <QWidget>
#include <functional>

#include "note/framecontrols.h"
#include "note/picturebutton.h"

class NoteWindow;
class RichTextBox;

class IconPicker : public QWidget {
    Q_OBJECT
public:
    // `currentNote` names the note to insert into at each click; nullptr when there is none.
    explicit IconPicker(std::function<NoteWindow*()> currentNote);

    // Topmost, shown and in front.
    void showOnTop();
    // "加入图标": the palette's selection goes through the clipboard into the current note.
    void insertIcon();

    QLabel* titleLabel;
    PictureButton* insertButton;
    PictureButton* closeButton;
    RichTextBox* palette;

Q_SIGNALS:
    // The picker is done: close it.
    void closeRequested();

protected:
    bool event(QEvent* event) override;
    // The palette's keys: the arrows, Enter, + and Esc.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool paletteKey(int key, Qt::KeyboardModifiers modifiers);
    // Selects the picture before or after the selection, or the nearest one a line up or down.
    void selectPicture(int arrow);
    // Esc: closed, and the keys go back to the note.
    void closeByKey();

    std::function<NoteWindow*()> m_currentNote;
    WindowDrag m_drag;
};
