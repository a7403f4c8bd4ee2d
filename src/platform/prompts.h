#pragma once
// Message box and input box. Tests script the answers so that no dialog ever blocks them.

#include <QString>
#include <QStringList>
#include <optional>

namespace Prompts {

enum class Answer { Ok, Cancel };

// OK/Cancel question with the question icon, brought to the foreground.
Answer askOkCancel(const QString& text, const QString& title);

// A prompt with a text field filled with defaultText; nullopt when the user cancels.
std::optional<QString> inputBox(const QString& prompt, const QString& title = {},
                                const QString& defaultText = {});

// --- test hooks ---
// Once scripted, no dialog is shown: each call takes the next queued answer, or Cancel when
// none is queued. Every prompt text is recorded.
void setScripted(bool scripted);
void queueAnswer(Answer answer);
void queueInput(std::optional<QString> text);
QStringList asked();  // prompt texts shown since setScripted(true), oldest first
void clearScript();

}  // namespace Prompts
