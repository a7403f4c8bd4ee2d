#pragma once
// What keeping the store in step has to tell the user, as facts: the program words them.

#include <QString>
#include <QStringList>

struct StoreEvent {
    enum class Kind {
        SaveFailing,           // a streak of failed saves began; `details`: why
        SavingWorksAgain,      // after such a streak
        SaveNotices,           // a save did something the user should know; `details`
        StoreUnreadable,       // the settings file cannot be read; nothing is saved; `details`
        ReadProblems,          // notes that could not be read as they are; `details`
        FolderMissing,         // the store folder `path` is not there; nothing is saved
        FolderBack,            // the store folder `path` appeared and its notes were read
        SettingsFileGone,      // the settings file `path` went; everything is saved again
        OtherVersionsKept,     // another machine changed a note changed here: both kept
        ConflictCopiesFolded,  // `count` copies moved to `path`; `restored` texts came back
                               // as notes; `linksOut` of them led out of the store, unread
        TextWithoutSettings,   // a text came without its settings file: kept as a note
    };
    Kind kind;
    QStringList details = {};
    QString path = {};
    int count = 0;
    int restored = 0;
    int linksOut = 0;
};
