#include "platform/prompts.h"

#include <QInputDialog>
#include <QMessageBox>

namespace {

class DialogPrompts : public Prompts {
public:
    Answer askOkCancel(const QString& text, const QString& title) override {
        QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Ok | QMessageBox::Cancel);
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.raise();
        box.activateWindow();
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
