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

class TPrintForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 584;
    static constexpr int ClientHeight = 812;

    explicit TPrintForm(PreviewHost& host, QWidget* parent = nullptr);

    // Shows the page without making it modal, in front and active.
    void showPreview();

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

private:
    void buildBands();
    void buildTable();
    void buildFooter();
    void layoutBands();
    void fitNoticeWidth();

    PreviewHost& m_host;
    bool m_imagePressed = false;
};

} // namespace vistelle
