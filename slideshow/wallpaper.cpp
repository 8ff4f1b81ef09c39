#include "slideshow/wallpaper.h"

#include "core/switches.h"
#include "pictures/pictureview.h"
#include "platform/guard.h"
#include "platform/accessiblerole.h"
#include "platform/random.h"
#include "platform/systemcolours.h"
#include "slideshow/slidedraw.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace vistelle {

TWallpaper::TWallpaper(SlideshowHost& host, QWidget* parent) : QWidget(parent, Qt::Window), m_host(host)
{
    setAccessibleRole(this, QAccessible::Window);
    setObjectName(QStringLiteral("Wallpaper"));
    buildWindow();
    buildMenu();
    lookUpAddSetItems();

    SlidesTimer = new QTimer(this);
    SlidesTimer->setObjectName(QStringLiteral("SlidesTimer"));
    SlidesTimer->setInterval(5000);
    // Precise, so that the next picture comes exactly one interval after a choice.
    SlidesTimer->setTimerType(Qt::PreciseTimer);
    // Qt never delivers a timer's tick while its previous tick still runs, so a failing
    // tick's error box is not joined by more boxes while it is open.
    connect(SlidesTimer, &QTimer::timeout, this, [this] { runHandler([this] { SlidesTimerTimer(); }); });
    // Full screen whenever shown; set once the layout exists, or the first showing
    // comes up with no size.
    setWindowState(Qt::WindowFullScreen);
}

QString TWallpaper::hintText()
{
    return QStringLiteral("Left click to return to calendar\r\nRight click for slideshow settings");
}

void TWallpaper::buildWindow()
{
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("Wallpaper"));
    setCursor(Qt::PointingHandCursor);
    QPalette pal = designedPalette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);

    wpImage = new PictureView(this);
    wpImage->setObjectName(QStringLiteral("wpImage"));
    wpImage->setBackgroundColor(Qt::black);
    wpImage->setFitMode(FitMode::Proportional);
    wpImage->setToolTip(hintText());
    wpImage->setAccessibleName(QStringLiteral("Slideshow picture"));
    wpImage->setContextMenuPolicy(Qt::CustomContextMenu);
    wpImage->installEventFilter(this);
    connect(wpImage, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { ConfigMenu->popup(wpImage->mapToGlobal(at)); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(wpImage);
}

QAction* TWallpaper::addItem(const char* name, const QString& caption, QActionGroup* group)
{
    auto* item = new QAction(caption, ConfigMenu);
    item->setObjectName(QLatin1String(name));
    item->setCheckable(true);
    if (group) group->addAction(item);
    ConfigMenu->addAction(item);
    return item;
}

void TWallpaper::connectItem(QAction* item, void (TWallpaper::*handler)())
{
    connect(item, &QAction::triggered, this, [this, handler] { runHandler([this, handler] { (this->*handler)(); }); });
}

// The menu has no columns here: a separator stands where each new column would begin.
void TWallpaper::buildMenu()
{
    ConfigMenu = new QMenu(this);
    ConfigMenu->setObjectName(QStringLiteral("ConfigMenu"));

    auto* runGroup = new QActionGroup(ConfigMenu);
    itemRun = addItem("itemRun", QStringLiteral("Run"), runGroup);
    itemStop = addItem("itemStop", QStringLiteral("Stop"), runGroup);
    ConfigMenu->addSeparator();
    auto* fitGroup = new QActionGroup(ConfigMenu);
    itemProportional = addItem("itemProportional", QStringLiteral("Proportional"), fitGroup);
    itemStretched = addItem("itemStretched", QStringLiteral("Stretched"), fitGroup);
    ConfigMenu->addSeparator();
    auto* intervalGroup = new QActionGroup(ConfigMenu);
    item05seconds = addItem("item05seconds", QStringLiteral("05 seconds"), intervalGroup);
    item10seconds = addItem("item10seconds", QStringLiteral("10 seconds"), intervalGroup);
    ConfigMenu->addSeparator();
    item30seconds = addItem("item30seconds", QStringLiteral("30 seconds"), intervalGroup);
    item60seconds = addItem("item60seconds", QStringLiteral("60 seconds"), intervalGroup);
    ConfigMenu->addSeparator();
    AddSet1 = addItem("AddSet1", QStringLiteral("Add Set 1"), nullptr);
    AddSet2 = addItem("AddSet2", QStringLiteral("Add Set 2"), nullptr);
    ConfigMenu->addSeparator();
    AddSet3 = addItem("AddSet3", QStringLiteral("Add Set 3"), nullptr);
    AddSet4 = addItem("AddSet4", QStringLiteral("Add Set 4"), nullptr);

    itemRun->setChecked(true);
    itemProportional->setChecked(true);
    item05seconds->setChecked(true);

    connectItem(itemRun, &TWallpaper::itemRunClick);
    connectItem(itemStop, &TWallpaper::itemStopClick);
    connectItem(itemProportional, &TWallpaper::itemProportionalClick);
    connectItem(itemStretched, &TWallpaper::itemStretchedClick);
    connectItem(item05seconds, &TWallpaper::item05secondsClick);
    connectItem(item10seconds, &TWallpaper::item10secondsClick);
    connectItem(item30seconds, &TWallpaper::item30secondsClick);
    connectItem(item60seconds, &TWallpaper::item60secondsClick);
    // Choosing an "Add Set" item in the menu toggles its mark through the action itself;
    // what remains of the handler is the loading.
    const std::array<QAction*, 4> addSets{AddSet1, AddSet2, AddSet3, AddSet4};
    for (int set = 1; set <= 4; ++set) {
        connect(addSets[set - 1], &QAction::triggered, this,
                [this, set] { runHandler([this, set] { addSetChosen(set); }); });
    }
}

QAction* TWallpaper::menuItem(const QString& name) const
{
    return ConfigMenu->findChild<QAction*>(name, Qt::FindDirectChildrenOnly);
}

void TWallpaper::lookUpAddSetItems()
{
    for (int set = 1; set <= 4; ++set) AddSetItems[set - 1] = menuItem(QStringLiteral("AddSet%1").arg(set));
}

// Runs a handler through the error box. When the box took the activation away from this
// window, the activation comes back here, as it does after any box.
template <typename F>
void TWallpaper::runHandler(F&& body)
{
    const bool wasActive = isActiveWindow();
    if (guard(std::forward<F>(body)) || !wasActive || !isVisible() || isActiveWindow()) return;
    raise();
    activateWindow();
}

void TWallpaper::showSlideshow()
{
    showFullScreen();
    raise();
    activateWindow();
}

// --- activation ---

void TWallpaper::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) guard([this] { FormActivate(); });
}

