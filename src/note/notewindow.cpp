#include "note/notewindow.h"

#include <QTextBlock>
#include <QTextDocument>

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>

#include "desktop/displayplatform.h"
#include "desktop/windowops.h"
#include "note/framecontrols.h"
#include "platform/units.h"
#include "richtext/richtextbox.h"

NoteWindow::NoteWindow(NoteEntry& entry)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      m_entry(entry),
      m_state(entry.state()) {
    setWindowTitle(QString());
    windowops::keepOnDesktop(this);
    // A window manager that resizes the note keeps to the smallest note.
    setMinimumSize(units::twipsToPixels(notelayout::kMinWidthTwips),
                   units::twipsToPixels(notelayout::kMinHeightTwips));
    setAutoFillBackground(true);
    // A note is seldom the active window while the pointer rests on it.
    setAttribute(Qt::WA_AlwaysShowToolTips);

    m_titleStrip = new TitleStrip(this);
    m_menuButton = m_titleStrip->addButton(QStringLiteral("menu.svg"), QRect(0, -5, 32, 32),
                                           QStringLiteral("帖子管理"), QStringLiteral("菜单"));
    m_alarmIcon = m_titleStrip->addButton(QStringLiteral("alarm.svg"), QRect(24, -2, 24, 24),
                                          QStringLiteral("关闭定时提醒"), QStringLiteral("闹钟"));
    m_unlockButton = m_titleStrip->addButton(QStringLiteral("unlock.svg"), QRect(46, -2, 20, 21),
                                             QStringLiteral("解除锁定"), QStringLiteral("解锁"));
    m_titleLabel = new ClockLabel(m_titleStrip);
    m_titleLabel->setGeometry(72, 5, 97, 17);
    m_titleLabel->installEventFilter(this);
    m_hideButton = m_titleStrip->addButton(QStringLiteral("hide.svg"), QRect(168, -5, 32, 32),
                                           QStringLiteral("隐藏帖子"), QStringLiteral("隐藏"));
    m_deleteButton = m_titleStrip->addButton(QStringLiteral("delete.svg"), QRect(192, -5, 32, 32),
                                             QStringLiteral("删除帖子"), QStringLiteral("删除"));
    m_alarmIcon->setVisible(false);
    m_unlockButton->setVisible(false);

    m_editor = new RichTextBox(this, entry.document());
    // A screen reader names the text area after its first line, as the note list does; only a
    // change there can change the name, and a first line may be 65,536 characters long.
    const auto nameAfterFirstLine = [this] {
        const QString first = m_editor->document()->firstBlock().text().left(80).trimmed();
        if (first == m_editor->accessibleName()) return;
        m_editor->setAccessibleName(first);
        tellReadersOfName();
    };
    nameAfterFirstLine();  // the note may hold its text already
    connect(m_editor->document(), &QTextDocument::contentsChange, m_editor,
            [this, nameAfterFirstLine](int from) {
                if (from < m_editor->document()->firstBlock().length()) nameAfterFirstLine();
            });
    setUpKeyboardAndReaders();

    showValues();
    layOut();
    // The window shows every value the note takes, whoever sets it.
    connect(&m_state, &NoteState::changed, this, &NoteWindow::showValues);
    // The grips lie over the controls at the edges: every control shows their cursors and
    // hands a press there to them.
    setMouseTracking(true);
    for (QWidget* child : findChildren<QWidget*>()) {
        child->setMouseTracking(true);
        child->installEventFilter(this);
    }
    // A monitor that comes back takes its notes back.
    connect(qApp, &QGuiApplication::screenAdded, this, [this] { applyGeometry(); });
    connect(qApp, &QGuiApplication::screenRemoved, this, [this] { applyGeometry(); });
}

QRect NoteWindow::placeOf(const Note& note) {
    return {note.left, note.top, note.width, note.height};
}

