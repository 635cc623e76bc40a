#include "core/numeric_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

// All conversions here go through std::from_chars / std::to_chars, which ignore the C locale
// (QCoreApplication sets LC_ALL from the environment, so printf/strtod could see a decimal comma).

namespace kestrune::text {

namespace {

const Failure kOverflow{QStringLiteral("Overflow")};

bool isIgnored(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A plain decimal number "[-]intPart.fracPart", kept as digit strings.
struct Decimal {
    bool negative = false;
    std::string intPart;  // at least one digit
    std::string fracPart; // any number of digits
};

// Text "[-]int[.frac]" of a Decimal rounded half away from zero to `decimals` fraction digits,
// with exactly `decimals` digits after the point and no "-" when the result is zero.
QByteArray roundedText(Decimal d, int decimals) {
    const auto keep = static_cast<std::size_t>(decimals < 0 ? 0 : decimals);
    const bool roundUp = d.fracPart.size() > keep && d.fracPart[keep] >= '5';
    d.fracPart.resize(keep, '0');
    if (roundUp) {
        std::string digits = d.intPart + d.fracPart;
        std::size_t i = digits.size();
        while (i > 0) {
            --i;
            if (digits[i] == '9') {
                digits[i] = '0';
            } else {
                ++digits[i];
                break;
            }
            if (i == 0) {
                digits.insert(digits.begin(), '1');
            }
        }
        d.intPart = digits.substr(0, digits.size() - keep);
        d.fracPart = digits.substr(digits.size() - keep);
    }
    const std::size_t firstNonZero = d.intPart.find_first_not_of('0');
    d.intPart = firstNonZero == std::string::npos ? "0" : d.intPart.substr(firstNonZero);
    const bool isZero = d.intPart == "0" && d.fracPart.find_first_not_of('0') == std::string::npos;

    QByteArray out;
    if (d.negative && !isZero) {
        out += '-';
    }
    out += QByteArray::fromStdString(d.intPart);
    if (keep > 0) {
        out += '.';
        out += QByteArray::fromStdString(d.fracPart);
    }
    return out;
}

// Splits a plain decimal text "[-]digits[.digits]" (no exponent) into a Decimal.
Decimal splitPlain(const std::string& s) {
    Decimal d;
    std::size_t pos = 0;
    if (!s.empty() && s[0] == '-') {
        d.negative = true;
        pos = 1;
    }
    const std::size_t point = s.find('.', pos);
    if (point == std::string::npos) {
        d.intPart = s.substr(pos);
    } else {
        d.intPart = s.substr(pos, point - pos);
        d.fracPart = s.substr(point + 1);
    }
    if (d.intPart.empty()) {
        d.intPart = "0";
    }
    return d;
}

// Significant digits and decimal exponent of a value written in scientific form with
// `precision` digits after the point: value = digits[0].digits[1..] * 10^exponent.
struct Scientific {
    bool negative = false;
    std::string digits; // trailing zeros removed, at least one digit
    int exponent = 0;
};

template <class F> Scientific scientific(F value, int precision) {
    std::array<char, 64> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                                   std::chars_format::scientific, precision);
    const std::string s(buf.data(), res.ptr);
    Scientific sc;
    std::size_t pos = 0;
    if (s[0] == '-') {
        sc.negative = true;
        pos = 1;
    }
    const std::size_t e = s.find('e');
    for (std::size_t i = pos; i < e; ++i) {
        if (s[i] != '.') {
            sc.digits += s[i];
        }
    }
    // to_chars writes the exponent as e+XX / e-XXX, which std::stoi reads with its sign.
    sc.exponent = std::stoi(s.substr(e + 1));
    const std::size_t last = sc.digits.find_last_not_of('0');
    sc.digits.resize(last == std::string::npos ? 1 : last + 1);
    return sc;
}

template <class Int> Result<Int> toInt(double value) {
    if (std::isnan(value)) {
        return kOverflow;
    }
    // nearbyint rounds in the current rounding mode, which the program leaves at its default,
    // to nearest with ties to even.
    const double r = std::nearbyint(value);
    if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
        r > static_cast<double>(std::numeric_limits<Int>::max())) {
        return kOverflow;
    }
    return static_cast<Int>(r);
}

} // namespace

