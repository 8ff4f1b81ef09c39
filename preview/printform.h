#pragma once
// TPrintForm: the printable calendar page of the selected month. The window is the page:
// it is rebuilt from the main window each time it becomes active, and a click on the
// picture prints the window's client area scaled to one sheet.

#include "preview/previewhost.h"

#include <QWidget>

class QLabel;

namespace vistelle {

class PageGrid;
class PictureView;
class ScaledPage;

class TPrintForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 584;
    static constexpr int ClientHeight = 812;

    explicit TPrintForm(PreviewHost& host, QWidget* parent = nullptr);

    // Shows the page without making it modal, in front and active. On a screen too small
    // for the window the page is shown scaled down as a whole, its proportions kept.
    void showPreview();
    // The scale the page is shown at: 1, or less on a screen too small for it.
    qreal pageScale() const;
    // The page at its design size, whatever the scale it is shown at: what is printed.
    QImage pageImage() const;

    // Rebuilds the page from the host: picture, month label, title, notice, table.
    void FormActivate();
    // Asks for a printer and prints the page; nothing when the dialog is cancelled.
    void monthImageClick();

    QWidget* Panel1;
    QLabel* title;
    QWidget* Panel2;
    PictureView* monthImage;
    QWidget* Panel3;
    QLabel* monthLabel;
    PageGrid* Grid;
    PictureView* Logo;
    QLabel* vistelleLabel;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Escape closes the window; Ctrl+P prints as a click on the picture does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool fitToScreen();
    bool fitToScreenOnceFramed();
    void buildBands();
    void buildTable();
    void buildFooter();
    void layoutBands();
    void fitNoticeWidth();

    PreviewHost& m_host;
    QWidget* m_page;       // the page at its design size; the components are its children
    ScaledPage* m_scaled;  // the page drawn scaled down over it, when the screen is too small
    bool m_imagePressed = false;
};

} // namespace vistelle
