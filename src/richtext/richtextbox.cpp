#include "richtext/richtextbox.h"

#include <algorithm>

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QToolTip>

#include "notes/pictures.h"
#include "platform/files.h"
#include "richtext/picturedrawing.h"
#include "rtf/longparagraphs.h"
#include "rtf/rtf.h"
#include "text/links.h"

namespace {

constexpr QChar kObjectChar = QChar::ObjectReplacementCharacter;

// A fragment carries the names of its pictures but not the pictures: copy them along.
void copyImageResources(const QTextDocument& from, QTextDocument* to) {
    for (QTextBlock block = from.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat()) continue;
            const QUrl name(format.toImageFormat().name());
            const QVariant image = from.resource(QTextDocument::ImageResource, name);
            if (image.isValid()) to->addResource(QTextDocument::ImageResource, name, image);
        }
    }
}

}  // namespace

RichTextBox::RichTextBox(QWidget* parent, NoteDocument* document) : QTextEdit(parent) {
    setFrameShape(QFrame::NoFrame);
    // The right button belongs to the note's own menu (mousePressed).
    setContextMenuPolicy(Qt::PreventContextMenu);
    setBackgroundColor(Qt::white);
    // The font is set before the document comes: each font a document is laid out in loads
    // its faces.
    if (document) {
        setFont(document->defaultFont());
        showDocument(document);
        return;
    }
    QFont f = font();
    f.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei"),
                   QStringLiteral("SimSun")});
    setFont(f);
    setDocument(new NoteDocument(this));
    watchDocument();
}

void RichTextBox::showDocument(NoteDocument* doc) {
    QTextDocument* own = document();
    if (doc == own) return;
    const QSizeF page = own->pageSize();  // the control's width, when it has one
    // Qt deletes the document it made itself; one of ours goes here: a document per note.
    const bool ours = own->parent() == this;
    disconnect(own, nullptr, this, nullptr);
    disconnect(own->documentLayout(), nullptr, this, nullptr);
    // Laid out once the control has its width, in steps: a note's text may be megabytes.
    doc->setPageSize(QSizeF(0, 0));
    setDocument(doc);
    watchDocument();
    if (ours) delete own;
    m_held = true;
    m_heldLarge = false;
    m_heldPage = page;
    m_heldFrom = 0;
    settleSoon();
}

void RichTextBox::watchDocument() {
    PictureDrawing::install(document());
    // Before the layout hears of a change: undo, redo and Qt's own edits come this way too.
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int from, int, int added) { watchChange(from, added); });
    // The control sets an unpaged layout whenever its width changes, a scroll bar's coming or
    // going too.
    connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            [this] {
                if (!m_held) pageLongText();
            });
}

const QString& RichTextBox::rtfMimeType() {
    static const QString type = QStringLiteral("text/rtf");
    return type;
}

const QString& RichTextBox::rtfAltMimeType() {
    static const QString type = QStringLiteral("application/rtf");
    return type;
}

NoteDocument* RichTextBox::noteDocument() const {
    return static_cast<NoteDocument*>(document());
}

void RichTextBox::editHoldingLayout(const std::function<bool()>& edit) {
    const QScopedValueRollback own(m_ownEdit, true);
    holdLayout();
    if (edit())
        settleLayout(QTextCursor(document()), true);
    else
        settleLayout(textCursor(), false);
}

void RichTextBox::replaceText(const QString& text) {
    editHoldingLayout([&] {
        noteDocument()->replaceText(text);
        return true;
    });
}

void RichTextBox::appendText(const QString& text) {
    const QScopedValueRollback own(m_ownEdit, true);
    const QTextCursor before = textCursor();
    noteDocument()->appendText(text);
    QTextCursor kept(document());
    kept.setPosition(before.anchor());
    kept.setPosition(before.position(), QTextCursor::KeepAnchor);
    settleLayout(kept, false);
}

