#pragma once
// The rich-text control of every note: a QTextEdit with the members the program relies on.
//
// Positions (selectionStart, selectionLength, findText) count characters of the document: a
// paragraph break and a picture are one character each, as QTextCursor counts them.
//
// Qt lays out an inserted text at once, in full, before the insert returns; only a layout of the
// whole document goes in steps between events. Every text that comes in (set, loaded, pasted,
// appended, undone or redone) therefore goes in with the layout held: long paragraphs are split
// and the page height is set first, and a large text is then laid out from the top in steps. The
// insertion point then stays where the text began, since showing the end of a text of megabytes
// means laying out all of it at once.

#include <functional>
#include <optional>

#include <QColor>
#include <QPoint>
#include <QString>
#include <QTextCursor>
#include <QTextEdit>

#include "notes/notedocument.h"
#include "text/links.h"

class QPainter;
class QTextBlock;

class RichTextBox : public QTextEdit {
    Q_OBJECT
public:
    // Shows and edits `document`, which another owns (a note's), in its default font; without
    // one, a document of its own.
    explicit RichTextBox(QWidget* parent = nullptr, NoteDocument* document = nullptr);
    NoteDocument* noteDocument() const;

    // Plain text; paragraph breaks read as CR LF, a picture as a space. Replacing it replaces
    // everything, formatting too: the new text stands in the default format and the undo history
    // is dropped. Not QTextEdit::setText, which takes what looks like HTML as HTML.
    QString text() const { return noteDocument()->text(); }
    void replaceText(const QString& text);
    // Appends plain text at the end, on a line of its own, in the format found there, as one
    // undo step (clipboard capture); the selection stays.
    void appendText(const QString& text);

    // Loads an RTF file of at most kMaxFileBytes. On failure the content stays as it was,
    // false is returned and *error says why.
    static constexpr qint64 kMaxFileBytes = qint64(256) * 1024 * 1024;
    bool load(const QString& path, QString* error = nullptr);
    // Replaces the content with an RTF document; on failure the content stays as it was.
    bool loadRtf(QByteArrayView bytes, QString* error = nullptr);
    // Runs an edit of the document from outside the control (a note's new text) as one of
    // its own: the layout held, the insertion point at the start when the edit says so.
    void editHoldingLayout(const std::function<bool()>& edit);
    // Writes the content as RTF, atomically: on failure an existing file stays whole.
    bool saveFile(const QString& path, QString* error = nullptr) const;

    // Searches, ignoring letter case, and selects the first match; returns its position or -1
    // (the selection then stays). Without start and end it searches the selection, or the whole
    // text when nothing is selected; with only an end, from the insertion point to that end.
    int findText(const QString& text, std::optional<int> start = {}, std::optional<int> end = {});

    // The selection in characters. Setting selectionStart collapses the selection there; a
    // value outside the text is clamped.
    int selectionStart() const;
    void setSelectionStart(int start);
    int selectionLength() const;

    // Character format of the selection, or of the insertion point when nothing is selected.
    // Getters return nullopt when the selection mixes values. An empty font name, a size not
    // above 0 and an invalid colour change nothing.
    std::optional<bool> selectionBold() const;
    void setSelectionBold(bool on);
    std::optional<bool> selectionItalic() const;
    void setSelectionItalic(bool on);
    std::optional<bool> selectionUnderline() const;
    void setSelectionUnderline(bool on);
    std::optional<bool> selectionStrikeOut() const;
    void setSelectionStrikeOut(bool on);
    std::optional<QString> selectionFontFamily() const;
    void setSelectionFontFamily(const QString& family);
    std::optional<double> selectionFontPointSize() const;  // points
    void setSelectionFontPointSize(double points);
    std::optional<QColor> selectionTextColor() const;
    void setSelectionTextColor(const QColor& colour);

    // Paragraph format of the paragraphs the selection touches. The alignment is the
    // horizontal part alone (Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignJustify);
    // one without a horizontal part changes nothing.
    std::optional<Qt::Alignment> selectionAlignment() const;
    void setSelectionAlignment(Qt::Alignment alignment);
    // True when every paragraph is a bullet paragraph, False when none is, nullopt when mixed.
    std::optional<bool> selectionBullet() const;
    void setSelectionBullet(bool on);
    // How far, in pixels, the following lines of a paragraph stand right of its first line.
    std::optional<int> selectionHangingIndent() const;
    void setSelectionHangingIndent(int pixels);

