#include "store/notestore.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "app/form2.h"
#include "commands/notecommands.h"
#include "note/createnote.h"
#include "note/form1.h"
#include "platform/apppaths.h"
#include "platform/clock.h"
#include "richtext/richtextbox.h"
#include "platform/windowops.h"
#include "store/profilefile.h"
#include "store/storekeys.h"
#include "store/values.h"

using namespace store;
using namespace store::keys;

namespace {

void report(const QString& message, QStringList* errors) {
    std::fprintf(stderr, "jotpin: %s\n", qPrintable(message));
    if (errors) errors->append(message);
}

template <typename T, typename F>
void applyIf(const std::optional<T>& value, F&& apply) {
    if (value) apply(*value);
}

}  // namespace

QString settingsFilePath() {
    return App::StoreDir() + u'/' + kSettingsFile;
}

QString contentFilePath(int n) {
    return App::StoreDir() + u'/' + kContentFolder + u'/' + contentFileName(n);
}

void LoadAllNotes(Form2& main) {
    ProfileFile file(settingsFilePath());
    QString error;
    if (!file.load(&error)) report(error, nullptr);

    applyIf(toBool(file.read(kInitSection, kNotesOnTop, QStringLiteral("false"))),
            [&](bool on) { main.tiezizaiqian->setChecked(on); });
    applyIf(toBool(file.read(kInitSection, kAutoStart, QStringLiteral("True"))),
            [&](bool on) { main.zidongyunxing->setChecked(on); });
    applyIf(toBool(file.read(kInitSection, kReminderSound, QStringLiteral("True"))),
            [&](bool on) { main.tixing->setChecked(on); });
    const qint16 count =
        toInt16(file.read(kInitSection, kNoteCount, QStringLiteral("0"))).value_or(0);

    if (count == 0) {
        new_Click();  // first start: one new note at the right edge of the screen
        return;
    }

    for (int i = 1; i <= count; ++i) {
        const QString section = noteSection(i);
        auto read = [&](const QString& key, const QString& def) {
            return file.read(section, key, def);
        };
        Form1* note = CreateNote();
        note->Timer1.Tag = QStringLiteral("-99");
        note->Image3->setTag(read(kReminder, QString()));
        note->Image5->setTag(
            cutSoundPath(read(kSoundPath, App::ShippedFile(QStringLiteral("kvz.mid")))));
        applyIf(toColour(read(kBackColor, QStringLiteral("16761024"))), [&](const QColor& c) {
            note->RichTextBox1->setBackColor(c);
            note->setBackColor(c);
        });
        note->RichTextBox1->setTag(read(kCreated, Clock::current().now().time().toString()));
        applyIf(toInt16(read(kWidth, QStringLiteral("3345"))),
                [&](qint16 v) { note->setWidth(v); });
        applyIf(toInt16(read(kHeight, QStringLiteral("638"))),
                [&](qint16 v) { note->setHeight(v); });
        applyIf(toBool(read(kAlarmOn, QStringLiteral("false"))),
                [&](bool on) { note->Image3->setVisible(on); });
        applyIf(toInt16(read(kLeft, QStringLiteral("0"))), [&](qint16 v) { note->setLeft(v); });
        applyIf(toInt16(read(kTop, QStringLiteral("0"))), [&](qint16 v) { note->setTop(v); });

        const int alpha = opacityFromStored(read(kOpacity, QStringLiteral("255")));
        if (alpha != 255) note->applyOpacity(alpha);
        note->Image1->setTag(QString::number(alpha));

        const QString lock = read(kLock, kNoPassword);
        const bool locked = !lock.startsWith(kNoPassword);
        // Only a locked note uses it, but an unlocked one keeps its stored value through the
        // next save instead of writing it back empty.
        const QString restoreHeight =
            read(kRestoreHeight, locked ? QStringLiteral("638") : QString());
        note->Image2->setTag(restoreHeight);
        if (locked) {
            note->Image4->setTag(QString(lock).remove(u'*'));
            note->Image5->setVisible(true);
            note->RichTextBox1->setVisible(false);
            note->Image2->setEnabled(false);
            note->Image1->setEnabled(false);
        }

        const QString content = contentFilePath(i);
        if (QFileInfo::exists(content) && !note->RichTextBox1->setFileName(content, &error))
            report(error, nullptr);

        note->setTag(QString::number(i));
        note->Form_Resize();
        // A note stored as hidden is never put on screen, not even for a moment.
        const bool visible = toBool(read(kVisible, QStringLiteral("True"))).value_or(true);
        if (visible) note->show();
        if (note->Image3->Visible()) note->Timer1.Enabled = true;
    }
}

bool SaveAllNotes(Form2& main, QStringList* errors) {
    bool ok = true;
    const QString folder = App::StoreDir() + u'/' + kContentFolder;
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
        report(folder + QStringLiteral(": cannot create the folder"), errors);
        ok = false;
    }

    ProfileFile file(settingsFilePath());
    QString error;
    // A settings file that cannot be read is replaced rather than left behind stale.
    if (!file.load(&error)) report(error, errors);

    int n = 0;
    for (int i = 1; i < Forms::Count(); ++i) {
        auto* note = qobject_cast<Form1*>(Forms::item(i));
        if (!note || note->Tag() == Form1::kDesignTag) continue;
        ++n;
        const QString section = noteSection(n);
        auto write = [&](const QString& key, const QString& value) {
            file.write(section, key, value);
        };
        write(kReminder, note->Image3->Tag());
        write(kSoundPath, note->Image5->Tag());
        write(kBackColor, fromColour(note->RichTextBox1->BackColor()));
        write(kCreated, note->RichTextBox1->Tag());
        write(kWidth, QString::number(note->Width()));
        write(kHeight, QString::number(note->Height()));
        write(kAlarmOn, fromBool(note->Image3->Visible()));
        write(kLeft, QString::number(note->Left()));
        write(kTop, QString::number(note->Top()));
        write(kOpacity, note->Image1->Tag());
        write(kVisible, fromBool(note->isVisible()));
        write(kLock, note->Image4->Tag().isEmpty() ? kNoPassword : note->Image4->Tag());
        write(kRestoreHeight, note->Image2->Tag());
        if (!note->RichTextBox1->SaveFile(contentFilePath(n), &error)) {
            report(error, errors);
            ok = false;
        }
    }
    file.write(kInitSection, kNoteCount, QString::number(n));
    file.write(kInitSection, kNotesOnTop, fromBool(main.tiezizaiqian->isChecked()));
    file.write(kInitSection, kReminderSound, fromBool(main.tixing->isChecked()));
    file.write(kInitSection, kAutoStart, fromBool(main.zidongyunxing->isChecked()));
    if (!file.save(&error)) {
        report(error, errors);
        ok = false;
    }
    return ok;
}
