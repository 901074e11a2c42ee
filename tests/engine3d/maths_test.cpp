#include "engine3d/vector_maths.h"
#include "scene_helpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

constexpr float kHalfPi = static_cast<float>(kEnginePi / 2.0);

TEST(Matrix, LeftHandedRowVectorsAndTheLeftFactorFirst) {
    expectNear(transformPoint({1, 0, 0}, rotationMatrix(kAxisZ, kHalfPi)), 0, 1, 0);
    expectNear(transformPoint({0, 1, 0}, rotationMatrix(kAxisX, kHalfPi)), 0, 0, 1);
    expectNear(transformPoint({0, 0, 1}, rotationMatrix(kAxisY, kHalfPi)), 1, 0, 0);
    EXPECT_TRUE(isZero(rotationMatrix(4, 1.0f)));
    // Turn, then move: (1, 0, 0) -> (0, 1, 0) -> (10, 1, 0); the other way (0, 11, 0).
    const Matrix4 turn = rotationMatrix(kAxisZ, kHalfPi);
    const Matrix4 move = translationMatrix({10, 0, 0});
    expectNear(transformPoint({1, 0, 0}, multiply(turn, move)), 10, 1, 0);
    expectNear(transformPoint({1, 0, 0}, multiply(move, turn)), 0, 11, 0, 1e-5f);
    const Vector4 h = transformToVector4({1, 2, 3}, scaleMatrix({2, 3, 4}));
    EXPECT_TRUE(h == (Vector4{2, 6, 12, 1}));
    EXPECT_EQ(transpose(translationMatrix({7, 8, 9})).m[0][3], 7.0f);
}

TEST(Matrix, InverseUndoesAPlacementAndSingularMatricesGiveZero) {
    Matrix4 p = multiply(rotationMatrix(kAxisZ, 0.3f), rotationMatrix(kAxisX, -0.7f));
    p = multiply(multiply(p, rotationMatrix(kAxisY, 1.1f)), translationMatrix({12, -40, 370}));
    EXPECT_NEAR(determinant(p), 1.0f, 1e-5);
    const Matrix4 i = multiply(p, inverse(p));
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(i.m[r][c], r == c ? 1.0f : 0.0f, 1e-4) << r << "," << c;
        }
    }
    EXPECT_EQ(determinant(scaleMatrix({2, 3, 4})), 24.0f);
    EXPECT_TRUE(isZero(inverse(scaleMatrix({1, 0, 1}))));
}

TEST(Vector, ProductsReflectionsDirectionsAndZeroVectors) {
    expectNear(cross({1, 0, 0}, {0, 1, 0}), 0, 0, 1);
    expectNear(along({3, 4, 5}, {0, 10, 0}), 0, 4, 0);
    // A ray coming down onto a floor bounces up; one leaving it gives no reflection.
    expectNear(reflect({1, -1, 0}, {0, 1, 0}), 1, 1, 0);
    EXPECT_TRUE(reflect({1, 1, 0}, {0, 1, 0}) == Vector3{});
    // The roll is ignored; pitching by +90 degrees looks down (-y).
    expectNear(DirectionFromAngles({1.3f, 0, 0}), 0, 0, 1);
    expectNear(DirectionFromAngles({0, 0, kHalfPi}), 1, 0, 0);
    expectNear(DirectionFromAngles({0, kHalfPi, 0}), 0, -1, 0);
    // Zero vectors never divide.
    const Vector3 zero{};
    EXPECT_TRUE(normalise(zero) == zero);
    EXPECT_EQ(cosine(zero, {1, 0, 0}), 0.0f);
    EXPECT_EQ(cosine({1, 0, 0}, zero), 0.0f);
    EXPECT_TRUE(along({1, 2, 3}, zero) == zero);
    EXPECT_TRUE(reflect({1, 2, 3}, zero) == zero);
}

// The quick test of a cosine's sign says what the cosine says: for vectors of every size,
// nearly at right angles, at right angles, zero, tiny, huge and not numbers.
TEST(Vector, TheCosinesSignIsToldAsTheCosineTellsIt) {
    std::mt19937 gen(13);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_int_distribution<int> power(-40, 40);
    auto random = [&] { return Vector3{unit(gen), unit(gen), unit(gen)}; };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (int i = 0; i < 200000; ++i) {
        const Vector3 a = scale(random(), std::ldexp(1.0f, power(gen)));
        // Nearly square to a: a vector across it, tilted by a little of a.
        Vector3 b = add(cross(a, random()), scale(a, std::ldexp(unit(gen), -power(gen) / 2)));
        b = scale(b, std::ldexp(1.0f, power(gen)));
        switch (i % 50) {
        case 0:
            b = {};
            break;
        case 1:
            b = {nan, 1, 1};
            break;
        case 2:
            b = {inf, 0, 0};
            break;
        case 3:
            b = {1e-42f, 0, 0}; // too small to normalise within a float
            break;
        default:
            break;
        }
        ASSERT_EQ(cosinePositive(a, b), cosine(a, b) > 0.0f)
            << a.x << " " << a.y << " " << a.z << " / " << b.x << " " << b.y << " " << b.z;
        ASSERT_EQ(cosinePositive(b, a), cosine(b, a) > 0.0f);
    }
}

TEST(Vector, PixelCoordinatesRoundHalvesToEvenAndSaturate) {
    const float inf = std::numeric_limits<float>::infinity();
    const std::pair<float, int> cases[] = {
        {0.5f, 0},        {1.5f, 2},          {2.5f, 2},
        {-0.5f, 0},       {-1.5f, -2},        {2.49f, 2},
        {1e30f, 1 << 28}, {-inf, -(1 << 28)}, {std::numeric_limits<float>::quiet_NaN(), 0}};
    for (const auto& [v, pixel] : cases) {
        EXPECT_EQ(toPixel(v), pixel) << v;
    }
    EXPECT_EQ(toPixel(Vector3{199.5f, 150.5f, 0.3f}), (PixelPoint{200, 150}));
}

TEST(Vector, RoundingHalvesAwayFromZeroAsTheLibraryDoes) {
    std::mt19937 gen(3);
    std::uniform_real_distribution<double> wide(-1e7, 1e7);
    std::uniform_int_distribution<int> whole(-100000, 100000);
    for (int i = 0; i < 100000; ++i) {
        const double half = whole(gen) + 0.5;
        for (const double v :
             {wide(gen), half, std::nextafter(half, 0.0), std::nextafter(half, 1e9), -half,
              0.49999999999999994, 6e15, -4503599627370497.0, std::ldexp(wide(gen), 40)})
            ASSERT_EQ(roundHalfAway(v), std::llround(v)) << v;
    }
}

} // namespace
