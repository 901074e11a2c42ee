#include "engine3d/vector_maths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr float kHalfPi = static_cast<float>(kEnginePi / 2.0);

void expectNear(const Vector3& v, float x, float y, float z, float tol = 1e-6f) {
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

TEST(Rotation, QuarterTurnsFollowTheLeftHandedRowVectorConvention) {
    expectNear(transformPoint({1, 0, 0}, rotationMatrix(kAxisZ, kHalfPi)), 0, 1, 0);
    expectNear(transformPoint({0, 1, 0}, rotationMatrix(kAxisX, kHalfPi)), 0, 0, 1);
    expectNear(transformPoint({0, 0, 1}, rotationMatrix(kAxisY, kHalfPi)), 1, 0, 0);
    EXPECT_TRUE(isZero(rotationMatrix(0, 1.0f)));
    EXPECT_TRUE(isZero(rotationMatrix(4, 1.0f)));
}

TEST(Matrix, ProductsApplyTheLeftFactorFirst) {
    expectNear(transformPoint({1, 2, 3}, translationMatrix({10, 0, 0})), 11, 2, 3);
    // Turn, then move: (1, 0, 0) -> (0, 1, 0) -> (10, 1, 0).
    const Matrix4 turnThenMove =
        multiply(rotationMatrix(kAxisZ, kHalfPi), translationMatrix({10, 0, 0}));
    expectNear(transformPoint({1, 0, 0}, turnThenMove), 10, 1, 0);
    // Move, then turn: (1, 0, 0) -> (11, 0, 0) -> (0, 11, 0).
    const Matrix4 moveThenTurn =
        multiply(translationMatrix({10, 0, 0}), rotationMatrix(kAxisZ, kHalfPi));
    expectNear(transformPoint({1, 0, 0}, moveThenTurn), 0, 11, 0, 1e-5f);

    const Vector4 h = transformToVector4({1, 2, 3}, scaleMatrix({2, 3, 4}));
    EXPECT_EQ(h.x, 2.0f);
    EXPECT_EQ(h.y, 6.0f);
    EXPECT_EQ(h.z, 12.0f);
    EXPECT_EQ(h.w, 1.0f);
    EXPECT_TRUE(transpose(transpose(turnThenMove)) == turnThenMove);
    EXPECT_EQ(transpose(translationMatrix({7, 8, 9})).m[0][3], 7.0f);
}

TEST(Matrix, InverseUndoesAPlacementAndSingularMatricesGiveZero) {
    Matrix4 p = multiply(rotationMatrix(kAxisZ, 0.3f), rotationMatrix(kAxisX, -0.7f));
    p = multiply(p, rotationMatrix(kAxisY, 1.1f));
    p = multiply(p, translationMatrix({12, -40, 370}));
    EXPECT_NEAR(determinant(p), 1.0f, 1e-5);
    const Matrix4 i = multiply(p, inverse(p));
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(i.m[r][c], r == c ? 1.0f : 0.0f, 1e-4) << r << "," << c;
        }
    }
    EXPECT_EQ(determinant(scaleMatrix({2, 3, 4})), 24.0f);
    EXPECT_TRUE(isZero(inverse(scaleMatrix({1, 0, 1}))));
    EXPECT_TRUE(inverse(identityMatrix()) == identityMatrix());
    EXPECT_TRUE(matrixFromRows({1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}) ==
                identityMatrix());
}

TEST(Vector, ZeroVectorsNeverDivide) {
    const Vector3 zero{};
    EXPECT_TRUE(normalise(zero) == zero);
    EXPECT_EQ(cosine(zero, {1, 0, 0}), 0.0f);
    EXPECT_EQ(cosine({1, 0, 0}, zero), 0.0f);
    EXPECT_TRUE(along({1, 2, 3}, zero) == zero);
    EXPECT_TRUE(reflect({1, 2, 3}, zero) == zero);
}

TEST(Vector, CrossProductAndReflectionsFollowTheirDefinitions) {
    expectNear(cross({1, 0, 0}, {0, 1, 0}), 0, 0, 1);
    expectNear(along({3, 4, 5}, {0, 10, 0}), 0, 4, 0);
    // A ray coming down onto a floor whose normal points up bounces up ...
    expectNear(reflect({1, -1, 0}, {0, 1, 0}), 1, 1, 0);
    // ... while one leaving the surface gives no reflection at all.
    EXPECT_TRUE(reflect({1, 1, 0}, {0, 1, 0}) == Vector3{});
}

TEST(Vector, PixelCoordinatesRoundHalvesToEven) {
    EXPECT_EQ(toPixel(0.5f), 0);
    EXPECT_EQ(toPixel(1.5f), 2);
    EXPECT_EQ(toPixel(2.5f), 2);
    EXPECT_EQ(toPixel(-0.5f), 0);
    EXPECT_EQ(toPixel(-1.5f), -2);
    EXPECT_EQ(toPixel(2.49f), 2);
    EXPECT_EQ(toPixel(Vector3{199.5f, 150.5f, 0.3f}), (PixelPoint{200, 150}));
    // Runaway values saturate instead of overflowing.
    EXPECT_EQ(toPixel(1e30f), 1 << 28);
    EXPECT_EQ(toPixel(-std::numeric_limits<float>::infinity()), -(1 << 28));
    EXPECT_EQ(toPixel(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(Vector, DirectionFromAnglesIgnoresTheRoll) {
    expectNear(DirectionFromAngles({0, 0, 0}), 0, 0, 1);
    expectNear(DirectionFromAngles({1.3f, 0, 0}), 0, 0, 1);
    expectNear(DirectionFromAngles({0, 0, kHalfPi}), 1, 0, 0);
    // Pitching by +90 degrees turns the forward axis to -y (looking down).
    expectNear(DirectionFromAngles({0, kHalfPi, 0}), 0, -1, 0);
}

} // namespace
