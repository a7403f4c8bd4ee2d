#include "notebook/conflictcopies.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextDocument>

#include "model/noteuid.h"
#include "model/programswitches.h"
#include "notebook/noteshelf.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "rtf/rtf.h"
#include "store/storekeys.h"
#include "text/textfile.h"

namespace conflictcopies {

namespace {

// How long conflict copies stay in the folder they are moved to.
constexpr int kKeptDays = 90;

QString comparableContent(const store::Content& content) {
    return comparable(content.kind == store::Content::Kind::Rtf ? plainTextOf(content.rtf)
                                                                : content.text);
}

QStringList shownTexts(const NoteShelf& shelf) {
    QStringList texts;
    for (const NoteShelf::Shown& shown : shelf.notes())
        texts.append(shown.text ? comparable(shown.text->toPlainText()) : QString());
    return texts;
}

// A settings file the sync tool left as a conflict copy: the notes it lists whose texts are
// in the store but shown by no note here (made on the machine whose settings file lost) come
// back as notes, added to *restored.
void restoreListed(NoteShelf& shelf, const QString& store, const Switches& switches,
                   const QString& copyPath, QStringList* texts, QList<NoteId>* restored) {
    // Read as a settings file of its own: the notes it lists.
    QTemporaryDir dir;
    if (!dir.isValid() || !QFile::copy(copyPath, dir.filePath(store::keys::kSettingsFile))) return;
    const store::LoadedStore listed = store::loadStore(dir.path(), switches);
    const QString heading = otherVersionHeading(QFileInfo(copyPath).lastModified());
    for (const store::StoredNote& stored : listed.notes) {
        QStringList problems;
        const store::Content content = store::readContent(store, stored.section, &problems);
        const QString text = comparableContent(content);
        // A text shown here, or none: the note is here, or its file now another note's.
        if (text.trimmed().isEmpty() || texts->contains(text)) continue;
        NoteChange change;
        change.fresh = true;
        change.values = stored.note;
        change.values->created = timetext::creationTime(Clock::instance().now());
        // Every machine that brings this text back knows it by the same identity.
        change.values->uid = noteuid::derived(
            QStringLiteral("restored %1 %2").arg(stored.note.uid).arg(content.hash).toUtf8());
        change.text = noteText(content);
        change.heading = heading;
        QString why;
        restored->append(shelf.open(change, &why));
        texts->append(text);
    }
}

}  // namespace

QString otherVersionHeading(const QDateTime& when) {
    return QStringLiteral("另一台电脑的版本（") + timetext::creationTime(when) +
           QStringLiteral("）");
}

QString comparable(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && text[end - 1].isSpace())
        --end;
    return text.left(end);
}

QString plainTextOf(const QByteArray& bytes, bool* isRtf) {
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

NoteId keepUnlisted(NoteShelf& shelf, const QString& store, int section, qint64 modifiedMs) {
    QStringList problems;
    const store::Content content = store::readContent(store, section, &problems);
    const QString text = comparableContent(content);
    if (text.trimmed().isEmpty() || shownTexts(shelf).contains(text)) return 0;
    NoteChange change;
    change.fresh = true;
    change.text = noteText(content);
    change.heading = otherVersionHeading(QDateTime::fromMSecsSinceEpoch(modifiedMs));
    QString why;
    return shelf.open(change, &why);
}

Folded fold(NoteShelf& shelf, const Places& places, const Switches& switches,
            const QStringList& copies) {
    const QDate today = Clock::instance().now().date();
    const QString keptDir = places.kept + u'/' + today.toString(Qt::ISODate);
    QDir().mkpath(keptDir);
    // Kept for a while, for the user to look into: every text in them that no note held came
    // back as a note when they were folded in. A folder named otherwise is not ours and stays.
    QDir kept(places.kept);
    for (const QString& name : kept.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDate day = QDate::fromString(name, Qt::ISODate);
        if (day.isValid() && day.daysTo(today) > kKeptDays)
            QDir(kept.filePath(name)).removeRecursively();
    }
    QStringList texts = shownTexts(shelf);
    Folded folded{.keptIn = keptDir};
    int& linksOut = folded.linksOut;
    for (const QString& path : copies) {
        const QFileInfo copy(path);
        if (!files::staysWithin(path, places.store)) {
            ++linksOut;  // a link that leads out of the store: moved out of it unread
        } else if (copy.dir().dirName() == store::keys::kContentFolder) {
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
                folded.restored.append(shelf.open(change, &why));
                texts.append(text);
            }
        } else {
            restoreListed(shelf, places.store, switches, path, &texts, &folded.restored);
        }
        // Out of the store, where the sync tool would bring it back to every machine.
        QString target = keptDir + u'/' + copy.fileName();
        for (int i = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++i)
            target = keptDir + u'/' + QString::number(i) + u'-' + copy.fileName();
        if (files::moveEntry(path, target)) ++folded.moved;
    }
    return folded;
}

}  // namespace conflictcopies
