#include "platform/Language.h"

#include "platform/QtTranslations.h"

#include <QCoreApplication>
#include <QTranslator>

Language LanguageFromSetting(const QString& value)
{
    return value.trimmed().compare(QLatin1String("en"), Qt::CaseInsensitive) == 0
               ? Language::English
               : Language::German;
}

QString LanguageSetting(Language language)
{
    return language == Language::English ? QStringLiteral("en") : QStringLiteral("de");
}

bool InstallLanguage(QCoreApplication& app, Language language)
{
    if (language == Language::German) {
        InstallQtTranslations(app);
        return true;
    }
    // Compiled into the program: nothing to find on disk.
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral(":/i18n/heulmeister_en.qm")) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        InstallQtTranslations(app);
        return false;
    }
    return true;
}
