#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "vecmath.h"

namespace {

constexpr float Pi = 3.1415927f;

void ExpectNear(const Vector& v, float x, float y, float z, float tolerance = 1e-6f) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

void ExpectMatrixNear(const Matrix& a, const Matrix& b, float tolerance) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(a(i, j), b(i, j), tolerance) << "element " << i << "," << j;
}

Matrix FromRows(const float (&values)[16]) {
    Matrix m;
    for (int i = 0; i < 16; ++i) m(i / 4, i % 4) = values[i];
    return m;
}

Matrix Filled(float value) {
    Matrix m;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) m(i, j) = value;
    return m;
}

}  // namespace

TEST(Vectors, ArithmeticAndProducts) {
    const Vector a(1.0f, 2.0f, 3.0f), b(4.0f, -5.0f, 6.0f);
    ExpectNear(a + b, 5, -3, 9);
    ExpectNear(a - b, -3, 7, -3);
    ExpectNear(-a, -1, -2, -3);
    ExpectNear(2.0f * a, 2, 4, 6);
    ExpectNear(a * b, 4, -10, 18);
    ExpectNear(b / 2.0f, 2, -2.5f, 3);
    EXPECT_FLOAT_EQ(Dot(a, b), 12.0f);
    ExpectNear(Cross(a, b), 2 * 6 - 3 * -5, 3 * 4 - 1 * 6, 1 * -5 - 2 * 4);
    ExpectNear(Cross(Vector(1, 0, 0), Vector(0, 1, 0)), 0, 0, 1);
    EXPECT_FLOAT_EQ(LengthSquared(a), 14.0f);
    EXPECT_FLOAT_EQ(Length(Vector(3, 4, 12)), 13.0f);
    ExpectNear(Normalize(Vector(0, 3, 4)), 0, 0.6f, 0.8f);

    Vector c = a;
    c += b;
    ExpectNear(c, 5, -3, 9);
    c /= 5.0f;
    ExpectNear(c, 1, -0.6f, 1.8f);
}

TEST(Vectors, ZeroVectorNormalizesToNonFinite) {
    const Vector n = Normalize(Vector(0, 0, 0));
    EXPECT_FALSE(std::isfinite(n.x));
}

TEST(Vectors, LayoutMatchesDirect3D) {
    static_assert(sizeof(Vector) == 12, "three floats");
    static_assert(sizeof(Matrix) == 64, "sixteen floats");
    Matrix m = Translation(7, 8, 9);
    const D3DMATRIX* d = m.AsD3D();
    EXPECT_EQ(d->_41, 7.0f);
    EXPECT_EQ(d->_42, 8.0f);
    EXPECT_EQ(d->_43, 9.0f);
    EXPECT_EQ(d->_44, 1.0f);
}

TEST(Matrices, RotationsTurnTheWayDirect3DDoes) {
    ExpectNear(TransformPoint(Vector(1, 0, 0), RotationZ(Pi / 2)), 0, -1, 0);
    ExpectNear(TransformPoint(Vector(0, 1, 0), RotationX(Pi / 2)), 0, 0, -1);
    ExpectNear(TransformPoint(Vector(1, 0, 0), RotationY(Pi / 2)), 0, 0, 1);
    const Matrix z = RotationZ(Pi / 2);
    EXPECT_NEAR(z(0, 1), -1.0f, 1e-6f);
    EXPECT_NEAR(z(1, 0), 1.0f, 1e-6f);
}

TEST(Matrices, ConstructorsStartFromIdentity) {
    const Matrix zero = ZeroMatrix();
    const Matrix identity = IdentityMatrix();
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            EXPECT_EQ(zero(i, j), 0.0f);
            EXPECT_EQ(identity(i, j), i == j ? 1.0f : 0.0f);
        }
    Matrix garbage = Filled(5.0f);
    SetIdentity(garbage);
    ExpectMatrixNear(garbage, identity, 0.0f);

    const Matrix s = Scaling(2.0f);
    EXPECT_EQ(s(3, 3), 1.0f);
    ExpectNear(TransformPoint(Vector(1, 2, 3), s), 2, 4, 6);
    ExpectNear(TransformPoint(Vector(1, 2, 3), Scaling(Vector(1, 10, 100))), 1, 20, 300);
    ExpectNear(TransformPoint(Vector(1, 2, 3), Translation(Vector(-1, -2, -3))), 0, 0, 0);
}

