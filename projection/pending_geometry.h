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
