#include "platform/commondialog.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QStringList>
#include <algorithm>

QStringList fileDialogFilters(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        filters.append(parts[i] + QStringLiteral(" (") + patterns.simplified() + u')');
    }
    return filters;
}

QString filterExtension(const QString& filter, int n) {
    const QString pattern = filter.section(u'|', 2 * n - 1, 2 * n - 1).trimmed();
    if (!pattern.startsWith(QStringLiteral("*.")) || pattern.contains(u';')) return {};
    const QString ext = pattern.mid(2);
    return ext.contains(u'*') || ext.contains(u'?') ? QString() : ext;
}

CommonDialog::CommonDialog() = default;
CommonDialog::~CommonDialog() = default;

QPrinter& CommonDialog::printer() {
    if (!m_printer) m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void CommonDialog::resetProperties() {
    flags = 0;
    color = Qt::black;
    filter.clear();
    filterIndex = 1;
    fileName.clear();
    defaultExt = QStringLiteral("txt");
    font = QFont();
    m_printer.reset();
}

bool CommonDialog::showColor(QWidget* parent) {
    QColorDialog dialog(parent);
    if (flags & kColorFromGiven) dialog.setCurrentColor(color);
    if (!dialog.exec()) return false;
    color = dialog.selectedColor();
    return true;
}

namespace {

// A file dialog on the object's filter, filter index and file name.
bool showFileDialog(CommonDialog& d, QWidget* parent, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    const QStringList filters = fileDialogFilters(d.filter);
    auto suffixFor = [&](const QString& chosen) {
        const QString ext = filterExtension(d.filter, int(filters.indexOf(chosen)) + 1);
        dialog.setDefaultSuffix(ext.isEmpty() ? d.defaultExt : ext);
    };
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(d.filterIndex - 1, filters.first()));
        suffixFor(dialog.selectedNameFilter());
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, suffixFor);
    } else {
        dialog.setDefaultSuffix(d.defaultExt);
    }
    if (!d.fileName.isEmpty()) dialog.selectFile(d.fileName);
    if (!dialog.exec() || dialog.selectedFiles().isEmpty()) return false;
    d.fileName = dialog.selectedFiles().first();
    if (!filters.isEmpty())
        d.filterIndex = std::max(1, int(filters.indexOf(dialog.selectedNameFilter())) + 1);
    return true;
}

}  // namespace

bool CommonDialog::showOpen(QWidget* parent) {
    return showFileDialog(*this, parent, QFileDialog::AcceptOpen);
}

bool CommonDialog::showSave(QWidget* parent) {
    return showFileDialog(*this, parent, QFileDialog::AcceptSave);
}

bool CommonDialog::showPrinter(QWidget* parent) {
    QPrinter& target = printer();
    QPrintDialog dialog(&target, parent);
    QAbstractPrintDialog::PrintDialogOptions options = dialog.options();
    options.setFlag(QAbstractPrintDialog::PrintSelection, (flags & kPrintSelection) != 0);
    options.setFlag(QAbstractPrintDialog::PrintPageRange, !(flags & kPrintNoPageNumbers));
    dialog.setOptions(options);
    dialog.setPrintRange((flags & kPrintSelection) ? QAbstractPrintDialog::Selection
                                                   : QAbstractPrintDialog::AllPages);
    return dialog.exec() == QDialog::Accepted;
}

bool CommonDialog::showFont(QWidget* parent) {
    QFontDialog dialog(font, parent);
    if (!dialog.exec()) return false;
    font = dialog.selectedFont();
    return true;
}

namespace {
CommonDialog* g_installed = nullptr;
}

CommonDialog& CommonDialog::instance() {
    if (g_installed) return *g_installed;
    static CommonDialog real;
    return real;
}

void CommonDialog::install(CommonDialog* dialog) {
    g_installed = dialog;
}
