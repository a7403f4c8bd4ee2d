#pragma once
// The note list: every open note, hidden ones included, with its running number and creation
// time. Words typed into its search field keep only the notes that hold them all. The user
// picks notes to show, then the list asks to be closed.

#include <QList>
#include <QPointer>
#include <QWidget>

#include "dialogs/notelistrows.h"
#include "note/framecontrols.h"
#include "note/picturebutton.h"
#include "notes/noteentry.h"
#include "text/textsearch.h"

class PictureButton;
class QLabel;
class QLineEdit;
class QListWidget;

class NoteListDialog : public QWidget {
    Q_OBJECT
public:
    // One row per note, in this order.
    explicit NoteListDialog(const QList<NoteEntry*>& notes);

    // Topmost, shown and in front.
    void showOnTop();
    // The note of `row`; nullptr when it has been deleted since the list was built.
    NoteEntry* noteOfRow(int row) const;
    // Keeps the rows whose notes hold every word of `typed`, the first of them selected.
    void search(const QString& typed);
    // What row `row` shows after its number and time: the start of its note, or the stretch
    // around the first word found there, marked.
    notelist::MarkedPreview rowPreview(int row) const;
    // The keyboard is in the search field, its text selected.
    void focusSearch();

    QLabel* titleLabel;
    PictureButton* showButton;   // show the selected notes
    PictureButton* closeButton;  // close
    QLineEdit* searchField;      // "在所有帖子里查找"
    QListWidget* list;           // one row per note

Q_SIGNALS:
    // The notes of the selected rows, in list order; the program shows those still there. With
    // words searched, firstMatches[i] is the text of the first one found in notes[i], to select
    // there; empty where there is none to select.
    void notesPicked(const QList<NoteEntry*>& notes, const QStringList& firstMatches);
    // The list is done: close it.
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void pickSelected();
    // The row's note as the search reads it; nothing for a note deleted since.
    std::optional<textsearch::Text> searchedText(int row) const;

    QList<QPointer<NoteEntry>> m_rowNotes;  // parallel to the rows of the list
    textsearch::Query m_query;              // the words in the search field
    WindowDrag m_drag;
};
