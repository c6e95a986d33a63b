#include "platform/LocaleDigits.h"

QString GroupInThrees(const std::string& digits, const QLocale& locale)
{
    const bool grouping = !(locale.numberOptions() & QLocale::OmitGroupSeparator);
    const QString separator = locale.groupSeparator();
    QString text;
    const std::size_t count = digits.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (grouping && i > 0 && (count - i) % 3 == 0)
            text += separator;
        text += QLatin1Char(digits[i]);
    }
    return text;
}
