#include "dialogs/form6.h"

#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

#include "dialogs/notelistrows.h"
#include "note/form1.h"
#include "richtext/richtextbox.h"
#include "platform/units.h"
#include "platform/windowops.h"
#include "store/values.h"

namespace {

Form6* g_instance = nullptr;

// Design places in twips, as left, top, width, height.
QRect twipsRect(int left, int top, int width, int height) {
    return {units::twipsToPixels(left), units::twipsToPixels(top), units::twipsToPixels(width),
            units::twipsToPixels(height)};
}

constexpr int kClientWidth = 3975;
constexpr int kClientHeight = 2850;

}  // namespace

Form6::Form6() : Form(nullptr, Qt::Tool | Qt::FramelessWindowHint) {
    setWindowTitle(QStringLiteral("Jotpin"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, store::colourFromBgr(0x00FFC0C0));
    setPalette(p);

    // The pictures lie under the list where they overlap it, as picture controls do.
    Image1 = new ImageControl(this, QStringLiteral("list-show.svg"), twipsRect(0, -75, 480, 480),
                              QStringLiteral("显示帖子"));
    Image2 = new ImageControl(this, QStringLiteral("list-close.svg"),
                              twipsRect(3480, -75, 480, 480), QStringLiteral("关闭窗口"));

    Label1 = new QLabel(QStringLiteral("帖子列表"), this);
    Label1->setGeometry(twipsRect(1560, 60, 780, 180));
    QFont title(QStringLiteral("宋体"), 9);
    title.setBold(true);
    Label1->setFont(title);
    QPalette labelPalette = Label1->palette();
    labelPalette.setColor(QPalette::WindowText, store::colourFromBgr(0x00400000));
    Label1->setPalette(labelPalette);

    List1 = new QListWidget(this);
    List1->setGeometry(twipsRect(0, 300, 3975, 2550));
    List1->setFont(QFont(QStringLiteral("宋体"), 9));
    List1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    QPalette listPalette = List1->palette();
    listPalette.setColor(QPalette::Base, store::colourFromBgr(0x00C0FFC0));
    List1->setPalette(listPalette);

    connect(Image1, &ImageControl::Click, this, &Form6::Image1_Click);
    connect(Image2, &ImageControl::Click, this, &Form6::Image2_Click);
    connect(List1, &QListWidget::itemDoubleClicked, this, &Form6::Image1_Click);

    const QSize client(units::twipsToPixels(kClientWidth), units::twipsToPixels(kClientHeight));
    QRect frame(QPoint(), client);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        frame.moveCenter(screen->geometry().center());
    setGeometry(frame);
}

Form6::~Form6() {
    if (g_instance == this) g_instance = nullptr;
}

void Form6::showList() {
    if (g_instance) {
        g_instance->show();
        g_instance->raise();
        g_instance->activateWindow();
        return;
    }
    g_instance = new Form6();
    g_instance->Form_Load();
}

Form6* Form6::instance() {
    return g_instance;
}

void Form6::Form_Load() {
    buildRows();
    windowops::setTopmost(this, true);
    show();
    raise();
    activateWindow();
}

void Form6::buildRows() {
    List1->clear();
    m_rowNotes.clear();
    int n = 0;
    for (int i = 1; i < Forms::Count(); ++i) {
        // Only note windows carry a creation time; another form with a Tag is no note.
        auto* note = qobject_cast<Form1*>(Forms::item(i));
        if (!note || !notelist::isNoteTag(note->Tag())) continue;
        ++n;
        List1->addItem(notelist::rowText(n, note->RichTextBox1->Tag()));
        m_rowNotes.append(note);
    }
}

Form1* Form6::noteOfRow(int row) const {
    if (row < 0 || row >= m_rowNotes.size()) return nullptr;
    Form1* note = m_rowNotes[row];
    // A note unloaded since the list was built has left Forms even before it is deleted.
    return note && Forms::indexOf(note) >= 0 ? note : nullptr;
}

void Form6::Image1_Click() {
    for (int row = 0; row < List1->count(); ++row) {
        if (!List1->item(row)->isSelected()) continue;
        Form1* note = noteOfRow(row);
        if (!note) continue;
        note->show();
        note->raise();
        // Activation makes it the current note.
        note->activateWindow();
    }
    Unload();
}

void Form6::Image2_Click() {
    Unload();
}

void Form6::Form_Unload() {
    if (g_instance == this) g_instance = nullptr;
}

void Form6::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (QWindow* window = windowHandle()) window->startSystemMove();
    }
    event->accept();
}