void NoteWindow::showValues() {
    // A place or size set elsewhere (a command, another machine): the window goes there.
    if (placeOf(note()) != m_placeShown) applyGeometry();
    applyColour();
    // An opaque note stays an ordinary window; a translucent one made opaque again is one again.
    const qreal opacity = qBound(0, note().effectiveOpacity(), 255) / 255.0;
    if ((note().effectiveOpacity() != 255 || windowOpacity() < 1.0) && windowOpacity() != opacity)
        setWindowOpacity(opacity);
    showLockAndReminder();
}

void NoteWindow::showLockAndReminder() {
    m_alarmIcon->setVisible(note().reminderOn);
    m_unlockButton->setVisible(note().locked);
    m_editor->setVisible(!note().locked);
    m_menuButton->setEnabled(!note().locked);
    m_deleteButton->setEnabled(!note().locked);
    tellReadersOfLock();
}

void NoteWindow::applyColour() {
    // A palette change walks every control of the note: only for a new colour.
    if (m_colourShown == note().colour) return;
    m_colourShown = note().colour;
    QPalette p = palette();
    p.setColor(QPalette::Window, note().colour);
    setPalette(p);
    m_editor->setBackgroundColor(note().colour);
    update();
}

void NoteWindow::moveTwips(int left, int top, int width, int height) {
    m_state.setPlaceAndSize(left, top, width, height);
    applyGeometry();
}

QPoint NoteWindow::intendedPosition() const {
    // A place on no screen (a store from a wider desktop, a monitor unplugged) shows at the
    // nearest screen's edge; the stored place stays until the user moves the note.
    const QRect stored(units::twipsToPixels(note().left), units::twipsToPixels(note().top),
                       qMax(1, units::twipsToPixels(note().width)),
                       qMax(1, units::twipsToPixels(note().height)));
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->geometry());
    return notelayout::reachablePlace(stored, kTitleStripHeight, screens);
}

void NoteWindow::applyGeometry() {
    m_placeShown = placeOf(note());
    m_applyingGeometry = true;
    setGeometry(QRect(intendedPosition(), QSize(qMax(1, units::twipsToPixels(note().width)),
                                                qMax(1, units::twipsToPixels(note().height)))));
    m_applyingGeometry = false;
}

void NoteWindow::layOut() {
    const notelayout::SizeTwips clamped =
        notelayout::clampSize({note().width, note().height}, isLocked());
    if (clamped.width != note().width || clamped.height != note().height) {
        m_state.setSize(clamped.width, clamped.height);
        applyGeometry();
    }
    const notelayout::Layout l = notelayout::layoutFor(units::twipsToPixels(note().width),
                                                       units::twipsToPixels(note().height));
    m_titleStrip->setGeometry(0, 0, units::twipsToPixels(note().width), kTitleStripHeight);
    m_titleLabel->move(l.titleLabelLeft, m_titleLabel->y());
    m_editor->setGeometry(l.richText);
    m_deleteButton->moveLeftTo(l.deleteButtonLeft);
    m_hideButton->moveLeftTo(l.hideButtonLeft);
    m_layout = l;
}

int NoteWindow::gripAt(QPoint point) const {
    // The corners lie above the edges.
    for (int i = notelayout::GripCount - 1; i >= 0; --i) {
        if (m_layout.grips[i].contains(point)) return i;
    }
    return -1;
}

void NoteWindow::showGripCursor(QWidget* receiver, int grip) {
    static constexpr std::array<Qt::CursorShape, notelayout::GripCount> kCursors = {
        Qt::SizeHorCursor,   Qt::SizeHorCursor,   Qt::SizeVerCursor,   Qt::SizeVerCursor,
        Qt::SizeFDiagCursor, Qt::SizeBDiagCursor, Qt::SizeBDiagCursor, Qt::SizeFDiagCursor,
    };
    // Runs at every mouse move: the cursor is set only when it changes.
    const bool own = receiver->testAttribute(Qt::WA_SetCursor);
    if (grip < 0 && receiver != m_editor->viewport()) {
        if (own) receiver->unsetCursor();
        return;
    }
    const Qt::CursorShape shape = grip >= 0 ? kCursors[grip] : Qt::IBeamCursor;
    if (!own || receiver->cursor().shape() != shape) receiver->setCursor(shape);
}

