#include "desktop/commondialog.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFormLayout>
#include <QPainter>
#include <QStringList>
#include <QVBoxLayout>
#include <algorithm>

#include "desktop/modules.h"
#include "desktop/printmodule.h"
#include "desktop/prompts.h"

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

ModulePrinter* CommonDialog::printer(QString* error) {
    if (m_printer) return m_printer.get();
    if (auto* module = modules::load<PrintModule>(QStringLiteral("jotpin_print"), error))
        m_printer = module->newPrinter();
    return m_printer.get();
}

bool CommonDialog::choosePdfPrinter(const QString& path) {
    QString error;
    ModulePrinter* target = printer(&error);
    if (target) target->choosePdf(path);
    return target != nullptr;
}

bool CommonDialog::print(const QTextCursor& cursor) {
    return m_printer && m_printer->print(cursor);
}

void CommonDialog::resetProperties() {
    m_flags = 0;
    m_color = Qt::black;
    m_filter.clear();
    m_filterIndex = 1;
    m_fileName.clear();
    m_defaultExt = QStringLiteral("txt");
    m_font = QFont();
    m_fontColor = Qt::black;
    m_printer.reset();
}

bool CommonDialog::showColor(QWidget* parent) {
    QColorDialog dialog(parent);
    if (m_flags & kColorFromGiven) dialog.setCurrentColor(m_color);
    if (!dialog.exec()) return false;
    m_color = dialog.selectedColor();
    return true;
}

namespace {

// A file dialog on the object's filter, filter index and file name.
bool showFileDialog(CommonDialog& d, QWidget* parent, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    const QStringList filters = fileDialogFilters(d.filter());
    auto suffixFor = [&](const QString& chosen) {
        const QString ext = filterExtension(d.filter(), int(filters.indexOf(chosen)) + 1);
        dialog.setDefaultSuffix(ext.isEmpty() ? d.defaultExt() : ext);
    };
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(d.filterIndex() - 1, filters.first()));
        suffixFor(dialog.selectedNameFilter());
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, suffixFor);
    } else {
        dialog.setDefaultSuffix(d.defaultExt());
    }
    if (!d.fileName().isEmpty()) dialog.selectFile(d.fileName());
    if (!dialog.exec() || dialog.selectedFiles().isEmpty()) return false;
    d.setFileName(dialog.selectedFiles().first());
    if (!filters.isEmpty())
        d.setFilterIndex(std::max(1, int(filters.indexOf(dialog.selectedNameFilter())) + 1));
    return true;
}

}  // namespace

bool CommonDialog::showOpen(QWidget* parent) {
    return showFileDialog(*this, parent, QFileDialog::AcceptOpen);
}

bool CommonDialog::showSave(QWidget* parent) {
    return showFileDialog(*this, parent, QFileDialog::AcceptSave);
}

bool CommonDialog::showFolder(QWidget* parent, const QString& title) {
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (QFileInfo(m_fileName).isDir()) dialog.setDirectory(m_fileName);
    if (!dialog.exec() || dialog.selectedFiles().isEmpty()) return false;
    m_fileName = QDir::cleanPath(dialog.selectedFiles().first());
    return true;
}

bool CommonDialog::showPrinter(QWidget* parent) {
    QString error;
    ModulePrinter* target = printer(&error);
    if (!target) {
        Prompts::instance().warn(QStringLiteral("无法打印：") + error, QStringLiteral("打印"));
        return false;
    }
    return target->choose(parent, m_flags);
}

namespace {

// The text colours a font dialog offers, as Windows' does.
const std::pair<QRgb, const char16_t*> kTextColours[] = {
    {0x000000, u"黑色"},   {0x800000, u"褐红色"}, {0x008000, u"绿色"},   {0x808000, u"橄榄色"},
    {0x000080, u"藏青色"}, {0x800080, u"紫色"},   {0x008080, u"蓝绿色"}, {0x808080, u"灰色"},
    {0xC0C0C0, u"银色"},   {0xFF0000, u"红色"},   {0x00FF00, u"酸橙色"}, {0xFFFF00, u"黄色"},
    {0x0000FF, u"蓝色"},   {0xFF00FF, u"紫红色"}, {0x00FFFF, u"水绿色"}, {0xFFFFFF, u"白色"},
};

QIcon swatch(const QColor& colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    QPainter(&pixmap).drawRect(0, 0, 15, 15);
    return QIcon(pixmap);
}

}  // namespace

bool CommonDialog::showFont(QWidget* parent) {
    // Qt's font dialog has no text colour: it goes into a dialog of ours with one beside it.
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("字体"));
    auto* fonts = new QFontDialog(m_font, &dialog);
    fonts->setWindowFlags(Qt::Widget);
    fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    auto* colours = new QComboBox(&dialog);
    for (const auto& [rgb, name] : kTextColours)
        colours->addItem(swatch(QColor(rgb)), QString::fromUtf16(name), QColor(rgb));
    if (colours->findData(m_fontColor) < 0)
        colours->addItem(swatch(m_fontColor), m_fontColor.name(), m_fontColor);
    colours->setCurrentIndex(colours->findData(m_fontColor));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* colourRow = new QFormLayout;
    colourRow->addRow(QStringLiteral("颜色(&C)："), colours);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(fonts);
    layout->addLayout(colourRow);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return false;
    m_font = fonts->currentFont();
    m_fontColor = colours->currentData().value<QColor>();
    return true;
}

CommonDialog& CommonDialog::real() {
    static CommonDialog real;
    return real;
}
