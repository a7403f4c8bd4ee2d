// Another machine's changes to the store, taken in while the program runs: the store folder
// watched, merged into the notes shown, conflict copies of sync tools folded in.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>

#include "model/programswitches.h"
#include "notebook/storesync.h"
#include "notebook/storewatch.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "rtf/rtf.h"
#include "store/storekeys.h"
#include "text/textfile.h"

namespace {

// A note made from another machine's version starts by saying so.
QString otherVersionHeading(const QDateTime& when) {
    return QStringLiteral("另一台电脑的版本（") + timetext::creationTime(when) +
           QStringLiteral("）");
}

// A note's text as compared with another version's: a text read from a file may end in one
// more paragraph mark than the same text shown.
QString comparable(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && text[end - 1].isSpace())
        --end;
    return text.left(end);
}

// A content file's text as it shows: rich text, else plain text (UTF-8, else GBK from Windows).
QString plainTextOf(const QByteArray& bytes, bool* isRtf = nullptr) {
    QTextDocument read;
    const bool rich = rtf::read(bytes, &read);
    if (isRtf) *isRtf = rich;
    return rich ? read.toPlainText() : textfile::decode(bytes);
}

NoteText noteText(const store::Content& content) {
    if (content.kind == store::Content::Kind::Rtf) return {NoteText::Kind::Rtf, content.rtf, {}};
    if (content.kind == store::Content::Kind::Text)
        return {NoteText::Kind::Plain, {}, content.text};
    return {};
}

}  // namespace

void StoreSync::waitForStore() {
    m_waiting = true;
    const QString storeDir = QDir::toNativeSeparators(m_places.store);
    say(QStringLiteral("找不到帖子文件夹 %1（也许还没有挂载）。\nJotpin 等它出现后再读取"
                       "其中的帖子，在此之前不保存。要在那里开始新的帖子，请先建立这个"
                       "文件夹。")
            .arg(storeDir));
    // A mount gives no notice on its mount point: looked at every few seconds, only while
    // waiting.
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this, timer, storeDir] {
        if (!QFileInfo(m_places.store).isDir()) return;
        timer->deleteLater();
        m_waiting = false;
        mergeFromDisk(false);
        say(QStringLiteral("帖子文件夹 %1 出现了，其中的帖子已经读入。").arg(storeDir));
        if (m_shelf.notes().isEmpty()) m_shelf.first();
        if (m_saveSoonOnceThere) saveSoon(*m_saveSoonOnceThere);
        if (m_watch) m_watch->arm();
    });
    timer->start(m_delays.storeFolderPollMs);
}

void StoreSync::checkDisk() {
    if (m_waiting || m_notebook.writesRefused()) return;
    if (m_notebook.saving()) {
        // The echo of that save, or another machine's files: told apart once it is done.
        m_recheck.start(m_delays.recheckMs);
        return;
    }
    // The merge first: a sync tool that kept the other machine's file puts ours in the
    // conflict copy, and only once the note shows theirs does that text count as missing.
    QStringList copies;
    if (!mergeFromDisk(true, &copies)) return;  // folded after it
    if (!copies.isEmpty()) foldConflictCopies(copies);
}