// A press on a grip, any button, starts a resize that follows the cursor until the release.
bool NoteWindow::gripMouse(QWidget* receiver, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            m_touched = true;
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const int grip = gripAt(receiver->mapTo(this, mouse->position().toPoint()));
            if (grip < 0) return false;
            if (mouse->button() == Qt::LeftButton && startSystemDrag(grip)) return true;
            m_resizeGrip = grip;
            m_resizeStart = QCursor::pos();
            return true;
        }
        case QEvent::MouseMove: {
            if (m_resizeGrip >= 0) {
                const QPoint current = QCursor::pos();
                resizeByGrip(m_resizeGrip, m_resizeStart, current);
                m_resizeStart = current;
                return true;
            }
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->buttons() == Qt::NoButton) {
                m_systemDrag = false;  // the window manager's drag, if any, is over
                showGripCursor(receiver,
                               gripAt(receiver->mapTo(this, mouse->position().toPoint())));
            }
            return false;
        }
        case QEvent::MouseButtonRelease: {
            if (m_systemDrag) {
                // The window manager never took the mouse: no window may hang on the pointer.
                m_systemDrag = false;
                windowops::cancelSystemMove(this);
                return true;
            }
            if (m_resizeGrip < 0) return false;
            const int grip = m_resizeGrip;
            m_resizeGrip = -1;
            resizeByGrip(grip, m_resizeStart, QCursor::pos());
            return true;
        }
        case QEvent::Leave:
            if (m_resizeGrip < 0) showGripCursor(receiver, -1);
            return false;
        default:
            return false;
    }
}

void NoteWindow::resizeByGrip(int index, QPoint start, QPoint current) {
    const auto moved = notelayout::resizeByGrip(
        {double(note().left), double(note().top), double(note().width), double(note().height)},
        start, current, index);
    // A size below zero is refused; the window keeps its place and size.
    if (!moved || moved->width < 0 || moved->height < 0) return;
    moveTwips(qRound(moved->left), qRound(moved->top), qRound(moved->width), qRound(moved->height));
    layOut();
}

void NoteWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!m_applyingGeometry) takeSizeFromOutside(event->spontaneous());
    layOut();
}

void NoteWindow::takeSizeFromOutside(bool fromWindowManager) {
    const QSize ours(units::twipsToPixels(note().width), units::twipsToPixels(note().height));
    if (size() == ours) return;
    // A size given while the window is mapped, or the first one given before the user touched
    // it, is the window manager's (a tiling compositor's, its smallest floating window), and
    // it comes again with every later move; on native Wayland only a size the user drags is
    // taken.
    if (fromWindowManager && !m_systemDrag) {
        if (m_mapping || (!m_touched && !m_sizedByManager)) {
            m_sizedByManager = !m_mapping;
            m_imposedSize = size();
            return;
        }
        if (size() == m_imposedSize || !displayplatform::windowsHavePlaces()) return;
    }
    m_imposedSize = QSize();
    // A size from outside replaces the twips; ours stays as set.
    const int width =
        this->width() != ours.width() ? units::pixelsToTwips(this->width()) : note().width;
    const int height =
        this->height() != ours.height() ? units::pixelsToTwips(this->height()) : note().height;
    m_placeShown.setSize({width, height});  // where the window is: no size to show again
    m_state.setSize(width, height);
}

void NoteWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (m_applyingGeometry || !event->spontaneous()) return;
    if (m_mapping) {
        settleAfterMapping();
    } else if (!m_touched && !m_placedByManager) {
        // The first place a window manager gives a window it was asked to put elsewhere,
        // before the user touched it, is its own placement (sway's, a tiling one's).
        m_placedByManager = true;
    } else {
        takePlaceFromOutside();
    }
}

void NoteWindow::takePlaceFromOutside() {
    // Where the stored twips put the window, they stay exactly; so does a place on no screen
    // that shows at a screen's edge.
    if (!isVisible() || !displayplatform::windowsHavePlaces() || pos() == intendedPosition())
        return;
    m_placeShown.moveTo(units::pixelsToTwips(x()), units::pixelsToTwips(y()));
    m_state.setPlace(m_placeShown.x(), m_placeShown.y());
}

