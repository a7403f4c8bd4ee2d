#include "desktop/printplugin.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include "desktop/commondialog.h"

namespace {

// A fragment carries the names of its pictures but not the pictures: copy them along.
void copyImageResources(const QTextDocument& from, QTextDocument* to) {
    for (QTextBlock block = from.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat()) continue;
            const QUrl name(format.toImageFormat().name());
            const QVariant image = from.resource(QTextDocument::ImageResource, name);
            if (image.isValid()) to->addResource(QTextDocument::ImageResource, name, image);
        }
    }
}

class QtPrinter : public ModulePrinter {
public:
    bool choose(QWidget* parent, int flags) override {
        QPrintDialog dialog(&printer(), parent);
        QAbstractPrintDialog::PrintDialogOptions options = dialog.options();
        options.setFlag(QAbstractPrintDialog::PrintSelection,
                        (flags & CommonDialog::kPrintSelection) != 0);
        options.setFlag(QAbstractPrintDialog::PrintPageRange,
                        !(flags & CommonDialog::kPrintNoPageNumbers));
        dialog.setOptions(options);
        dialog.setPrintRange((flags & CommonDialog::kPrintSelection)
                                 ? QAbstractPrintDialog::Selection
                                 : QAbstractPrintDialog::AllPages);
        if (dialog.exec() != QDialog::Accepted) return false;
        m_chosen = true;
        return true;
    }

    void choosePdf(const QString& path) override {
        printer().setOutputFormat(QPrinter::PdfFormat);
        printer().setOutputFileName(path);
        m_chosen = true;
    }

    bool print(const QTextCursor& cursor) override {
        const QTextDocument* document = cursor.document();
        if (!m_chosen || !document) return false;
        if (!cursor.hasSelection()) {
            document->print(&printer());
        } else {
            QTextDocument part;
            part.setDefaultFont(document->defaultFont());
            QTextCursor(&part).insertFragment(cursor.selection());
            copyImageResources(*document, &part);
            part.print(&printer());
        }
        return printer().printerState() != QPrinter::Error;
    }

private:
    // Made at its first use: it asks CUPS for printers.
    QPrinter& printer() {
        if (!m_printer) m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        return *m_printer;
    }

    std::unique_ptr<QPrinter> m_printer;
    bool m_chosen = false;
};

}  // namespace

std::unique_ptr<ModulePrinter> PrintPlugin::newPrinter() {
    return std::make_unique<QtPrinter>();
}
