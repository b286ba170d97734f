// Animation tracks: keys read from a scene file, turned once into one sample per frame with a
// tension-continuity-bias Hermite spline, so that drawing a frame is a table look-up.
#pragma once

#include <d3d.h>

#include "scene.h"
#include "vecmath.h"

void SetKey(TrackKey& key, float frame, float x, float y, float z, float tension, float continuity, float bias,
            float easeTo, float easeFrom);

// Fills the keys' tangents and writes one sample per frame from key 0's frame up to one frame
// before the last key's frame. Two keys (or fewer) take the straight-line rule: key 0's value
// advanced each frame by key 1's value over key 1's frame.
void SampleTrack(TrackKey* keys, int keyCount, Vector* samples);

void ComputeKeyTangents(const TrackKey& previous, TrackKey& current, const TrackKey& next);
void ComputeFirstKeyTangent(TrackKey& k0, const TrackKey& k1, const TrackKey& k2);
void ComputeLastKeyTangent(const TrackKey& ka, const TrackKey& kb, TrackKey& kc);

// Remaps a segment parameter t in [0, 1) for the ease-from of the segment's first key and the
// ease-to of its second.
float Ease(float t, float easeFrom, float easeTo);

// The sample for a frame, holding the last sample for any frame at or past the track's end (a
// wrapped frame counter included). samples is not null and length is at least 1.
inline const Vector& SampleAt(const Vector* samples, DWORD length, DWORD frame) {
    return samples[frame < length ? frame : length - 1];
}
