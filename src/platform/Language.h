#pragma once
// The language of our own texts: German, their source, unless the player
// chose English ("Training" > "Sprache", remembered as "[Training] Sprache").
// Never the system's language: a German course on an English desktop stays
// German. Thread: GUI, before the first text is shown.

#include <QString>

class QCoreApplication;

enum class Language { German, English };

// "en" is English; anything else, or nothing, is German.
Language LanguageFromSetting(const QString& value);
QString LanguageSetting(Language language);

// German: Qt's own texts (standard buttons) follow the user's language, as
// they always did. English: our English translation, and Qt's own English.
// False when the English translation could not be loaded: the game stays German.
bool InstallLanguage(QCoreApplication& app, Language language);
