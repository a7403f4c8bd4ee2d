#pragma once
// The rich-text control of every note: a QTextEdit with the members the program relies on.

#include <QColor>
#include <QString>
#include <QTextEdit>

class RichTextBox : public QTextEdit {
    Q_OBJECT
public:
    explicit RichTextBox(QWidget* parent = nullptr);

    // Plain text; paragraph breaks read as CR LF. Setting replaces everything, formatting too.
    QString Text() const;
    void setText(const QString& text);

    // Loads an RTF file. On failure the content stays as it was, false is returned and
    // *error says why.
    bool setFileName(const QString& path, QString* error = nullptr);
    QString FileName() const { return m_fileName; }
    bool LoadFile(const QString& path, QString* error = nullptr);
    // Writes the content as RTF, atomically: on failure an existing file stays whole.
    bool SaveFile(const QString& path, QString* error = nullptr) const;

    QColor BackColor() const { return m_backColor; }
    void setBackColor(const QColor& colour);

    const QString& Tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }

private:
    QString m_fileName;
    QString m_tag;
    QColor m_backColor = Qt::white;
};
