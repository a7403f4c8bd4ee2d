#pragma once
// The whole program on test doubles, in a store folder of its own that starts empty: the
// application (not yet started), a fake tray icon, recorded sound and shell, scripted prompts
// and a fixed clock. Autosave waits milliseconds, not seconds.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMap>

#include "app/application.h"
#include "fakes.h"
#include "note/notewindow.h"
#include "platform/apppaths.h"
#include "sandbox.h"
#include "store/notestore.h"
#include "store/profilefile.h"
#include "store/storekeys.h"

class ProgramFixture {
public:
    static constexpr AutoSave::Delays kFastAutoSave{50, 500, 100};
    // A text still arriving is given 3 s, not 10.
    static constexpr SyncDelays kSyncDelays{300, 3000, 200, 2000};

    FakeTrayIcon tray;
    RecordingNotifications notifications;
    RecordingSound sound;
    ScriptedPrompts prompts;
    RecordingShell shell;
    PresetCommonDialog dialogs;
    FakeKeyboard keyboard;
    FixedClock clock{QDateTime(QDate(2026, 12, 7), QTime(10, 0, 0))};
    Application* program = nullptr;

    // Call from init(): an empty store and a new program.
    void setUp() {
        g_sandbox.restore();
        QDir(storeDir()).removeRecursively();
        QDir().mkpath(storeDir());
        Clock::install(&clock);
        TrayIcon::install(&tray);
        Notifications::install(&notifications);
        notifications.server = true;
        notifications.shown.clear();
        Sound::install(&sound);
        Prompts::install(&prompts);
        Shell::install(&shell);
        CommonDialog::install(&dialogs);
        dialogs.reset();
        Keyboard::install(&keyboard);
        keyboard.held = Qt::NoModifier;
        tray.added = false;
        tray.host = true;
        tray.tip.clear();
        tray.messages.clear();
        sound.calls.clear();
        prompts.clear();
        shell.opened.clear();
        shell.works = true;
        program = new Application(kFastAutoSave, kSyncDelays);
    }

    // Call from cleanup(): closes every window without saving and puts the real services back.
    void tearDown() {
        if (program) program->windows().closeAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete program;
        program = nullptr;
        Clock::install(nullptr);
        TrayIcon::install(nullptr);
        Notifications::install(nullptr);
        Sound::install(nullptr);
        Prompts::install(nullptr);
        Shell::install(nullptr);
        CommonDialog::install(nullptr);
        Keyboard::install(nullptr);
    }

    // A new program on the same store, as after a crash: the old one's windows close unsaved.
    void restart(AutoSave::Delays autoSave = kFastAutoSave) {
        program->windows().closeAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete program;
        program = new Application(autoSave, kSyncDelays);
    }

    // Ends the program as SIGTERM does (saving), and forgets it.
    void shutDown() {
        program->shutDown();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete program;
        program = nullptr;
    }

    QString storeDir() const { return paths::storeDir(); }
    QString settingsFile() const { return store::settingsFilePath(storeDir()); }
    QString contentFile(int n) const { return store::contentFilePath(storeDir(), n); }

    // The note at `index`, from 1, in the order the notes were made, in its window: one is made
    // (not shown) for a note that has none. nullptr past the last note.
    NoteWindow* note(int index) const {
        const QList<NoteEntry*>& notes = program->noteList().entries();
        if (index < 1 || index > notes.size()) return nullptr;
        return program->notes().windowFor(*notes[index - 1]);
    }
    int windowCount() const { return int(program->windows().windows().size()); }
    int noteCount() const { return int(program->noteList().entries().size()); }

    // A store as another program left it: raw settings bytes and content files by number.
    void writeStore(const QByteArray& settings, const QMap<int, QByteArray>& contents = {}) {
        QFile f(settingsFile());
        if (f.open(QIODevice::WriteOnly)) f.write(settings);
        f.close();
        QDir().mkpath(storeDir() + u'/' + store::keys::kContentFolder);
        for (auto it = contents.begin(); it != contents.end(); ++it) {
            QFile c(contentFile(it.key()));
            if (c.open(QIODevice::WriteOnly)) c.write(it.value());
        }
    }

    QString storedValue(const QString& section, const QString& key) const {
        store::ProfileFile f(settingsFile());
        f.load();
        return f.read(section, key, QStringLiteral("<missing>"));
    }
};