bool StoreSync::mergeFromDisk(bool patient, QStringList* conflictCopies) {
    if (m_waiting || m_notebook.writesRefused()) return false;
    store::DiskState disk;
    const bool unchanged = m_notebook.diskUnchanged(&disk);
    if (conflictCopies) *conflictCopies = disk.conflictCopies;
    if (unchanged) return true;
    const QString& storeDir = m_places.store;
    if (!QFileInfo(storeDir).isDir()) {
        // Unmounted while running: nothing is saved into the bare mount point, and the notes
        // are merged with the store when it is back.
        m_saveSoonOnceThere = std::nullopt;
        waitForStore();
        return false;
    }
    if (!disk.settings.exists) {
        // A store emptied or not all there: no reason to close a note. Everything is
        // written again. The notes stay known as the store's: a settings file that comes back
        // (a sync client deletes a file before it writes it anew) brings no note twice.
        QSet<NoteId> all;
        for (const NoteShelf::Shown& shown : m_shelf.notes())
            all.insert(shown.id);
        m_notebook.settingsFileGone(std::move(disk), all);
        changed();
        say(QStringLiteral("帖子文件 %1 不见了：Jotpin 把所有帖子重新保存一遍。")
                .arg(QDir::toNativeSeparators(store::settingsFilePath(storeDir))));
        return true;
    }
    QStringList problems;
    const store::LoadedStore theirs = store::loadStore(storeDir, m_switches.values(), &problems);
    if (theirs.unreadable) return false;  // tried again at the next change there
    // Still arriving: the settings file names a content file that is not here yet. Each
    // such file is given its own time, from when it was first missed: one that came late
    // must not cut short the wait for the next.
    QHash<int, qint64> missed;
    bool arriving = false;
    const qint64 now = m_clock.elapsed();
    for (const store::StoredNote& stored : theirs.notes) {
        if (disk.contents.contains(stored.section)) continue;
        const qint64 since = m_missedSince.value(stored.section, now);
        missed.insert(stored.section, since);
        arriving = arriving || now - since < m_delays.arrivingMs;
    }
    // A text no note of theirs lists, new since the last read or save here: another machine's
    // note whose settings file is still to come. Waited for in the same way; the next save
    // here may give its number to a note of ours.
    QSet<int> listed;
    for (const store::StoredNote& stored : theirs.notes)
        listed.insert(stored.section);
    QList<int> unlisted;
    for (auto it = disk.contents.cbegin(); it != disk.contents.cend(); ++it) {
        if (listed.contains(it.key()) ||
            m_notebook.baseDisk().contents.value(it.key()) == it.value())
            continue;
        unlisted.append(it.key());
        const qint64 since = m_missedSince.value(-it.key(), now);
        missed.insert(-it.key(), since);
        arriving = arriving || now - since < m_delays.arrivingMs;
    }
    m_missedSince = missed;
    if (arriving && patient) {
        m_recheck.start(m_delays.recheckMs);
        return false;
    }
    QList<merge::StoredVersion> versions = m_notebook.versionsOf(theirs.notes, disk);
    const merge::Plan plan = m_notebook.planMerge(versions, pages());
    const QHash<int, store::FileStamp> stamps = disk.contents;
    applyMerge(plan, std::move(versions), std::move(disk), &problems);
    // Its settings file did not come (in time): the text is kept as a note before a save here
    // writes over it.
    for (int section : unlisted)
        keepUnlisted(section, stamps.value(section));
    if (!problems.isEmpty()) say(QStringLiteral("读取帖子时出了问题：\n") + problems.join(u'\n'));
    return true;
}

void StoreSync::applyMerge(const merge::Plan& plan, QList<merge::StoredVersion> theirs,
                           store::DiskState disk, QStringList* problems) {
    const QString& storeDir = m_places.store;
    m_applying = true;
    const bool changedBefore = m_notebook.takeChanged();
    QHash<NoteId, int> storedAs;
    QSet<NoteId> toWrite;
    int otherVersions = 0;
    for (const merge::Plan::Update& update : plan.updates) {
        storedAs.insert(update.id, update.section);
        NoteChange change;
        change.values = update.note;
        if (update.takeText) {
            const store::Content content = store::readContent(storeDir, update.section, problems);
            if (content.kind != store::Content::Kind::None) change.text = noteText(content);
        }
        if (change.values || change.text) m_shelf.apply(update.id, change);
    }
    QHash<NoteId, QString> shownTexts;
    for (const NoteShelf::Shown& shown : m_shelf.notes())
        shownTexts.insert(shown.id, shown.text ? comparable(shown.text->toPlainText()) : QString());
    for (const merge::Plan::Add& add : plan.added) {
        NoteId id = 0;
        if (!add.otherVersionOf) {
            showStored(add.note, add.section, problems, &id, true);
            storedAs.insert(id, add.section);
            continue;
        }
        // Both machines made the same change: one note is enough.
        const store::Content content = store::readContent(storeDir, add.section, problems);
        const QString text =
            content.kind == store::Content::Kind::Rtf ? plainTextOf(content.rtf) : content.text;
        if (shownTexts.value(add.otherVersionOf) == comparable(text)) continue;
        // Beside the note that keeps this machine's version, as a note of its own.
        Note values = add.note;
        values.created = timetext::creationTime(Clock::instance().now());
        values.left += 450;
        values.top += 450;
        const QDateTime when =
            QDateTime::fromMSecsSinceEpoch(disk.contents.value(add.section).modifiedMs);
        showStored(values, add.section, problems, &id, true, otherVersionHeading(when));
        toWrite.insert(id);
        ++otherVersions;
    }
    for (NoteId id : plan.closed)
        m_shelf.close(id);
    for (NoteId id : plan.orphaned)
        toWrite.insert(id);
    // A note whose file never came is written from what it shows, not linked from nothing.
    for (auto it = storedAs.cbegin(); it != storedAs.cend(); ++it) {
        if (!disk.contents.contains(it.value())) toWrite.insert(it.key());
    }
    m_notebook.rebase(std::move(theirs), std::move(disk), storedAs, toWrite, plan.removals);
    m_notebook.takeChanged();
    m_applying = false;
    if (changedBefore || !toWrite.isEmpty() || !plan.removals.isEmpty() ||
        std::exchange(m_gaveIdentity, false))
        changed();
    if (otherVersions > 0)
        say(
            QStringLiteral("另一台电脑也改了同一个帖子：两个版本都留下了，另一台电脑的版本"
                           "是新的帖子，第一行写着“另一台电脑的版本”。"));
}

