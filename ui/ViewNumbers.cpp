#include "ui/ViewNumbers.h"

#include "base/funcUnit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int SignificantDigits = 5;

// "-0.0" reads as a reading below zero; a rounded zero has no sign.
QString WithoutNegativeZero(QString text) {
    const bool zero =
        std::none_of(text.begin(), text.end(), [](QChar c) { return c >= u'1' && c <= u'9'; });
    if (zero && text.startsWith(u'-'))
        text.remove(0, 1);
    return text;
}
} // namespace

QString FixedText(double value, int decimals) {
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    // Decimal rounding to the significant digits, as printf does it.
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.*e", SignificantDigits - 1, value);
    char* exponentText = std::strchr(digits, 'e');
    const int exponent = std::atoi(exponentText + 1);
    if (exponent >= SignificantDigits) {
        *exponentText = '\0';
        return QString::fromLatin1(digits) + QStringLiteral("E+") + QString::number(exponent);
    }
    return WithoutNegativeZero(QString::number(std::strtod(digits, nullptr), 'f', decimals));
}

QString Hex4Pair(uint16_t first, uint16_t second) {
    return QString::fromStdString(WordToHex4(first) + "-" + WordToHex4(second));
}
