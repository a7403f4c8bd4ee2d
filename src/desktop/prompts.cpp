#include "desktop/prompts.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

namespace {

class DialogPrompts : public Prompts {
public:
    Answer askOkCancel(const QString& text, const QString& title) override {
        return askOkCancelThen(text, title, [] {});
    }

    Answer askOkCancelThen(const QString& text, const QString& title,
                           const std::function<void()>& onOk) override {
        QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Ok | QMessageBox::Cancel);
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.raise();
        box.activateWindow();
        // Told of the button before the box closes.
        QObject::connect(&box, &QMessageBox::buttonClicked, &box,
                         [&box, &onOk](QAbstractButton* button) {
                             if (box.standardButton(button) == QMessageBox::Ok) onOk();
                         });
        return box.exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
    }

    void tell(const QString& text, const QString& title) override {
        auto* box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok);
        box->setWindowModality(Qt::NonModal);  // a message box is modal unless told otherwise
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowFlag(Qt::WindowStaysOnTopHint);
        box->show();
    }

    void warn(const QString& text, const QString& title) override {
        QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok);
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.exec();
    }

    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override {
        bool ok = false;
        const QString text = QInputDialog::getText(nullptr, title, prompt, QLineEdit::Normal,
                                                   defaultText, &ok, Qt::WindowStaysOnTopHint);
        if (!ok) return std::nullopt;
        return text;
    }

    std::optional<QString> passwordBox(const QString& prompt, const QString& title,
                                       const Check& check) override {
        QDialog dialog(nullptr, Qt::WindowStaysOnTopHint);
        dialog.setWindowTitle(title);
        auto* field = new QLineEdit(&dialog);
        field->setEchoMode(QLineEdit::Password);
        // Shown, the field takes an input method's text too.
        auto* show = new QCheckBox(QStringLiteral("显示密码"), &dialog);
        QObject::connect(show, &QCheckBox::toggled, field, [field](bool on) {
            field->setEchoMode(on ? QLineEdit::Normal : QLineEdit::Password);
        });
        auto* refusal = new QLabel(&dialog);
        refusal->setStyleSheet(QStringLiteral("color: #b00000"));
        refusal->hide();
        auto* buttons =
            new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
            const QString why = check(field->text());
            if (why.isEmpty()) return dialog.accept();
            refusal->setText(why);
            refusal->show();
            field->selectAll();
            field->setFocus();
        });
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(new QLabel(prompt, &dialog));
        layout->addWidget(field);
        layout->addWidget(show);
        layout->addWidget(refusal);
        layout->addWidget(buttons);
        dialog.raise();
        dialog.activateWindow();
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return field->text();
    }
};

}  // namespace

Prompts& Prompts::real() {
    static DialogPrompts real;
    return real;
}
