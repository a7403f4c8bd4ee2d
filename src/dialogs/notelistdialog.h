#pragma once
// The note list: every open note, hidden ones included, with its running number and creation
// time. The user picks notes to show, then the list asks to be closed.

#include <QList>
#include <QPointer>
#include <QWidget>

#include "note/notewindow.h"

class IconButton;
class QLabel;
class QListWidget;

class NoteListDialog : public QWidget {
    Q_OBJECT
public:
    // One row per note, in this order.
    explicit NoteListDialog(const QList<NoteWindow*>& notes);

    // Topmost, shown and in front.
    void showOnTop();
    // The note window of `row`; nullptr when it has been deleted since the list was built.
    NoteWindow* noteOfRow(int row) const;

    QLabel* titleLabel;
    IconButton* showButton;   // show the selected notes
    IconButton* closeButton;  // close
    QListWidget* list;        // one row per note

Q_SIGNALS:
    // The notes of the selected rows, in list order; the program shows those still open.
    void notesPicked(const QList<NoteWindow*>& notes);
    // The list is done: close it.
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void pickSelected();

    QList<QPointer<NoteWindow>> m_rowNotes;  // parallel to the rows of the list
    WindowDrag m_drag;
};
