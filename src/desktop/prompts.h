#pragma once
// Message box and input box, modal, brought to the front. Tests install a double that answers
// without showing anything.

#include <QString>
#include <functional>
#include <optional>

#include "platform/service.h"

class Prompts : public Service<Prompts> {
public:
    enum class Answer { Ok, Cancel };

    virtual ~Prompts() = default;
    // OK/Cancel question with the question icon.
    virtual Answer askOkCancel(const QString& text, const QString& title) = 0;
    // The same question; on OK, `onOk` runs before the box goes. For a program that ends on OK:
    // taking the box down first would give back every window it blocked, each with every part
    // of it, which takes long with thousands of notes.
    virtual Answer askOkCancelThen(const QString& text, const QString& title,
                                   const std::function<void()>& onOk) {
        const Answer answer = askOkCancel(text, title);
        if (answer == Answer::Ok) onOk();
        return answer;
    }
    // A prompt with a text field filled with defaultText; nullopt when the user cancels.
    virtual std::optional<QString> inputBox(const QString& prompt, const QString& title = {},
                                            const QString& defaultText = {}) = 0;

    // Why an answer is refused, shown in the prompt, which then asks again; empty accepts it.
    using Check = std::function<QString(const QString& answer)>;
    // A prompt whose text field does not show what is typed; nullopt when the user cancels.
    virtual std::optional<QString> passwordBox(const QString& prompt, const QString& title,
                                               const Check& check) = 0;

    // A warning the user reads while the program goes on: the box does not wait.
    virtual void tell(const QString& text, const QString& title) = 0;
    // A warning that waits until the user has read it.
    virtual void warn(const QString& text, const QString& title) = 0;

private:
    friend Service;
    static Prompts& real();
};
