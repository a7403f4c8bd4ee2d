#pragma once
// The printing module (desktop/printplugin.cpp): Qt Print Support's printer and printer dialog,
// loaded by CommonDialog at the first print.

#include <QtPlugin>
#include <memory>

class QString;
class QTextCursor;
class QWidget;

// One printer and what was chosen for it.
class ModulePrinter {
public:
    virtual ~ModulePrinter() = default;
    // The printer dialog, opened with CommonDialog's print flags. True when the user chose to
    // print.
    virtual bool choose(QWidget* parent, int flags) = 0;
    // A PDF file as the printer, without a dialog.
    virtual void choosePdf(const QString& path) = 0;
    // The selection of `cursor`, or its whole document when nothing is selected, on the chosen
    // printer. False when none was chosen or the printer failed.
    virtual bool print(const QTextCursor& cursor) = 0;
};

class PrintModule {
public:
    virtual ~PrintModule() = default;
    virtual std::unique_ptr<ModulePrinter> newPrinter() = 0;
};

#define JOTPIN_PRINT_MODULE "app.jotpin.PrintModule/1"
Q_DECLARE_INTERFACE(PrintModule, JOTPIN_PRINT_MODULE)
