// Vectors and 4x4 matrices in Direct3D's conventions: row vectors, translation in the fourth row,
// left-handed view space looking down +z, depth mapped to 0..1.
#pragma once

#include <d3d.h>

struct Vector {
    float x, y, z;

    Vector() {}
    Vector(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    Vector& operator+=(const Vector& b);
    Vector& operator/=(float s);
};

Vector operator+(const Vector& a, const Vector& b);
Vector operator-(const Vector& a, const Vector& b);
Vector operator-(const Vector& a);
Vector operator*(float s, const Vector& a);
Vector operator*(const Vector& a, const Vector& b);
Vector operator/(const Vector& a, float s);
float Dot(const Vector& a, const Vector& b);
Vector Cross(const Vector& a, const Vector& b);
float LengthSquared(const Vector& a);
float Length(const Vector& a);
Vector Normalize(const Vector& a);

struct Matrix {
    float m[4][4];

    Matrix() {}
    float& operator()(int i, int j) { return m[i][j]; }
    float operator()(int i, int j) const { return m[i][j]; }
    D3DMATRIX* AsD3D() { return reinterpret_cast<D3DMATRIX*>(this); }
};

Matrix ZeroMatrix();
Matrix IdentityMatrix();
void SetIdentity(Matrix& m);
Matrix RotationX(float angle);
Matrix RotationY(float angle);
Matrix RotationZ(float angle);
Matrix Translation(float dx, float dy, float dz);
Matrix Translation(const Vector& v);
Matrix Scaling(float s);
Matrix Scaling(float sx, float sy, float sz);
Matrix Scaling(const Vector& v);
Matrix MatrixMultiply(const Matrix& a, const Matrix& b);
Vector TransformPoint(const Vector& p, const Matrix& m);
Matrix MatrixInvert(const Matrix& m);
HRESULT BuildViewMatrix(Matrix& out, const Vector& eye, const Vector& target, const Vector& worldUp);
HRESULT BuildProjectionMatrix(Matrix& out, float fieldOfView, float aspect, float nearPlane, float farPlane);
