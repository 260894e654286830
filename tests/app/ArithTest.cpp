#include "app/Arith.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(Arith, RoundHalfEvenTable)
{
    struct Case {
        double In;
        int Out;
    };
    const Case cases[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2},
        {2.4999999, 2}, {2.5000001, 3}, {-2.5000001, -3}, {1e20, std::numeric_limits<int>::max()},
        {-1e20, std::numeric_limits<int>::min()}, {std::nan(""), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RoundHalfEven(c.In), c.Out) << c.In;
}

TEST(Arith, MulDivRoundsHalfAwayFromZeroAndFlagsZeroDivisor)
{
    struct Case {
        int A, B, C, Out;
    };
    const Case cases[] = {
        {10, 1, 4, 3},   // 2.5 -> 3
        {-10, 1, 4, -3}, // -2.5 -> -3
        {10, 1, -4, -3},
        {7, 1, 4, 2},    // 1.75 -> 2
        {5, 1, 4, 1},    // 1.25 -> 1
        {1, 1, 0, -1},
        // The product does not fit 32 bits; the quotient does.
        {2000000000, 3, 4, 1500000000},
        // The quotient does not fit an int.
        {2000000000, 2000000000, 1, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDiv(c.A, c.B, c.C), c.Out) << c.A << "*" << c.B << "/" << c.C;
}
