// Feeds arbitrary bytes to the number reader and every value it yields to the formatters, and
// aborts on any broken property so libFuzzer keeps the input.

#include "core/numeric_text.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

using namespace kestrune;

[[noreturn]] void broken(const char* what, const std::string& detail) {
    std::fprintf(stderr, "broken property: %s\n%s\n", what, detail.c_str());
    std::abort();
}

void check(bool holds, const char* what, const std::string& detail) {
    if (!holds) {
        broken(what, detail);
    }
}

std::string show(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

// Quoted, with every byte outside printable ASCII as \xNN.
std::string show(const QByteArray& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7f && c != '"' && c != '\\') {
            out += c;
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", b);
            out += buf;
        }
    }
    return out + '"';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reference reader: drop the ignored bytes, take the longest prefix of the grammar the reader
// documents and hand it to strtod ("C" locale: nothing here calls setlocale). Returns false when
// strtod reports the value beyond the range of a double.
bool referenceValue(const std::uint8_t* data, std::size_t size, double& value) {
    std::string s;
    for (std::size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c != ' ' && c != '\t' && c != '\n') {
            s += c;
        }
    }
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) {
        ++i;
        ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        value = 0.0;
        return true;
    }
    std::size_t end = i;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            ++j;
        }
        const std::size_t expDigitsStart = j;
        while (j < s.size() && isDigit(s[j])) {
            ++j;
        }
        if (j > expDigitsStart) {
            end = j;
        }
    }
    const std::string number = s.substr(0, end);
    errno = 0;
    value = std::strtod(number.c_str(), nullptr);
    return !(errno == ERANGE && std::isinf(value));
}

// "[-]digits.dd" with exactly `decimals` digits after the point, no superfluous leading zero and
// no minus on a zero.
void checkPatternForm(const QByteArray& t, int decimals, double v, const char* name) {
    const std::string detail = std::string(name) + " of " + show(v) + " gave " + show(t);
    qsizetype i = 0;
    if (i < t.size() && t[i] == '-') {
        ++i;
    }
    const qsizetype intStart = i;
    while (i < t.size() && isDigit(t[i])) {
        ++i;
    }
    check(i > intStart, "pattern has a digit before the point", detail);
    check(i - intStart == 1 || t[intStart] != '0', "pattern has no leading zero", detail);
    check(i < t.size() && t[i] == '.', "pattern has a point", detail);
    ++i;
    const qsizetype fracStart = i;
    while (i < t.size() && isDigit(t[i])) {
        ++i;
    }
    check(i == t.size() && i - fracStart == decimals, "pattern has exactly its decimals", detail);
    const bool allZero = t.mid(intStart).count('0') == t.size() - intStart - 1;
    if (t.startsWith('-')) {
        check(!allZero && v < 0, "pattern minus only on a negative non-zero result", detail);
    } else {
        check(v >= 0 || allZero, "pattern of a negative value has a minus", detail);
    }
}

// The 15-significant-digit text of a finite value rounds up beyond the range of a double only
// at the very top of it (1.797693134862315e308 and above print as 1.79769313486232e308).
constexpr double kFifteenDigitCeiling = 1.797693134862315e308;

void checkPattern(double v, int decimals) {
    const Result<QByteArray> p = text::pattern(v, decimals);
    check(p.ok(), "pattern of a finite value succeeds", show(v));
    checkPatternForm(*p, decimals, v, "pattern");
    const Result<double> back = text::numericValue(*p);
    if (!back.ok()) {
        check(std::fabs(v) >= kFifteenDigitCeiling, "pattern text reads back",
              show(v) + " -> " + show(*p));
        return;
    }
    // 15 significant digits (relative 5e-15), then half a unit of the last decimal.
    const double tolerance = 0.5 * std::pow(10.0, -decimals) * (1 + 1e-9) + 6e-15 * std::fabs(v);
    check(std::fabs(*back - v) <= tolerance, "pattern text reads back within rounding",
          show(v) + " -> " + show(*p) + " -> " + show(*back));
}

void checkPatternExact(double v) {
    const Result<QByteArray> p = text::patternExact(v, 2);
    check(p.ok(), "patternExact of a finite value succeeds", show(v));
    checkPatternForm(*p, 2, v, "patternExact");
    const Result<double> back = text::numericValue(*p);
    check(back.ok(), "patternExact text reads back", show(v) + " -> " + show(*p));
    const double ulp =
        std::nextafter(std::fabs(v), std::numeric_limits<double>::infinity()) - std::fabs(v);
    check(std::fabs(*back - v) <= 0.005 * (1 + 1e-9) + ulp,
          "patternExact text reads back within rounding",
          show(v) + " -> " + show(*p) + " -> " + show(*back));
}

// Halves to even, and a failure exactly when the rounded value leaves [lo, hi]. With lo even and
// hi odd, lo - 0.5 rounds into the range and hi + 0.5 out of it.
template <class Int>
void checkToInt(const Result<Int>& r, double v, double lo, double hi, const char* name) {
    const bool inRange = v >= lo - 0.5 && v < hi + 0.5;
    check(r.ok() == inRange, name, show(v) + (r.ok() ? " succeeded" : " failed"));
    if (!r.ok()) {
        return;
    }
    const double got = static_cast<double>(*r);
    check(got >= lo && got <= hi, name, show(v) + " gave " + show(got));
    const double diff = std::fabs(got - v);
    check(diff <= 0.5, name, show(v) + " gave " + show(got));
    if (diff == 0.5) {
        check(std::fmod(got, 2.0) == 0.0, name, show(v) + " gave odd " + show(got));
    }
}