bool RichTextBox::load(const QString& path, QString* error) {
    QByteArray bytes;
    QString why;
    switch (files::readRegular(path, kMaxFileBytes, &bytes, &why)) {
        case files::ReadResult::Missing:
            if (error) *error = path + QStringLiteral(": 文件不存在");
            return false;
        case files::ReadResult::Failed:
            if (error) *error = why;
            return false;
        case files::ReadResult::Ok:
            break;
    }
    if (!loadRtf(bytes, &why)) {
        if (error) *error = path + QStringLiteral(": ") + why;
        return false;
    }
    return true;
}

bool RichTextBox::loadRtf(QByteArrayView bytes, QString* error) {
    bool ok = false;
    editHoldingLayout([&] { return ok = noteDocument()->loadRtf(bytes, error); });
    return ok;
}

bool RichTextBox::saveFile(const QString& path, QString* error) const {
    return files::writeAtomically(path, noteDocument()->rtf(), error);
}

int RichTextBox::findText(const QString& text, std::optional<int> start, std::optional<int> end) {
    const QTextCursor found = noteDocument()->findMatch(text, textCursor(), start, end);
    if (found.isNull()) return -1;
    setTextCursor(found);
    return found.selectionStart();
}

int RichTextBox::selectionStart() const {
    return textCursor().selectionStart();
}

void RichTextBox::setSelectionStart(int start) {
    const int length = document()->characterCount() - 1;
    QTextCursor cursor = textCursor();
    cursor.setPosition(std::clamp(start, 0, length));
    setTextCursor(cursor);
}

int RichTextBox::selectionLength() const {
    const QTextCursor cursor = textCursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

void RichTextBox::setBackgroundColor(const QColor& colour) {
    QPalette p = palette();
    p.setColor(QPalette::Base, colour);
    setPalette(p);
}

void RichTextBox::removeSelectedText() {
    QTextCursor cursor = textCursor();
    if (!cursor.hasSelection()) return;
    cursor.removeSelectedText();
    setTextCursor(cursor);
}

bool RichTextBox::isUndoAvailable() const {
    return document()->isUndoAvailable();
}

void RichTextBox::resizeEvent(QResizeEvent* event) {
    QTextEdit::resizeEvent(event);  // sets an unpaged layout for the new width
    if (m_held) {
        // Held over a resize: the new width waits for the release too.
        m_heldPage = document()->pageSize();
        document()->setPageSize(QSizeF(0, 0));
        return;
    }
    pageLongText();
}

void RichTextBox::undoStep(bool redo) {
    const QScopedValueRollback own(m_ownEdit, true);
    if (redo)
        QTextEdit::redo();
    else
        QTextEdit::undo();
    settleLayout(cursorAt(m_heldFrom), false);
}

QTextCursor RichTextBox::cursorAt(int position) const {
    QTextCursor cursor(document());
    cursor.setPosition(std::clamp(position, 0, document()->characterCount() - 1));
    return cursor;
}

bool RichTextBox::event(QEvent* event) {
    const bool handled = QTextEdit::event(event);
    if (m_held && !m_ownEdit) settleLayout(textCursor(), false);
    return handled;
}

bool RichTextBox::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (const std::optional<links::Link> link = linkAt(help->pos())) {
            QToolTip::showText(help->globalPos(),
                               QStringLiteral("按住 Ctrl 单击打开：") + links::address(link->url),
                               viewport());
            return true;
        }
    }
    if (event->type() == QEvent::MouseMove) {
        // The pointer says a link opens, while Ctrl is held over one.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const bool opens = (mouse->modifiers() & Qt::ControlModifier) &&
                           mouse->buttons() == Qt::NoButton && linkAt(mouse->position().toPoint());
        if (opens != (viewport()->cursor().shape() == Qt::PointingHandCursor))
            viewport()->setCursor(opens ? Qt::PointingHandCursor : Qt::IBeamCursor);
    }
    const bool handled = QTextEdit::viewportEvent(event);
    if (m_held && !m_ownEdit) settleLayout(textCursor(), false);
    return handled;
}

