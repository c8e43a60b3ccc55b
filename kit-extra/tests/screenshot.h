#pragma once

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QString>
#include <gtest/gtest.h>

#include <cstdlib>

// Rendered controls are kept under the build folder so their look can be checked by eye.
inline void SaveKitScreenshot(const QImage& image, const QString& name)
{
    const QString dir = QStringLiteral(KORVO_BUILD_DIR "/screenshots/kit");
    QDir().mkpath(dir);
    ASSERT_TRUE(image.save(dir + "/" + name + ".png"));
}

// A look approved once and kept beside the tests (data/<name>.png), compared
// pixel for pixel. A differing picture is saved as screenshots/kit/failed/<name>.png
// under the build folder. KORVO_WRITE_PICTURES=1 writes the approved pictures anew.
inline void ExpectStoredPicture(const QImage& actual, const QString& name)
{
    const QString stored = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/data/" + name + ".png";
    const QImage image = actual.convertToFormat(QImage::Format_RGB32);
    if (std::getenv("KORVO_WRITE_PICTURES")) {
        ASSERT_TRUE(image.save(stored));
        return;
    }
    const QImage expected = QImage(stored).convertToFormat(QImage::Format_RGB32);
    if (expected == image)
        return;
    const QString dir = QStringLiteral(KORVO_BUILD_DIR "/screenshots/kit/failed");
    QDir().mkpath(dir);
    image.save(dir + "/" + name + ".png");
    ADD_FAILURE() << "the picture differs from " << stored.toStdString() << "; the one painted is in "
                  << (dir + "/" + name + ".png").toStdString();
}
