#pragma once
// The note list: every open note, hidden ones included, with its running number and creation
// time; shows the notes the user picks, then unloads itself. One instance at most.

#include <QList>
#include <QPointer>

#include "platform/forms.h"

class Form1;
class ImageControl;
class QLabel;
class QListWidget;

class Form6 : public Form {
    Q_OBJECT
public:
    // Loads the list (built afresh from the open notes) or, when it is already open, brings
    // the open one to the front.
    static void showList();
    // The loaded list; nullptr when none is loaded (also from the moment it starts unloading).
    static Form6* instance();

    ~Form6() override;

    // The note window of `row`; nullptr when that note has been unloaded since the list was
    // built.
    Form1* noteOfRow(int row) const;

    QLabel* Label1;        // title
    ImageControl* Image1;  // show the selected notes
    ImageControl* Image2;  // close
    QListWidget* List1;    // one row per note

protected:
    void Form_Unload() override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    Form6();
    void Form_Load();
    void buildRows();
    // Shows the note of every selected row, in list order, then unloads the list.
    void Image1_Click();
    void Image2_Click();

    QList<QPointer<Form1>> m_rowNotes;  // parallel to the rows of List1
};