TEST(Matrices, MultiplyAppliesSecondOperandFirst) {
    // Scale by 2, then move by (1, 2, 3).
    ExpectNear(TransformPoint(Vector(1, 1, 1), MatrixMultiply(Translation(1, 2, 3), Scaling(2))), 3, 4, 5);
    ExpectNear(TransformPoint(Vector(1, 1, 1), MatrixMultiply(Scaling(2), Translation(1, 2, 3))), 4, 6, 8);

    // A hand-computed general product: r = b x a.
    const Matrix a = FromRows({1, 2, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 3, 0, 0, 1});
    const Matrix b = FromRows({2, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    const Matrix expected = FromRows({2, 4, 0, 0, 1, 3, 0, 0, 0, 0, 1, 0, 3, 0, 0, 1});
    ExpectMatrixNear(MatrixMultiply(a, b), expected, 0.0f);
}

TEST(Matrices, TransformPointDividesByW) {
    Matrix m = IdentityMatrix();
    m(3, 3) = 2.0f;
    ExpectNear(TransformPoint(Vector(2, 4, 6), m), 1, 2, 3);
}

TEST(Matrices, InverseUndoesTheTransform) {
    ExpectMatrixNear(MatrixInvert(IdentityMatrix()), IdentityMatrix(), 0.0f);
    ExpectMatrixNear(MatrixInvert(Translation(1, 2, 3)), Translation(-1, -2, -3), 1e-6f);
    ExpectMatrixNear(MatrixInvert(Scaling(2, 4, 8)), Scaling(0.5f, 0.25f, 0.125f), 1e-6f);

    // A general matrix that needs row exchanges: its product with the inverse is the identity.
    const Matrix m = FromRows({0, 2, 1, 0, 3, 0, 0, 1, 1, 1, 4, 0, 2, 5, 1, 1});
    const Matrix inverse = MatrixInvert(m);
    ExpectMatrixNear(MatrixMultiply(inverse, m), IdentityMatrix(), 1e-5f);
    ExpectMatrixNear(MatrixMultiply(m, inverse), IdentityMatrix(), 1e-5f);

    // A rigid motion: the inverse takes the moved point back.
    const Matrix motion = MatrixMultiply(Translation(5, -1, 2), RotationY(0.7f));
    const Vector moved = TransformPoint(Vector(1, 2, 3), motion);
    ExpectNear(TransformPoint(moved, MatrixInvert(motion)), 1, 2, 3, 1e-5f);
}

TEST(Matrices, InverseOfSingularMatrixReportsNothing) {
    const Matrix m = FromRows({1, 2, 3, 4, 0, 0, 0, 0, 5, 6, 7, 8, 9, 1, 2, 3});
    const Matrix inverse = MatrixInvert(m);  // meaningless entries, but no failure and no crash
    const Matrix product = MatrixMultiply(inverse, m);
    bool identity = true;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) identity &= std::fabs(product(i, j) - (i == j ? 1.0f : 0.0f)) < 1e-3f;
    EXPECT_FALSE(identity);
}

TEST(ViewMatrix, MapsEyeToOriginAndLooksDownZ) {
    Matrix view;
    ASSERT_EQ(BuildViewMatrix(view, Vector(0, 0, -5), Vector(0, 0, 0), Vector(0, 1, 0)), 0);
    ExpectNear(TransformPoint(Vector(0, 0, -5), view), 0, 0, 0);
    ExpectNear(TransformPoint(Vector(0, 0, 0), view), 0, 0, 5);
    ExpectNear(TransformPoint(Vector(1, 0, -5), view), 1, 0, 0);  // left-handed: +x stays right
    ExpectNear(TransformPoint(Vector(0, 1, -5), view), 0, 1, 0);
    EXPECT_EQ(view(0, 3), 0.0f);
    EXPECT_EQ(view(3, 3), 1.0f);

    // A tilted up vector is made perpendicular to the view direction.
    ASSERT_EQ(BuildViewMatrix(view, Vector(0, 0, 0), Vector(0, 0, 10), Vector(0, 1, 1)), 0);
    ExpectNear(TransformPoint(Vector(0, 1, 0), view), 0, 1, 0);
}

TEST(ViewMatrix, DegenerateInputsLeaveTheMatrixAlone) {
    Matrix view = Filled(7.0f);
    EXPECT_EQ(BuildViewMatrix(view, Vector(1, 2, 3), Vector(1, 2, 3), Vector(0, 1, 0)), E_INVALIDARG);
    ExpectMatrixNear(view, Filled(7.0f), 0.0f);
    EXPECT_EQ(BuildViewMatrix(view, Vector(0, 0, 0), Vector(0, 0, 5e-7f), Vector(0, 1, 0)), E_INVALIDARG);
    ExpectMatrixNear(view, Filled(7.0f), 0.0f);
}

TEST(ViewMatrix, LookingStraightDownFallsBackToZUp) {
    Matrix view;
    ASSERT_EQ(BuildViewMatrix(view, Vector(0, 10, 0), Vector(0, 0, 0), Vector(0, 1, 0)), 0);
    // Columns hold right, up and view.
    ExpectNear(Vector(view(0, 0), view(1, 0), view(2, 0)), 1, 0, 0);
    ExpectNear(Vector(view(0, 1), view(1, 1), view(2, 1)), 0, 0, 1);
    ExpectNear(Vector(view(0, 2), view(1, 2), view(2, 2)), 0, -1, 0);
    ExpectNear(TransformPoint(Vector(0, 0, 0), view), 0, 0, 10);
}

TEST(ProjectionMatrix, BuildsDirect3DDepthRange) {
    Matrix projection;
    ASSERT_EQ(BuildProjectionMatrix(projection, Pi / 2, 1.0f, 1.0f, 1000.0f), 0);
    EXPECT_NEAR(projection(0, 0), 1.0f, 1e-6f);
    EXPECT_NEAR(projection(1, 1), 1.0f, 1e-6f);
    EXPECT_NEAR(projection(2, 2), 1000.0f / 999.0f, 1e-6f);
    EXPECT_EQ(projection(2, 3), 1.0f);
    EXPECT_NEAR(projection(3, 2), -1000.0f / 999.0f, 1e-6f);
    EXPECT_EQ(projection(3, 3), 0.0f);
    ExpectNear(TransformPoint(Vector(0, 0, 1), projection), 0, 0, 0, 1e-6f);
    ExpectNear(TransformPoint(Vector(0, 0, 1000), projection), 0, 0, 1, 1e-6f);

    // The aspect multiplies the horizontal scale.
    ASSERT_EQ(BuildProjectionMatrix(projection, Pi / 2, 2.0f, 1.0f, 1000.0f), 0);
    EXPECT_NEAR(projection(0, 0), 2.0f, 1e-6f);
    EXPECT_NEAR(projection(1, 1), 1.0f, 1e-6f);
}

TEST(ProjectionMatrix, DegenerateInputsLeaveTheMatrixAlone) {
    Matrix projection = Filled(3.0f);
    EXPECT_EQ(BuildProjectionMatrix(projection, Pi / 2, 1.0f, 5.0f, 5.0f), E_INVALIDARG);
    EXPECT_EQ(BuildProjectionMatrix(projection, Pi / 2, 1.0f, 5.0f, 5.005f), E_INVALIDARG);
    EXPECT_EQ(BuildProjectionMatrix(projection, 0.0f, 1.0f, 1.0f, 1000.0f), E_INVALIDARG);
    EXPECT_EQ(BuildProjectionMatrix(projection, 2 * Pi, 1.0f, 1.0f, 1000.0f), E_INVALIDARG);
    ExpectMatrixNear(projection, Filled(3.0f), 0.0f);
}