void RichTextBox::keyPressEvent(QKeyEvent* event) {
    if (!isReadOnly() && (event == QKeySequence::Undo || event == QKeySequence::Redo)) {
        undoStep(event == QKeySequence::Redo);
        event->accept();
        return;
    }
    if (!isReadOnly() && checklistKey(event)) {
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void RichTextBox::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = viewport()->mapTo(this, event->position().toPoint());
    const Qt::MouseButton button = event->button();
    const Qt::KeyboardModifiers shift = event->modifiers();
    // Ctrl+click opens a link; a plain click places the caret, since the note is for typing.
    if (button == Qt::LeftButton && shift == Qt::ControlModifier) {
        if (const std::optional<links::Link> link = linkAt(event->position().toPoint())) {
            event->accept();
            Q_EMIT linkActivated(link->url);
            return;
        }
    }
    // A click on a checklist item's box ticks it; the caret stays where it was.
    if (button == Qt::LeftButton && shift == Qt::NoModifier && !isReadOnly() &&
        tickAt(event->position().toPoint())) {
        event->accept();
        Q_EMIT mousePressed(button, shift, pos);
        return;
    }
    QTextEdit::mousePressEvent(event);
    m_pictureClicked =
        button == Qt::LeftButton && shift == Qt::NoModifier && selectPictureAt(event->position());
    event->accept();  // a press in the text never reaches the note window behind it
    Q_EMIT mousePressed(button, shift, pos);
}

void RichTextBox::mouseReleaseEvent(QMouseEvent* event) {
    QTextEdit::mouseReleaseEvent(event);
    // A press on a picture that was selected already waits for a drag; released without one,
    // Qt puts the caret there: the picture stays selected.
    if (m_pictureClicked && event->button() == Qt::LeftButton && !textCursor().hasSelection())
        selectPictureAt(event->position());
    m_pictureClicked = false;
}

int RichTextBox::characterAt(QPointF viewportPos) const {
    const QPointF inDocument =
        viewportPos + QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
    return document()->documentLayout()->hitTest(inDocument, Qt::ExactHit);
}

bool RichTextBox::selectPictureAt(QPointF viewportPos) {
    // A click on a picture selects it, as a rich-text control does: then it can be copied,
    // inserted from the icon picker or deleted.
    const int at = characterAt(viewportPos);
    if (at < 0) return false;
    QTextCursor picture(document());
    picture.setPosition(at);
    picture.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    if (!picture.charFormat().isImageFormat()) return false;
    setTextCursor(picture);
    return true;
}

QMimeData* RichTextBox::createMimeDataFromSelection() const {
    auto* mime = new QMimeData;
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection()) return mime;
    const int from = cursor.selectionStart();
    const int to = cursor.selectionEnd();
    const QTextDocumentFragment fragment = cursor.selection();

    const QByteArray rtf = rtf::write(*document(), from, to);
    mime->setData(rtfMimeType(), rtf);
    mime->setData(rtfAltMimeType(), rtf);
    mime->setHtml(fragment.toHtml());
    // Pictures have no plain text: a picture alone leaves the clipboard without text.
    QString plain =
        longparagraphs::joined(fragment.toPlainText(), longparagraphs::joins(*document()), from);
    plain.remove(kObjectChar);
    if (!plain.isEmpty()) mime->setText(plain);
    if (to - from == 1) {
        QTextCursor one(document());
        one.setPosition(to);  // the format of the character before
        const QTextCharFormat format = one.charFormat();
        if (format.isImageFormat()) {
            const QVariant image = document()->resource(QTextDocument::ImageResource,
                                                        QUrl(format.toImageFormat().name()));
            if (image.canConvert<QImage>()) mime->setImageData(image);
        }
    }
    return mime;
}

bool RichTextBox::canInsertFromMimeData(const QMimeData* source) const {
    const bool holds = source == m_drag.mime ? m_drag.pictures : pictures::holdsPicture(*source);
    return source->hasFormat(rtfMimeType()) || source->hasFormat(rtfAltMimeType()) || holds ||
           QTextEdit::canInsertFromMimeData(source);
}

