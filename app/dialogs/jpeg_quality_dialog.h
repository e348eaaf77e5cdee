// "Степень сжатия JPEG": the quality of a JPEG picture, 0..100, asked when
// the map is saved as ".jpg". The value lives in the profile ("JPEG",
// "Quality"), where the picture writer reads it.
#pragma once

#include <QDialog>
#include <optional>

class QLineEdit;

namespace gridova {

class JpegQualityDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kSection = "JPEG";
    static constexpr const char* kKey = "Quality";
    static constexpr int kDefaultQuality = 75;
    static constexpr int kMaxQuality = 100;

    JpegQualityDialog(int quality, QWidget* parent);

    QLineEdit* qualityEdit() const { return quality_; }

    // The typed quality; nothing after it was refused (said).
    std::optional<int> quality();
    void accept() override;

private:
    QLineEdit* quality_ = nullptr;
};

// The dialog opened at the profile's quality (the default when there is
// none); "Да" stores the new one there. False when it was cancelled.
bool runJpegQualityDialog(QWidget* parent);

}  // namespace gridova
