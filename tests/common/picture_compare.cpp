#include "tests/common/picture_compare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "tests/common/test_env.h"

namespace gridova::testing {
namespace {

std::string fixturePath(const std::string& name) {
    return std::string(GRIDOVA_SOURCE_DIR) + "/tests/fixtures/" + name;
}

}  // namespace

bool writeReferenceInstead(const QImage& actual, const std::string& fixtureName) {
    if (std::getenv("GRIDOVA_WRITE_REFERENCE") == nullptr) return false;
    EXPECT_TRUE(actual.save(QString::fromStdString(fixturePath(fixtureName))));
    return true;
}

void expectMatchesReference(const QImage& actualPicture, const std::string& fixtureName,
                            int channelTolerance, double maxDifferingShare) {
    const std::string reference = fixturePath(fixtureName);
    const QImage actual = actualPicture.convertToFormat(QImage::Format_RGB32);
    const QImage expected =
        QImage(QString::fromStdString(reference)).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(expected.isNull()) << reference;
    ASSERT_EQ(expected.size(), actual.size());
    QImage difference(actual.size(), QImage::Format_RGB32);
    difference.fill(Qt::white);
    long differing = 0;
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            const QRgb a = actual.pixel(x, y), e = expected.pixel(x, y);
            const int d = std::max({std::abs(qRed(a) - qRed(e)), std::abs(qGreen(a) - qGreen(e)),
                                    std::abs(qBlue(a) - qBlue(e))});
            if (d > channelTolerance) {
                ++differing;
                difference.setPixel(x, y, qRgb(255, 0, 0));
            }
        }
    }
    const double share = static_cast<double>(differing) / (actual.width() * actual.height());
    if (share > maxDifferingShare) {
        const auto dir = testDir();
        actual.save(QString::fromStdString((dir / "actual.png").string()));
        expected.save(QString::fromStdString((dir / "expected.png").string()));
        difference.save(QString::fromStdString((dir / "difference.png").string()));
        ADD_FAILURE() << differing << " pixels differ (" << share * 100
                      << " %); actual, expected and difference images in " << dir.string();
    }
}

}  // namespace gridova::testing
