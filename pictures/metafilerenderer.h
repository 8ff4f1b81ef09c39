#pragma once
// Draws metafiles through the helper program vistelle-metafile (metafile on standard
// input, SVG on standard output), run with a time limit. The conversion libraries are
// not safe on hostile input, so they never run inside this process: a helper that
// crashes, hangs or fails leaves the picture undrawn.

#include <QByteArray>
#include <QString>

namespace vistelle {

class MetafileRenderer {
public:
    // SVG for checked metafile data; empty when the helper is missing or fails.
    static QByteArray toSvg(const QByteArray& metafile);

    // The helper is looked for next to the program, then in ../bin from it (where tests
    // run); a path set here comes first.
    static void setHelperPath(const QString& path);
    static QString helperPath();
    static void setTimeLimit(int milliseconds);
    static int timeLimit();
};

} // namespace vistelle
