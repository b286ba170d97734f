#include "vecmath.h"

#include <cmath>

Vector& Vector::operator+=(const Vector& b) {
    x += b.x;
    y += b.y;
    z += b.z;
    return *this;
}

Vector& Vector::operator/=(float s) {
    x /= s;
    y /= s;
    z /= s;
    return *this;
}

Vector operator+(const Vector& a, const Vector& b) { return Vector(a.x + b.x, a.y + b.y, a.z + b.z); }
Vector operator-(const Vector& a, const Vector& b) { return Vector(a.x - b.x, a.y - b.y, a.z - b.z); }
Vector operator-(const Vector& a) { return Vector(-a.x, -a.y, -a.z); }
Vector operator*(float s, const Vector& a) { return Vector(s * a.x, s * a.y, s * a.z); }
Vector operator*(const Vector& a, const Vector& b) { return Vector(a.x * b.x, a.y * b.y, a.z * b.z); }
Vector operator/(const Vector& a, float s) { return Vector(a.x / s, a.y / s, a.z / s); }

float Dot(const Vector& a, const Vector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vector Cross(const Vector& a, const Vector& b) {
    return Vector(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

float LengthSquared(const Vector& a) { return Dot(a, a); }
float Length(const Vector& a) { return static_cast<float>(std::sqrt(static_cast<double>(LengthSquared(a)))); }
Vector Normalize(const Vector& a) { return a / Length(a); }

Matrix ZeroMatrix() {
    Matrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r(i, j) = 0.0f;
    return r;
}

void SetIdentity(Matrix& m) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) m(i, j) = i == j ? 1.0f : 0.0f;
}

Matrix IdentityMatrix() {
    Matrix r;
    SetIdentity(r);
    return r;
}

Matrix RotationX(float angle) {
    const float c = static_cast<float>(std::cos(static_cast<double>(angle)));
    const float s = static_cast<float>(std::sin(static_cast<double>(angle)));
    Matrix r = IdentityMatrix();
    r(1, 1) = c;
    r(1, 2) = -s;
    r(2, 1) = s;
    r(2, 2) = c;
    return r;
}

Matrix RotationY(float angle) {
    const float c = static_cast<float>(std::cos(static_cast<double>(angle)));
    const float s = static_cast<float>(std::sin(static_cast<double>(angle)));
    Matrix r = IdentityMatrix();
    r(0, 0) = c;
    r(0, 2) = s;
    r(2, 0) = -s;
    r(2, 2) = c;
    return r;
}

Matrix RotationZ(float angle) {
    const float c = static_cast<float>(std::cos(static_cast<double>(angle)));
    const float s = static_cast<float>(std::sin(static_cast<double>(angle)));
    Matrix r = IdentityMatrix();
    r(0, 0) = c;
    r(0, 1) = -s;
    r(1, 0) = s;
    r(1, 1) = c;
    return r;
}

Matrix Translation(float dx, float dy, float dz) {
    Matrix r = IdentityMatrix();
    r(3, 0) = dx;
    r(3, 1) = dy;
    r(3, 2) = dz;
    return r;
}

Matrix Translation(const Vector& v) { return Translation(v.x, v.y, v.z); }

Matrix Scaling(float s) { return Scaling(s, s, s); }

Matrix Scaling(float sx, float sy, float sz) {
    Matrix r = IdentityMatrix();
    r(0, 0) = sx;
    r(1, 1) = sy;
    r(2, 2) = sz;
    return r;
}

Matrix Scaling(const Vector& v) { return Scaling(v.x, v.y, v.z); }

// r = b x a: the second operand acts first on a row vector.
Matrix MatrixMultiply(const Matrix& a, const Matrix& b) {
    Matrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += b(i, k) * a(k, j);
            r(i, j) = sum;
        }
    return r;
}

Vector TransformPoint(const Vector& p, const Matrix& m) {
    float t[4];
    for (int j = 0; j < 4; ++j) t[j] = p.x * m(0, j) + p.y * m(1, j) + p.z * m(2, j) + m(3, j);
    return Vector(t[0] / t[3], t[1] / t[3], t[2] / t[3]);
}

