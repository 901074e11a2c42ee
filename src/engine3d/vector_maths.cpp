#include "engine3d/vector_maths.h"

#include <cmath>

Vector4 scale(const Vector4& v, float s) {
    return {v.x * s, v.y * s, v.z * s, v.w * s};
}

float dot(const Vector4& a, const Vector4& b) {
    return static_cast<float>(double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z +
                              double(a.w) * b.w);
}

float length(const Vector3& v) {
    return static_cast<float>(std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z));
}

Vector3 normalise(const Vector3& v) {
    const float len = length(v);
    if (len == 0.0f) {
        return {};
    }
    return scale(v, 1.0f / len);
}

float distance(const Vector3& a, const Vector3& b) {
    return length(subtract(a, b));
}

float cosine(const Vector3& a, const Vector3& b) {
    const Vector3 zero{};
    if (a == zero || b == zero) {
        return 0.0f;
    }
    return dot(normalise(a), normalise(b));
}

bool cosinePositive(const Vector3& a, const Vector3& b) {
    // Normalising scales each vector by a positive factor and rounds each component by at
    // most 2^-24 of itself, so the cosine is dot(a, b) / (|a|·|b|) give or take 2.5e-7. When
    // that quotient is at least 1e-5 away from 0, and the lengths stay far from overflow and
    // underflow, the cosine has its sign.
    const double d = double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
    const double la = double(a.x) * a.x + double(a.y) * a.y + double(a.z) * a.z;
    const double lb = double(b.x) * b.x + double(b.y) * b.y + double(b.z) * b.z;
    if (la >= 1e-30 && la <= 1e30 && lb >= 1e-30 && lb <= 1e30 && d * d > 1e-10 * la * lb) {
        return d > 0.0;
    }
    return cosine(a, b) > 0.0f;
}

Vector3 along(const Vector3& a, const Vector3& n) {
    const Vector3 u = normalise(n);
    return scale(u, dot(a, u));
}

Vector3 reflect(const Vector3& a, const Vector3& n) {
    if (cosine(a, n) < 0.0f) {
        return subtract(a, scale(along(a, n), 2.0f));
    }
    return {};
}

bool operator==(const Vector3& a, const Vector3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

bool operator==(const Vector4& a, const Vector4& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z && a.w == b.w;
}

float degreesToRadians(float d) {
    return static_cast<float>(d * kEnginePi / 180.0);
}

Matrix4 identityMatrix() {
    Matrix4 r;
    for (int i = 0; i < 4; ++i) {
        r.m[i][i] = 1.0f;
    }
    return r;
}

Matrix4 zeroMatrix() {
    return Matrix4{};
}

Matrix4 matrixFromRows(const Vector4& r1, const Vector4& r2, const Vector4& r3, const Vector4& r4) {
    Matrix4 r;
    const Vector4* rows[4] = {&r1, &r2, &r3, &r4};
    for (int i = 0; i < 4; ++i) {
        r.m[i][0] = rows[i]->x;
        r.m[i][1] = rows[i]->y;
        r.m[i][2] = rows[i]->z;
        r.m[i][3] = rows[i]->w;
    }
    return r;
}

Matrix4 transpose(const Matrix4& a) {
    Matrix4 r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[j][i];
        }
    }
    return r;
}

Matrix4 multiply(const Matrix4& a, const Matrix4& b) {
    Matrix4 r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            double s = 0.0;
            for (int k = 0; k < 4; ++k) {
                s += double(a.m[i][k]) * b.m[k][j];
            }
            r.m[i][j] = static_cast<float>(s);
        }
    }
    return r;
}

Matrix4 scaleMatrix(const Vector3& v) {
    Matrix4 r;
    r.m[0][0] = v.x;
    r.m[1][1] = v.y;
    r.m[2][2] = v.z;
    r.m[3][3] = 1.0f;
    return r;
}

Matrix4 translationMatrix(const Vector3& v) {
    Matrix4 r = identityMatrix();
    r.m[3][0] = v.x;
    r.m[3][1] = v.y;
    r.m[3][2] = v.z;
    return r;
}

Matrix4 rotationMatrix(int axis, float a) {
    const float c = std::cos(a);
    const float s = std::sin(a);
    switch (axis) {
    case kAxisX:
        return matrixFromRows({1, 0, 0, 0}, {0, c, s, 0}, {0, -s, c, 0}, {0, 0, 0, 1});
    case kAxisY:
        return matrixFromRows({c, 0, -s, 0}, {0, 1, 0, 0}, {s, 0, c, 0}, {0, 0, 0, 1});
    case kAxisZ:
        return matrixFromRows({c, s, 0, 0}, {-s, c, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1});
    default:
        return zeroMatrix();
    }
}

namespace {

// Determinant of the 3x3 minor of a that leaves out row r and column c, expanded along
// its first row.
double minor3(const Matrix4& a, int r, int c) {
    double e[3][3];
    for (int i = 0, ii = 0; i < 4; ++i) {
        if (i == r) {
            continue;
        }
        for (int j = 0, jj = 0; j < 4; ++j) {
            if (j == c) {
                continue;
            }
            e[ii][jj++] = a.m[i][j];
        }
        ++ii;
    }
    return e[0][0] * (e[1][1] * e[2][2] - e[1][2] * e[2][1]) -
           e[0][1] * (e[1][0] * e[2][2] - e[1][2] * e[2][0]) +
           e[0][2] * (e[1][0] * e[2][1] - e[1][1] * e[2][0]);
}

double determinant64(const Matrix4& a) {
    double d = 0.0;
    for (int j = 0; j < 4; ++j) {
        const double sign = (j % 2 == 0) ? 1.0 : -1.0;
        d += sign * a.m[0][j] * minor3(a, 0, j);
    }
    return d;
}

} // namespace

float determinant(const Matrix4& a) {
    return static_cast<float>(determinant64(a));
}

Matrix4 inverse(const Matrix4& a) {
    const double det = determinant64(a);
    Matrix4 r;
    if (det == 0.0 || !std::isfinite(det)) {
        return r; // a singular matrix has no inverse; zero rather than infinities
    }
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            const double sign = ((i + j) % 2 == 0) ? 1.0 : -1.0;
            r.m[j][i] = static_cast<float>(sign * minor3(a, i, j) / det); // transposed
        }
    }
    return r;
}

bool operator==(const Matrix4& a, const Matrix4& b) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            if (a.m[i][j] != b.m[i][j]) {
                return false;
            }
        }
    }
    return true;
}

bool isZero(const Matrix4& a) {
    return a == zeroMatrix();
}

Vector3 DirectionFromAngles(const Angles3& rotation) {
    const Matrix4 r =
        multiply(rotationMatrix(kAxisX, rotation.x), rotationMatrix(kAxisY, rotation.y));
    return transformPoint({0.0f, 0.0f, 1.0f}, r);
}
