#include "track.h"

#include <cmath>

void SetKey(TrackKey& key, float frame, float x, float y, float z, float tension, float continuity, float bias,
            float easeTo, float easeFrom) {
    key.frame = frame;
    key.value = Vector(x, y, z);
    key.inTangent = Vector(0.0f, 0.0f, 0.0f);
    key.outTangent = Vector(0.0f, 0.0f, 0.0f);
    key.tension = tension;
    key.continuity = continuity;
    key.bias = bias;
    key.easeTo = easeTo;
    key.easeFrom = easeFrom;
}

static float Component(const Vector& v, int k) { return k == 0 ? v.x : (k == 1 ? v.y : v.z); }

static void SetComponent(Vector& v, int k, float value) {
    if (k == 0)
        v.x = value;
    else if (k == 1)
        v.y = value;
    else
        v.z = value;
}

void ComputeKeyTangents(const TrackKey& previous, TrackKey& current, const TrackKey& next) {
    const float half = (next.frame - previous.frame) * 0.5f;
    float tIn = (current.frame - previous.frame) / half;
    float tOut = (next.frame - current.frame) / half;
    const float q = std::fabs(current.continuity);
    tIn = tIn + q - q * tIn;
    tOut = tOut + q - q * tOut;

    const float t = current.tension, c = current.continuity, b = current.bias;
    const float inPrevious = (1.0f - t) * (1.0f - c) * (1.0f + b) / 2.0f;
    const float inNext = (1.0f - t) * (1.0f + c) * (1.0f - b) / 2.0f;
    const float outPrevious = (1.0f - t) * (1.0f + c) * (1.0f + b) / 2.0f;
    const float outNext = (1.0f - t) * (1.0f - c) * (1.0f - b) / 2.0f;
    for (int k = 0; k < 3; ++k) {
        const float d1 = Component(current.value, k) - Component(previous.value, k);
        const float d2 = Component(next.value, k) - Component(current.value, k);
        SetComponent(current.inTangent, k, tIn * (inPrevious * d1 + inNext * d2));
        SetComponent(current.outTangent, k, tOut * (outPrevious * d1 + outNext * d2));
    }
}

// The end tangent shared by the first and the last key: span is the whole three-key span, part
// the span next to the end key, whole and toMiddle the value differences over those spans.
static float EndTangent(float tension, float span, float part, float whole, float toMiddle) {
    const float shape = whole * (0.25f - part / (2.0f * span)) + (toMiddle - whole / 2.0f) * 3.0f / 2.0f + whole / 2.0f;
    return (1.0f - tension) * shape;
}

void ComputeFirstKeyTangent(TrackKey& k0, const TrackKey& k1, const TrackKey& k2) {
    const float span = k2.frame - k0.frame;
    const float part = k1.frame - k0.frame;
    for (int k = 0; k < 3; ++k) {
        const float whole = Component(k2.value, k) - Component(k0.value, k);
        const float toMiddle = Component(k1.value, k) - Component(k0.value, k);
        SetComponent(k0.outTangent, k, EndTangent(k0.tension, span, part, whole, toMiddle));
    }
}

void ComputeLastKeyTangent(const TrackKey& ka, const TrackKey& kb, TrackKey& kc) {
    const float span = kc.frame - ka.frame;
    const float part = kc.frame - kb.frame;
    for (int k = 0; k < 3; ++k) {
        const float whole = Component(kc.value, k) - Component(ka.value, k);
        const float toMiddle = Component(kc.value, k) - Component(kb.value, k);
        SetComponent(kc.inTangent, k, EndTangent(kc.tension, span, part, whole, toMiddle));
    }
}

float Ease(float t, float easeFrom, float easeTo) {
    float a = easeFrom, b = easeTo;
    const float s = a + b;
    if (s == 0.0f) return t;
    if (s > 1.0f) {
        a = a / s;
        b = b / s;
    }
    const float k = 1.0f / (2.0f - a - b);
    if (t < a) return (k / a) * t * t;
    if (t < 1.0f - b) return k * (2.0f * t - a);
    const float r = 1.0f - t;
    return 1.0f - (k / b) * r * r;
}

void SampleTrack(TrackKey* keys, int keyCount, Vector* samples) {
    if (keyCount <= 0) return;
    if (keyCount == 1) {
        // A single key holds its value; the caller makes room for one sample.
        samples[0] = keys[0].value;
        return;
    }
    if (keyCount == 2) {
        // The straight-line rule steps by the second key's value over its frame, not by the
        // difference of the two values: files are made for exactly this.
        Vector current = keys[0].value;
        const Vector step = keys[1].value / keys[1].frame;
        for (int i = 0; static_cast<float>(i) < keys[1].frame; ++i) {
            samples[i] = current;
            current += step;
        }
        return;
    }

    for (int i = 1; i <= keyCount - 2; ++i) ComputeKeyTangents(keys[i - 1], keys[i], keys[i + 1]);
    ComputeFirstKeyTangent(keys[0], keys[1], keys[2]);
    ComputeLastKeyTangent(keys[keyCount - 3], keys[keyCount - 2], keys[keyCount - 1]);

    int m = 0;
    for (int j = 0; j <= keyCount - 2; ++j) {
        const TrackKey& from = keys[j];
        const TrackKey& to = keys[j + 1];
        const float d = to.frame - from.frame;
        for (float s = 0.0f; s < d; s += 1.0f) {
            const float u = Ease(s / d, from.easeFrom, to.easeTo);
            const float u2 = u * u;
            const float u3 = u2 * u;
            const float h1 = 2.0f * u3 - 3.0f * u2 + 1.0f;
            const float h2 = -2.0f * u3 + 3.0f * u2;
            const float h3 = u3 - 2.0f * u2 + u;
            const float h4 = u3 - u2;
            samples[m] = Vector(h1 * from.value.x + h2 * to.value.x + h3 * from.outTangent.x + h4 * to.inTangent.x,
                                h1 * from.value.y + h2 * to.value.y + h3 * from.outTangent.y + h4 * to.inTangent.y,
                                h1 * from.value.z + h2 * to.value.z + h3 * from.outTangent.z + h4 * to.inTangent.z);
            ++m;
        }
    }
}
