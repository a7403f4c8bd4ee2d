#pragma once
// The open-forms collection: every loaded window of the program in load order. Index 0 is the
// main form; unloading a window moves the later ones down by one.

#include <QList>
#include <QString>
#include <QWidget>
#include <functional>

class Form : public QWidget {
    Q_OBJECT
public:
    // Constructing a form loads it: it is appended to Forms.
    explicit Form(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~Form() override;

    const QString& Tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }

    // Runs the form's unload handler, removes it from Forms, closes it and deletes it later.
    // Unloading a form that is already unloading does nothing.
    void Unload();
    bool isUnloading() const { return m_unloading; }

protected:
    // The form's own unload work; it still stands in Forms while this runs.
    virtual void Form_Unload() {}
    void closeEvent(QCloseEvent* event) override;

private:
    QString m_tag;
    bool m_unloading = false;
};

class Forms {
public:
    static int Count();
    static Form* item(int index);          // nullptr when out of range
    static int indexOf(const Form* form);  // -1 when not loaded
    static QList<Form*> all();

    // Unloads members Count - 1 down to `from`, the last first.
    static void unloadFrom(int from);

    // Called whenever a member is unloaded, after it left the collection.
    static void setRemovalObserver(std::function<void(Form*)> observer);

private:
    friend class Form;
    static void add(Form* form);
    static void remove(Form* form);
};