namespace {

// Crout's LU decomposition with implicit (row-scaled) partial pivoting; no singularity test.
void LuDecompose(Matrix& a, int index[4]) {
    float rowScale[4];
    for (int i = 0; i < 4; ++i) {
        float big = 0.0f;
        for (int j = 0; j < 4; ++j)
            if (std::fabs(a(i, j)) > big) big = std::fabs(a(i, j));
        rowScale[i] = 1.0f / big;
    }
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < j; ++i) {
            float sum = a(i, j);
            for (int k = 0; k < i; ++k) sum -= a(i, k) * a(k, j);
            a(i, j) = sum;
        }
        float big = 0.0f;
        int pivotRow = j;
        for (int i = j; i < 4; ++i) {
            float sum = a(i, j);
            for (int k = 0; k < j; ++k) sum -= a(i, k) * a(k, j);
            a(i, j) = sum;
            const float d = rowScale[i] * std::fabs(sum);
            if (d >= big) {
                big = d;
                pivotRow = i;
            }
        }
        if (pivotRow != j) {
            for (int k = 0; k < 4; ++k) {
                const float swap = a(pivotRow, k);
                a(pivotRow, k) = a(j, k);
                a(j, k) = swap;
            }
            rowScale[pivotRow] = rowScale[j];
        }
        index[j] = pivotRow;
        if (a(j, j) == 0.0f) a(j, j) = 1e-20f;
        if (j < 3) {
            const float inverse = 1.0f / a(j, j);
            for (int i = j + 1; i < 4; ++i) a(i, j) *= inverse;
        }
    }
}

void LuSolve(const Matrix& a, const int index[4], float b[4]) {
    int first = -1;
    for (int i = 0; i < 4; ++i) {
        const int p = index[i];
        float sum = b[p];
        b[p] = b[i];
        if (first >= 0) {
            for (int k = first; k < i; ++k) sum -= a(i, k) * b[k];
        } else if (sum != 0.0f) {
            first = i;
        }
        b[i] = sum;
    }
    for (int i = 3; i >= 0; --i) {
        float sum = b[i];
        for (int k = i + 1; k < 4; ++k) sum -= a(i, k) * b[k];
        b[i] = sum / a(i, i);
    }
}

}  // namespace

Matrix MatrixInvert(const Matrix& m) {
    Matrix a = m;
    int index[4];
    LuDecompose(a, index);
    Matrix out;
    for (int j = 0; j < 4; ++j) {
        float b[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        b[j] = 1.0f;
        LuSolve(a, index, b);
        for (int i = 0; i < 4; ++i) out(i, j) = b[i];
    }
    return out;
}

HRESULT BuildViewMatrix(Matrix& out, const Vector& eye, const Vector& target, const Vector& worldUp) {
    const float epsilon = 1e-6f;
    Vector view = target - eye;
    float length = Length(view);
    if (length < epsilon) return E_INVALIDARG;
    view /= length;

    Vector up = worldUp - Dot(worldUp, view) * view;
    length = Length(up);
    if (length < epsilon) {
        up = Vector(0.0f, 1.0f, 0.0f) - view.y * view;
        length = Length(up);
        if (length < epsilon) {
            up = Vector(0.0f, 0.0f, 1.0f) - view.z * view;
            length = Length(up);
            if (length < epsilon) return E_INVALIDARG;
        }
    }
    up /= length;
    const Vector right = Cross(up, view);

    SetIdentity(out);
    out(0, 0) = right.x;
    out(0, 1) = up.x;
    out(0, 2) = view.x;
    out(1, 0) = right.y;
    out(1, 1) = up.y;
    out(1, 2) = view.y;
    out(2, 0) = right.z;
    out(2, 1) = up.z;
    out(2, 2) = view.z;
    out(3, 0) = -Dot(eye, right);
    out(3, 1) = -Dot(eye, up);
    out(3, 2) = -Dot(eye, view);
    return 0;
}

HRESULT BuildProjectionMatrix(Matrix& out, float fieldOfView, float aspect, float nearPlane, float farPlane) {
    if (std::fabs(farPlane - nearPlane) < 0.01f) return E_INVALIDARG;
    const float halfSin = static_cast<float>(std::sin(static_cast<double>(fieldOfView / 2)));
    if (std::fabs(halfSin) < 0.01f) return E_INVALIDARG;
    const float halfCos = static_cast<float>(std::cos(static_cast<double>(fieldOfView / 2)));
    const float k = halfCos / halfSin;
    const float w = k * aspect;
    const float h = k * 1.0f;
    const float q = farPlane / (farPlane - nearPlane);
    out = ZeroMatrix();
    out(0, 0) = w;
    out(1, 1) = h;
    out(2, 2) = q;
    out(2, 3) = 1.0f;
    out(3, 2) = -q * nearPlane;
    return 0;
}
