#pragma once

#include <QDir>
#include <QImage>
#include <QString>
#include <gtest/gtest.h>

// Rendered controls are kept under the build folder so their look can be checked by eye.
inline void SaveKitScreenshot(const QImage& image, const QString& name)
{
    const QString dir = QStringLiteral(KORVO_BUILD_DIR "/screenshots/kit");
    QDir().mkpath(dir);
    ASSERT_TRUE(image.save(dir + "/" + name + ".png"));
}
