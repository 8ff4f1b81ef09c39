#pragma once
// The slideshow: a full-screen, borderless, black window that starts with the picture the
// main window shows and then changes to a randomly drawn month picture of the current set
// (and of any sets added from its menu) at every tick of its timer. A right click opens
// the settings menu, a left click hides the window.

#include "slideshow/slideshowhost.h"

#include <QList>
#include <QWidget>

#include <array>

class QAction;
class QActionGroup;
class QMenu;
class QTimer;

namespace vistelle {

class PictureView;

class TWallpaper : public QWidget {
    Q_OBJECT

public:
    explicit TWallpaper(SlideshowHost& host, QWidget* parent = nullptr);

    // Shows the window full screen, without making it modal, and makes it the active
    // window (which runs FormActivate).
    void showSlideshow();

    // Life cycle and handlers.
    void FormActivate();
    void SlidesTimerTimer();
    void wpImageClick();
    void itemRunClick();
    void itemStopClick();
    void itemProportionalClick();
    void itemStretchedClick();
    void item05secondsClick();
    void item10secondsClick();
    void item30secondsClick();
    void item60secondsClick();
    // Toggle the item's mark; for sets 2 to 4 then load the set if it is not loaded yet.
    void AddSet1Click();
    void AddSet2Click();
    void AddSet3Click();
    void AddSet4Click();

    // A menu item by its name ("itemRun", "AddSet3" …); nullptr when there is none.
    QAction* menuItem(const QString& name) const;

    // Controls.
    PictureView* wpImage = nullptr;
    QTimer* SlidesTimer = nullptr;
    QMenu* ConfigMenu = nullptr;
    QAction* itemRun = nullptr;
    QAction* itemStop = nullptr;
    QAction* itemProportional = nullptr;
    QAction* itemStretched = nullptr;
    QAction* item05seconds = nullptr;
    QAction* item10seconds = nullptr;
    QAction* item30seconds = nullptr;
    QAction* item60seconds = nullptr;
    QAction* AddSet1 = nullptr;
    QAction* AddSet2 = nullptr;
    QAction* AddSet3 = nullptr;
    QAction* AddSet4 = nullptr;

    // State kept for the whole run.
    std::array<QAction*, 4> AddSetItems{};
    QList<int> SlideCandidates;
    int LastSlideMonth = 1;
    int LastSlideSet = 1;

    static QString hintText();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Escape leaves as a left click does; Shift+F10 or the Menu key opens the settings menu.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildWindow();
    void buildMenu();
    QAction* addItem(const char* name, const QString& caption, QActionGroup* group);
    void connectItem(QAction* item, void (TWallpaper::*handler)());
    void setSlideInterval(int milliseconds, QAction* item);
    void toggleAddSet(int set);
    void addSetChosen(int set);
    void lookUpAddSetItems();
    template <typename F> void runHandler(F&& body);

    SlideshowHost& m_host;
    bool m_leftPressed = false;
};

} // namespace vistelle
