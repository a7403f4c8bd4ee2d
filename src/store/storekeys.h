#pragma once
// Names of the settings file, its sections and keys. They are written as GBK bytes; the
// Windows program reads and writes exactly these.

#include <QString>

namespace store::keys {

inline const QString kSettingsFile = QStringLiteral("tie.dat");
inline const QString kContentFolder = QStringLiteral("tie");

// Section "初始值": program-wide values.
inline const QString kInitSection = QStringLiteral("初始值");
inline const QString kNoteCount = QStringLiteral("窗体数目");
inline const QString kNotesOnTop = QStringLiteral("是否在前");
inline const QString kReminderSound = QStringLiteral("提醒声音开启");
inline const QString kAutoStart = QStringLiteral("自动运行");

// Section "帖子" & n: one note, keys in the order they are written.
inline const QString kNoteSectionPrefix = QStringLiteral("帖子");
// These two keys are named after the Windows program's controls that held the values; the
// names are part of the file format and stay as they are.
inline const QString kReminder = QStringLiteral("Image3");
inline const QString kSoundPath = QStringLiteral("Image5");
inline const QString kBackColor = QStringLiteral("背景颜色");
inline const QString kCreated = QStringLiteral("建立时间");
inline const QString kWidth = QStringLiteral("窗体宽度");
inline const QString kHeight = QStringLiteral("窗体高度");
inline const QString kAlarmOn = QStringLiteral("闹钟");
inline const QString kLeft = QStringLiteral("x坐标");
inline const QString kTop = QStringLiteral("y坐标");
inline const QString kOpacity = QStringLiteral("透明度");
inline const QString kVisible = QStringLiteral("visible");
inline const QString kLock = QStringLiteral("加锁");
inline const QString kRestoreHeight = QStringLiteral("实际高度");
// Ours, which the Windows program neither reads nor writes: the note's identity across machines
// and the creation time it was written with. When that program renumbers the notes it leaves
// this key where it stood, under another note's creation time: then it is no one's.
inline const QString kUid = QStringLiteral("Jotpin标识");

// The value of kLock for a note without password.
inline const QString kNoPassword = QStringLiteral("无密码");

inline QString noteSection(int n) {
    return kNoteSectionPrefix + QString::number(n);
}
inline QString contentFileName(int n) {
    return QStringLiteral("tie") + QString::number(n) + QStringLiteral(".tie");
}

}  // namespace store::keys