void RichTextBox::insertFromMimeData(const QMimeData* source) {
    if (!source || isReadOnly()) return;
    const QScopedValueRollback own(m_ownEdit, true);
    const int start = textCursor().selectionStart();
    // A pasted megabyte in one paragraph is split as a loaded one, in the paste's undo step:
    // an undo that gave the paragraph back whole would have Qt lay it out in one go.
    QTextCursor step(document());
    step.beginEditBlock();
    insertMimeData(*source);
    longparagraphs::split(document());
    step.endEditBlock();
    settleLayout(cursorAt(start), false);
}

void RichTextBox::insertMimeData(const QMimeData& mime) {
    const QMimeData* source = &mime;
    for (const QString& type : {rtfMimeType(), rtfAltMimeType()}) {
        if (source->hasFormat(type) && insertRtf(source->data(type))) return;
    }
    if (pictures::holdsPicture(mime)) {
        // A browser's copied picture comes with HTML of no text but the picture's web address.
        const bool htmlText = source->hasHtml() && !QTextDocumentFragment::fromHtml(source->html())
                                                        .toPlainText()
                                                        .remove(kObjectChar)
                                                        .trimmed()
                                                        .isEmpty();
        if (!htmlText && insertPictures(mime)) return;
    }
    if (source->hasHtml()) {
        QTextEdit::insertFromMimeData(source);
        return;
    }
    if (source->hasText()) {
        // Plain text takes the format of the insertion point.
        QTextCursor cursor = textCursor();
        cursor.insertText(NoteDocument::toParagraphs(source->text()));
        setTextCursor(cursor);
        ensureCursorVisible();
    }
}

bool RichTextBox::insertRtf(const QByteArray& bytes) {
    QTextDocument part;
    part.setDefaultFont(document()->defaultFont());
    if (!rtf::readFragment(bytes, &part)) return false;
    copyImageResources(part, document());
    QTextCursor all(&part);
    all.select(QTextCursor::Document);
    QTextCursor cursor = textCursor();
    cursor.insertFragment(all.selection());
    setTextCursor(cursor);
    ensureCursorVisible();
    return true;
}

bool RichTextBox::insertPictures(const QMimeData& mime) {
    std::vector<pictures::Taken> taken;
    const QStringList files = pictures::pictureFiles(mime);
    for (const QString& path : files)
        taken.push_back(pictures::fromFile(path));
    if (files.isEmpty()) taken.push_back(pictures::fromMime(mime));
    QSize refused;
    bool full = false;
    bool inserted = false;
    QTextCursor cursor = textCursor();
    // No wider than the text, less a little for the caret, and for the scroll bar a taller
    // text brings: a picture as wide as the text would then bring the other one.
    const int bar = verticalScrollBar()->isVisible()
                        ? 0
                        : style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const qreal room = viewport()->width() - bar - 2 * document()->documentMargin() - 4;
    // What the store would show again: beyond it, a picture would come back as a placeholder.
    qint64 used = rtf::pictureBytes(*document());
    for (pictures::Taken& one : taken) {
        if (one.tooLarge.isValid()) refused = one.tooLarge;
        if (!one.picture) continue;
        const QImage& image = one.picture->image;
        const qint64 bytes =
            qint64(image.width()) * image.height() * 4 + one.picture->encoded.size();
        if (used + bytes > rtf::kMaxTotalPictureBytes) {
            refused = image.size();
            full = true;
            continue;
        }
        used += bytes;
        QTextImageFormat format =
            rtf::addPicture(document(), image, one.picture->blip, one.picture->encoded);
        if (image.width() > room && room >= 16) {
            format.setWidth(room);
            format.setHeight(image.height() * room / image.width());
        }
        cursor.insertImage(format);
        inserted = true;
    }
    if (inserted) {
        setTextCursor(cursor);
        ensureCursorVisible();
    }
    if (refused.isValid()) Q_EMIT pictureRefused(refused, full);
    return inserted || refused.isValid() || !files.isEmpty();
}
