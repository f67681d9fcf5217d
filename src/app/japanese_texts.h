#pragma once

class QCoreApplication;

namespace orbeta {

// Qt's own texts (the buttons of message boxes, standard dialogs) in Japanese like the rest of the
// interface, whatever the system's language, from the Qt translations installed with Qt. False
// when they are not installed; the texts then stay English.
bool installJapaneseQtTexts(QCoreApplication& application);

} // namespace orbeta
