#pragma once
// A one-row list of texts that its arrows step through: the text shown is the value.

#include <QSpinBox>
#include <QStringList>

class SpinnerList : public QSpinBox {
    Q_OBJECT
public:
    SpinnerList(QWidget* parent, QStringList entries);
    QString text() const { return m_entries.value(value()); }
    // Selects the entry with this text; false, changing nothing, when there is none.
    bool setText(const QString& text);

Q_SIGNALS:
    // The user stepped to another entry.
    void scrolled();

protected:
    QString textFromValue(int value) const override;
    int valueFromText(const QString& text) const override;
    QValidator::State validate(QString& input, int& pos) const override;

private:
    QStringList m_entries;
    bool m_settingText = false;
};
