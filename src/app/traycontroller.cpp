#include "app/form2.h"

#include <QCursor>
#include <QUrl>
#include <cstdio>

#include "app/autosave.h"
#include "app/topmost.h"
#include "commands/notecommands.h"
#include "dialogs/form6.h"
#include "note/createnote.h"
#include "note/form1.h"
#include "platform/apppaths.h"
#include "platform/autostart.h"
#include "platform/prompts.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/tray.h"
#include "store/notestore.h"

namespace {

Form2* g_instance = nullptr;

// The dialogs that the exit command closes first.
constexpr const char* kDialogClasses[] = {"Form3", "Form4", "Form6"};

}  // namespace

Form2::Form2() : mnuTray(new QMenu(QStringLiteral("menu"), this)) {
    g_instance = this;
    auto item = [this](const QString& caption, void (Form2::*handler)() = nullptr) {
        QAction* action = mnuTray->addAction(caption);
        if (handler) connect(action, &QAction::triggered, this, handler);
        return action;
    };
    auto toggle = [&](const QString& caption) {
        QAction* action = item(caption);
        action->setCheckable(true);
        action->setChecked(true);  // the design state; the store sets the real one
        return action;
    };
    fanhui = item(QStringLiteral("返回"));
    newtie = item(QStringLiteral("新建帖子"));
    connect(newtie, &QAction::triggered, this, [] { new_Click(); });
    mnuTray->addSeparator();
    xianshisuoyou = item(QStringLiteral("显示所有帖子"), &Form2::xianshisuoyou_Click);
    tieziliebiao = item(QStringLiteral("帖子列表"));
    connect(tieziliebiao, &QAction::triggered, this, [] { Form6::showList(); });
    mnuTray->addSeparator();
    tiezizaiqian = toggle(QStringLiteral("帖子在前"));
    connect(tiezizaiqian, &QAction::triggered, this, [] { ApplyTopmostToAll(); });
    yincangtiezi = item(QStringLiteral("隐藏帖子"), &Form2::yincangtiezi_Click);
    tixing = toggle(QStringLiteral("提醒声音开启"));
    mnuTray->addSeparator();
    zidongyunxing = toggle(QStringLiteral("自动运行"));
    mnuTray->addSeparator();
    help = item(QStringLiteral("使用说明"));
    connect(help, &QAction::triggered, this, [] {
        Shell::open(QUrl::fromLocalFile(App::ShippedFile(QStringLiteral("Jotpin说明.htm"))));
    });
    jiancha = item(QStringLiteral("检查是否有新版本"));
    connect(jiancha, &QAction::triggered, this, [] { Shell::open(QUrl(kNewVersionUrl)); });
    mnuTray->addSeparator();
    exit = item(QStringLiteral("退出"));
    // After the menu has closed: ending the program deletes the menu, which must not happen
    // while the menu is still running.
    connect(exit, &QAction::triggered, this, &Form2::exit_Click, Qt::QueuedConnection);
}

Form2::~Form2() {
    if (g_instance == this) g_instance = nullptr;
    Forms::setRemovalObserver(nullptr);
}

Form2* Form2::instance() {
    return g_instance;
}

void Form2::Form_Load() {
    NoteCounter = 0;
    hide();
    TrayIcon& tray = TrayIcon::instance();
    tray.add(QIcon(QStringLiteral(":/icons/jotpin.svg")));
    tray.setTip(QStringLiteral("Jotpin"));
    connect(&tray, &TrayIcon::leftButtonUp, this,
            [this] { TrayWindowProc(TrayMessage::LeftButtonUp); });
    connect(&tray, &TrayIcon::rightButtonUp, this,
            [this] { TrayWindowProc(TrayMessage::RightButtonUp); });
    LoadAllNotes(*this);

    // From here on every change is saved soon, not only at exit.
    m_autoSave = new AutoSave([this] { SaveAllNotes(*this); }, this);
    for (Form* form : Forms::all()) {
        if (auto* note = qobject_cast<Form1*>(form)) m_autoSave->watch(note);
    }
    for (QAction* toggle : {tiezizaiqian, tixing, zidongyunxing})
        connect(toggle, &QAction::toggled, m_autoSave, &AutoSave::poke);
    Forms::setRemovalObserver([this](Form* form) {
        if (qobject_cast<Form1*>(form) && m_autoSave) m_autoSave->poke();
    });
}

void Form2::noteCreated(Form1* note) {
    if (!m_autoSave) return;
    m_autoSave->watch(note);
    m_autoSave->poke();
}

void Form2::TrayWindowProc(TrayMessage message) {
    if (message == TrayMessage::RightButtonUp) {
        popUpTrayMenu();
        return;
    }
    if (Forms::Count() == 1) {
        new_Click();  // the first note, at the right edge of the screen
        return;
    }
    Form* newest = Forms::item(Forms::Count() - 1);
    newest->show();
    newest->raise();
    newest->activateWindow();
}

void Form2::activateFromOutside() {
    const TrayIcon& tray = TrayIcon::instance();
    if (tray.isAdded() && tray.hostAvailable())
        TrayWindowProc(TrayMessage::LeftButtonUp);
    else
        popUpTrayMenu();  // without a tray this is the only way to the tray commands
}

void Form2::popUpTrayMenu() {
    mnuTray->exec(QCursor::pos());
}

void Form2::xianshisuoyou_Click() {
    for (int i = 1; i < Forms::Count(); ++i) {
        Form* form = Forms::item(i);
        if (form->Tag() == Form1::kDesignTag) continue;
        form->show();
        form->raise();
    }
}

void Form2::yincangtiezi_Click() {
    for (int i = 1; i < Forms::Count(); ++i)
        Forms::item(i)->hide();
}

void Form2::exit_Click() {
    for (int i = Forms::Count() - 1; i >= 1; --i) {
        Form* form = Forms::item(i);
        for (const char* dialog : kDialogClasses) {
            if (form && form->inherits(dialog)) form->Unload();
        }
    }
    const auto answer = Prompts::askOkCancel(QStringLiteral("您真的希望退出《Jotpin》吗？"),
                                             QStringLiteral("退出软件"));
    if (answer != Prompts::Answer::Ok) return;
    Sound::instance().sendString(QStringLiteral("close WAV"));
    Unload();
}

void Form2::shutDown() {
    Sound::instance().sendString(QStringLiteral("close WAV"));
    Unload();
}

void Form2::Form_Unload() {
    Forms::setRemovalObserver(nullptr);
    if (m_autoSave) m_autoSave->deleteLater();
    m_autoSave = nullptr;
    SaveAllNotes(*this);

    QString error;
    const bool entryOk = zidongyunxing->isChecked()
                             ? Autostart::write(App::Path(), App::EXEName(), &error)
                             : Autostart::remove(App::EXEName(), &error);
    if (!entryOk) std::fprintf(stderr, "jotpin: %s\n", qPrintable(error));

    TrayIcon::instance().remove();
    disconnect(&TrayIcon::instance(), nullptr, this, nullptr);
    Forms::unloadFrom(1);
    Q_EMIT ended();
}
