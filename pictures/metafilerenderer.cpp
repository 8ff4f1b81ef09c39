#include "pictures/metafilerenderer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace vistelle {

namespace {

constexpr int kDefaultTimeLimit = 5000;
constexpr auto kHelperName = "vistelle-metafile";

QString& configuredPath()
{
    static QString path;
    return path;
}

int& configuredLimit()
{
    static int limit = kDefaultTimeLimit;
    return limit;
}

QString findHelper()
{
    if (!configuredPath().isEmpty()) return configuredPath();
    const QString appDir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    for (const QString& dir : {appDir, appDir + QStringLiteral("/../bin")}) {
        const QFileInfo candidate(QDir(dir).filePath(QLatin1String(kHelperName)));
        if (candidate.isExecutable()) return candidate.absoluteFilePath();
    }
    return {};
}

} // namespace

void MetafileRenderer::setHelperPath(const QString& path) { configuredPath() = path; }
QString MetafileRenderer::helperPath() { return findHelper(); }
void MetafileRenderer::setTimeLimit(int milliseconds) { configuredLimit() = milliseconds; }
int MetafileRenderer::timeLimit() { return configuredLimit(); }

QByteArray MetafileRenderer::toSvg(const QByteArray& metafile)
{
    const QString program = findHelper();
    if (program.isEmpty()) return {};
    QProcess helper;
    helper.setProcessChannelMode(QProcess::SeparateChannels);
    helper.setStandardErrorFile(QProcess::nullDevice());
    helper.start(program, {});
    if (!helper.waitForStarted(configuredLimit())) return {};
    helper.write(metafile);
    helper.closeWriteChannel();
    if (!helper.waitForFinished(configuredLimit())) {
        helper.kill();
        helper.waitForFinished(1000);
        return {};
    }
    if (helper.exitStatus() != QProcess::NormalExit || helper.exitCode() != 0) return {};
    return helper.readAllStandardOutput();
}

} // namespace vistelle
