#include "util/NumText.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace velmora {

namespace {

constexpr uint32_t kLimbBase = 1000000000u;

// The exact value of a finite double: |v| = Digits[0..N) * 10^Exp, no leading zeros (N = 0 for
// zero). A double is m * 2^e2 with m below 2^53; for e2 < 0 that is m * 5^-e2 / 10^-e2, so the
// decimal digits are those of an integer of at most 767 digits.
struct TExact {
    char Digits[800];
    int N = 0;
    int Exp = 0;
    bool Negative = false;
};

void ExactOf(double v, TExact& x) {
    uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    x.Negative = (bits >> 63) != 0;
    int biased = static_cast<int>((bits >> 52) & 0x7FF);
    uint64_t m = bits & ((uint64_t{1} << 52) - 1);
    if (biased == 0) {
        biased = 1;
    } else {
        m |= uint64_t{1} << 52;
    }
    int e2 = biased - 1075;
    x.N = 0;
    x.Exp = 0;
    if (m == 0) return;
    // Every factor of two taken out of m is one factor of five less to multiply in.
    while ((m & 1) == 0 && e2 < 0) {
        m >>= 1;
        ++e2;
    }
    uint32_t limb[90];  // base 10^9, least significant first
    int count = 0;
    while (m != 0) {
        limb[count++] = static_cast<uint32_t>(m % kLimbBase);
        m /= kLimbBase;
    }
    const auto multiply = [&](uint32_t factor) {
        uint64_t carry = 0;
        for (int i = 0; i < count; ++i) {
            carry += static_cast<uint64_t>(limb[i]) * factor;
            limb[i] = static_cast<uint32_t>(carry % kLimbBase);
            carry /= kLimbBase;
        }
        while (carry != 0) {
            limb[count++] = static_cast<uint32_t>(carry % kLimbBase);
            carry /= kLimbBase;
        }
    };
    if (e2 > 0) {
        int k = e2;
        for (; k >= 31; k -= 31)
            multiply(uint32_t{1} << 31);
        if (k > 0) multiply(uint32_t{1} << k);
    } else if (e2 < 0) {
        int k = -e2;
        for (; k >= 13; k -= 13)
            multiply(1220703125u);  // 5^13
        uint32_t f = 1;
        for (; k > 0; --k)
            f *= 5;
        multiply(f);
        x.Exp = e2;
    }
    char* o = x.Digits;
    uint32_t top = limb[count - 1];
    char tmp[10];
    int t = 0;
    do {
        tmp[t++] = static_cast<char>('0' + top % 10);
        top /= 10;
    } while (top != 0);
    while (t > 0)
        *o++ = tmp[--t];
    for (int i = count - 2; i >= 0; --i) {
        uint32_t l = limb[i];
        for (int k = 8; k >= 0; --k) {
            o[k] = static_cast<char>('0' + l % 10);
            l /= 10;
        }
        o += 9;
    }
    x.N = static_cast<int>(o - x.Digits);
}

// The first keep digits of x rounded half to even on everything after them, into out (which
// gets keep or, after a carry out of the top digit, keep + 1 digits). Returns the digit count.
int RoundDigits(const TExact& x, int keep, char* out) {
    if (keep >= x.N) {
        std::memcpy(out, x.Digits, static_cast<size_t>(x.N));
        std::memset(out + x.N, '0', static_cast<size_t>(keep - x.N));
        return keep;
    }
    if (keep < 0) return 0;
    const char next = x.Digits[keep];
    bool up = next > '5';
    if (next == '5') {
        bool rest = false;
        for (int i = keep + 1; i < x.N && !rest; ++i)
            rest = x.Digits[i] != '0';
        up = rest || (keep > 0 && ((x.Digits[keep - 1] - '0') & 1) != 0);
    }
    std::memcpy(out, x.Digits, static_cast<size_t>(keep));
    if (!up) return keep;
    int i = keep;
    while (i > 0 && out[i - 1] == '9')
        out[--i] = '0';
    if (i > 0) {
        ++out[i - 1];
        return keep;
    }
    std::memmove(out + 1, out, static_cast<size_t>(keep));
    out[0] = '1';
    return keep + 1;
}

char* PutExponent(char* o, int e) {
    *o++ = 'e';
    *o++ = e < 0 ? '-' : '+';
    if (e < 0) e = -e;
    if (e >= 100) *o++ = static_cast<char>('0' + e / 100);
    *o++ = static_cast<char>('0' + e / 10 % 10);
    *o++ = static_cast<char>('0' + e % 10);
    return o;
}

// Shortest digits of |v| (v finite, not zero) that read back as v: digits into out, returns
// their count; sci receives the decimal exponent of the first digit.
int ShortestDigits(double v, const TExact& x, char* out, int& sci) {
    const double a = std::fabs(v);
    for (int s = 1; s <= 17; ++s) {
        char t[20];
        int n = RoundDigits(x, s, t);
        int e = x.N - 1 + x.Exp;
        if (n > s) {
            n = s;
            ++e;
        }
        // The nearest s-digit number, then its neighbours: next to a power of two the
        // interval that reads back is lopsided, and the neighbour may lie in it when the
        // nearest does not.
        uint64_t d = 0;
        for (int i = 0; i < n; ++i)
            d = d * 10 + static_cast<uint64_t>(t[i] - '0');
        const uint64_t low = s == 1 ? 1 : static_cast<uint64_t>(std::pow(10.0, s - 1));
        const uint64_t candidates[3] = {d, d + 1, d - 1};
        for (const uint64_t c : candidates) {
            if (c < low || c >= low * 10) continue;
            char text[48];
            char* p = text;
            char digits[20];
            int k = 0;
            for (uint64_t r = c; r != 0; r /= 10)
                digits[k++] = static_cast<char>('0' + r % 10);
            while (k > 0)
                *p++ = digits[--k];
            p = PutExponent(p, e - s + 1);
            if (ParseDecimal(std::string_view(text, static_cast<size_t>(p - text))) != a) continue;
            int len = 0;
            for (uint64_t r = c; r != 0; r /= 10)
                digits[len++] = static_cast<char>('0' + r % 10);
            for (int i = 0; i < len; ++i)
                out[i] = digits[len - 1 - i];
            while (len > 1 && out[len - 1] == '0')
                --len;
            sci = e;
            return len;
        }
    }
    // Unreachable for a finite double: 17 digits always read back.
    const int n = RoundDigits(x, 17, out);
    sci = x.N - 1 + x.Exp + (n > 17 ? 1 : 0);
    return 17;
}

std::string FixedFromShortest(double v, const char* d, int n, int e) {
    if (e >= n - 1) return FixedText(v, 0);  // an integer: printed exactly, as printf does
    std::string out = std::signbit(v) ? "-" : "";
    if (e >= 0) {
        out.append(d, static_cast<size_t>(e + 1));
        out += '.';
        out.append(d + e + 1, static_cast<size_t>(n - e - 1));
    } else {
        out += "0.";
        out.append(static_cast<size_t>(-e - 1), '0');
        out.append(d, static_cast<size_t>(n));
    }
    return out;
}

}  // namespace

