#pragma once
// The look the note list and the icon picker share: a borderless tool window titled "Jotpin"
// on a light blue background, centred on the screen, with a bold dark-blue title.

#include <QRect>
#include <QString>

class QLabel;
class QWidget;

namespace toolframe {

// Screen readers see the icon picker, the note list and the settings dialog as dialogs.
void readAsDialog();
// Sets up `window` with a client area of the given size in twips (and readAsDialog()).
void setUp(QWidget* window, int widthTwips, int heightTwips);
// The title at a place in twips.
QLabel* addTitle(QWidget* window, const QString& text, const QRect& placeTwips);

// Topmost, shown and in front.
void showOnTop(QWidget* window);

}  // namespace toolframe
