#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "baked.h"

namespace {
struct Picture {
    const char* name;
    const char* variant;  // the 512 file, or nullptr
};

// Every picture the show loads at start-up, with the flare.
const Picture showPictures[] = {
    {"loading.jpg", "load512.jpg"}, {"tessik2.jpg", nullptr}, {"vision.jpg", "visi512.jpg"},
    {"susp.jpg", "susp512.jpg"},   {"key.jpg", "key512.jpg"}, {"freedom.jpg", "free512.jpg"},
    {"youare.jpg", nullptr},       {"wire2.jpg", nullptr},    {"change.jpg", "chan512.jpg"},
    {"end.jpg", "end512.jpg"},     {"end1.jpg", "end1512.jpg"}, {"end2.jpg", "end2512.jpg"},
    {"skell.jpg", nullptr},        {"ravmoor.jpg", nullptr},  {"pellin.jpg", nullptr},
    {"mendrow.jpg", nullptr},      {"tessik.jpg", nullptr},   {"quorvel.jpg", nullptr},
    {"code.jpg", nullptr},         {"music.jpg", nullptr},    {"art2d.jpg", nullptr},
    {"art3d.jpg", nullptr},        {"flare.jpg", nullptr},
};

DecodedJpeg Load(const std::string& name) { return DecodeJpeg(ReadBytes(BakedFolder() + "/gfx/" + name)); }

// Fraction of pixels brighter than a threshold inside rows [top, bottom) of the picture.
float InkShare(const DecodedJpeg& image, float top, float bottom, float threshold = 0.45f) {
    int count = 0, total = 0;
    for (int y = int(top * image.height); y < int(bottom * image.height); ++y)
        for (int x = 0; x < image.width; ++x, ++total) count += image.Luma(x, y) > threshold;
    return total ? float(count) / total : 0.0f;
}

float RimLevel(const DecodedJpeg& image) {
    float brightest = 0;
    for (int i = 0; i < image.width; ++i)
        for (int edge : {0, image.height - 1}) {
            brightest = std::max(brightest, image.Luma(i, edge));
            brightest = std::max(brightest, image.Luma(edge, i));
        }
    return brightest;
}
}  // namespace

TEST(BakedImages, EveryStartupPictureIsABaselineColourJpegOfItsSize) {
    ASSERT_FALSE(BakedFolder().empty()) << "the baker failed";
    for (const Picture& p : showPictures) {
        DecodedJpeg plain = Load(p.name);
        ASSERT_TRUE(plain.ok) << p.name;
        EXPECT_EQ(plain.components, 3) << p.name;
        EXPECT_FALSE(plain.progressive) << p.name;
        EXPECT_EQ(plain.width, 256) << p.name;
        EXPECT_EQ(plain.height, 256) << p.name;
        if (!p.variant) continue;
        DecodedJpeg large = Load(p.variant);
        ASSERT_TRUE(large.ok) << p.variant;
        EXPECT_EQ(large.components, 3) << p.variant;
        EXPECT_FALSE(large.progressive) << p.variant;
        EXPECT_EQ(large.width, 512) << p.variant;
        EXPECT_EQ(large.height, 512) << p.variant;
    }
}

TEST(BakedImages, BothSizeVariantsShowTheSamePicture) {
    for (const Picture& p : showPictures) {
        if (!p.variant) continue;
        DecodedJpeg plain = Load(p.name), large = Load(p.variant);
        ASSERT_TRUE(plain.ok && large.ok) << p.name;
        double difference = 0;
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                float sum = large.Luma(2 * x, 2 * y) + large.Luma(2 * x + 1, 2 * y) + large.Luma(2 * x, 2 * y + 1) +
                            large.Luma(2 * x + 1, 2 * y + 1);
                difference += std::fabs(sum / 4 - plain.Luma(x, y));
            }
        EXPECT_LT(difference / (256.0 * 256.0), 0.02) << p.name << " and " << p.variant << " differ";
    }
}

TEST(BakedImages, OverlaysFadeToBlackAtTheRimSoAddingThemLeavesNoEdges) {
    for (const char* name : {"loading.jpg", "key512.jpg", "vision.jpg", "susp.jpg", "freedom.jpg", "youare.jpg",
                             "change.jpg", "end.jpg", "skell.jpg", "code.jpg", "flare.jpg"}) {
        DecodedJpeg image = Load(name);
        ASSERT_TRUE(image.ok) << name;
        EXPECT_LT(RimLevel(image), 0.05f) << name;
    }
}

TEST(BakedImages, CreditNamesSitInTheMiddleBandAndCategoriesAboveIt) {
    // The credits grid stacks panels a few units apart: names must stay in a narrow middle band
    // and category words in the upper part, or neighbours overlap.
    for (const char* name : {"skell.jpg", "ravmoor.jpg", "pellin.jpg", "mendrow.jpg", "tessik.jpg", "quorvel.jpg"}) {
        DecodedJpeg image = Load(name);
        ASSERT_TRUE(image.ok) << name;
        EXPECT_GT(InkShare(image, 0.38f, 0.62f), 0.02f) << name << " shows no name";
        EXPECT_LT(InkShare(image, 0.0f, 0.36f) + InkShare(image, 0.66f, 1.0f), 0.002f) << name;
    }
    for (const char* name : {"code.jpg", "music.jpg", "art2d.jpg", "art3d.jpg"}) {
        DecodedJpeg image = Load(name);
        ASSERT_TRUE(image.ok) << name;
        EXPECT_GT(InkShare(image, 0.2f, 0.42f), 0.02f) << name << " shows no word";
        EXPECT_LT(InkShare(image, 0.5f, 1.0f), 0.002f) << name;
    }
}

TEST(BakedImages, TextPanelsCarryBrightLettering) {
    for (const char* name : {"loading.jpg", "key.jpg", "vision.jpg", "susp.jpg", "freedom.jpg", "youare.jpg",
                             "change.jpg", "end.jpg", "end1.jpg", "end2.jpg"}) {
        DecodedJpeg image = Load(name);
        ASSERT_TRUE(image.ok) << name;
        float ink = InkShare(image, 0.0f, 1.0f, 0.6f);
        EXPECT_GT(ink, 0.01f) << name;
        EXPECT_LT(ink, 0.4f) << name << " is mostly bright: it would wash out the picture it is added onto";
    }
}
