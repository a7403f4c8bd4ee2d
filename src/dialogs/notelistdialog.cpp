#include "dialogs/notelistdialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <array>

#include "dialogs/toolframe.h"
#include "note/picturebutton.h"
#include "platform/units.h"
#include "store/values.h"

namespace {

// A row's text, then the start of its note's text in grey, cut to the row's width; a word
// searched for is marked there.
class RowDelegate : public QStyledItemDelegate {
public:
    RowDelegate(const NoteListDialog* dialog, QObject* parent)
        : QStyledItemDelegate(parent), m_dialog(dialog) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        const notelist::MarkedPreview preview = m_dialog->rowPreview(index.row());
        if (preview.text.isEmpty()) return;
        const QFontMetrics metrics(option.font);
        int x =
            option.rect.left() + metrics.horizontalAdvance(index.data().toString() + u"    ") + 4;
        const int right = option.rect.right();
        if (right - x < metrics.averageCharWidth() * 3) return;
        painter->save();
        const QColor grey = option.state & QStyle::State_Selected
                                ? option.palette.color(QPalette::HighlightedText)
                                : option.palette.color(QPalette::PlaceholderText);
        // Before the mark, the mark, after it; what does not fit is cut with "…".
        const qsizetype markEnd = preview.markStart + preview.markLength;
        const std::array<QStringView, 3> parts = {
            QStringView(preview.text).first(preview.markStart),
            QStringView(preview.text).sliced(preview.markStart, preview.markLength),
            QStringView(preview.text).sliced(markEnd)};
        for (size_t i = 0; i < parts.size() && x < right; ++i) {
            if (parts[i].isEmpty()) continue;
            QString piece = parts[i].toString();
            int width = metrics.horizontalAdvance(piece);
            if (width > right - x) {
                piece = metrics.elidedText(piece, Qt::ElideRight, right - x);
                width = metrics.horizontalAdvance(piece);
            }
            const QRect place(x, option.rect.top(), width, option.rect.height());
            const bool mark = i == 1;
            if (mark) painter->fillRect(place.adjusted(0, 1, 0, -1), kMarkColour);
            painter->setPen(mark ? QColor(Qt::black) : grey);
            painter->drawText(place, Qt::AlignLeft | Qt::AlignVCenter, piece);
            x += width;
        }
        painter->restore();
    }

private:
    static constexpr QColor kMarkColour{0xff, 0xe4, 0x5c};
    const NoteListDialog* m_dialog;
};

constexpr int kClientWidth = 3975;
constexpr int kClientHeight = 2850;
// The search field stands between the title and the list, which gives it its height.
constexpr int kSearchTop = 300;
constexpr int kSearchHeight = 330;

}  // namespace

NoteListDialog::NoteListDialog(const QList<NoteEntry*>& notes)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    toolframe::setUp(this, kClientWidth, kClientHeight);
    // The pictures lie under the list where they overlap it, as picture controls do.
    showButton =
        new PictureButton(this, QStringLiteral("list-show.svg"), units::twipsRect(0, -75, 480, 480),
                          QStringLiteral("显示帖子"), QStringLiteral("显示"));
    closeButton = new PictureButton(this, QStringLiteral("list-close.svg"),
                                    units::twipsRect(3480, -75, 480, 480),
                                    QStringLiteral("关闭窗口"), QStringLiteral("关闭"));

    titleLabel = toolframe::addTitle(this, QStringLiteral("帖子列表"), QRect(1560, 60, 780, 180));

    searchField = new QLineEdit(this);
    searchField->setObjectName(QStringLiteral("search"));
    searchField->setGeometry(units::twipsRect(0, kSearchTop, 3975, kSearchHeight));
    searchField->setPlaceholderText(QStringLiteral("在所有帖子里查找"));
    searchField->setAccessibleName(QStringLiteral("在所有帖子里查找"));
    searchField->setClearButtonEnabled(true);
    searchField->installEventFilter(this);

    list = new QListWidget(this);
    list->setGeometry(units::twipsRect(0, kSearchTop + kSearchHeight, 3975, 2550 - kSearchHeight));
    list->setFont(QFont(QStringLiteral("宋体"), 9));
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Thousands of rows are laid out again at every keystroke: one height for all is quick.
    list->setUniformItemSizes(true);
    list->setItemDelegate(new RowDelegate(this, list));
    list->installEventFilter(this);
    QPalette listPalette = list->palette();
    listPalette.setColor(QPalette::Base, store::colourFromBgr(0x00C0FFC0));
    list->setPalette(listPalette);

    connect(showButton, &PictureButton::clicked, this, &NoteListDialog::pickSelected);
    connect(closeButton, &PictureButton::clicked, this, &NoteListDialog::closeRequested);
    connect(list, &QListWidget::itemDoubleClicked, this, &NoteListDialog::pickSelected);
    connect(searchField, &QLineEdit::textChanged, this, &NoteListDialog::search);

    int n = 0;
    for (NoteEntry* note : notes) {
        auto* item = new QListWidgetItem(notelist::rowText(++n, note->values().created), list);
        item->setToolTip(notelist::preview(note->searchText().plain, note->isLocked()));
        m_rowNotes.append(note);
    }
    // The show button acts on the first row at once.
    if (list->count() > 0) list->setCurrentRow(0);
    setFocusProxy(searchField);
    searchField->setFocus();
}

