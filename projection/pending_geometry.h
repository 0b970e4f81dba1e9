// TEMPORARY: the geometry value types and operations that the mapping code
// uses, declared here only until the geometry unit lands on this branch.
// Delete this file after merging it and include the geometry headers instead.
#pragma once

#include <cstdint>

struct Complex {
  double re;
  double im;
};

struct Vec3 {
  double x;
  double y;
  double z;
};

struct Vec3f {
  float x;
  float y;
  float z;
};

struct Matrix4f {
  float m[16];
};

struct Matrix4d {
  double m[16];
};

struct RotationRecord {
  Matrix4f matrixA;
  Matrix4f matrixB;
  Matrix4f matrixC;
  Vec3f axisX;
  Vec3f axisY;
  Vec3f axisZ;
  Vec3f spinAxis;
  float radiansA;
  float radiansB;
  float radiansC;
};

struct Plane3d {
  double a, b, c;
  double d;
  double distance;
  double offset;
  Vec3 unitNormal;
  Vec3 point;
};

// Operations of the geometry unit used by the mapping code.
Complex* MakeComplex(Complex* out, double re, double im);
void ComplexMul(Complex* out, const Complex* a, const Complex* b);
void ComplexScale(Complex* out, double s, const Complex* z);
void ComplexPow(Complex* out, const Complex* z, double p);
void ComplexFromAngle(Complex* out, double x);
void StereographicToSphere(const Complex* w, Vec3* out);
void StereographicToSpherePowered(const Complex* w, double k, uint8_t* flag, Vec3* out, uint8_t keep);
void MapSpherePower(Vec3* v, double k, uint8_t* flag, double tilt);
void RotateVec3dAboutZ(Vec3* v, double angle);
void RotateVec3dAboutX(Vec3* v, double angle);
void RotateVec3dAboutY(Vec3* v, double angle);
void TransformVec3fByMatrix(const Vec3f* v, const Matrix4f* m, Vec3f* out);
void RotationOntoVector4f(const Vec3f* a, const Vec3f* b, Matrix4f* m);
void NormalizeVec3fDouble(Vec3f* v);
void SetRotationFromAngles(float d1, float d2, float d3, RotationRecord* record);
void ApplyRotation(const RotationRecord* record, uint32_t outputProjection, Vec3f* v);
void EquirectToVec3f(float u, float w, Vec3f* out);
void Vec3fToEquirect(const Vec3f* v, float* u, float* w);
float FastAcos(float x);
