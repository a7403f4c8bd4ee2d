#pragma once
// What a start of the program asks of the one already running, as the desktop entry's actions
// do: an option of the command line, passed on under its own name through the single-instance
// channel ("new-note" for --new-note). A plain start asks it to come forward ("show").

#include <QCommandLineOption>
#include <QList>
#include <QString>

class QCommandLineParser;

namespace requests {

inline const QString kShow = QStringLiteral("show");
inline const QString kNewNote = QStringLiteral("new-note");
inline const QString kNoteList = QStringLiteral("note-list");
inline const QString kShowAll = QStringLiteral("show-all");
inline const QString kQuit = QStringLiteral("quit");

// --new-note, --note-list, --show-all, --quit.
QList<QCommandLineOption> options();
// The request of the last such option given; empty for none.
QString chosen(const QCommandLineParser& parser);

}  // namespace requests