void NoteListDialog::showOnTop() {
    toolframe::showOnTop(this);
}

NoteEntry* NoteListDialog::noteOfRow(int row) const {
    return row >= 0 && row < m_rowNotes.size() ? m_rowNotes[row].data() : nullptr;
}

std::optional<textsearch::Text> NoteListDialog::searchedText(int row) const {
    const NoteEntry* note = noteOfRow(row);
    if (!note) return std::nullopt;
    return notelist::searchedText(note->searchText(), note->isLocked());
}

void NoteListDialog::search(const QString& typed) {
    m_query = textsearch::Query(typed);
    int first = -1;
    for (int row = 0; row < list->count(); ++row) {
        bool found = m_query.isEmpty();
        if (!found) {
            const std::optional<textsearch::Text> text = searchedText(row);
            found = text && textsearch::firstHit(*text, m_query);
        }
        if (list->isRowHidden(row) == found) list->setRowHidden(row, !found);
        if (found && first < 0) first = row;
    }
    // A row hidden by the search is never picked with the ones in view.
    list->clearSelection();
    if (first >= 0) list->setCurrentRow(first);
    list->viewport()->update();
}

notelist::MarkedPreview NoteListDialog::rowPreview(int row) const {
    const std::optional<textsearch::Text> text = searchedText(row);
    if (!text) return {};
    if (!m_query.isEmpty()) {
        if (const std::optional<textsearch::Hit> hit = textsearch::firstHit(*text, m_query))
            return notelist::previewAround(text->plain, *hit);
    }
    const NoteEntry* note = noteOfRow(row);
    return {notelist::preview(note->searchText().plain, note->isLocked())};
}

void NoteListDialog::focusSearch() {
    searchField->setFocus();
    searchField->selectAll();
}

void NoteListDialog::pickSelected() {
    QList<NoteEntry*> picked;
    QStringList firstMatches;
    for (int row = 0; row < list->count(); ++row) {
        if (!list->item(row)->isSelected() || list->isRowHidden(row)) continue;
        NoteEntry* note = noteOfRow(row);
        if (!note) continue;
        picked.append(note);
        // A locked note's text is not searched, so there is nothing in it to select.
        std::optional<textsearch::Hit> hit;
        if (!m_query.isEmpty() && !note->isLocked())
            hit = textsearch::firstHit(note->searchText(), m_query);
        firstMatches.append(hit ? note->searchText().plain.sliced(hit->start, hit->length)
                                : QString());
    }
    Q_EMIT notesPicked(picked, firstMatches);
    Q_EMIT closeRequested();
}

void NoteListDialog::closeEvent(QCloseEvent* event) {
    // Closed from outside (the window manager): closed as by its own button.
    event->ignore();
    Q_EMIT closeRequested();
}

bool NoteListDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            pickSelected();
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            // From the search field the arrows move through the rows found.
            if (watched != searchField) break;
            QCoreApplication::sendEvent(list, event);
            return true;
        case Qt::Key_Escape:
            // The first Escape empties the field, the next closes the list.
            if (watched == searchField && !searchField->text().isEmpty()) {
                searchField->clear();
                return true;
            }
            Q_EMIT closeRequested();
            return true;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

bool NoteListDialog::event(QEvent* event) {
    // Dragged by its background.
    if (m_drag.handle(event, this)) return true;
    return QWidget::event(event);
}
