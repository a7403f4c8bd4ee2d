#include "store/notestore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "model/noteuid.h"
#include "platform/apppaths.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "rtf/rtf.h"
#include "store/profilefile.h"
#include "store/savejournal.h"
#include "store/storekeys.h"
#include "store/values.h"
#include "text/gbk.h"
#include "text/textfile.h"

using namespace store::keys;

namespace store {
namespace {

// Far more than any note holds, pictures included.
constexpr qint64 kMaxContentBytes = qint64(256) * 1024 * 1024;

// The program tells the user; the store only collects what went wrong.
void report(const QString& message, QStringList* errors) {
    if (errors) errors->append(message);
}

// A value that cannot be read is not applied: the target keeps what it had.
template <typename T, typename U>
void applyIf(const std::optional<U>& value, T& target) {
    if (value) target = *value;
}

// The stored lock: a value starting with "无密码" is none, any other is the password, read
// without its "*" characters.
void readLock(const QString& stored, Note& note) {
    note.locked = !stored.startsWith(kNoPassword);
    if (note.locked) note.password = QString(stored).remove(u'*');
}

Note readNote(const ProfileFile& file, int n) {
    const QString section = noteSection(n);
    auto read = [&](const QString& key, const QString& def) {
        return file.read(section, key, def);
    };
    Note note;
    note.reminder = toReminder(read(kReminder, QString()));
    note.soundPath = cutSoundPath(read(kSoundPath, paths::shippedFile(QStringLiteral("kvz.mid"))));
    applyIf(toColour(read(kBackColor, QStringLiteral("16761024"))), note.colour);
    // A note never given one is known by none here; the program gives it one when it shows it.
    note.created = read(kCreated, QString());
    applyIf(toInt16(read(kWidth, QStringLiteral("3345"))), note.width);
    applyIf(toInt16(read(kHeight, QStringLiteral("638"))), note.height);
    applyIf(toBool(read(kAlarmOn, QStringLiteral("false"))), note.reminderOn);
    applyIf(toInt32(read(kLeft, QStringLiteral("0"))), note.left);
    applyIf(toInt32(read(kTop, QStringLiteral("0"))), note.top);
    // An empty value, as a note never given one is written, stays empty: written back as it
    // was read, the file is the same on every machine that shares it.
    if (const QString opacity = read(kOpacity, QStringLiteral("255")); !opacity.isEmpty())
        note.opacity = std::max(Note::kMinOpacity, opacityFromStored(opacity));

    readLock(read(kLock, kNoPassword), note);
    // Only a locked note uses it, but an unlocked one keeps its stored value through the next
    // save instead of writing it back empty.
    note.heightBeforeLock =
        toInt32(read(kRestoreHeight, note.locked ? QStringLiteral("638") : QString()));
    note.visible = toBool(read(kVisible, QStringLiteral("True"))).value_or(true);
    // The identity holds only beside the creation time it was written with.
    const QString uid = read(kUid, QString());
    if (uid.size() >= 16 && noteuid::isValid(QStringView(uid).first(16))) {
        const QStringView createdWith = QStringView(uid).sliced(16);
        if ((createdWith.isEmpty() || createdWith.front() == u' ') &&
            createdWith.trimmed() == note.created)
            note.uid = uid.first(16);
    }
    return note;
}

void writeNote(ProfileFile& file, int n, const Note& note) {
    const QString section = noteSection(n);
    auto write = [&](const QString& key, const QString& value) { file.write(section, key, value); };
    write(kReminder, fromReminder(note.reminder));
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
    write(kRestoreHeight,
          note.heightBeforeLock ? QString::number(*note.heightBeforeLock) : QString());
    write(kUid, note.uid.isEmpty() ? QString() : note.uid + u' ' + note.created);
}

// The numbers n of the sections "帖子" & n in the file, ascending.
QList<int> noteSections(const QList<QByteArray>& sectionNames) {
    static const QByteArray prefix = gbk::encode(kNoteSectionPrefix);
    QList<int> numbers;
    for (const QByteArray& name : sectionNames) {
        if (!name.startsWith(prefix)) continue;
        const QByteArrayView digits = QByteArrayView(name).sliced(prefix.size());
        if (digits.isEmpty() || digits.front() == '0' || digits.size() > 5) continue;
        bool ok = false;
        const int n = digits.toByteArray().toInt(&ok);
        if (ok && n <= 32767 &&
            std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            numbers.append(n);
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

// The highest n of the content files "tie" & n & ".tie" in the store, or 0.
int highestContentFile(const QString& storeDir) {
    int highest = 0;
    const QStringList names =
        QDir(storeDir + u'/' + kContentFolder)
            .entryList({QStringLiteral("tie*.tie")}, QDir::Files | QDir::System);
    for (const QString& name : names) {
        bool ok = false;
        const int n = QStringView(name).sliced(3, name.size() - 7).toInt(&ok);
        if (ok && n > 0 && n <= 32767 && contentFileName(n) == name) highest = std::max(highest, n);
    }
    return highest;
}

// Moves a content file we cannot read out of the way of the next save, under a name of its
// own beside it; an earlier one is never replaced. The entry itself moves, so a link is not
// followed.
void keepUnreadable(const QString& path, const QString& why, Content* content,
                    QStringList* errors) {
    content->movedAside = true;
    QString kept = path + QStringLiteral(".unreadable");
    for (int i = 2; QFileInfo(kept).exists() || QFileInfo(kept).isSymLink(); ++i)
        kept = path + QStringLiteral(".unreadable") + QString::number(i);
    if (QDir().rename(path, kept))
        report(why + QStringLiteral("；原文件改名为 ") + kept, errors);
    else
        report(why + QStringLiteral("；无法改名保留原文件"), errors);
}

// Why a path of the store is not read or written through: a link on its way leads out of the
// store folder. Empty when it stays in it.
QString leadsOut(const QString& storeDir, const QString& path) {
    const QFileInfo entry(path);
    if (!entry.exists() && !entry.isSymLink()) return {};
    if (files::staysWithin(path, storeDir)) return {};
    return path +
           QStringLiteral(": 是指向帖子文件夹以外的链接，Jotpin 不会读它，也不会写到它指向的地方");
}

}  // namespace

QString settingsFilePath(const QString& storeDir) {
    return storeDir + u'/' + kSettingsFile;
}

QString contentFilePath(const QString& storeDir, int n) {
    return storeDir + u'/' + kContentFolder + u'/' + contentFileName(n);
}

LoadedStore loadStore(const QString& storeDir, const Switches& current, QStringList* errors,
                      const QString& setAsideDir) {
    ProfileFile file(settingsFilePath(storeDir));
    QString error;

    LoadedStore loaded;
    loaded.switches = current;
    QString notice;
    // The settings file and the folder of texts are the store's own, or nothing is read.
    for (const QString& path : {file.path(), QString(storeDir + u'/' + kContentFolder)}) {
        if (const QString why = leadsOut(storeDir, path); !why.isEmpty()) {
            report(why, errors);
            loaded.unreadable = true;
            return loaded;
        }
    }
    if (!recoverSave(storeDir, &error, &notice, setAsideDir) || !file.load(&error)) {
        report(error, errors);
        loaded.unreadable = true;
        return loaded;
    }
    if (!notice.isEmpty()) report(notice, errors);
    applyIf(toBool(file.read(kInitSection, kNotesOnTop, QStringLiteral("false"))),
            loaded.switches.notesOnTop);
    applyIf(toBool(file.read(kInitSection, kAutoStart, QStringLiteral("True"))),
            loaded.switches.startWithSession);
    applyIf(toBool(file.read(kInitSection, kReminderSound, QStringLiteral("True"))),
            loaded.switches.reminderSound);
    const std::optional<qint16> count = toInt16(file.read(kInitSection, kNoteCount, QString()));
    const QList<QByteArray> sectionNames = file.sectionNames();
    const QList<int> sections = noteSections(sectionNames);
    static const QByteArray initSection = gbk::encode(kInitSection);
    if (!file.content().isEmpty() && sections.isEmpty() && !sectionNames.contains(initSection)) {
        // Bytes that hold no note and no setting are no store of ours: keep them.
        report(file.path() + QStringLiteral(": 不是帖子文件"), errors);
        loaded.unreadable = true;
        return loaded;
    }
    const int highest = sections.isEmpty() ? 0 : sections.last();
    QList<int> numbers;
    if (count && *count == 0) {
        loaded.firstStart = true;  // every note was deleted, or none was ever made
    } else if (count && *count > 0) {
        // Up to the last note that left a trace; one in between without any loads with the
        // defaults. A count far beyond them (32767 is a number too) builds no empty windows.
        const int last = std::min<int>(*count, std::max(highest, highestContentFile(storeDir)));
        for (int n = 1; n <= last; ++n)
            numbers.append(n);
        loaded.firstStart = numbers.isEmpty();
    } else {
        // A count that cannot be right: the notes that are there are the ones to keep.
        numbers = sections;
        loaded.firstStart = !count && sections.isEmpty();
    }
    for (const int n : numbers) {
        Note note = readNote(file, n);
        // None (a store of the Windows program's, or of an older Jotpin), or another note's: one
        // that every machine reading this store derives alike.
        if (note.uid.isEmpty())
            note.uid =
                noteuid::derived(QStringLiteral("stored %1 %2").arg(n).arg(note.created).toUtf8());
        loaded.notes.append({n, std::move(note)});
    }
    return loaded;
}

size_t contentHash(QByteArrayView bytes) {
    // Named, so that every machine and every build gives the same: the first eight bytes of
    // BLAKE2b-256. Zero stands for no file.
    const QByteArray digest = QCryptographicHash::hash(bytes, QCryptographicHash::Blake2b_256);
    quint64 hash = 0;
    for (int i = 0; i < 8; ++i)
        hash = hash << 8 | uchar(digest[i]);
    return hash ? size_t(hash) : 1;
}

Note asStored(const Note& note) {
    ProfileFile file;
    writeNote(file, 1, note);
    return readNote(file, 1);
}

Content readContent(const QString& storeDir, int n, QStringList* errors) {
    const QString path = contentFilePath(storeDir, n);
    Content content;
    if (const QString why = leadsOut(storeDir, storeDir + u'/' + kContentFolder); !why.isEmpty()) {
        report(why, errors);  // nothing in that folder is ours to move aside either
        return content;
    }
    if (const QString why = leadsOut(storeDir, path); !why.isEmpty()) {
        keepUnreadable(path, why, &content, errors);
        return content;
    }
    QByteArray bytes;
    QString error;
    switch (files::readRegular(path, kMaxContentBytes, &bytes, &error)) {
        case files::ReadResult::Missing:
            return content;
        case files::ReadResult::Failed:
            keepUnreadable(path, error, &content, errors);
            return content;
        case files::ReadResult::Ok:
            break;
    }
    content.hash = contentHash(bytes);
    if (rtf::startsAsRtf(bytes)) {
        content.kind = Content::Kind::Rtf;
        content.rtf = std::move(bytes);
    } else if (textfile::looksLikeText(bytes)) {
        content.kind = Content::Kind::Text;
        content.text = textfile::decode(bytes);
    } else {
        keepUnreadable(path, path + QStringLiteral(": 既不是 RTF 也不是文本"), &content, errors);
    }
    return content;
}

bool adoptStore(const QString& fromDir, const QString& storeDir, QStringList* errors) {
    const QString from = settingsFilePath(fromDir);
    const QString to = settingsFilePath(storeDir);
    if (QDir(fromDir) == QDir(storeDir) || !QFileInfo(from).isFile() || QFileInfo::exists(to))
        return false;
    bool copied = true;
    auto copy = [&](const QString& source, const QString& target) {
        // Left by a copy that stopped half-way: without a settings file it is never read.
        QFile::remove(target);
        if (QFile::copy(source, target)) return;
        report(source + QStringLiteral(": 无法复制到 ") + target, errors);
        copied = false;
    };
    const QDir contents(fromDir + u'/' + kContentFolder);
    QDir().mkpath(storeDir + u'/' + kContentFolder);
    for (const QString& name : contents.entryList(QDir::Files))
        copy(contents.filePath(name), storeDir + u'/' + kContentFolder + u'/' + name);
    // The settings file last: a store copied only in part is copied again at the next start.
    if (copied) copy(from, to);
    return copied;
}

QString passwordTrouble(const QString& password) {
    ProfileFile file;
    file.write(noteSection(1), kLock, password);
    Note read;
    readLock(file.read(noteSection(1), kLock, kNoPassword), read);
    if (read.locked && read.password == password) return {};
    if (password.contains(u'*')) return QStringLiteral("密码里不能有“*”。");
    if (password.startsWith(kNoPassword)) return QStringLiteral("密码不能以“无密码”开头。");
    if (!gbk::canEncode(password)) return QStringLiteral("密码里有帖子文件存不下的字符。");
    if (password.trimmed() != password) return QStringLiteral("密码的开头和结尾不能是空格。");
    if (gbk::encode(password).size() > ProfileFile::kMaxValueBytes)
        return QStringLiteral("密码太长了。");
    if (password.size() >= 2 && (password.front() == u'"' || password.front() == u'\'') &&
        password.back() == password.front())
        return QStringLiteral("密码不能用引号括起来。");
    return QStringLiteral("这个密码存进帖子文件后读不回原样。");
}

bool saveStore(const QString& storeDir, const Switches& switches, const QList<NoteToSave>& notes,
               QStringList* errors, const QList<int>& removals, bool* committed,
               QList<size_t>* hashes, DiskState* disk, const QString& setAsideDir) {
    if (committed) *committed = false;
    if (hashes) hashes->fill(0, notes.size());
    QString error;
    // A save cut short after its commit is finished first: it is what the store holds.
    QString notice;
    const QFileInfo journal(journalPath(storeDir));
    if ((journal.exists() || journal.isSymLink()) &&
        !recoverSave(storeDir, &error, &notice, setAsideDir)) {
        report(error, errors);
        return false;
    }
    if (!notice.isEmpty()) report(notice, errors);
    bool ok = true;
    const QString folder = storeDir + u'/' + kContentFolder;
    if (const QString why = leadsOut(storeDir, folder); !why.isEmpty()) {
        report(why, errors);
        return false;
    }
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
        report(folder + QStringLiteral(": cannot create the folder"), errors);
        ok = false;
    }

    ProfileFile file(settingsFilePath(storeDir));
    // A settings file that cannot be read is replaced rather than left behind stale; so is a
    // link that leads out of the store, unread.
    if (const QString why = leadsOut(storeDir, file.path()); !why.isEmpty())
        report(why, errors);
    else if (!file.load(&error))
        report(error, errors);
    const QByteArray before = file.content();

    SaveTransaction save(storeDir);
    QHash<int, FileStamp> written;
    bool mixed = false;
    int n = 0;
    for (const NoteToSave& note : notes) {
        ++n;
        writeNote(file, n, note.note);
        if (note.storedAs == n) continue;
        const QString path = contentFilePath(storeDir, n);
        const auto staged = [&] { written.insert(n, save.stagedStamp(path)); };
        if (note.storedAs > 0) {
            const QString from = contentFilePath(storeDir, note.storedAs);
            if (save.stageLink(from, path)) {
                staged();
                continue;
            }
            // No hard link (a linked file, a file system without them): a copy of the file,
            // which holds the note's text as it stands.
            QByteArray bytes;
            if (!note.content && leadsOut(storeDir, from).isEmpty() &&
                files::readRegular(from, kMaxContentBytes, &bytes, &error) ==
                    files::ReadResult::Ok &&
                save.stage(path, bytes, &error)) {
                if (hashes) (*hashes)[n - 1] = contentHash(bytes);
                staged();
                continue;
            }
        }
        if (note.content) {
            const QByteArray bytes = rtf::write(*note.content);
            if (hashes) (*hashes)[n - 1] = contentHash(bytes);
            if (save.stage(path, bytes, &error)) {
                staged();
                continue;
            }
        } else if (note.storedAs == 0) {
            continue;
        }
        report(error, errors);
        ok = false;
        // The file left there holds another note's text (or an older one's): the new settings
        // must not go over it.
        if (note.storedAs != n && QFileInfo::exists(path)) mixed = true;
    }
    file.write(kInitSection, kNoteCount, QString::number(n));
    file.write(kInitSection, kNotesOnTop, fromBool(switches.notesOnTop));
    file.write(kInitSection, kReminderSound, fromBool(switches.reminderSound));
    file.write(kInitSection, kAutoStart, fromBool(switches.startWithSession));
    if (mixed) return false;
    for (const int removed : removals) {
        if (removed > n) save.removeWithCommit(contentFilePath(storeDir, removed));
    }
    // Left as it is when nothing in it changed: a sync tool would see a file replaced by one
    // with the same bytes, and may then take a later change for one of its times only.
    const QByteArray settings = file.serialize();
    const bool same = settings == before && QFileInfo::exists(file.path());
    if (!same && !save.stage(file.path(), settings, &error)) {
        report(error, errors);
        return false;
    }
    const FileStamp settingsStamp = same ? FileStamp{} : save.stagedStamp(file.path());
    if (!save.commit(&error)) {
        report(error, errors);
        return false;
    }
    if (committed) *committed = true;
    if (ok && disk) {
        if (!same) disk->settings = settingsStamp;
        for (const int removed : removals) {
            if (removed > n) disk->contents.remove(removed);
        }
        for (auto it = written.cbegin(); it != written.cend(); ++it)
            disk->contents.insert(it.key(), it.value());
    }
    return ok;
}

}  // namespace store
