#pragma once
// " Jotpin设置": the colour, reminder, alarm sound and transparency of the current note. The
// dialog keeps nothing of its own: every change goes at once to the note that is current at
// that moment (activating another note redirects the next change there), and shows on it.
// Below them, the store folder of the program: shown, and another one chosen.

#include <QSpinBox>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>

#include "model/reminder.h"

class NoteWindow;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

// A one-row list of texts that its arrows step through: the text shown is the value.
class SpinnerList : public QSpinBox {
    Q_OBJECT
public:
    SpinnerList(QWidget* parent, QStringList entries);
    QString text() const { return m_entries.value(value()); }
    // Selects the entry with this text; false, changing nothing, when there is none.
    bool setText(const QString& text);

Q_SIGNALS:
    // The user stepped to another entry.
    void scrolled();

protected:
    QString textFromValue(int value) const override;
    int valueFromText(const QString& text) const override;
    QValidator::State validate(QString& input, int& pos) const override;

private:
    QStringList m_entries;
    bool m_settingText = false;
};

class SettingsDialog : public QWidget {
    Q_OBJECT
public:
    // `currentNote` gives the note that is current now, or nullptr; `owner` is the program's
    // main window, taken out of the topmost band while a colour or file dialog is open.
    SettingsDialog(std::function<NoteWindow*()> currentNote, QWidget* owner);

    // The six colour swatches and the wide one of the current colour.
    static constexpr int kSwatches = 6;
    std::array<QLabel*, kSwatches> swatches;
    QLabel* currentColour;
    QPushButton* otherColourButton;
    SpinnerList* hourList;
    SpinnerList* minuteList;
    SpinnerList* yearList;
    SpinnerList* monthList;
    SpinnerList* dayList;
    QCheckBox* reminderCheck;
    SpinnerList* repeatList;
    QLineEdit* soundPathEdit;
    QPushButton* chooseSoundButton;
    QCheckBox* noSoundCheck;
    QSlider* opacitySlider;
    QLabel* opacityLabel;
    QLabel* storeFolderLabel;
    QPushButton* storeFolderButton;

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
    void setNoteColour(const QColor& colour);
    Reminder listedReminder() const;

    std::function<NoteWindow*()> m_currentNote;
    QWidget* m_owner;
};
