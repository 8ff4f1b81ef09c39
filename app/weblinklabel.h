#pragma once
// A label with a second look while the mouse pointer is over it, and a web address that
// a click hands to the system's default handler.

#include <QLabel>

namespace vistelle {

class WebLinkLabel : public QLabel {
    Q_OBJECT

public:
    struct Look {
        QFont font;
        QColor text;
        QColor background; // invalid: transparent
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    };

    explicit WebLinkLabel(QWidget* parent = nullptr);

    QString address;
    QString hoverCaption;
    void setLooks(const Look& normal, const Look& hover);
    bool hovered() const { return m_hovered; }
    void open(); // the click: opens the address

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // With the focus (from Tab) it shows its hover look, and Enter opens the address.
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void apply(const Look& look);
    Look m_normal, m_hover;
    QString m_normalCaption;
    bool m_hovered = false;
};

} // namespace vistelle
