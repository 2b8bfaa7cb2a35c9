#include "util/NumText.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace velmora {
namespace {

// The host library's answers are the reference: glibc's printf and libstdc++'s to_chars are
// exact on the native build.
std::string Printf(const char* format, int precision, double v) {
    std::vector<char> buf(2000);
    const int n = std::snprintf(buf.data(), buf.size(), format, precision, v);
    return std::string(buf.data(), static_cast<size_t>(n));
}

std::string ToChars(double v) {
    char buf[400];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

std::string ToCharsFixed(double v) {
    char buf[1200];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed).ptr);
}

double FromBits(uint64_t bits) {
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// Values where rounding, carries and the extremes of the format meet.
const std::vector<double>& EdgeValues() {
    static const std::vector<double> values = {
        0.0,
        -0.0,
        0.5,
        1.5,
        2.5,
        -2.5,
        0.125,
        0.0009765625,  // 2^-10: exact ties at several precisions
        0.000244140625,
        1e22,
        1e23,
        9.5,
        99.5,
        999999999.9999999,
        0.1,
        0.3,
        2.0 / 3.0,
        123456.789,
        -98765.4321,
        5e-324,
        -5e-324,
        2.2250738585072014e-308,
        2.2250738585072009e-308,
        std::numeric_limits<double>::max(),
        -std::numeric_limits<double>::max(),
        9007199254740992.0,
        9007199254740993.0 * 2,
        1152921504606846976.0,
        0x1p-1074 * 3,
        0x1p100,
        0x1p-100,
        1e-5,
        1.25e-7,
        0.001,
        4.35,
        1.005,
        1e15,
        1e16,
        1e21,
        123456789012345678.0,
        0.996,
        1e-300,
        1e300,
        8.41e21,
        5.0e-1,
    };
    return values;
}

std::vector<double> RandomValues(int count) {
    std::mt19937_64 rng(20261211);
    std::vector<double> out;
    std::uniform_real_distribution<double> coord(-1e7, 1e7);
    for (int i = 0; i < count; ++i) {
        switch (i % 4) {
            case 0: {
                // Any finite bit pattern.
                double v;
                do {
                    v = FromBits(rng());
                } while (!std::isfinite(v));
                out.push_back(v);
                break;
            }
            case 1:
                out.push_back(coord(rng));
                break;
            case 2:
                // Few decimals: ties and near-ties of printf's rounding.
                out.push_back(static_cast<double>(static_cast<int64_t>(rng() % 2000001) - 1000000) /
                              std::pow(2.0, static_cast<int>(rng() % 30)));
                break;
            default:
                out.push_back(static_cast<double>(rng() % 1000000) / 1000.0);
                break;
        }
    }
    return out;
}

TEST(NumText, FixedMatchesPrintfOnEdges) {
    for (const double v : EdgeValues()) {
        for (const int p : {0, 1, 2, 3, 6, 9, 15, 17, 30}) {
            EXPECT_EQ(FixedText(v, p), Printf("%.*f", p, v)) << v << " precision " << p;
        }
    }
}

TEST(NumText, SciMatchesPrintfOnEdges) {
    for (const double v : EdgeValues()) {
        for (const int p : {0, 1, 2, 5, 14, 16, 20}) {
            EXPECT_EQ(SciText(v, p), Printf("%.*e", p, v)) << v << " precision " << p;
        }
    }
}

TEST(NumText, ShortestMatchesToCharsOnEdges) {
    for (const double v : EdgeValues()) {
        EXPECT_EQ(ShortestText(v), ToChars(v)) << v;
        EXPECT_EQ(ShortestFixedText(v), ToCharsFixed(v)) << v;
    }
}

TEST(NumText, RandomSweepMatchesHostLibrary) {
    int mismatches = 0;
    for (const double v : RandomValues(40000)) {
        const bool ok = FixedText(v, 9) == Printf("%.*f", 9, v) &&
                        FixedText(v, 3) == Printf("%.*f", 3, v) &&
                        SciText(v, 14) == Printf("%.*e", 14, v) && ShortestText(v) == ToChars(v) &&
                        ShortestFixedText(v) == ToCharsFixed(v);
        if (!ok && ++mismatches <= 5) {
            ADD_FAILURE() << Printf("%.*e", 17, v) << ": " << FixedText(v, 9) << " "
                          << SciText(v, 14) << " " << ShortestText(v) << " "
                          << ShortestFixedText(v);
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(NumText, FixedToStaysWithinItsBound) {
    char buf[FixedTextMax(9) + 1];
    std::memset(buf, 'x', sizeof buf);
    const char* end = FixedTo(buf, -std::numeric_limits<double>::max(), 9);
    EXPECT_LE(static_cast<size_t>(end - buf), FixedTextMax(9));
    EXPECT_EQ(buf[FixedTextMax(9)], 'x');
}

TEST(NumText, NonFiniteFormatsAsZero) {
    EXPECT_EQ(FixedText(std::nan(""), 2), "0.00");
    EXPECT_EQ(ShortestText(INFINITY), "0");
    EXPECT_EQ(SciText(-INFINITY, 1), "0.0e+00");
}

TEST(NumText, ParseReadsBackWhatItWrites) {
    for (const double v : RandomValues(20000)) {
        ASSERT_EQ(ParseDecimal(ShortestText(v)), v) << ShortestText(v);
        ASSERT_EQ(ParseDecimal(Printf("%.*e", 16, v)), v);
    }
}

TEST(NumText, ParseTakesTheDecimalGrammarOnly) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"1.5", 1.5},
        {"-2", -2},
        {"+3.25", 3.25},
        {".5", 0.5},
        {"7.", 7},
        {"1e3", 1000},
        {"1E-3", 0.001},
        {"2e+2", 200},
        {"0.1", 0.1},
        {"000123", 123},
        {"", 0},
        {"abc", 0},
        {"1.2.3", 0},
        {"1e", 0},
        {"1,5", 0},
        {" 1", 0},
        {"1e400", INFINITY},
        {"1e-400", 0},
        {"9007199254740993", 9007199254740992.0},
        {"2.2250738585072011e-308", 2.2250738585072011e-308},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseDecimal(c.text), c.value) << c.text;
    }
}

}  // namespace
}  // namespace velmora
