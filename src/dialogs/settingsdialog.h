#pragma once
// " Jotpin设置": the colour, reminder, alarm sound and transparency of the current note. The
// dialog keeps nothing of its own: every change goes at once through its host to the note that
// is current at that moment (activating another note redirects the next change there), and
// shows on it. Below them, the store folder of the program: shown, and another one chosen.
// Its controls are reached by their object names, as the names of the private members below
// without "m_".

#include <QWidget>
#include <array>
#include <functional>

#include "model/reminder.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class SettingsHost;
class SpinnerList;
struct Note;

class SettingsDialog : public QWidget {
    Q_OBJECT
public:
    // `host` answers for the current note; `owner` is the program's main window, taken out of
    // the topmost band while a colour or file dialog is open.
    SettingsDialog(SettingsHost& host, QWidget* owner);

    // The colour swatches, as swatchClicked() counts them.
    static constexpr int kSwatches = 6;

    // What the controls do, each on the note current at the time.
    void swatchClicked(int index);
    void chooseOtherColour();
    // The current-colour swatch shows the colour of the note the dialog acts on.
    void showNoteColour();
    void reminderClicked();  // also after every step of a time list
    void noSoundClicked();
    void chooseSound();
    void opacityChanged(int value);
    // "帖子文件夹…": a folder chosen, checked and asked about; storeChosen() when the program
    // is to switch to it. With --store or JOTPIN_STORE this run, it is only remembered.
    void chooseStoreFolder();

    // "100%" for 255: the opacity as a whole percentage.
    static QString percentText(int value);

Q_SIGNALS:
    // Closed by its close box: the program unloads it.
    void closeRequested();
    // The user chose another store folder: the program saves, moves the store there when
    // `move` (the folder holds none), remembers it and starts again on it.
    void storeChosen(const QString& dir, bool move);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load();
    void showStoreFolder();
    // The current note's values changed by `change` and given back; nothing without a note.
    void changeNote(const std::function<void(Note&)>& change);
    void setNoteColour(const QColor& colour);
    Reminder listedReminder() const;

    SettingsHost& m_host;
    QWidget* m_owner;
    std::array<QLabel*, kSwatches> m_swatches;
    QLabel* m_currentColour;
    QPushButton* m_otherColourButton;
    SpinnerList* m_hourList;
    SpinnerList* m_minuteList;
    SpinnerList* m_yearList;
    SpinnerList* m_monthList;
    SpinnerList* m_dayList;
    QCheckBox* m_reminderCheck;
    SpinnerList* m_repeatList;
    QLineEdit* m_soundPathEdit;
    QPushButton* m_chooseSoundButton;
    QCheckBox* m_noSoundCheck;
    QSlider* m_opacitySlider;
    QLabel* m_opacityLabel;
    QLabel* m_storeFolderLabel;
    QPushButton* m_storeFolderButton;
};
