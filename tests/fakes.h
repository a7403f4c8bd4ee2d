#pragma once
// Test doubles of the operating-system services: each is installed in place of the real one
// and records what the program asked of it.

#include <QDateTime>
#include <QList>
#include <QStringList>
#include <QUrl>
#include <deque>
#include <variant>

#include "desktop/commondialog.h"
#include "desktop/keyboard.h"
#include "desktop/notifications.h"
#include "desktop/prompts.h"
#include "desktop/shell.h"
#include "desktop/sound.h"
#include "desktop/tray.h"
#include "platform/clock.h"

class FixedClock : public Clock {
public:
    explicit FixedClock(QDateTime at) : m_at(std::move(at)) {}
    QDateTime now() const override { return m_at; }
    void set(const QDateTime& at) { m_at = at; }

private:
    QDateTime m_at;
};

class RecordingSound : public Sound {
public:
    void play(const QString& path) override { calls.append(QStringLiteral("play ") + path); }
    void stop() override { calls.append(QStringLiteral("stop")); }
    QStringList calls;  // "play <path>" and "stop", oldest first
};

// Tests raise the clicks themselves.
class FakeTrayIcon : public TrayIcon {
public:
    using TrayIcon::TrayIcon;
    void add(const QIcon&) override { added = true; }
    void setTip(const QString& text) override { tip = text; }
    void setMenu(QMenu* trayMenu) override { menu = trayMenu; }
    void remove() override { added = false; }
    bool isAdded() const override { return added; }
    bool hostAvailable() const override { return host; }
    void showMessage(const QString&, const QString& text) override { messages.append(text); }

    bool added = false;
    bool host = true;
    QString tip;
    QMenu* menu = nullptr;
    QStringList messages;
};

class RecordingNotifications : public Notifications {
public:
    bool show(const QString&, const QString& text) override {
        if (server) shown.append(text);
        return server;
    }
    bool server = true;  // false: the desktop shows no notifications
    QStringList shown;
};

// Answers from a queue, Cancel when it is empty, and records every prompt text.
class ScriptedPrompts : public Prompts {
public:
    Answer askOkCancel(const QString& text, const QString&) override {
        return take<Answer>(text).value_or(Answer::Cancel);
    }
    std::optional<QString> inputBox(const QString& prompt, const QString&,
                                    const QString&) override {
        return take<std::optional<QString>>(prompt).value_or(std::nullopt);
    }
    // Takes queued answers until one passes the check; each refusal is recorded.
    std::optional<QString> passwordBox(const QString& prompt, const QString& title,
                                       const Check& check) override {
        for (;;) {
            const std::optional<QString> answer = inputBox(prompt, title, {});
            if (!answer) return answer;
            const QString why = check(*answer);
            if (why.isEmpty()) return answer;
            refused.append(why);
        }
    }
    void tell(const QString& text, const QString&) override { told.append(text); }
    void warn(const QString& text, const QString&) override { told.append(text); }
    void queueAnswer(Answer answer) { m_queue.emplace_back(answer); }
    void queueInput(std::optional<QString> text) { m_queue.emplace_back(std::move(text)); }
    void clear() {
        m_queue.clear();
        asked.clear();
        told.clear();
        refused.clear();
    }

    QStringList asked;    // oldest first
    QStringList told;     // warnings, oldest first
    QStringList refused;  // why password answers were refused, oldest first

private:
    template <typename T>
    std::optional<T> take(const QString& text) {
        asked.append(text);
        if (m_queue.empty()) return std::nullopt;
        const auto next = m_queue.front();
        m_queue.pop_front();
        if (const T* value = std::get_if<T>(&next)) return *value;
        return std::nullopt;
    }

    std::deque<std::variant<Answer, std::optional<QString>>> m_queue;
};

class RecordingShell : public Shell {
public:
    void open(const QUrl& url, std::function<void()> failed) override {
        opened.append(url);
        if (!works && failed) failed();
    }
    QList<QUrl> opened;
    bool works = true;  // false: no handler on this desktop
};

// Answers each dialog with the next preset result, or as cancelled when none is left.
class PresetCommonDialog : public CommonDialog {
public:
    bool showColor(QWidget*) override {
        ++shown;
        if (colors.empty()) return false;
        setColor(colors.front());
        colors.pop_front();
        return true;
    }
    bool showOpen(QWidget*) override {
        ++shown;
        if (files.empty()) return false;
        setFileName(files.front());
        files.pop_front();
        return true;
    }
    bool showSave(QWidget*) override {
        ++shown;
        if (saves.empty()) return false;
        setFileName(saves.front().first);
        setFilterIndex(saves.front().second);
        saves.pop_front();
        return true;
    }
    // Records the folder the dialog started at.
    bool showFolder(QWidget*, const QString&) override {
        ++shown;
        foldersShown.append(fileName());
        if (folders.empty()) return false;
        setFileName(folders.front());
        folders.pop_front();
        return true;
    }
    // Prints into the next PDF file; records the flags the dialog was opened with.
    bool showPrinter(QWidget*) override {
        ++shown;
        printFlags.append(flags());
        if (pdfs.empty()) return false;
        const bool chosen = choosePdfPrinter(pdfs.front());
        pdfs.pop_front();
        return chosen;
    }
    // Records the font the dialog opened with.
    bool showFont(QWidget*) override {
        ++shown;
        fontsShown.append(font());
        if (fonts.empty()) return false;
        setFont(fonts.front());
        fonts.pop_front();
        if (!fontColors.empty()) {
            setFontColor(fontColors.front());
            fontColors.pop_front();
        }
        return true;
    }
    // As new: preset results and the properties.
    void reset() {
        resetProperties();
        colors.clear();
        files.clear();
        folders.clear();
        foldersShown.clear();
        saves.clear();
        pdfs.clear();
        printFlags.clear();
        fonts.clear();
        fontColors.clear();
        fontsShown.clear();
        shown = 0;
    }
    std::deque<QColor> colors;
    std::deque<QString> files;
    std::deque<QString> folders;
    QStringList foldersShown;                   // the folder each folder dialog started at
    std::deque<std::pair<QString, int>> saves;  // file name and filter index
    std::deque<QString> pdfs;
    QList<int> printFlags;
    std::deque<QFont> fonts;
    std::deque<QColor> fontColors;  // the text colour chosen with each font, when given
    QList<QFont> fontsShown;
    int shown = 0;
};

class FakeKeyboard : public Keyboard {
public:
    Qt::KeyboardModifiers modifiers() const override { return held; }
    Qt::KeyboardModifiers held;
};
