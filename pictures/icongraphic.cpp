#include "pictures/icongraphic.h"

#include "pictures/icocodec.h"

namespace vistelle {

IconGraphic::IconGraphic(QByteArray file) : m_file(std::move(file))
{
    if (!m_file.isEmpty()) m_size = checkIconFile(m_file);
}

QImage IconGraphic::drawFor(QSize) const { return decodeIconFile(m_file); }

} // namespace vistelle