void NoteWindow::settleAfterMapping() {
    // While a window is being mapped, X can report a passing position (the window manager's
    // new frame at 0,0), and a window manager may put it elsewhere than asked: neither is the
    // user's place.
    const QWindow* window = windowHandle();
    if (!m_mapping || !window || !window->isExposed()) return;
    if (pos() == intendedPosition() || m_reasserted || !displayplatform::windowsHavePlaces()) {
        m_mapping = false;
        return;
    }
    // Ask for our place once more: the window manager's answer puts Qt's idea of where the
    // window stands right again, or says that it places the window itself.
    m_reasserted = true;
    QTimer::singleShot(0, this, [this] { applyGeometry(); });
}

void NoteWindow::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        m_reasserted = false;
        m_mapping = true;
        m_touched = false;
        m_placedByManager = false;
        m_sizedByManager = false;
        m_imposedSize = QSize();
        if (windowHandle()) windowHandle()->installEventFilter(this);
    }
    QWidget::showEvent(event);
    if (!event->spontaneous()) m_state.setVisible(true);
}

void NoteWindow::hideEvent(QHideEvent* event) {
    m_drag.cancel();
    m_systemDrag = false;
    QWidget::hideEvent(event);
    if (!event->spontaneous()) m_state.setVisible(false);
}

void NoteWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) Q_EMIT activated();
}

void NoteWindow::closeEvent(QCloseEvent* event) {
    // A note goes only by its own delete commands, never by a window manager's close (Alt+F4,
    // the end of a session): a note closed that way would be missing from the next save.
    event->ignore();
}

bool NoteWindow::startSystemDrag(int grip) {
    static const std::array<Qt::Edges, notelayout::GripCount> kEdges = {
        Qt::LeftEdge,
        Qt::RightEdge,
        Qt::TopEdge,
        Qt::BottomEdge,
        Qt::BottomEdge | Qt::RightEdge,
        Qt::BottomEdge | Qt::LeftEdge,
        Qt::TopEdge | Qt::RightEdge,
        Qt::TopEdge | Qt::LeftEdge,
    };
    QWindow* window = windowHandle();
    // Tiling and Wayland compositors move and resize windows only themselves.
    const bool started =
        window && (grip < 0 ? window->startSystemMove() : window->startSystemResize(kEdges[grip]));
    if (started) {
        m_systemDrag = true;
        m_mapping = false;
        m_touched = true;
    }
    return started;
}

bool NoteWindow::dragMouse(QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && startSystemDrag(-1))
        return true;
    return m_drag.handle(
        event, [this] { return intendedPosition(); },
        [this](QPoint to) {
            moveTwips(units::pixelsToTwips(to.x()), units::pixelsToTwips(to.y()), note().width,
                      note().height);
        });
}

void NoteWindow::mousePressEvent(QMouseEvent* event) {
    if (!gripMouse(this, event)) dragMouse(event);
    event->accept();
}

void NoteWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!gripMouse(this, event)) dragMouse(event);
    event->accept();
}

void NoteWindow::mouseReleaseEvent(QMouseEvent* event) {
    gripMouse(this, event);
    dragMouse(event);
    event->accept();
}

void NoteWindow::leaveEvent(QEvent* event) {
    gripMouse(this, event);
    QWidget::leaveEvent(event);
}

bool NoteWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == windowHandle()) {
        if (event->type() == QEvent::Expose) settleAfterMapping();
        return false;
    }
    if (watched->isWidgetType() && gripMouse(static_cast<QWidget*>(watched), event)) return true;
    if (watched == m_titleLabel &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove ||
         event->type() == QEvent::MouseButtonRelease))
        return dragMouse(event);
    // The label's tip tells when the note was made.
    if (watched == m_titleLabel && event->type() == QEvent::ToolTip)
        m_titleLabel->setToolTip(QStringLiteral("本贴创建时间：") + note().created);
    return QWidget::eventFilter(watched, event);
}

void NoteWindow::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // A thin darker edge keeps a note apart from a background of the same colour.
    QPainter painter(this);
    painter.setPen(note().colour.darker(140));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