    void setBackgroundColor(const QColor& colour);

    // QTextEdit's cut() and copy() put the selection on the clipboard as RTF, HTML and plain
    // text; paste() takes RTF first, then files of pictures, a picture (before HTML that holds no
    // text: a browser's copied picture), HTML, text. A picture wider than the text goes in
    // shown at the text's width, kept whole.
    // Deletes the selection only, where QTextEdit::clear() empties the whole text.
    void removeSelectedText();
    // Undo and redo as the control's own edits: the layout held over the step is settled before
    // they return, and after a large step the insertion point stands where the change began.
    void undoHoldingLayout() { undoStep(false); }
    void redoHoldingLayout() { undoStep(true); }
    bool isUndoAvailable() const;

    // MIME types under which the selection goes to the clipboard as RTF.
    static const QString& rtfMimeType();     // "text/rtf"
    static const QString& rtfAltMimeType();  // "application/rtf"

    // The link the edit menu about to open acts on, taken now: under the pointer, else at the
    // caret; none when neither is on one.
    void pinMenuLink() { m_menuLink = contextLink(); }
    const std::optional<QUrl>& menuLink() const { return m_menuLink; }

Q_SIGNALS:
    // A link was Ctrl+clicked, to be opened.
    void linkActivated(const QUrl& url);
    // A file of this computer was dropped on the text, to be opened in the note.
    void fileDropped(const QString& path);
    // A picture pasted or dropped was not taken: it has more pixels than a note keeps, or the
    // note's pictures hold as much as a note keeps (full).
    void pictureRefused(QSize size, bool full);
    // Raised after the control has handled a mouse press; pos in this widget's coordinates.
    void mousePressed(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos);

protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // Shows a document that another owns in place of its own.
    void showDocument(NoteDocument* doc);
    // Hears of the changes of the document shown and of its layout.
    void watchDocument();
    void insertMimeData(const QMimeData& source);
    // Enter and Ctrl+Enter in a checklist item; true when the key was the list's.
    bool checklistKey(const QKeyEvent* event);
    // A click on a checklist item's box (viewport coordinates) ticks it; true when it did.
    bool tickAt(QPoint viewportPos);
    // Over what the text drew: links underlined, a ticked item's text struck through and dimmed.
    void paintMarks(const QRect& area);
    void underlineLinks(QPainter& painter, const QTextBlock& block, QPointF origin);
    // The link under a point of the viewport, if any.
    std::optional<links::Link> linkAt(QPoint viewportPos) const;
    std::optional<QUrl> contextLink() const;
    // The position of the character under a point of the viewport, -1 where there is none.
    int characterAt(QPointF viewportPos) const;
    // True when a picture is there, and selected now.
    bool selectPictureAt(QPointF viewportPos);
    void undoStep(bool redo);
    void pageLongText();
    // A null page size makes Qt's layout forget what changes and lay out nothing; the release
    // sets the page anew, which Qt lays out from the top in steps.
    void holdLayout();
    void releaseLayout();
    bool layoutUnderWay() const;
    void watchChange(int from, int added);
    // Ends an edit that may have held the layout: releases it, and puts the insertion point at
    // `start` always, or when a large text came in.
    void settleLayout(const QTextCursor& start, bool always);
    // Settles a held layout once the events of the moment are handled.
    void settleSoon();
    QTextCursor cursorAt(int position) const;
    bool insertRtf(const QByteArray& bytes);
    // Pictures put in at the insertion point; false when none was.
    bool insertPictures(const QMimeData& mime);

    // What the drag under way carries, seen as it entered.
    struct DragSeen {
        const QMimeData* mime = nullptr;
        bool pictures = false;
        QString file;  // to be opened; empty when the drag carries pictures or no file
    };
    DragSeen m_drag;
    std::optional<QUrl> m_menuLink;
    bool m_held = false;
    bool m_pictureClicked = false;  // the left button went down on a picture
    bool m_ownEdit = false;         // one of ours, which settles the layout itself
    bool m_heldLarge = false;       // a change of more than kHeldFrom characters came in
    QSizeF m_heldPage;
    int m_heldFrom = 0;
};
