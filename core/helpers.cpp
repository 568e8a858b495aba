#include "helpers.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {
RandomStateType RandomState = 0;
}

int RandomBelow(int n)
{
    RandomState = RandomState * 134775813u + 1u;
    return int((std::uint64_t(RandomState) * std::uint64_t(std::uint32_t(n))) >> 32);
}

void ResetRandomState()
{
    RandomState = 0;
}

QString PadLeft(int number, int width)
{
    return QString::number(std::uint16_t(number)).rightJustified(width, QLatin1Char(' '));
}

QString PadNumber(qint64 number, int width)
{
    return QString::number(number).rightJustified(width, QLatin1Char(' '));
}

// Rounds the shortest decimal text that reads back as the number, so that a value shown
// as 1.005 rounds up like the user expects rather than down like its binary neighbour.
QString FormatFixed(double number)
{
    if (!std::isfinite(number))
        return QString::number(number).rightJustified(6, QLatin1Char(' '));

    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(number),
                                      std::chars_format::fixed);
    const std::string text(buffer, result.ptr);
    const auto point = text.find('.');
    std::string whole = text.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : text.substr(point + 1);
    const bool roundUp = fraction.size() > 2 && fraction[2] >= '5';
    fraction.resize(2, '0');

    std::string digits = whole + fraction;
    if (roundUp) {
        int i = int(digits.size()) - 1;
        while (i >= 0 && digits[std::size_t(i)] == '9') {
            digits[std::size_t(i)] = '0';
            --i;
        }
        if (i < 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[std::size_t(i)];
    }
    std::string shown
        = digits.substr(0, digits.size() - 2) + '.' + digits.substr(digits.size() - 2);
    const bool zero = shown.find_first_not_of("0.") == std::string::npos;
    if (std::signbit(number) && !zero)
        shown.insert(shown.begin(), '-');
    return QString::fromLatin1(shown.c_str()).rightJustified(6, QLatin1Char(' '));
}
