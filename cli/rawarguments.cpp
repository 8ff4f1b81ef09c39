#include "cli/rawarguments.h"

#include "diary/exchange/utf8text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace vistelle::cli {

namespace {

bool isWrittenName(const QByteArrayList& raw, qsizetype i)
{
    const QByteArray before = i > 0 ? raw[i - 1] : QByteArray();
    if (before == "-o" || before == "--output" || before == "--into") return true;
    const QByteArray& arg = raw[i];
    if (arg.startsWith("--output=") || arg.startsWith("--into=") || (arg.startsWith("-o") && arg.size() > 2)) return true;
    return !raw.isEmpty() && raw[0] == "password" && i > 0;
}

} // namespace

RawArguments::RawArguments(const QByteArrayList& raw)
{
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QByteArray& arg = raw[i];
        if (isUtf8(arg)) {
            m_arguments << QString::fromUtf8(arg);
            continue;
        }
        const QString shown = QString::fromUtf8(arg); // each bad byte as U+FFFD
        struct stat info {};
        if (isWrittenName(raw, i)) {
            if (m_refusal.isEmpty())
                m_refusal = QStringLiteral("%1: a file name that is not UTF-8 can be read, not written; rename the file "
                                           "or write to another name").arg(shown);
            m_arguments << shown;
        } else if (::stat(arg.constData(), &info) == 0) {
            m_arguments << linkTo(arg);
        } else {
            m_arguments << shown;
        }
    }
}

RawArguments::~RawArguments() = default;

QString RawArguments::linkTo(const QByteArray& name)
{
    if (!m_folder) m_folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/vistelle-diary-XXXXXX"));
    QByteArray target = name;
    if (!target.startsWith('/')) {
        char folder[4096];
        if (::getcwd(folder, sizeof folder)) target = QByteArray(folder) + '/' + name;
    }
    // The link keeps the file's own name, made readable, so that messages name it so.
    const qsizetype slash = name.lastIndexOf('/');
    QString linkName = QString::fromUtf8(name.mid(slash + 1));
    if (linkName.isEmpty() || linkName == u"." || linkName == u"..") linkName = QStringLiteral("file");
    QString link = m_folder->filePath(linkName);
    for (int n = 2; QFileInfo(link).isSymLink(); ++n) { // two names that read alike: each link in a folder of its own
        QDir(m_folder->path()).mkdir(QString::number(n));
        link = m_folder->filePath(QStringLiteral("%1/%2").arg(n).arg(linkName));
    }
    if (::symlink(target.constData(), QFile::encodeName(link).constData()) != 0) return QString::fromUtf8(name);
    m_links.append({link.toUtf8(), QString::fromUtf8(name).toUtf8()});
    return link;
}

QByteArray RawArguments::named(QByteArray text) const
{
    for (const auto& [link, shown] : m_links) text.replace(link, shown);
    return text;
}

} // namespace vistelle::cli
