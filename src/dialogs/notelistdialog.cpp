#include "dialogs/notelistdialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "dialogs/notelistrows.h"
#include "dialogs/toolframe.h"
#include "note/framecontrols.h"
#include "note/notewindow.h"
#include "platform/units.h"
#include "richtext/richtextbox.h"
#include "store/values.h"

namespace {

// A row's text, then the start of its note's text in grey, cut to the row's width.
class RowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        const QString preview = index.data(Qt::UserRole).toString();
        if (preview.isEmpty()) return;
        const QFontMetrics metrics(option.font);
        const int textEnd =
            option.rect.left() + metrics.horizontalAdvance(index.data().toString() + u"    ") + 4;
        const QRect space(textEnd, option.rect.top(), option.rect.right() - textEnd,
                          option.rect.height());
        if (space.width() < metrics.averageCharWidth() * 3) return;
        painter->save();
        painter->setPen(option.state & QStyle::State_Selected
                            ? option.palette.color(QPalette::HighlightedText)
                            : option.palette.color(QPalette::PlaceholderText));
        painter->drawText(space, Qt::AlignLeft | Qt::AlignVCenter,
                          metrics.elidedText(preview, Qt::ElideRight, space.width()));
        painter->restore();
    }
};

constexpr int kClientWidth = 3975;
constexpr int kClientHeight = 2850;

}  // namespace

NoteListDialog::NoteListDialog(const QList<NoteWindow*>& notes)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    toolframe::setUp(this, kClientWidth, kClientHeight);
    // The pictures lie under the list where they overlap it, as picture controls do.
    showButton =
        new IconButton(this, QStringLiteral("list-show.svg"), units::twipsRect(0, -75, 480, 480),
                       QStringLiteral("显示帖子"), QStringLiteral("显示"));
    closeButton = new IconButton(this, QStringLiteral("list-close.svg"),
                                 units::twipsRect(3480, -75, 480, 480), QStringLiteral("关闭窗口"),
                                 QStringLiteral("关闭"));

    titleLabel = toolframe::addTitle(this, QStringLiteral("帖子列表"), QRect(1560, 60, 780, 180));

    list = new QListWidget(this);
    list->setGeometry(units::twipsRect(0, 300, 3975, 2550));
    list->setFont(QFont(QStringLiteral("宋体"), 9));
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setItemDelegate(new RowDelegate(list));
    QPalette listPalette = list->palette();
    listPalette.setColor(QPalette::Base, store::colourFromBgr(0x00C0FFC0));
    list->setPalette(listPalette);

    connect(showButton, &IconButton::clicked, this, &NoteListDialog::pickSelected);
    connect(closeButton, &IconButton::clicked, this, &NoteListDialog::closeRequested);
    connect(list, &QListWidget::itemDoubleClicked, this, &NoteListDialog::pickSelected);

    int n = 0;
    for (NoteWindow* note : notes) {
        auto* item = new QListWidgetItem(notelist::rowText(++n, note->note().created), list);
        const QString preview = notelist::preview(note->editor()->text(), note->isLocked());
        item->setData(Qt::UserRole, preview);
        item->setToolTip(preview);
        m_rowNotes.append(note);
    }
    // The show button acts on the first row at once.
    if (list->count() > 0) list->setCurrentRow(0);
}

void NoteListDialog::showOnTop() {
    toolframe::showOnTop(this);
}

NoteWindow* NoteListDialog::noteOfRow(int row) const {
    return row >= 0 && row < m_rowNotes.size() ? m_rowNotes[row].data() : nullptr;
}

void NoteListDialog::pickSelected() {
    QList<NoteWindow*> picked;
    for (int row = 0; row < list->count(); ++row) {
        if (!list->item(row)->isSelected()) continue;
        if (NoteWindow* note = noteOfRow(row)) picked.append(note);
    }
    Q_EMIT notesPicked(picked);
    Q_EMIT closeRequested();
}

void NoteListDialog::closeEvent(QCloseEvent* event) {
    // Closed from outside (the window manager): closed as by its own button.
    event->ignore();
    Q_EMIT closeRequested();
}

bool NoteListDialog::event(QEvent* event) {
    // Dragged by its background.
    if (m_drag.handle(event, this)) return true;
    return QWidget::event(event);
}
