#include "display/FormatFrequency.h"

#include "platform/LocaleDigits.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace {

// |value| rounded at `position` decimals (negative: tens, hundreds, ...), a
// half away from zero, as a count of units of 10^-position. Ties are decided on
// the exact binary value: scaling by 10, 100 or 1000 in long double is exact,
// and fmod is exact, so 1004.5 rounds up while 1.005 (really 1.00499...) does not.
std::uint64_t RoundedUnits(double magnitude, int position)
{
    if (position >= 0) {
        long double scale = 1;
        for (int i = 0; i < position; ++i)
            scale *= 10;
        const long double scaled = static_cast<long double>(magnitude) * scale;
        const long double whole = std::floor(scaled);
        return static_cast<std::uint64_t>(whole) + (scaled - whole >= 0.5L ? 1 : 0);
    }
    double unit = 1;
    for (int i = 0; i < -position; ++i)
        unit *= 10;
    const double remainder = std::fmod(magnitude, unit);
    const auto units = static_cast<std::uint64_t>((magnitude - remainder) / unit);
    return units + (remainder >= unit / 2 ? 1 : 0);
}

} // namespace

QString FormatNumber(double value, int significantDigits, int decimals, const QLocale& locale)
{
    // Beyond what a 64-bit count of units holds, a plain fixed-point text will do.
    if (!std::isfinite(value) || std::fabs(value) >= 1e15 || decimals > 3)
        return locale.toString(value, 'f', decimals);

    const double magnitude = std::fabs(value);
    int position = decimals;
    if (magnitude > 0) {
        const int leadingExponent = static_cast<int>(std::floor(std::log10(magnitude)));
        position = std::min(decimals, significantDigits - 1 - leadingExponent);
    }
    const std::uint64_t units = RoundedUnits(magnitude, position);

    std::string integerDigits;
    std::string fractionDigits;
    if (position >= 0) {
        std::string digits = std::to_string(units);
        if (static_cast<int>(digits.size()) < position + 1)
            digits.insert(0, position + 1 - digits.size(), '0');
        integerDigits = digits.substr(0, digits.size() - position);
        fractionDigits = digits.substr(digits.size() - position);
    } else {
        integerDigits = units == 0 ? "0" : std::to_string(units) + std::string(-position, '0');
    }
    fractionDigits.resize(decimals, '0');

    QString text;
    if (value < 0 && units != 0)
        text += locale.negativeSign();
    text += GroupInThrees(integerDigits, locale);
    if (decimals > 0)
        text += locale.decimalPoint() + QString::fromLatin1(fractionDigits);
    return text;
}

QString FormatFrequency(double frequencyHz, const QLocale& locale)
{
    constexpr int significantDigits = 4;
    if (frequencyHz < 100)
        return FormatNumber(frequencyHz, significantDigits, 1, locale) + QStringLiteral("Hz");
    if (frequencyHz < 1010)
        return FormatNumber(frequencyHz, significantDigits, 0, locale) + QStringLiteral("Hz");
    if (frequencyHz < 10000)
        return FormatNumber(frequencyHz / 1000, significantDigits, 2, locale) +
               QStringLiteral("kHz");
    return FormatNumber(frequencyHz / 1000, significantDigits, 1, locale) + QStringLiteral("kHz");
}

QString FormatFrequency(double frequencyHz)
{
    return FormatFrequency(frequencyHz, QLocale());
}
