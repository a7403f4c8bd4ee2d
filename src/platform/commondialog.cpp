#include "platform/commondialog.h"

#include <QColorDialog>
#include <QFileDialog>
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

bool CommonDialog::showColor(QWidget* parent) {
    QColorDialog dialog(parent);
    if (flags & kColorFromGiven) dialog.setCurrentColor(color);
    if (!dialog.exec()) return false;
    color = dialog.selectedColor();
    return true;
}

bool CommonDialog::showOpen(QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    const QStringList filters = fileDialogFilters(filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(filterIndex - 1, filters.first()));
    }
    if (!fileName.isEmpty()) dialog.selectFile(fileName);
    dialog.setDefaultSuffix(defaultExt);
    if (!dialog.exec() || dialog.selectedFiles().isEmpty()) return false;
    fileName = dialog.selectedFiles().first();
    if (!filters.isEmpty())
        filterIndex = std::max(1, int(filters.indexOf(dialog.selectedNameFilter())) + 1);
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