Result<double> numericValue(QByteArrayView text) {
    // Collect the accepted characters of the leading number, without the ignored blanks.
    std::string accepted;
    bool negative = false;
    bool sawSign = false;
    bool sawPoint = false;
    bool sawMantissaDigit = false;
    std::size_t exponentStart = std::string::npos; // index of 'e' in `accepted`
    bool exponentHasDigit = false;
    bool exponentHasSign = false;

    // Saturated decimal position of the leading significant digit, used only to tell overflow
    // from underflow when the value is out of range.
    long long leadingZerosAfterPoint = 0;
    long long significantIntDigits = 0;
    bool sawSignificant = false;
    long long exponent = 0;
    bool exponentNegative = false;

    for (const char c : text) {
        if (isIgnored(c)) {
            continue;
        }
        if (exponentStart == std::string::npos) {
            if ((c == '+' || c == '-') && !sawSign && !sawPoint && !sawMantissaDigit) {
                sawSign = true;
                negative = c == '-';
                continue;
            }
            if (isDigit(c)) {
                sawMantissaDigit = true;
                accepted += c;
                if (c != '0' || sawSignificant) {
                    sawSignificant = true;
                    if (!sawPoint) {
                        ++significantIntDigits;
                    }
                } else if (sawPoint) {
                    ++leadingZerosAfterPoint;
                }
                continue;
            }
            if (c == '.' && !sawPoint) {
                sawPoint = true;
                accepted += c;
                continue;
            }
            if ((c == 'e' || c == 'E') && sawMantissaDigit) {
                exponentStart = accepted.size();
                accepted += 'e';
                continue;
            }
            break;
        }
        if ((c == '+' || c == '-') && !exponentHasSign && !exponentHasDigit) {
            exponentHasSign = true;
            exponentNegative = c == '-';
            accepted += c;
            continue;
        }
        if (isDigit(c)) {
            exponentHasDigit = true;
            accepted += c;
            if (exponent < 1'000'000'000) {
                exponent = exponent * 10 + (c - '0');
            }
            continue;
        }
        break;
    }
    if (!sawMantissaDigit) {
        return 0.0;
    }
    if (exponentStart != std::string::npos && !exponentHasDigit) {
        accepted.resize(exponentStart); // "1e" and "1e+" read as 1
        exponent = 0;
    }

    double value = 0.0;
    const char* first = accepted.data();
    const char* last = first + accepted.size();
    const auto res = std::from_chars(first, last, value, std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range || std::isinf(value)) {
        if (!sawSignificant) {
            return 0.0;
        }
        const long long magnitude =
            (significantIntDigits > 0 ? significantIntDigits - 1 : -leadingZerosAfterPoint - 1) +
            (exponentNegative ? -exponent : exponent);
        if (magnitude >= 0) {
            return kOverflow;
        }
        return 0.0; // too small to represent
    }
    if (res.ec != std::errc()) {
        return 0.0; // not reached: `accepted` always holds a number
    }
    return negative ? -value : value;
}

Result<std::int16_t> toInt16(double value) {
    return toInt<std::int16_t>(value);
}

Result<std::int32_t> toInt32(double value) {
    return toInt<std::int32_t>(value);
}

QByteArray fifteenDigits(double value) {
    if (!std::isfinite(value)) {
        std::array<char, 16> buf{};
        const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value);
        return QByteArray(buf.data(), res.ptr - buf.data());
    }
    if (value == 0.0) {
        return "0";
    }
    const Scientific sc = scientific(value, 14);
    const auto n = static_cast<int>(sc.digits.size());
    std::string out = sc.negative ? "-" : "";
    if (sc.exponent < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-sc.exponent - 1), '0');
        out += sc.digits;
    } else if (sc.exponent + 1 >= n) {
        out += sc.digits;
        out.append(static_cast<std::size_t>(sc.exponent + 1 - n), '0');
    } else {
        const auto intDigits = static_cast<std::size_t>(sc.exponent + 1);
        out += sc.digits.substr(0, intDigits);
        out += '.';
        out += sc.digits.substr(intDigits);
    }
    return QByteArray::fromStdString(out);
}

Result<QByteArray> pattern(double value, int decimals) {
    if (!std::isfinite(value)) {
        return kOverflow;
    }
    return roundedText(splitPlain(fifteenDigits(value).toStdString()), decimals);
}

Result<QByteArray> patternExact(double value, int decimals) {
    if (!std::isfinite(value)) {
        return kOverflow;
    }
    // Every double is an exact binary fraction with at most 1074 fraction digits in decimal, so
    // this fixed form is its exact expansion (309 integer digits at most).
    constexpr int kExactFractionDigits = 1074;
    std::string buf(2048, '\0');
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                                   std::chars_format::fixed, kExactFractionDigits);
    buf.resize(static_cast<std::size_t>(res.ptr - buf.data()));
    return roundedText(splitPlain(buf), decimals);
}

QByteArray plainInt(std::int64_t value) {
    return QByteArray::number(qlonglong{value});
}

QByteArray signPositionInt(std::int64_t value) {
    return value < 0 ? plainInt(value) : ' ' + plainInt(value);
}

QByteArray singleSignPosition(float value) {
    if (std::isnan(value)) {
        return " nan";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-inf" : " inf";
    }
    if (value == 0.0f) {
        return " 0"; // negative zero too
    }
    QByteArray out(value < 0 ? "-" : " ");
    // Seven significant digits of the float's exact value, then the form of Basic's Str$:
    // plain decimal for decimal exponents -4 to 6 (0.0001 to 9999999), E notation outside that
    // range (1E-05, 1.5E-07, 1E+07, 1.234568E+07), the mantissa with trailing zeros dropped and a
    // signed exponent of at least two digits.
    const Scientific sc = scientific(value, 6);
    const auto n = static_cast<int>(sc.digits.size());
    std::string body;
    if (sc.exponent < -4 || sc.exponent > 6) {
        body = sc.digits.substr(0, 1);
        if (n > 1) {
            body += '.';
            body += sc.digits.substr(1);
        }
        const int absExp = std::abs(sc.exponent);
        body += sc.exponent < 0 ? "E-" : "E+";
        if (absExp < 10) {
            body += '0';
        }
        body += std::to_string(absExp);
    } else if (sc.exponent < 0) {
        body = ".";
        body.append(static_cast<std::size_t>(-sc.exponent - 1), '0');
        body += sc.digits;
    } else if (sc.exponent + 1 >= n) {
        body = sc.digits;
        body.append(static_cast<std::size_t>(sc.exponent + 1 - n), '0');
    } else {
        const auto intDigits = static_cast<std::size_t>(sc.exponent + 1);
        body = sc.digits.substr(0, intDigits) + '.' + sc.digits.substr(intDigits);
    }
    out += QByteArray::fromStdString(body);
    return out;
}

} // namespace kestrune::text
