#include "dialogs/settingsdialog.h"

#include <QCheckBox>
#include <QCloseEvent>
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
#include "desktop/windowops.h"
#include "dialogs/settingshost.h"
#include "dialogs/spinnerlist.h"
#include "dialogs/toolframe.h"
#include "model/note.h"
#include "note/picturebutton.h"
#include "platform/clock.h"
#include "platform/units.h"

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

// &H00BBGGRR as the m_swatches were designed.
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

SettingsDialog::SettingsDialog(SettingsHost& host, QWidget* owner)
    : QWidget(nullptr,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_host(host),
      m_owner(owner) {
    setWindowTitle(QStringLiteral(" Jotpin设置"));
    toolframe::readAsDialog();
    setFixedSize(units::twipsRect(0, 0, 5895, 5280).size());

    auto* colours = new QGroupBox(QStringLiteral("帖子底色"), this);
    colours->setGeometry(units::twipsRect(120, 120, 5655, 735));
    for (int i = 0; i < kSwatches; ++i) {
        m_swatches[i] = new QLabel(colours);
        m_swatches[i]->setGeometry(units::twipsRect(240 + 480 * i, 240, 375, 375));
        m_swatches[i]->setAutoFillBackground(true);
        m_swatches[i]->setFrameShape(QFrame::Box);
        m_swatches[i]->setCursor(Qt::PointingHandCursor);
        paint(m_swatches[i], fromBgr(kSwatchColours[i]));
        m_swatches[i]->installEventFilter(this);
        m_swatches[i]->setAccessibleName(QStringLiteral("帖子底色：") +
                                         QString::fromUtf16(kSwatchNames[i]));
    }
    m_currentColour = new QLabel(colours);
    m_currentColour->setGeometry(units::twipsRect(3360, 240, 975, 375));
    m_currentColour->setAutoFillBackground(true);
    m_currentColour->setFrameShape(QFrame::Box);
    paint(m_currentColour, fromBgr(0x00FFC0C0));
    m_currentColour->setAccessibleName(QStringLiteral("帖子现在的颜色"));
    m_otherColourButton = new QPushButton(QStringLiteral("其他颜色"), colours);
    m_otherColourButton->setGeometry(units::twipsRect(4440, 240, 975, 375));
    connect(m_otherColourButton, &QPushButton::clicked, this, &SettingsDialog::chooseOtherColour);

    auto* time = new QGroupBox(QStringLiteral("设置提醒时间"), this);
    time->setGeometry(units::twipsRect(120, 960, 5655, 1455));
    const int year = Clock::instance().now().date().year();
    m_hourList = new SpinnerList(time, numbers(0, 23));
    m_minuteList = new SpinnerList(time, numbers(0, 59));
    // From the oldest stores on, and years ahead of today.
    m_yearList = new SpinnerList(time, numbers(std::min(2002, year), year + 10, 4));
    m_monthList = new SpinnerList(time, numbers(1, 12));
    m_dayList = new SpinnerList(time, numbers(0, 31));
    const std::array<SpinnerList*, 5> lists = {m_hourList, m_minuteList, m_yearList, m_monthList,
                                               m_dayList};
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
    new PictureButton(time, QStringLiteral("frame-reminder.svg"),
                      units::twipsRect(240, 480, 480, 480));
    m_reminderCheck = new QCheckBox(QStringLiteral("提醒"), time);
    m_reminderCheck->setGeometry(units::twipsRect(960, 960, 855, 255));
    connect(m_reminderCheck, &QCheckBox::clicked, this, &SettingsDialog::reminderClicked);
    (new QLabel(QStringLiteral("每隔"), time))->move(units::twipsRect(2400, 1000, 0, 0).topLeft());
    m_repeatList = new SpinnerList(time, numbers(0, 60));
    m_repeatList->setGeometry(units::twipsRect(2880, 960, 615, 285));
    connect(m_repeatList, &SpinnerList::scrolled, this, &SettingsDialog::reminderClicked);
    (new QLabel(QStringLiteral("分钟提醒"), time))
        ->move(units::twipsRect(3600, 1000, 0, 0).topLeft());

    auto* sound = new QGroupBox(QStringLiteral("告警声音"), this);
    sound->setGeometry(units::twipsRect(120, 2520, 5655, 975));
    new PictureButton(sound, QStringLiteral("frame-sound.svg"),
                      units::twipsRect(240, 300, 480, 480));
    m_soundPathEdit = new QLineEdit(sound);
    m_soundPathEdit->setGeometry(units::twipsRect(960, 360, 2535, 375));
    m_soundPathEdit->setReadOnly(true);
    m_chooseSoundButton = new QPushButton(QStringLiteral("选择"), sound);
    m_chooseSoundButton->setGeometry(units::twipsRect(3600, 360, 975, 375));
    connect(m_chooseSoundButton, &QPushButton::clicked, this, &SettingsDialog::chooseSound);
    m_noSoundCheck = new QCheckBox(QStringLiteral("无"), sound);
    m_noSoundCheck->setGeometry(units::twipsRect(4680, 360, 615, 255));
    m_noSoundCheck->setChecked(true);
    connect(m_noSoundCheck, &QCheckBox::clicked, this, &SettingsDialog::noSoundClicked);

    auto* opacity = new QGroupBox(QStringLiteral("帖子透明度"), this);
    opacity->setGeometry(units::twipsRect(120, 3600, 5655, 735));
    m_opacitySlider = new QSlider(Qt::Horizontal, opacity);
    m_opacitySlider->setGeometry(units::twipsRect(840, 360, 3495, 255));
    m_opacitySlider->setRange(Note::kMinOpacity, 255);
    m_opacitySlider->setPageStep(25);
    m_opacitySlider->setValue(255);
    m_opacityLabel = new QLabel(percentText(255), opacity);
    m_opacityLabel->setGeometry(units::twipsRect(4560, 360, 855, 255));
    connect(m_opacitySlider, &QSlider::valueChanged, this, &SettingsDialog::opacityChanged);

    auto* folder = new QGroupBox(this);
    folder->setObjectName(QStringLiteral("storeFolder"));
    folder->setGeometry(units::twipsRect(120, 4440, 5655, 735));
    m_storeFolderLabel = new QLabel(folder);
    m_storeFolderLabel->setGeometry(units::twipsRect(240, 360, 3735, 255));
    m_storeFolderButton = new QPushButton(QStringLiteral("帖子文件夹…"), folder);
    m_storeFolderButton->setGeometry(units::twipsRect(4080, 300, 1335, 375));
    connect(m_storeFolderButton, &QPushButton::clicked, this, &SettingsDialog::chooseStoreFolder);
    showStoreFolder();

    // Each control is known by its member's name, for tests and tools.
    for (const auto& [control, name] :
         {std::pair<QWidget*, const char*>{m_currentColour, "currentColour"},
          {m_otherColourButton, "otherColourButton"},
          {m_hourList, "hourList"},
          {m_minuteList, "minuteList"},
          {m_yearList, "yearList"},
          {m_monthList, "monthList"},
          {m_dayList, "dayList"},
          {m_reminderCheck, "reminderCheck"},
          {m_repeatList, "repeatList"},
          {m_soundPathEdit, "soundPathEdit"},
          {m_chooseSoundButton, "chooseSoundButton"},
          {m_noSoundCheck, "noSoundCheck"},
          {m_opacitySlider, "opacitySlider"},
          {m_opacityLabel, "opacityLabel"},
          {m_storeFolderLabel, "storeFolderLabel"},
          {m_storeFolderButton, "storeFolderButton"}})
        control->setObjectName(QLatin1String(name));

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    load();
}

QString SettingsDialog::percentText(int value) {
    return QString::number(std::lround(value * 100.0 / 255)) + u'%';
}

void SettingsDialog::load() {
    const std::optional<Note> current = m_host.noteValues();
    if (!current) return;
    const Note& value = *current;
    const QDateTime now = Clock::instance().now();
    // A stored reminder the lists cannot show stays as it is, shown as unset: rebuilt from the
    // lists it would become today's.
    const Reminder& reminder = value.reminder;
    if (value.reminderOn && reminder.isComplete() &&
        m_yearList->setText(padded(reminder.day()->year, 4)) &&
        m_monthList->setText(padded(reminder.day()->month)) &&
        m_dayList->setText(padded(reminder.day()->day)) &&
        m_repeatList->setText(padded(*reminder.repeatMinutes())) &&
        m_hourList->setText(padded(reminder.time()->hour())) &&
        m_minuteList->setText(padded(reminder.time()->minute()))) {
        m_reminderCheck->setChecked(true);
        reminderClicked();
    } else {
        m_hourList->setText(padded(now.time().hour()));
        m_minuteList->setText(padded(now.time().minute()));
        m_yearList->setText(padded(now.date().year(), 4));
        m_monthList->setText(padded(now.date().month()));
        m_dayList->setText(padded(now.date().day()));
        m_repeatList->setText(padded(0));
        windowops::setTopmost(this, true);
    }
    showNoteColour();
    m_soundPathEdit->setText(value.soundPath);
    if (!value.soundPath.isEmpty()) m_noSoundCheck->setChecked(false);
    m_opacitySlider->setValue(value.effectiveOpacity());
    m_opacityLabel->setText(percentText(m_opacitySlider->value()));
}

void SettingsDialog::changeNote(const std::function<void(Note&)>& change) {
    std::optional<Note> value = m_host.noteValues();
    if (!value) return;
    change(*value);
    m_host.setNoteValues(*value);
}

void SettingsDialog::setNoteColour(const QColor& colour) {
    changeNote([&colour](Note& value) { value.colour = colour; });
}

void SettingsDialog::swatchClicked(int index) {
    if (index < 0 || index >= kSwatches) return;
    paint(m_currentColour, colourOf(m_swatches[index]));
    setNoteColour(colourOf(m_currentColour));
}

void SettingsDialog::showNoteColour() {
    if (const std::optional<Note> value = m_host.noteValues())
        paint(m_currentColour, value->colour);
}

void SettingsDialog::chooseOtherColour() {
    // From the colour of the note it acts on, which may have changed since the dialog opened.
    showNoteColour();
    const windowops::TopmostPause pause(m_owner);
    CommonDialog& dialog = CommonDialog::instance();
    dialog.setFlags(CommonDialog::kColorFromGiven | CommonDialog::kColorFullOpen);
    dialog.setColor(colourOf(m_currentColour));
    // Cancelled, the note keeps its colour.
    if (dialog.showColor(this)) {
        paint(m_currentColour, dialog.color());
        setNoteColour(dialog.color());
    }
}

Reminder SettingsDialog::listedReminder() const {
    // A day no calendar has ("0", 30 February) is kept as it is: no day's date ever matches it.
    return Reminder(
        {m_yearList->text().toInt(), m_monthList->text().toInt(), m_dayList->text().toInt()},
        QTime(m_hourList->text().toInt(), m_minuteList->text().toInt()),
        m_repeatList->text().toInt());
}

void SettingsDialog::reminderClicked() {
    changeNote([this](Note& value) {
        if (m_reminderCheck->isChecked()) {
            value.reminderOn = true;
            value.reminder = listedReminder();
            m_host.forgetLastAlarm();
        } else {
            value.reminderOn = false;
            value.reminder = Reminder();
            m_host.setReminderChecking(false);
        }
    });
}

void SettingsDialog::noSoundClicked() {
    if (!m_noSoundCheck->isChecked()) return;
    m_soundPathEdit->clear();
    changeNote([](Note& value) { value.soundPath.clear(); });
}

void SettingsDialog::chooseSound() {
    const QString path = [this] {
        const windowops::TopmostPause pause(m_owner);
        CommonDialog& dialog = CommonDialog::instance();
        dialog.setFilter(
            QStringLiteral("声音文件(*.wav;*.mid;*.mp3;*.wma)|*.wav;*.mid;*.mp3;*.wma"));
        // Cancelled, nothing changes: the name the dialog object holds is another use's.
        return dialog.showOpen(this) ? dialog.fileName().trimmed() : QString();
    }();
    if (path.isEmpty()) return;
    m_soundPathEdit->setText(path);
    changeNote([&path](Note& value) { value.soundPath = path; });
    m_noSoundCheck->setChecked(false);
}

void SettingsDialog::opacityChanged(int value) {
    m_opacityLabel->setText(percentText(value));
    changeNote([value](Note& changed) { changed.opacity = value; });
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
    m_host.setReminderChecking(true);
    event->ignore();
    Q_EMIT closeRequested();
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int i = 0; i < kSwatches; ++i) {
            if (watched == m_swatches[i]) swatchClicked(i);
        }
    }
    return QWidget::eventFilter(watched, event);
}
