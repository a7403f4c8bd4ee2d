#include "dialogs/spinnerlist.h"

#include <algorithm>

SpinnerList::SpinnerList(QWidget* parent, QStringList entries)
    : QSpinBox(parent), m_entries(std::move(entries)) {
    setRange(0, int(m_entries.size()) - 1);
    setWrapping(false);
    setFont(QFont(QStringLiteral("Times New Roman"), 11));
    connect(this, &QSpinBox::valueChanged, this, [this] {
        if (!m_settingText) Q_EMIT scrolled();
    });
}

bool SpinnerList::setText(const QString& text) {
    const qsizetype index = m_entries.indexOf(text);
    if (index < 0) return false;
    m_settingText = true;
    setValue(int(index));
    m_settingText = false;
    return true;
}

QString SpinnerList::textFromValue(int value) const {
    return m_entries.value(value);
}

int SpinnerList::valueFromText(const QString& text) const {
    return int(std::max<qsizetype>(0, m_entries.indexOf(text)));
}

QValidator::State SpinnerList::validate(QString& input, int&) const {
    if (m_entries.contains(input)) return QValidator::Acceptable;
    for (const QString& entry : m_entries) {
        if (entry.startsWith(input)) return QValidator::Intermediate;
    }
    return QValidator::Invalid;
}