char* FixedTo(char* out, double v, int precision) {
    if (precision < 0) precision = 0;
    if (!std::isfinite(v)) v = 0;
    char* o = out;
    TExact x;
    ExactOf(v, x);
    if (x.Negative) *o++ = '-';
    // Digits of |v| * 10^precision rounded to an integer.
    char t[800 + 2];
    const int fraction = -x.Exp;
    int n;
    if (fraction <= precision) {
        std::memcpy(t, x.Digits, static_cast<size_t>(x.N));
        std::memset(t + x.N, '0', static_cast<size_t>(precision - fraction));
        n = x.N + precision - fraction;
    } else {
        n = RoundDigits(x, x.N - (fraction - precision), t);
    }
    if (n <= precision) {
        *o++ = '0';
        if (precision > 0) {
            *o++ = '.';
            std::memset(o, '0', static_cast<size_t>(precision - n));
            o += precision - n;
            std::memcpy(o, t, static_cast<size_t>(n));
            o += n;
        }
        return o;
    }
    std::memcpy(o, t, static_cast<size_t>(n - precision));
    o += n - precision;
    if (precision > 0) {
        *o++ = '.';
        std::memcpy(o, t + n - precision, static_cast<size_t>(precision));
        o += precision;
    }
    return o;
}

std::string FixedText(double v, int precision) {
    std::string out(FixedTextMax(precision), '\0');
    out.resize(static_cast<size_t>(FixedTo(out.data(), v, precision) - out.data()));
    return out;
}

