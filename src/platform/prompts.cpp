#include "platform/prompts.h"

#include <QInputDialog>
#include <QMessageBox>
#include <deque>
#include <variant>

namespace Prompts {
namespace {

using Scripted = std::variant<Answer, std::optional<QString>>;

bool g_scripted = false;
std::deque<Scripted> g_queue;
QStringList g_asked;

template <typename T>
std::optional<T> takeScripted(const QString& text) {
    g_asked.append(text);
    if (g_queue.empty()) return std::nullopt;
    Scripted next = g_queue.front();
    g_queue.pop_front();
    if (const T* value = std::get_if<T>(&next)) return *value;
    return std::nullopt;
}

}  // namespace

Answer askOkCancel(const QString& text, const QString& title) {
    if (g_scripted) return takeScripted<Answer>(text).value_or(Answer::Cancel);
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Ok | QMessageBox::Cancel);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.raise();
    box.activateWindow();
    return box.exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
}

std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                const QString& defaultText) {
    if (g_scripted) return takeScripted<std::optional<QString>>(prompt).value_or(std::nullopt);
    bool ok = false;
    const QString text = QInputDialog::getText(nullptr, title, prompt, QLineEdit::Normal,
                                               defaultText, &ok, Qt::WindowStaysOnTopHint);
    if (!ok) return std::nullopt;
    return text;
}

void setScripted(bool scripted) {
    g_scripted = scripted;
    clearScript();
}

void queueAnswer(Answer answer) {
    g_queue.emplace_back(answer);
}

void queueInput(std::optional<QString> text) {
    g_queue.emplace_back(std::move(text));
}

QStringList asked() {
    return g_asked;
}

void clearScript() {
    g_queue.clear();
    g_asked.clear();
}

}  // namespace Prompts
