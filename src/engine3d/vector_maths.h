#pragma once

#include "engine3d/records.h"

#include <cmath>
#include <cstdint>
#if defined(__SSE__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

// Vector and matrix arithmetic of the engine. Row vectors, p' = p·M; A·B applies A first.
// Left-handed: x right, y up, z away from the viewer. Angles in radians.

inline constexpr double kEnginePi = 3.14159265358979;

// Axis codes of rotationMatrix.
inline constexpr int kAxisX = 1;
inline constexpr int kAxisY = 2;
inline constexpr int kAxisZ = 3;

Vector4 scale(const Vector4& v, float s);
float dot(const Vector4& a, const Vector4& b);
float length(const Vector3& v);
// The zero vector stays the zero vector.
Vector3 normalise(const Vector3& v);
float distance(const Vector3& a, const Vector3& b);
// 0 when either vector is exactly zero, otherwise the dot of the normalised vectors.
float cosine(const Vector3& a, const Vector3& b);
// cosine(a, b) > 0, told from the plain dot product when its sign leaves no doubt.
bool cosinePositive(const Vector3& a, const Vector3& b);
// The component of a along n.
Vector3 along(const Vector3& a, const Vector3& n);
// a mirrored on the plane of n when it points against n; the zero vector otherwise.
Vector3 reflect(const Vector3& a, const Vector3& n);
bool operator==(const Vector3& a, const Vector3& b);
bool operator==(const Vector4& a, const Vector4& b);
float degreesToRadians(float d);

Matrix4 identityMatrix();
Matrix4 zeroMatrix();
Matrix4 matrixFromRows(const Vector4& r1, const Vector4& r2, const Vector4& r3, const Vector4& r4);
Matrix4 transpose(const Matrix4& a);
Matrix4 multiply(const Matrix4& a, const Matrix4& b);
Matrix4 scaleMatrix(const Vector3& v);
Matrix4 translationMatrix(const Vector3& v);
// Any axis code other than 1, 2, 3 gives the zero matrix.
Matrix4 rotationMatrix(int axis, float a);
float determinant(const Matrix4& a);
// Transposed cofactors over the determinant; a singular matrix gives the zero matrix.
Matrix4 inverse(const Matrix4& a);
bool operator==(const Matrix4& a, const Matrix4& b);
bool isZero(const Matrix4& a);

// Forward axis of cameras and spot lights: (0, 0, 1)·Rx·Ry; the roll is ignored.
Vector3 DirectionFromAngles(const Angles3& rotation);

// The operations of every vertex and face of a frame, inline.

inline Vector3 add(const Vector3& a, const Vector3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

inline Vector3 subtract(const Vector3& a, const Vector3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

inline Vector3 scale(const Vector3& v, float s) {
    return {v.x * s, v.y * s, v.z * s};
}

inline float dot(const Vector3& a, const Vector3& b) {
    return static_cast<float>(double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z);
}

inline Vector3 cross(const Vector3& a, const Vector3& b) {
    return {static_cast<float>(double(a.y) * b.z - double(a.z) * b.y),
            static_cast<float>(double(a.z) * b.x - double(a.x) * b.z),
            static_cast<float>(double(a.x) * b.y - double(a.y) * b.x)};
}

// (p, 1)·M with its w.
inline Vector4 transformToVector4(const Vector3& p, const Matrix4& m) {
    double out[4];
    for (int j = 0; j < 4; ++j) {
        out[j] =
            double(p.x) * m.m[0][j] + double(p.y) * m.m[1][j] + double(p.z) * m.m[2][j] + m.m[3][j];
    }
    return {static_cast<float>(out[0]), static_cast<float>(out[1]), static_cast<float>(out[2]),
            static_cast<float>(out[3])};
}

// (p, 1)·M, w dropped.
inline Vector3 transformPoint(const Vector3& p, const Matrix4& m) {
    const Vector4 v = transformToVector4(p, m);
    return {v.x, v.y, v.z};
}

// Nearest whole pixel, halves to even. Saturates far outside any surface (and maps NaN to
// 0) so that a runaway projection can never overflow an int.
inline int toPixel(float v) {
    // Far beyond any surface; keeps the rasterisers' 64-bit edge products exact.
    constexpr float kLimit = 268435456.0f; // 2^28
    if (std::isnan(v)) {
        return 0;
    }
    if (v >= kLimit) {
        return static_cast<int>(kLimit);
    }
    if (v <= -kLimit) {
        return -static_cast<int>(kLimit);
    }
#if defined(__SSE__) || defined(_M_X64)
    return _mm_cvtss_si32(_mm_set_ss(v)); // the current rounding: halves to even
#else
    return static_cast<int>(std::nearbyint(v));
#endif
}

inline PixelPoint toPixel(const Vector3& v) {
    return {toPixel(v.x), toPixel(v.y)};
}

// std::llround without the library call: the nearest integer, halves away from zero.
inline std::int64_t roundHalfAway(double v) {
    constexpr double kWhole = 4503599627370496.0; // 2^52: from here on every double is whole
    if (!(std::fabs(v) < kWhole)) {
        return std::llround(v);
    }
    const auto whole = static_cast<std::int64_t>(v);        // towards zero
    const double fraction = v - static_cast<double>(whole); // exact
    return whole + (fraction >= 0.5 ? 1 : 0) - (fraction <= -0.5 ? 1 : 0);
}
