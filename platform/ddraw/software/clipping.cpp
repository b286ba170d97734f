#include "ddraw/software/clipping.h"

namespace software {

namespace {

ClipVertex Lerp(const ClipVertex& a, const ClipVertex& b, float t) {
    ClipVertex r;
    r.x = a.x + (b.x - a.x) * t;
    r.y = a.y + (b.y - a.y) * t;
    r.z = a.z + (b.z - a.z) * t;
    r.w = a.w + (b.w - a.w) * t;
    r.r = a.r + (b.r - a.r) * t;
    r.g = a.g + (b.g - a.g) * t;
    r.b = a.b + (b.b - a.b) * t;
    r.u = a.u + (b.u - a.u) * t;
    r.v = a.v + (b.v - a.v) * t;
    return r;
}

ScreenVertex Lerp(const ScreenVertex& a, const ScreenVertex& b, float t) {
    ScreenVertex r;
    r.x = a.x + (b.x - a.x) * t;
    r.y = a.y + (b.y - a.y) * t;
    r.z = a.z + (b.z - a.z) * t;
    r.q = a.q + (b.q - a.q) * t;
    r.r = a.r + (b.r - a.r) * t;
    r.g = a.g + (b.g - a.g) * t;
    r.b = a.b + (b.b - a.b) * t;
    r.s = a.s + (b.s - a.s) * t;
    r.t = a.t + (b.t - a.t) * t;
    r.u = a.u + (b.u - a.u) * t;
    r.v = a.v + (b.v - a.v) * t;
    return r;
}

inline float Distance(const ClipVertex& v, int plane) { return ClipDistance(v, plane); }
inline float Distance(const ScreenVertex& v, int plane) { return ScreenDistance(v, plane); }

// Sutherland-Hodgman, one plane at a time. New corners are always computed from the inside
// end of an edge towards the outside end, so two triangles sharing an edge get the same point.
template <class V>
int ClipPolygon(const V& a, const V& b, const V& c, uint8_t outcodes, int planeCount, V* out) {
    V buffers[2][MaxClippedVertices];
    V* source = buffers[0];
    V* target = buffers[1];
    source[0] = a;
    source[1] = b;
    source[2] = c;
    int count = 3;
    for (int plane = 0; plane < planeCount && count > 0; ++plane) {
        if (!(outcodes & (1 << plane))) continue;
        int written = 0;
        // A convex polygon gains at most one corner a plane; rounding in corners made earlier can
        // make it slightly non-convex, and one that would outgrow the buffer is dropped.
        auto put = [&](const V& corner) {
            if (written < MaxClippedVertices) target[written] = corner;
            ++written;
        };
        for (int i = 0; i < count; ++i) {
            const V& from = source[i];
            const V& to = source[(i + 1) % count];
            float d0 = Distance(from, plane), d1 = Distance(to, plane);
            bool in0 = d0 >= 0.0f, in1 = d1 >= 0.0f;
            if (in0) put(from);
            if (in0 != in1) {
                if (in0)
                    put(Lerp(from, to, d0 / (d0 - d1)));
                else
                    put(Lerp(to, from, d1 / (d1 - d0)));
            }
        }
        count = (written < 3 || written > MaxClippedVertices) ? 0 : written;
        V* swap = source;
        source = target;
        target = swap;
    }
    for (int i = 0; i < count; ++i) out[i] = source[i];
    return count;
}

}  // namespace

int ClipTriangle(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c, uint8_t outcodes,
                 ClipVertex* out) {
    return ClipPolygon(a, b, c, outcodes, ClipPlaneCount, out);
}

int ClipScreenTriangle(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c, uint8_t outcodes,
                       ScreenVertex* out) {
    return ClipPolygon(a, b, c, outcodes, ScreenPlaneCount, out);
}

}  // namespace software
