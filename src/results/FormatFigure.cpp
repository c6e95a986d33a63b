#include "results/FormatFigure.h"

#include "platform/LocaleDigits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// Fifteen significant digits always survive the trip through a double, so
// rounding on them follows the decimal digits the value stands for rather
// than the binary noise below them (0.15 rounds to 0.2, not 0.1).
constexpr int DecimalPrecision = 15;

struct DecimalDigits {
    std::string digits; // significant digits, no leading zero unless the value is 0
    int exponent = 0;   // power of ten of the first digit
};

DecimalDigits ToDecimal(double magnitude)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                      std::chars_format::scientific, DecimalPrecision - 1);
    const std::string text(buffer, result.ptr);
    const auto ePos = text.find('e');
    DecimalDigits decimal;
    for (std::size_t i = 0; i < ePos; ++i) {
        if (text[i] != '.')
            decimal.digits.push_back(text[i]);
    }
    decimal.exponent = std::atoi(text.c_str() + ePos + 1);
    return decimal;
}

// Keeps the digits down to the power of ten lastPower, rounding half up on
// the magnitude (which is half away from zero for the signed value).
// Returns the kept digits; exponent is updated when a carry adds a digit.
std::string RoundToPower(const DecimalDigits& decimal, int lastPower, int& exponent)
{
    exponent = decimal.exponent;
    const int keep = decimal.exponent - lastPower + 1;
    if (keep <= 0) {
        // Everything kept is zero; only a first digit of 5 or more rounds up.
        if (keep == 0 && decimal.digits[0] >= '5') {
            exponent = lastPower;
            return "1";
        }
        return "0";
    }
    if (keep >= int(decimal.digits.size()))
        return decimal.digits;
    std::string kept = decimal.digits.substr(0, keep);
    if (decimal.digits[keep] >= '5') {
        int i = keep - 1;
        while (i >= 0 && kept[i] == '9') {
            kept[i] = '0';
            --i;
        }
        if (i >= 0) {
            ++kept[i];
        } else {
            kept.insert(kept.begin(), '1'); // 9.96 -> 10.0: one more digit in front
            ++exponent;
        }
    }
    return kept;
}

} // namespace

QString FormatFigure(double x, int significantDigits, const QLocale& locale)
{
    if (std::isnan(x))
        return QStringLiteral("NaN");
    if (std::isinf(x))
        return x < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    const int p = std::clamp(significantDigits, 1, DecimalPrecision);

    const DecimalDigits decimal = ToDecimal(std::fabs(x));
    // The last digit kept: the p-th significant one, but never below the first decimal.
    const int lastPower = std::max(decimal.exponent - p + 1, -1);
    int exponent = 0;
    std::string kept = RoundToPower(decimal, lastPower, exponent);

    if (kept.find_first_not_of('0') == std::string::npos)
        return GroupInThrees("0", locale) + locale.decimalPoint() + QChar('0');
    const QString sign = x < 0 ? QStringLiteral("-") : QString();

    if (exponent + 1 > p) {
        while (kept.size() > 1 && kept.back() == '0')
            kept.pop_back();
        QString text = sign + QChar(kept[0]);
        if (kept.size() > 1)
            text += locale.decimalPoint() + QString::fromLatin1(kept.substr(1));
        return text + QChar('E') + QString::number(exponent);
    }

    // Lay the kept digits out on the powers from max(exponent, 0) down to -1.
    std::string all;
    for (int power = std::max(exponent, 0); power >= -1; --power) {
        const int index = exponent - power;
        all.push_back(index >= 0 && index < int(kept.size()) ? kept[index] : '0');
    }
    const std::string integerPart = all.substr(0, all.size() - 1);
    return sign + GroupInThrees(integerPart, locale) + locale.decimalPoint() + QChar(all.back());
}

QString FormatFigure(double x, int significantDigits)
{
    return FormatFigure(x, significantDigits, QLocale());
}