void TWallpaper::FormActivate()
{
    randomSource().seedFromClock();
    if (!itemStop->isChecked() && !SlidesTimer->isActive()) SlidesTimer->start();
    LastSlideMonth = m_host.calendarMonth();
    LastSlideSet = m_host.currentSet();
    wpImage->setPicture(m_host.pictureOnDisplay());
    if (switches::hideSetsThreeAndFour) {
        AddSet3->setVisible(false);
        AddSet4->setVisible(false);
    }
    lookUpAddSetItems();
    // The current set is always in the show, so it cannot be added a second time.
    const int current = m_host.currentSet();
    for (int set = 1; set <= 4; ++set) {
        QAction* item = AddSetItems[set - 1];
        if (!item) continue;
        item->setEnabled(set != current);
        if (set == current) item->setChecked(false);
    }
}

// --- the show ---

void TWallpaper::SlidesTimerTimer()
{
    std::array<bool, 4> marked{};
    for (int set = 1; set <= 4; ++set) {
        const QAction* item = AddSetItems[set - 1];
        marked[set - 1] = item && item->isChecked();
    }
    SlideCandidates = slideCandidates(m_host.currentSet(), marked);
    const Slide next = drawSlide(SlideCandidates, Slide{LastSlideSet, LastSlideMonth}, randomSource());
    wpImage->setPicture(m_host.setPicture(next.set, next.month));
    LastSlideMonth = next.month;
    LastSlideSet = next.set;
}

void TWallpaper::wpImageClick()
{
    hide();
    SlidesTimer->stop();
    m_host.slideshowHidden();
}

// Closing the window from the window system ends the show as a left click does: hidden,
// timer off, and the main window active again.
void TWallpaper::closeEvent(QCloseEvent* event)
{
    event->ignore();
    runHandler([this] { wpImageClick(); });
}

bool TWallpaper::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != wpImage) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) m_leftPressed = true;
    } else if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && m_leftPressed) {
            m_leftPressed = false;
            if (wpImage->rect().contains(mouse->position().toPoint())) runHandler([this] { wpImageClick(); });
        }
    }
    return false;
}

void TWallpaper::keyPressEvent(QKeyEvent* event)
{
    const bool menuKey = event->key() == Qt::Key_Menu
        || (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        runHandler([this] { wpImageClick(); });
    } else if (menuKey) {
        ConfigMenu->popup(wpImage->mapToGlobal(wpImage->rect().center()));
    } else {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

// --- menu handlers ---

void TWallpaper::itemRunClick()
{
    if (!SlidesTimer->isActive()) SlidesTimer->start();
    itemRun->setChecked(true);
}

void TWallpaper::itemStopClick()
{
    SlidesTimer->stop();
    itemStop->setChecked(true);
}

void TWallpaper::itemProportionalClick()
{
    wpImage->setFitMode(FitMode::Proportional);
    itemProportional->setChecked(true);
}

void TWallpaper::itemStretchedClick()
{
    wpImage->setFitMode(FitMode::Stretched);
    itemStretched->setChecked(true);
}

// A new interval restarts a running countdown from now; the interval in force changes
// nothing.
void TWallpaper::setSlideInterval(int milliseconds, QAction* item)
{
    if (SlidesTimer->interval() != milliseconds) {
        if (SlidesTimer->isActive()) SlidesTimer->start(milliseconds);
        else SlidesTimer->setInterval(milliseconds);
    }
    item->setChecked(true);
}

void TWallpaper::item05secondsClick() { setSlideInterval(5000, item05seconds); }
void TWallpaper::item10secondsClick() { setSlideInterval(10000, item10seconds); }
void TWallpaper::item30secondsClick() { setSlideInterval(30000, item30seconds); }
void TWallpaper::item60secondsClick() { setSlideInterval(60000, item60seconds); }

void TWallpaper::toggleAddSet(int set)
{
    QAction* item = menuItem(QStringLiteral("AddSet%1").arg(set));
    item->setChecked(!item->isChecked());
    addSetChosen(set);
}

// Set 1 is always loaded at start-up. The set is loaded whether the item was just
// marked or unmarked; a failure leaves the mark as toggled.
void TWallpaper::addSetChosen(int set)
{
    if (set >= 2) m_host.loadSetIfNeeded(set);
}

void TWallpaper::AddSet1Click() { toggleAddSet(1); }
void TWallpaper::AddSet2Click() { toggleAddSet(2); }
void TWallpaper::AddSet3Click() { toggleAddSet(3); }
void TWallpaper::AddSet4Click() { toggleAddSet(4); }

} // namespace vistelle
