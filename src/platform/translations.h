#pragma once
// Qt's own texts (dialog buttons, the colour, file, font and print dialogs) in the user's
// language. The program speaks Chinese: where Qt has no catalog for the language, or the
// language is English, they speak Chinese too, so that no "OK" stands in a Chinese box.

#include <QLocale>

namespace translations {

// Installs the catalog for `locale` into the application; returns the language installed.
QLocale::Language install(const QLocale& locale = QLocale::system());

}  // namespace translations
