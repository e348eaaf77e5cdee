// Comparing a drawn picture with a reviewed reference picture stored in
// tests/fixtures/. A pixel differs when a channel is off by more than the
// channel tolerance (glyph rasterising may move a few pixels between font
// versions); the test fails when more than the given share of pixels
// differ, and then leaves actual.png, expected.png and difference.png in
// the test's directory.
#pragma once

#include <QImage>
#include <string>

namespace gridova::testing {

// With GRIDOVA_WRITE_REFERENCE set, writes the picture as the reference and
// gives true (the test then skips); false otherwise.
bool writeReferenceInstead(const QImage& actual, const std::string& fixtureName);

void expectMatchesReference(const QImage& actual, const std::string& fixtureName,
                            int channelTolerance = 24, double maxDifferingShare = 0.005);

}  // namespace gridova::testing
