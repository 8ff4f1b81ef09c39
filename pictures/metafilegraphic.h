#pragma once
#include "pictures/graphic.h"
#include "pictures/metafilecheck.h"

namespace vistelle {

// TMetafile: an enhanced metafile, or a Windows metafile with its 22-byte placeable
// header, as read. Drawn by converting it to SVG in the helper program.
class MetafileGraphic final : public Graphic {
public:
    // Checks the data; "Metafile is not valid" when it is neither valid form. No bytes
    // make an empty metafile.
    explicit MetafileGraphic(QByteArray data);

    QString className() const override { return QStringLiteral("TMetafile"); }
    int width() const override { return m_info.width; }
    int height() const override { return m_info.height; }
    bool isEmpty() const override { return m_data.isEmpty(); }
    QByteArray classData() const override;
    bool enhanced() const { return m_info.kind == metafile::Kind::Emf; }
    const QByteArray& data() const { return m_data; }

protected:
    QImage drawFor(QSize size) const override;
    bool drawsExactSize() const override { return true; }

private:
    QByteArray m_data;
    metafile::Info m_info;
    mutable bool m_converted = false;
    mutable QByteArray m_svg;
};

} // namespace vistelle
