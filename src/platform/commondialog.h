#pragma once
// The one colour, file, font and printer dialog object of the program. It keeps its properties
// between uses: a caller sets only what it needs, and what another caller left (file name,
// filter, colour) is still there. A cancelled dialog returns false and leaves them as they were.
// Tests install a double that answers with preset results.

#include <QColor>
#include <QString>

class QWidget;

class CommonDialog {
public:
    // Flags of the colour dialog: start from `color`, show the full dialog.
    static constexpr int kColorFromGiven = 1;
    static constexpr int kColorFullOpen = 2;

    virtual ~CommonDialog() = default;

    int flags = 0;
    QColor color = Qt::black;
    // Pairs of description and patterns, all separated by "|": "Text|*.txt|All|*.*". Patterns
    // within a pair are separated by ";".
    QString filter;
    int filterIndex = 1;  // counts the pairs from 1
    QString fileName;
    QString defaultExt = QStringLiteral("txt");

    // Modal to `parent`. True when the user chose; false when cancelled.
    virtual bool showColor(QWidget* parent);
    virtual bool showOpen(QWidget* parent);

    // The object in use: the real dialogs unless a test installed another.
    static CommonDialog& instance();
    static void install(CommonDialog* dialog);  // not owned; nullptr restores the real one
};

// The filter as Qt's file dialogs take it: "Text (*.txt)" entries, in order.
QStringList fileDialogFilters(const QString& filter);
