#pragma once

#include "engine3d/records.h"

// Vector and matrix arithmetic of the engine. Row vectors, p' = p·M; A·B applies A first.
// Left-handed: x right, y up, z away from the viewer. Angles in radians.

inline constexpr double kEnginePi = 3.14159265358979;

// Axis codes of rotationMatrix.
inline constexpr int kAxisX = 1;
inline constexpr int kAxisY = 2;
inline constexpr int kAxisZ = 3;

Vector3 add(const Vector3& a, const Vector3& b);
Vector3 subtract(const Vector3& a, const Vector3& b);
Vector3 scale(const Vector3& v, float s);
Vector4 scale(const Vector4& v, float s);
float dot(const Vector3& a, const Vector3& b);
float dot(const Vector4& a, const Vector4& b);
Vector3 cross(const Vector3& a, const Vector3& b);
float length(const Vector3& v);
// The zero vector stays the zero vector.
Vector3 normalise(const Vector3& v);
float distance(const Vector3& a, const Vector3& b);
// 0 when either vector is exactly zero, otherwise the dot of the normalised vectors.
float cosine(const Vector3& a, const Vector3& b);
// The component of a along n.
Vector3 along(const Vector3& a, const Vector3& n);
// a mirrored on the plane of n when it points against n; the zero vector otherwise.
Vector3 reflect(const Vector3& a, const Vector3& n);
bool operator==(const Vector3& a, const Vector3& b);
bool operator==(const Vector4& a, const Vector4& b);
float degreesToRadians(float d);
// Nearest whole pixel, halves to even. Saturates far outside any surface (and maps NaN to
// 0) so that a runaway projection can never overflow an int.
int toPixel(float v);
PixelPoint toPixel(const Vector3& v);

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
// (p, 1)·M, w dropped.
Vector3 transformPoint(const Vector3& p, const Matrix4& m);
// (p, 1)·M with its w.
Vector4 transformToVector4(const Vector3& p, const Matrix4& m);

// Forward axis of cameras and spot lights: (0, 0, 1)·Rx·Ry; the roll is ignored.
Vector3 DirectionFromAngles(const Angles3& rotation);
