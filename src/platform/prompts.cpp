#include "platform/prompts.h"

#include <QAbstractButton>
#include <QInputDialog>
#include <QMessageBox>

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
};

Prompts* g_installed = nullptr;

}  // namespace

Prompts& Prompts::instance() {
    if (g_installed) return *g_installed;
    static DialogPrompts real;
    return real;
}

void Prompts::install(Prompts* prompts) {
    g_installed = prompts;
}
