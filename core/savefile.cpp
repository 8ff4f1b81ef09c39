#include "core/savefile.h"

#include <QSaveFile>

namespace vistelle {

bool writeFileWhole(const QString& fileName, const QByteArray& bytes)
{
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true); // used only where no temporary file can be made
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    return file.commit();
}

} // namespace vistelle