void checkFifteenDigits(double v) {
    const QByteArray t = text::fifteenDigits(v);
    const std::string detail = show(v) + " -> " + show(t);
    int significant = 0;
    bool leading = true;
    for (const char c : t) {
        check(isDigit(c) || c == '.' || c == '-', "fifteenDigits is plain decimal", detail);
        if (isDigit(c) && !(leading && c == '0')) {
            leading = false;
            ++significant;
        }
    }
    // Integer zeros after the digits are padding, not precision.
    const qsizetype point = t.indexOf('.');
    if (point < 0) {
        qsizetype trailing = 0;
        while (trailing < t.size() && t[t.size() - 1 - trailing] == '0') {
            ++trailing;
        }
        if (significant > 0) {
            significant -= static_cast<int>(std::min<qsizetype>(trailing, significant - 1));
        }
    } else {
        check(t.back() != '0' && t.back() != '.', "fifteenDigits drops trailing zeros", detail);
    }
    check(significant <= 15, "fifteenDigits keeps at most 15 digits", detail);
    const Result<double> back = text::numericValue(t);
    if (!back.ok()) {
        check(std::fabs(v) >= kFifteenDigitCeiling, "fifteenDigits text reads back", detail);
        return;
    }
    check(std::fabs(*back - v) <= 6e-15 * std::fabs(v) + std::numeric_limits<double>::denorm_min(),
          "fifteenDigits reads back within 15 digits", detail + " -> " + show(*back));
    // Any 15-digit decimal survives a trip through a normal double.
    if (std::fabs(*back) >= std::numeric_limits<double>::min()) {
        check(text::fifteenDigits(*back) == t, "fifteenDigits is stable", detail);
    }
}

void checkSingleSignPosition(float f) {
    const QByteArray t = text::singleSignPosition(f);
    const std::string detail = show(static_cast<double>(f)) + " -> " + show(t);
    check(t.size() >= 2, "singleSignPosition has a sign position and a digit", detail);
    check(t[0] == (f < 0 ? '-' : ' '), "singleSignPosition sign position", detail);
    if (std::isinf(f)) {
        check(t.mid(1) == "inf", "singleSignPosition of infinity", detail);
        return;
    }
    if (f == 0.0f) {
        check(t == " 0", "singleSignPosition of zero", detail);
        return;
    }
    const qsizetype e = t.indexOf('E');
    const QByteArray mantissa = e < 0 ? t.mid(1) : t.mid(1, e - 1);
    check(!mantissa.startsWith('0'), "singleSignPosition has no leading zero", detail);
    if (mantissa.contains('.')) {
        check(!mantissa.endsWith('0') && !mantissa.endsWith('.'),
              "singleSignPosition drops trailing zeros", detail);
    }
    int significant = 0;
    bool leading = true;
    for (const char c : mantissa) {
        check(isDigit(c) || c == '.', "singleSignPosition mantissa is decimal", detail);
        if (isDigit(c) && !(leading && c == '0')) {
            leading = false;
            ++significant;
        }
    }
    if (e >= 0) {
        const QByteArray exp = t.mid(e + 1);
        check(exp.size() >= 3 && (exp[0] == '+' || exp[0] == '-') && isDigit(exp[1]) &&
                  isDigit(exp[2]),
              "singleSignPosition exponent is signed with two digits", detail);
    }
    check(significant <= 7, "singleSignPosition keeps at most 7 digits", detail);
    const Result<double> back = text::numericValue(t);
    check(back.ok(), "singleSignPosition text reads back", detail);
    const double exact = static_cast<double>(f);
    check(std::fabs(*back - exact) <= 5.000001e-7 * std::fabs(exact),
          "singleSignPosition reads back within 7 digits", detail + " -> " + show(*back));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView input(data, static_cast<qsizetype>(size));
    const Result<double> r = text::numericValue(input);

    double expected = 0.0;
    const bool inRange = referenceValue(data, size, expected);
    const std::string asText = show(QByteArray(input.data(), input.size()));
    check(r.ok() == inRange, "numericValue fails exactly on overflow", asText);
    if (!r.ok()) {
        check(r.description() == QStringLiteral("Overflow"), "numericValue fails with Overflow",
              asText);
        return 0;
    }
    const double v = *r;
    check(std::isfinite(v), "numericValue is finite", asText + " -> " + show(v));
    check(v == expected, "numericValue is the correctly rounded leading number",
          asText + " -> " + show(v) + ", expected " + show(expected));

    checkPattern(v, 1);
    checkPattern(v, 2);
    checkPatternExact(v);
    checkToInt(text::toInt16(v), v, -32768.0, 32767.0, "toInt16");
    checkToInt(text::toInt32(v), v, -2147483648.0, 2147483647.0, "toInt32");
    checkFifteenDigits(v);
    checkSingleSignPosition(static_cast<float>(v));
    return 0;
}
