#include "store/notestore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdio>

#include "platform/apppaths.h"
#include "platform/clock.h"
#include "richtext/rtf.h"
#include "store/profilefile.h"
#include "store/storekeys.h"
#include "store/values.h"

using namespace store::keys;

namespace store {
namespace {

void report(const QString& message, QStringList* errors) {
    std::fprintf(stderr, "jotpin: %s\n", qPrintable(message));
    if (errors) errors->append(message);
}

// A value that cannot be read is not applied: the target keeps what it had.
template <typename T, typename U>
void applyIf(const std::optional<U>& value, T& target) {
    if (value) target = *value;
}

Note readNote(const ProfileFile& file, int n) {
    const QString section = noteSection(n);
    auto read = [&](const QString& key, const QString& def) {
        return file.read(section, key, def);
    };
    Note note;
    note.reminder = read(kReminder, QString());
    note.soundPath = cutSoundPath(read(kSoundPath, paths::shippedFile(QStringLiteral("kvz.mid"))));
    applyIf(toColour(read(kBackColor, QStringLiteral("16761024"))), note.colour);
    note.created = read(kCreated, Clock::instance().now().time().toString());
    applyIf(toInt16(read(kWidth, QStringLiteral("3345"))), note.width);
    applyIf(toInt16(read(kHeight, QStringLiteral("638"))), note.height);
    applyIf(toBool(read(kAlarmOn, QStringLiteral("false"))), note.reminderOn);
    applyIf(toInt16(read(kLeft, QStringLiteral("0"))), note.left);
    applyIf(toInt16(read(kTop, QStringLiteral("0"))), note.top);
    note.opacity = opacityFromStored(read(kOpacity, QStringLiteral("255")));

    const QString lock = read(kLock, kNoPassword);
    note.locked = !lock.startsWith(kNoPassword);
    if (note.locked) note.password = QString(lock).remove(u'*');
    // Only a locked note uses it, but an unlocked one keeps its stored value through the next
    // save instead of writing it back empty.
    note.heightBeforeLock = read(kRestoreHeight, note.locked ? QStringLiteral("638") : QString());
    note.visible = toBool(read(kVisible, QStringLiteral("True"))).value_or(true);
    return note;
}

void writeNote(ProfileFile& file, int n, const Note& note) {
    const QString section = noteSection(n);
    auto write = [&](const QString& key, const QString& value) { file.write(section, key, value); };
    write(kReminder, note.reminder);
    write(kSoundPath, note.soundPath);
    write(kBackColor, fromColour(note.colour));
    write(kCreated, note.created);
    write(kWidth, QString::number(note.width));
    write(kHeight, QString::number(note.height));
    write(kAlarmOn, fromBool(note.reminderOn));
    write(kLeft, QString::number(note.left));
    write(kTop, QString::number(note.top));
    write(kOpacity, note.opacity ? QString::number(*note.opacity) : QString());
    write(kVisible, fromBool(note.visible));
    write(kLock, note.password.isEmpty() ? kNoPassword : note.password);
    write(kRestoreHeight, note.heightBeforeLock);
}

bool writeContent(const QString& path, const QTextDocument& content, QString* error) {
    const QByteArray bytes = rtf::write(content);
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    *error = path + QStringLiteral(": ") + file.errorString();
    return false;
}

}  // namespace

QString settingsFilePath(const QString& storeDir) {
    return storeDir + u'/' + kSettingsFile;
}

QString contentFilePath(const QString& storeDir, int n) {
    return storeDir + u'/' + kContentFolder + u'/' + contentFileName(n);
}

LoadedStore loadStore(const QString& storeDir, const Switches& current, QStringList* errors) {
    ProfileFile file(settingsFilePath(storeDir));
    QString error;
    if (!file.load(&error)) report(error, errors);

    LoadedStore loaded;
    loaded.switches = current;
    applyIf(toBool(file.read(kInitSection, kNotesOnTop, QStringLiteral("false"))),
            loaded.switches.notesOnTop);
    applyIf(toBool(file.read(kInitSection, kAutoStart, QStringLiteral("True"))),
            loaded.switches.startWithSession);
    applyIf(toBool(file.read(kInitSection, kReminderSound, QStringLiteral("True"))),
            loaded.switches.reminderSound);
    const qint16 count =
        toInt16(file.read(kInitSection, kNoteCount, QStringLiteral("0"))).value_or(0);
    loaded.firstStart = count == 0;
    for (int n = 1; n <= count; ++n)
        loaded.notes.append(readNote(file, n));
    return loaded;
}

std::optional<QByteArray> readContent(const QString& storeDir, int n, QStringList* errors) {
    QFile file(contentFilePath(storeDir, n));
    if (!file.exists()) return std::nullopt;
    if (!file.open(QIODevice::ReadOnly)) {
        report(file.fileName() + QStringLiteral(": ") + file.errorString(), errors);
        return std::nullopt;
    }
    return file.readAll();
}

bool saveStore(const QString& storeDir, const Switches& switches, const QList<NoteToSave>& notes,
               QStringList* errors) {
    bool ok = true;
    const QString folder = storeDir + u'/' + kContentFolder;
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
        report(folder + QStringLiteral(": cannot create the folder"), errors);
        ok = false;
    }

    ProfileFile file(settingsFilePath(storeDir));
    QString error;
    // A settings file that cannot be read is replaced rather than left behind stale.
    if (!file.load(&error)) report(error, errors);

    int n = 0;
    for (const NoteToSave& note : notes) {
        ++n;
        writeNote(file, n, note.note);
        if (note.content && !writeContent(contentFilePath(storeDir, n), *note.content, &error)) {
            report(error, errors);
            ok = false;
        }
    }
    file.write(kInitSection, kNoteCount, QString::number(n));
    file.write(kInitSection, kNotesOnTop, fromBool(switches.notesOnTop));
    file.write(kInitSection, kReminderSound, fromBool(switches.reminderSound));
    file.write(kInitSection, kAutoStart, fromBool(switches.startWithSession));
    if (!file.save(&error)) {
        report(error, errors);
        ok = false;
    }
    return ok;
}

}  // namespace store
