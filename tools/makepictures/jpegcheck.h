#pragma once

#include <QByteArray>
#include <QString>

// Checks a written JPEG against what the built-in pictures promise: JFIF,
// baseline (SOF0), 8-bit samples, three components, the expected size.
class JpegCheck
{
public:
    // Empty when the file is as expected, otherwise what is wrong.
    static QString problem(const QByteArray &jpeg, int width, int height);
};
