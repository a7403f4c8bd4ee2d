#pragma once
// The one colour, file, font and printer dialog object of the program. It keeps its properties
// between uses: a caller sets only what it needs, and what another caller left (file name,
// filter, colour) is still there. A cancelled dialog returns false and leaves them as they were.
// Tests install a double that answers with preset results.

#include <QColor>
#include <QFont>
#include <QString>
#include <memory>

#include "platform/service.h"

class ModulePrinter;
class QTextCursor;
class QWidget;

class CommonDialog : public Service<CommonDialog> {
public:
    // Flags of the colour dialog: start from `color`, show the full dialog.
    static constexpr int kColorFromGiven = 1;
    static constexpr int kColorFullOpen = 2;
    // Flags of the printer dialog: open with "Selection" chosen; no page range; the caller
    // prints to the chosen printer.
    static constexpr int kPrintSelection = 0x1;
    static constexpr int kPrintNoPageNumbers = 0x8;
    static constexpr int kPrintReturnPrinter = 0x100;

    // Flags of the font dialog: screen and printer fonts, effects.
    static constexpr int kFontScreen = 0x1;
    static constexpr int kFontPrinter = 0x2;
    static constexpr int kFontEffects = 0x100;

    CommonDialog();

    virtual ~CommonDialog();

    // The properties a caller sets before a dialog and reads after it.
    int flags() const { return m_flags; }
    void setFlags(int flags) { m_flags = flags; }
    const QColor& color() const { return m_color; }
    void setColor(const QColor& color) { m_color = color; }
    // Pairs of description and patterns, all separated by "|": "Text|*.txt|All|*.*". Patterns
    // within a pair are separated by ";".
    const QString& filter() const { return m_filter; }
    void setFilter(const QString& filter) { m_filter = filter; }
    int filterIndex() const { return m_filterIndex; }  // counts the pairs from 1
    void setFilterIndex(int index) { m_filterIndex = index; }
    const QString& fileName() const { return m_fileName; }
    void setFileName(const QString& name) { m_fileName = name; }
    const QString& defaultExt() const { return m_defaultExt; }
    void setDefaultExt(const QString& ext) { m_defaultExt = ext; }
    // Name, size, bold, italic, strike-through, underline.
    const QFont& font() const { return m_font; }
    void setFont(const QFont& font) { m_font = font; }
    // The font dialog's text colour. Not color(): that one the colour dialog leaves, often a
    // note's background, which would make the text invisible.
    const QColor& fontColor() const { return m_fontColor; }
    void setFontColor(const QColor& colour) { m_fontColor = colour; }

    // Modal to `parent`. True when the user chose; false when cancelled.
    virtual bool showColor(QWidget* parent);
    virtual bool showOpen(QWidget* parent);
    // Sets fileName and filterIndex. A name typed without an extension gets the chosen
    // entry's extension, or defaultExt when that entry has none.
    virtual bool showSave(QWidget* parent);
    // Chooses a folder that exists, starting at fileName when it names one; sets fileName to
    // the chosen folder. `title` is the dialog's.
    virtual bool showFolder(QWidget* parent, const QString& title);
    // Chooses the printer, a PDF file among them; print() prints there afterwards. When
    // printing is not available here, says so and returns false.
    virtual bool showPrinter(QWidget* parent);
    // Opens with the font and the text colour it holds; sets both. The colour is one of the
    // sixteen basic ones, or the one it held.
    virtual bool showFont(QWidget* parent);
    // A PDF file as the printer, without a dialog; false when printing is not available here.
    bool choosePdfPrinter(const QString& path);
    // The selection of `cursor`, or its whole document when nothing is selected, on the chosen
    // printer. False when none was chosen or the printer failed.
    bool print(const QTextCursor& cursor);
    // Every property as at the start.
    void resetProperties();

private:
    friend Service;
    static CommonDialog& real();

    int m_flags = 0;
    QColor m_color = Qt::black;
    QString m_filter;
    int m_filterIndex = 1;
    QString m_fileName;
    QString m_defaultExt = QStringLiteral("txt");
    QFont m_font;
    QColor m_fontColor = Qt::black;
    // From the printing module, loaded at the first print: most runs print nothing.
    ModulePrinter* printer(QString* error);
    std::unique_ptr<ModulePrinter> m_printer;
};

// The filter as Qt's file dialogs take it: "Text (*.txt)" entries, in order.
QStringList fileDialogFilters(const QString& filter);
// The extension of the n-th entry (from 1) when its pattern is one "*.ext", else empty.
QString filterExtension(const QString& filter, int n);
