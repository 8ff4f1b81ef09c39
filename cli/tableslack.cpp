#include "cli/tableslack.h"

#include "diary/engine/tablefile_format.h"
#include "diary/engine/volgafield.h"

#include <QtEndian>

namespace vistelle::cli {

using namespace tablefile;

TableSlack tableSlack(const QByteArray& image, const QList<TVolgaField>& fields)
{
    const char* p = image.constData();
    const qint64 size = image.size();
    TableSlack slack;
    if (size < HeaderSize) return slack;
    const auto int32At = [&](qint64 at) { return qFromLittleEndian<qint32>(p + at); };
    slack.declaredRows = int32At(RecordCountOffset);
    const qint32 mapWidth = int32At(9);
    qint64 pos = HeaderSize + qint64(int32At(13));
    if (mapWidth <= 0 || mapWidth != fields.size()) return slack;
    if (size - pos >= mapWidth && size - pos >= 1 && p[pos] == NotesMarker)
        pos += 3 + qFromLittleEndian<qint16>(p + pos + 1);
    for (qint64 row = 0; row < slack.declaredRows && size - pos >= mapWidth; ++row) {
        const unsigned char* map = reinterpret_cast<const unsigned char*>(p + pos);
        pos += mapWidth;
        for (qsizetype i = 0; i < fields.size(); ++i) {
            const int entry = map[i];
            if (entry == 0) continue;
            qint64 length = entry;
            if (isVariable(fields[i].type)) {
                if (size - pos < 4) return {0, true, slack.declaredRows};
                length = int32At(pos);
                pos += 4;
            }
            if (length > size - pos) return {0, true, slack.declaredRows};
            pos += length;
        }
    }
    slack.bytesAfterLastRow = size - pos;
    return slack;
}

} // namespace vistelle::cli
