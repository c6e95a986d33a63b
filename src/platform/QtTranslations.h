#pragma once
// Qt's own texts (standard buttons, file dialogs) in the user's language, so
// a German desktop reads "Abbrechen" next to the program's German texts.
// Thread: GUI, before the first dialog.

#include <QLocale>

class QCoreApplication;

// Loads Qt's translation for `locale` from Qt's translations folder and
// installs it on `app`. False when there is none (an English desktop, or the
// translations are not installed): Qt then speaks English, nothing else changes.
bool InstallQtTranslations(QCoreApplication& app, const QLocale& locale = QLocale());
