#include "dialogs/settingsdialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <cmath>

#include "desktop/commondialog.h"
#include "desktop/prompts.h"
#include "desktop/windowops.h"
#include "dialogs/toolframe.h"
#include "model/note.h"
#include "note/framecontrols.h"
#include "note/notewindow.h"
#include "platform/apppaths.h"
#include "platform/clock.h"
#include "platform/units.h"
#include "store/storekeys.h"

namespace {

// A number as the lists show it: "05", "2027".
QString padded(int n, int width = 2) {
    return QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0'));
}

// "00" … "nn", or from `first` on.
QStringList numbers(int first, int last, int width = 2) {
    QStringList texts;
    for (int n = first; n <= last; ++n)
        texts.append(padded(n, width));
    return texts;
}

// &H00BBGGRR as the swatches were designed.
QColor fromBgr(quint32 bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

constexpr std::array<quint32, SettingsDialog::kSwatches> kSwatchColours = {
    0x00FFFF00, 0x00C0FFC0, 0x00FFC0C0, 0x00C0C0FF, 0x00C0C0C0, 0x0080FFFF};
// What a screen reader says of each.
constexpr std::array<const char16_t*, SettingsDialog::kSwatches> kSwatchNames = {
    u"青色", u"浅绿色", u"淡蓝色", u"粉红色", u"银灰色", u"浅黄色"};

void paint(QLabel* swatch, const QColor& colour) {
    QPalette p = swatch->palette();
    p.setColor(QPalette::Window, colour);
    swatch->setPalette(p);
}

QColor colourOf(const QLabel* swatch) {
    return swatch->palette().color(QPalette::Window);
}

}  // namespace

SpinnerList::SpinnerList(QWidget* parent, QStringList entries)
    : QSpinBox(parent), m_entries(std::move(entries)) {
    setRange(0, int(m_entries.size()) - 1);
    setWrapping(false);
    setFont(QFont(QStringLiteral("Times New Roman"), 11));
    connect(this, &QSpinBox::valueChanged, this, [this] {
        if (!m_settingText) Q_EMIT scrolled();
    });
}

bool SpinnerList::setText(const QString& text) {
    const qsizetype index = m_entries.indexOf(text);
    if (index < 0) return false;
    m_settingText = true;
    setValue(int(index));
    m_settingText = false;
    return true;
}

QString SpinnerList::textFromValue(int value) const {
    return m_entries.value(value);
}

int SpinnerList::valueFromText(const QString& text) const {
    return int(std::max<qsizetype>(0, m_entries.indexOf(text)));
}

QValidator::State SpinnerList::validate(QString& input, int&) const {
    if (m_entries.contains(input)) return QValidator::Acceptable;
    for (const QString& entry : m_entries) {
        if (entry.startsWith(input)) return QValidator::Intermediate;
    }
    return QValidator::Invalid;
}

SettingsDialog::SettingsDialog(std::function<NoteWindow*()> currentNote, QWidget* owner)
    : QWidget(nullptr,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_currentNote(std::move(currentNote)),
      m_owner(owner) {
    setWindowTitle(QStringLiteral(" Jotpin设置"));
    toolframe::readAsDialog();
    setFixedSize(units::twipsRect(0, 0, 5895, 5280).size());

    auto* colours = new QGroupBox(QStringLiteral("帖子底色"), this);
    colours->setGeometry(units::twipsRect(120, 120, 5655, 735));
    for (int i = 0; i < kSwatches; ++i) {
        swatches[i] = new QLabel(colours);
        swatches[i]->setGeometry(units::twipsRect(240 + 480 * i, 240, 375, 375));
        swatches[i]->setAutoFillBackground(true);
        swatches[i]->setFrameShape(QFrame::Box);
        swatches[i]->setCursor(Qt::PointingHandCursor);
        paint(swatches[i], fromBgr(kSwatchColours[i]));
        swatches[i]->installEventFilter(this);
        swatches[i]->setAccessibleName(QStringLiteral("帖子底色：") +
                                       QString::fromUtf16(kSwatchNames[i]));
    }
    currentColour = new QLabel(colours);
    currentColour->setGeometry(units::twipsRect(3360, 240, 975, 375));
    currentColour->setAutoFillBackground(true);
    currentColour->setFrameShape(QFrame::Box);
    paint(currentColour, fromBgr(0x00FFC0C0));
    currentColour->setAccessibleName(QStringLiteral("帖子现在的颜色"));
    otherColourButton = new QPushButton(QStringLiteral("其他颜色"), colours);
    otherColourButton->setGeometry(units::twipsRect(4440, 240, 975, 375));
    connect(otherColourButton, &QPushButton::clicked, this, &SettingsDialog::chooseOtherColour);

    auto* time = new QGroupBox(QStringLiteral("设置提醒时间"), this);
    time->setGeometry(units::twipsRect(120, 960, 5655, 1455));
    const int year = Clock::instance().now().date().year();
    hourList = new SpinnerList(time, numbers(0, 23));
    minuteList = new SpinnerList(time, numbers(0, 59));
    // From the oldest stores on, and years ahead of today.
    yearList = new SpinnerList(time, numbers(std::min(2002, year), year + 10, 4));
    monthList = new SpinnerList(time, numbers(1, 12));
    dayList = new SpinnerList(time, numbers(0, 31));
    const std::array<SpinnerList*, 5> lists = {hourList, minuteList, yearList, monthList, dayList};
    const std::array<int, 5> left = {960, 1800, 2760, 3840, 4680};
    const std::array<const char16_t*, 5> captions = {u"时", u"分", u"年", u"月", u"日"};
    for (int i = 0; i < 5; ++i) {
        auto* caption = new QLabel(QString::fromUtf16(captions[i]), time);
        caption->move(units::twipsRect(left[i], 240, 0, 0).topLeft());
        lists[i]->setGeometry(units::twipsRect(left[i], 480, i == 2 ? 855 : 615, 285));
        lists[i]->setAccessibleName(QStringLiteral("提醒") + QString::fromUtf16(captions[i]));
        connect(lists[i], &SpinnerList::scrolled, this, &SettingsDialog::reminderClicked);
    }
    // The two frames' pictures, left of their controls.
    new IconButton(time, QStringLiteral("frame-reminder.svg"),
                   units::twipsRect(240, 480, 480, 480));
    reminderCheck = new QCheckBox(QStringLiteral("提醒"), time);
    reminderCheck->setGeometry(units::twipsRect(960, 960, 855, 255));
    connect(reminderCheck, &QCheckBox::clicked, this, &SettingsDialog::reminderClicked);
    (new QLabel(QStringLiteral("每隔"), time))->move(units::twipsRect(2400, 1000, 0, 0).topLeft());
    repeatList = new SpinnerList(time, numbers(0, 60));
    repeatList->setGeometry(units::twipsRect(2880, 960, 615, 285));
    connect(repeatList, &SpinnerList::scrolled, this, &SettingsDialog::reminderClicked);
    (new QLabel(QStringLiteral("分钟提醒"), time))
        ->move(units::twipsRect(3600, 1000, 0, 0).topLeft());

    auto* sound = new QGroupBox(QStringLiteral("告警声音"), this);
    sound->setGeometry(units::twipsRect(120, 2520, 5655, 975));
    new IconButton(sound, QStringLiteral("frame-sound.svg"), units::twipsRect(240, 300, 480, 480));
    soundPathEdit = new QLineEdit(sound);
    soundPathEdit->setGeometry(units::twipsRect(960, 360, 2535, 375));
    soundPathEdit->setReadOnly(true);
    chooseSoundButton = new QPushButton(QStringLiteral("选择"), sound);
    chooseSoundButton->setGeometry(units::twipsRect(3600, 360, 975, 375));
    connect(chooseSoundButton, &QPushButton::clicked, this, &SettingsDialog::chooseSound);
    noSoundCheck = new QCheckBox(QStringLiteral("无"), sound);
    noSoundCheck->setGeometry(units::twipsRect(4680, 360, 615, 255));
    noSoundCheck->setChecked(true);
    connect(noSoundCheck, &QCheckBox::clicked, this, &SettingsDialog::noSoundClicked);

    auto* opacity = new QGroupBox(QStringLiteral("帖子透明度"), this);
    opacity->setGeometry(units::twipsRect(120, 3600, 5655, 735));
    opacitySlider = new QSlider(Qt::Horizontal, opacity);
    opacitySlider->setGeometry(units::twipsRect(840, 360, 3495, 255));
    opacitySlider->setRange(Note::kMinOpacity, 255);
    opacitySlider->setPageStep(25);
    opacitySlider->setValue(255);
    opacityLabel = new QLabel(percentText(255), opacity);
    opacityLabel->setGeometry(units::twipsRect(4560, 360, 855, 255));
    connect(opacitySlider, &QSlider::valueChanged, this, &SettingsDialog::opacityChanged);

    auto* folder = new QGroupBox(this);
    folder->setObjectName(QStringLiteral("storeFolder"));
    folder->setGeometry(units::twipsRect(120, 4440, 5655, 735));
    storeFolderLabel = new QLabel(folder);
    storeFolderLabel->setGeometry(units::twipsRect(240, 360, 3735, 255));
    storeFolderButton = new QPushButton(QStringLiteral("帖子文件夹…"), folder);
    storeFolderButton->setGeometry(units::twipsRect(4080, 300, 1335, 375));
    connect(storeFolderButton, &QPushButton::clicked, this, &SettingsDialog::chooseStoreFolder);
    showStoreFolder();

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    load();
}

QString SettingsDialog::percentText(int value) {
    return QString::number(std::lround(value * 100.0 / 255)) + u'%';
}

void SettingsDialog::load() {
    NoteWindow* note = m_currentNote();
    if (!note) return;
    const Note value = note->note();
    const QDateTime now = Clock::instance().now();
    // A stored reminder the lists cannot show stays as it is, shown as unset: rebuilt from the
    // lists it would become today's.
    const Reminder& reminder = value.reminder;
    if (value.reminderOn && reminder.isComplete() &&
        yearList->setText(padded(reminder.day()->year, 4)) &&
        monthList->setText(padded(reminder.day()->month)) &&
        dayList->setText(padded(reminder.day()->day)) &&
        repeatList->setText(padded(*reminder.repeatMinutes())) &&
        hourList->setText(padded(reminder.time()->hour())) &&
        minuteList->setText(padded(reminder.time()->minute()))) {
        reminderCheck->setChecked(true);
        reminderClicked();
    } else {
        hourList->setText(padded(now.time().hour()));
        minuteList->setText(padded(now.time().minute()));
        yearList->setText(padded(now.date().year(), 4));
        monthList->setText(padded(now.date().month()));
        dayList->setText(padded(now.date().day()));
        repeatList->setText(padded(0));
        windowops::setTopmost(this, true);
    }
    showNoteColour();
    soundPathEdit->setText(value.soundPath);
    if (!value.soundPath.isEmpty()) noSoundCheck->setChecked(false);
    opacitySlider->setValue(value.effectiveOpacity());
    opacityLabel->setText(percentText(opacitySlider->value()));
}

void SettingsDialog::setNoteColour(const QColor& colour) {
    NoteWindow* note = m_currentNote();
    if (!note) return;
    Note value = note->note();
    value.colour = colour;
    note->setNote(value);
}

void SettingsDialog::swatchClicked(int index) {
    if (index < 0 || index >= kSwatches) return;
    paint(currentColour, colourOf(swatches[index]));
    setNoteColour(colourOf(currentColour));
}

void SettingsDialog::showNoteColour() {
    if (const NoteWindow* note = m_currentNote()) paint(currentColour, note->note().colour);
}

void SettingsDialog::chooseOtherColour() {
    // From the colour of the note it acts on, which may have changed since the dialog opened.
    showNoteColour();
    if (m_owner) windowops::setTopmost(m_owner, false);
    CommonDialog& dialog = CommonDialog::instance();
    dialog.setFlags(CommonDialog::kColorFromGiven | CommonDialog::kColorFullOpen);
    dialog.setColor(colourOf(currentColour));
    // Cancelled, the note keeps its colour.
    if (dialog.showColor(this)) {
        paint(currentColour, dialog.color());
        setNoteColour(dialog.color());
    }
    if (m_owner) windowops::setTopmost(m_owner, true);
}

Reminder SettingsDialog::listedReminder() const {
    // A day no calendar has ("0", 30 February) is kept as it is: no day's date ever matches it.
    return Reminder({yearList->text().toInt(), monthList->text().toInt(), dayList->text().toInt()},
                    QTime(hourList->text().toInt(), minuteList->text().toInt()),
                    repeatList->text().toInt());
}

void SettingsDialog::reminderClicked() {
    NoteWindow* note = m_currentNote();
    if (!note) return;
    Note value = note->note();
    if (reminderCheck->isChecked()) {
        value.reminderOn = true;
        value.reminder = listedReminder();
        note->forgetLastAlarm();
    } else {
        value.reminderOn = false;
        value.reminder = Reminder();
        note->setReminderChecking(false);
    }
    note->setNote(value);
}

void SettingsDialog::noSoundClicked() {
    if (!noSoundCheck->isChecked()) return;
    soundPathEdit->clear();
    NoteWindow* note = m_currentNote();
    if (!note) return;
    Note value = note->note();
    value.soundPath.clear();
    note->setNote(value);
}

void SettingsDialog::chooseSound() {
    if (m_owner) windowops::setTopmost(m_owner, false);
    CommonDialog& dialog = CommonDialog::instance();
    dialog.setFilter(QStringLiteral("声音文件(*.wav;*.mid;*.mp3;*.wma)|*.wav;*.mid;*.mp3;*.wma"));
    // Cancelled, nothing changes: the name the dialog object holds is another use's.
    const QString path = dialog.showOpen(this) ? dialog.fileName().trimmed() : QString();
    if (m_owner) windowops::setTopmost(m_owner, true);
    if (path.isEmpty()) return;
    soundPathEdit->setText(path);
    if (NoteWindow* note = m_currentNote()) {
        Note value = note->note();
        value.soundPath = path;
        note->setNote(value);
    }
    noSoundCheck->setChecked(false);
}

void SettingsDialog::opacityChanged(int value) {
    opacityLabel->setText(percentText(value));
    NoteWindow* note = m_currentNote();
    if (!note) return;
    Note changed = note->note();
    changed.opacity = value;
    note->setNote(changed);
}

namespace {

const QString kFolderTitle = QStringLiteral("帖子文件夹");

// Whether `folder` lies somewhere below `outer`.
bool inside(const QString& folder, const QString& outer) {
    const QString in = QFileInfo(folder).canonicalFilePath();
    const QString around = QFileInfo(outer).canonicalFilePath();
    return !in.isEmpty() && !around.isEmpty() && in.startsWith(around + u'/');
}

bool sameFolder(const QString& a, const QString& b) {
    const QString first = QFileInfo(a).canonicalFilePath();
    const QString second = QFileInfo(b).canonicalFilePath();
    if (first.isEmpty() || second.isEmpty()) return QDir::cleanPath(a) == QDir::cleanPath(b);
    return first == second;
}

QString shown(const QString& dir) {
    return QDir::toNativeSeparators(dir);
}

}  // namespace

void SettingsDialog::showStoreFolder() {
    auto* group = findChild<QGroupBox*>(QStringLiteral("storeFolder"));
    const QString store = shown(paths::storeDir());
    QString tip = QStringLiteral("帖子存在这个文件夹里：") + store;
    if (paths::storeDirOverridden()) {
        group->setTitle(QStringLiteral("帖子文件夹（这次由 --store 或 JOTPIN_STORE 指定）"));
        tip += QStringLiteral(
            "\n这次运行的帖子文件夹由 --store 或环境变量 JOTPIN_STORE 指定；"
            "在这里选的文件夹在不指定它们时打开。");
    } else {
        group->setTitle(kFolderTitle);
    }
    storeFolderLabel->setText(storeFolderLabel->fontMetrics().elidedText(
        store, Qt::ElideMiddle, storeFolderLabel->width()));
    storeFolderLabel->setToolTip(tip);
    storeFolderLabel->setAccessibleName(kFolderTitle);
    storeFolderLabel->setAccessibleDescription(tip);
    storeFolderButton->setToolTip(tip);
}

void SettingsDialog::chooseStoreFolder() {
    const QString current = paths::storeDir();
    if (m_owner) windowops::setTopmost(m_owner, false);
    CommonDialog& dialog = CommonDialog::instance();
    dialog.setFileName(current);
    const bool chosen = dialog.showFolder(this, QStringLiteral("选择帖子文件夹"));
    const QString dir = chosen ? QDir::cleanPath(dialog.fileName()) : QString();
    if (m_owner) windowops::setTopmost(m_owner, true);
    if (dir.isEmpty()) return;
    // The folder in use: nothing to do, unless it is to be remembered beside an override.
    const bool overridden = paths::storeDirOverridden();
    if (!overridden && sameFolder(dir, current)) return;
    Prompts& prompts = Prompts::instance();
    // Such as its own tie/: the store would be moved into itself.
    if (inside(dir, current)) {
        prompts.warn(QStringLiteral("文件夹 %1 在现在的帖子文件夹 %2 里面，帖子不能放在那里。")
                         .arg(shown(dir), shown(current)),
                     kFolderTitle);
        return;
    }
    if (!QFileInfo(dir).isDir() || !paths::canWriteIn(dir)) {
        prompts.warn(QStringLiteral("无法在文件夹 %1 里写入文件，帖子不能放在那里。\n"
                                    "请选择一个可以写入的文件夹。")
                         .arg(shown(dir)),
                     kFolderTitle);
        return;
    }
    const bool holdsStore = QFileInfo::exists(dir + u'/' + store::keys::kSettingsFile);
    if (overridden) {
        QString error;
        if (!paths::rememberStoreDir(dir, &error)) {
            prompts.warn(QStringLiteral("无法记住帖子文件夹：\n") + error, kFolderTitle);
            return;
        }
        prompts.tell(
            QStringLiteral("以后不指定 --store 或 JOTPIN_STORE 启动 Jotpin 时，"
                           "打开帖子文件夹 %1%2。\n"
                           "这次运行的帖子文件夹由 --store 或 JOTPIN_STORE 指定，"
                           "仍然是 %3：这次不换，帖子也不搬。")
                .arg(shown(dir), holdsStore ? QString() : QStringLiteral("（那里还没有帖子）"),
                     shown(current)),
            kFolderTitle);
        return;
    }
    const QString question =
        holdsStore ? QStringLiteral(
                         "文件夹 %1 里已经有帖子。\n打开那里的帖子吗？\n"
                         "现在的帖子先保存，留在 %2。Jotpin 会重新启动。")
                   : QStringLiteral(
                         "把帖子搬到文件夹 %1 吗？\n"
                         "帖子先保存，然后 tie.dat 和 tie 文件夹里的帖子文件复制过去，"
                         "核对无误后才从 %2 删除；那里的其他文件不动。"
                         "Jotpin 会重新启动。");
    if (prompts.askOkCancel(question.arg(shown(dir), shown(current)), kFolderTitle) !=
        Prompts::Answer::Ok)
        return;
    Q_EMIT storeChosen(dir, !holdsStore);
}

void SettingsDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SettingsDialog::closeEvent(QCloseEvent* event) {
    // Reminder checking is on for the current note after the dialog, whatever its reminder.
    if (NoteWindow* note = m_currentNote()) note->setReminderChecking(true);
    event->ignore();
    Q_EMIT closeRequested();
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int i = 0; i < kSwatches; ++i) {
            if (watched == swatches[i]) swatchClicked(i);
        }
    }
    return QWidget::eventFilter(watched, event);
}