namespace {

// n digits as d.ddd, then the exponent.
void AppendScientific(std::string& out, const char* d, int n, int e) {
    out += d[0];
    if (n > 1) {
        out += '.';
        out.append(d + 1, static_cast<size_t>(n - 1));
    }
    char ex[8];
    out.append(ex, PutExponent(ex, e));
}

}  // namespace

std::string SciText(double v, int precision) {
    if (precision < 0) precision = 0;
    if (!std::isfinite(v)) v = 0;
    TExact x;
    ExactOf(v, x);
    std::string out = x.Negative ? "-" : "";
    std::string t(static_cast<size_t>(precision) + 2, '0');
    int e = 0;
    if (x.N > 0) {
        const int n = RoundDigits(x, precision + 1, t.data());
        e = x.N - 1 + x.Exp + (n > precision + 1 ? 1 : 0);
    }
    AppendScientific(out, t.data(), precision + 1, e);
    return out;
}

namespace {

// The shortest digits that read back as v, written fixed, or in the shorter of the two
// notations unless forceFixed.
std::string Shortest(double v, bool forceFixed) {
    if (!std::isfinite(v)) return "0";
    if (v == 0) return std::signbit(v) ? "-0" : "0";
    TExact x;
    ExactOf(v, x);
    char d[20];
    int e = 0;
    const int n = ShortestDigits(v, x, d, e);
    const int sciLen = n + (n > 1 ? 1 : 0) + 2 + (e >= 100 || e <= -100 ? 3 : 2);
    const int fixedLen = e >= 0 ? (n > e + 1 ? n + 1 : e + 1) : n + 1 - e;
    if (fixedLen <= sciLen || forceFixed) return FixedFromShortest(v, d, n, e);
    std::string out = x.Negative ? "-" : "";
    AppendScientific(out, d, n, e);
    return out;
}

}  // namespace

std::string ShortestText(double v) {
    return Shortest(v, false);
}

std::string ShortestFixedText(double v) {
    return Shortest(v, true);
}

double ParseDecimal(std::string_view s) {
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    // Significant digits (leading zeros dropped) and the power of ten they are scaled by.
    std::string digits;
    long scale = 0;
    size_t seen = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        if (!digits.empty() || s[i] != '0') digits += s[i];
        ++i, ++seen;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            if (!digits.empty() || s[i] != '0') digits += s[i];
            --scale;
            ++i, ++seen;
        }
    }
    if (seen == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        bool expNegative = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) expNegative = s[i++] == '-';
        long e = 0;
        size_t expDigits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            if (e < 100000) e = e * 10 + (s[i] - '0');
            ++i, ++expDigits;
        }
        if (expDigits == 0) return 0;
        scale += expNegative ? -e : e;
    }
    if (i != s.size()) return 0;
    while (!digits.empty() && digits.back() == '0') {
        digits.pop_back();
        ++scale;
    }
    double v = 0;
    if (digits.empty()) {
        v = 0;
    } else if (digits.size() <= 15 && scale >= -22 && scale <= 22) {
        // Both the integer and the power of ten are exact doubles, so one correctly rounded
        // multiplication or division gives the correctly rounded value.
        constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                     1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                     1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        uint64_t m = 0;
        for (const char c : digits)
            m = m * 10 + static_cast<uint64_t>(c - '0');
        v = static_cast<double>(m);
        v = scale >= 0 ? v * kPow10[scale] : v / kPow10[-scale];
    } else {
        // Without a decimal point the text means the same in every locale; strtod rounds
        // correctly.
        std::string text = digits + "e" + std::to_string(scale);
        v = std::strtod(text.c_str(), nullptr);
    }
    return negative ? -v : v;
}

}  // namespace velmora
