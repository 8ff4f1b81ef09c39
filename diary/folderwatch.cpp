#include "diary/folderwatch.h"

#include <QFileInfo>

namespace vistelle {

FolderWatch::FolderWatch(const QString& folder, const QString& fileName, QObject* parent)
    : QObject(parent), m_file(QFileInfo(fileName).absoluteFilePath())
{
    m_watcher.addPath(QFileInfo(folder).absoluteFilePath());
    if (QFileInfo::exists(m_file)) m_watcher.addPath(m_file);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { notice(); });
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { notice(); });
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMs);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        if (changed) changed();
    });
    m_poll.setInterval(PollMs);
    connect(&m_poll, &QTimer::timeout, this, [this] {
        if (changed) changed();
    });
    m_poll.start();
}

void FolderWatch::notice()
{
    // The file replaced by a rename is a new file: watch it again.
    if (!m_watcher.files().contains(m_file) && QFileInfo::exists(m_file)) m_watcher.addPath(m_file);
    if (!m_settle.isActive()) m_settle.start();
}

} // namespace vistelle
