#include "platform/richtextbox.h"

#include <QFile>
#include <QSaveFile>

#include "platform/rtf.h"

RichTextBox::RichTextBox(QWidget* parent) : QTextEdit(parent) {}

QString RichTextBox::Text() const {
    QString text = toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

void RichTextBox::setText(const QString& text) {
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setPlainText(plain);
}

bool RichTextBox::setFileName(const QString& path, QString* error) {
    if (!LoadFile(path, error)) return false;
    m_fileName = path;
    return true;
}

bool RichTextBox::LoadFile(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    return rtf::read(file.readAll(), document(), error);
}

bool RichTextBox::SaveFile(const QString& path, QString* error) const {
    const QByteArray bytes = rtf::write(*document());
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    if (error) *error = path + QStringLiteral(": ") + file.errorString();
    return false;
}

void RichTextBox::setBackColor(const QColor& colour) {
    m_backColor = colour;
    QPalette p = palette();
    p.setColor(QPalette::Base, colour);
    setPalette(p);
}