void StoreSync::keepUnlisted(int section, const store::FileStamp& stamp) {
    QStringList problems;
    const store::Content content = store::readContent(m_places.store, section, &problems);
    const QString text = comparable(
        content.kind == store::Content::Kind::Rtf ? plainTextOf(content.rtf) : content.text);
    if (text.trimmed().isEmpty()) return;
    for (const NoteShelf::Shown& shown : m_shelf.notes()) {
        if (shown.text && comparable(shown.text->toPlainText()) == text) return;
    }
    NoteChange change;
    change.fresh = true;
    change.text = noteText(content);
    change.heading = otherVersionHeading(QDateTime::fromMSecsSinceEpoch(stamp.modifiedMs));
    QString why;
    m_shelf.open(change, &why);
    say(
        QStringLiteral("另一台电脑的一个帖子只送来了内容，没有送来它的设置：内容已作为新帖子留下，"
                       "第一行写着“另一台电脑的版本”。"));
}

int StoreSync::restoreListed(const QString& copyPath, QStringList* texts) {
    // Read as a settings file of its own: the notes it lists.
    QTemporaryDir dir;
    if (!dir.isValid() || !QFile::copy(copyPath, dir.filePath(store::keys::kSettingsFile)))
        return 0;
    const store::LoadedStore listed = store::loadStore(dir.path(), m_switches.values());
    const QString heading = otherVersionHeading(QFileInfo(copyPath).lastModified());
    int restored = 0;
    for (const store::StoredNote& stored : listed.notes) {
        QStringList problems;
        const store::Content content =
            store::readContent(m_places.store, stored.section, &problems);
        const QString text = comparable(
            content.kind == store::Content::Kind::Rtf ? plainTextOf(content.rtf) : content.text);
        // A text shown here, or none: the note is here, or its file now another note's.
        if (text.trimmed().isEmpty() || texts->contains(text)) continue;
        NoteChange change;
        change.fresh = true;
        change.values = stored.note;
        change.values->created = timetext::creationTime(Clock::instance().now());
        change.text = noteText(content);
        change.heading = heading;
        QString why;
        m_shelf.open(change, &why);
        texts->append(text);
        ++restored;
    }
    return restored;
}

void StoreSync::foldConflictCopies(const QStringList& copies) {
    const QString keptDir =
        m_places.conflicts + u'/' + Clock::instance().now().date().toString(Qt::ISODate);
    QDir().mkpath(keptDir);
    QStringList texts;
    for (const NoteShelf::Shown& shown : m_shelf.notes())
        texts.append(shown.text ? comparable(shown.text->toPlainText()) : QString());
    int restored = 0;
    int moved = 0;
    for (const QString& path : copies) {
        const QFileInfo copy(path);
        if (copy.dir().dirName() == store::keys::kContentFolder) {
            QByteArray bytes;
            QString error;
            if (files::readRegular(path, qint64(1) << 28, &bytes, &error) != files::ReadResult::Ok)
                continue;  // still being written: the next change brings it again
            bool isRtf = false;
            const QString plain = plainTextOf(bytes, &isRtf);
            const QString text = comparable(plain);
            if (!text.trimmed().isEmpty() && !texts.contains(text)) {
                NoteChange change;
                change.fresh = true;
                change.text = isRtf ? NoteText{NoteText::Kind::Rtf, bytes, {}}
                                    : NoteText{NoteText::Kind::Plain, {}, plain};
                change.heading = otherVersionHeading(copy.lastModified());
                QString why;
                m_shelf.open(change, &why);
                texts.append(text);
                ++restored;
            }
        } else {
            restored += restoreListed(path, &texts);
        }
        // Out of the store, where the sync tool would bring it back to every machine.
        QString target = keptDir + u'/' + copy.fileName();
        for (int i = 2; QFileInfo::exists(target); ++i)
            target = keptDir + u'/' + QString::number(i) + u'-' + copy.fileName();
        if (QFile::rename(path, target) || (QFile::copy(path, target) && QFile::remove(path)))
            ++moved;
    }
    if (moved == 0 && restored == 0) return;
    say(QStringLiteral("同步工具留下了 %1 个冲突副本：其中 %2 个帖子的内容别处没有，"
                       "已作为新帖子找回。副本已移到 %3。")
            .arg(moved)
            .arg(restored)
            .arg(QDir::toNativeSeparators(keptDir)));
}
