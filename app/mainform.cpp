#include "app/mainform.h"
#include "app/clicklabel.h"
#include "app/damagedfile.h"
#include "app/diaryunlock.h"
#include "app/hintswitch.h"
#include "app/inputsource.h"
#include "app/look.h"
#include "calendar/qelcalendar.h"
#include "app/weblinklabel.h"
#include "app/splitterpanel.h"
#include "app/windowhosts.h"
#include "app/windowstate.h"
#include "pictures/builtinpictures.h"
#include "preview/printform.h"
#include "slideshow/wallpaper.h"
#include "core/error.h"
#include "core/savefile.h"
#include "core/switches.h"
#include "core/textcodec.h"
#include "diary/dayeditor.h"
#include "diary/dayentries.h"
#include "diary/entrydays.h"
#include "diary/diarykeeper.h"
#include "diary/diaryrescue.h"
#include "diary/exchange/diarylayout.h"
#include "diary/spelling/spellchecker.h"
#include "core/usersettings.h"
#include "diary/protect/diaryform.h"
#include "diary/protect/protectedfile.h"
#include "platform/dialogs.h"
#include "platform/guard.h"
#include "platform/accessiblerole.h"
#include "platform/screenfit.h"
#include "platform/systemcolours.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <QWindow>

#include <cstdio>

namespace vistelle {

namespace {

const QString Title = QStringLiteral("The Korvo Group 2009 e-Calendar");
const QString DiaryFile = QStringLiteral("diary.dat");
const QString Date = QStringLiteral("date");
const QString Event = QStringLiteral("event");
const QString UnavailableNotice = QStringLiteral(
    "The diary file diary.dat could not be opened, so entries cannot be shown or written in this run. "
    "The file is left exactly as it is.");

// After the first activation, long enough for its drawing to reach the screen.
constexpr int OtherWindowsDelayMs = 100;

bool onSomeScreen(const QRect& bounds)
{
    for (const QScreen* s : QGuiApplication::screens()) {
        if (s->geometry().intersects(bounds)) return true;
    }
    return false;
}

} // namespace

TMainForm::TMainForm(QWidget* parent) : QWidget(parent)
{
    setAccessibleRole(this, QAccessible::Window);
    setObjectName(QStringLiteral("MainForm"));
    // The designed colours as a whole: a dark desktop palette changes none of them.
    setPalette(designedPalette());
    QToolTip::setPalette(designedPalette());
    initBuiltinPictures(); // the layout uses the built-in logo and arrow images
    buildLayout();
    m_entries = std::make_unique<DayEntries>(diary, *Today);
    m_entries->selectedDate = [this] { return Calendar->SelectedDate(); };
    m_entries->focusEditor = [this] { focusToday(); };
    // Days with an entry are drawn bold; the list behind the marks follows the table's rows.
    m_entryDays = std::make_unique<EntryDays>(diary);
    Calendar->dayMarks = [this](int year, int month) { return m_entryDays->ofMonth(year, month, settingsDate); };
    connectNavigation();
    connectPictures();
    PicPanel->installEventFilter(this);
    m_hints = new HintSwitch(this);
    qApp->installEventFilter(m_hints);
    m_input = new InputSource(this);
    qApp->installEventFilter(m_input);
    connectKeys();
    setTabOrders();
    connect(TipCheckBox, &QCheckBox::clicked, this, guarded([this] { TipCheckBoxClick(); }));
    TransLabel->installEventFilter(this);
    connect(Today, &DayEditor::changed, this, guarded([this] { TodayChange(); }));
    // Unnamed: a set file's component names are checked against the window's named parts.
    spelling = new SpellChecker(this);
    spelling->settingsFile = userSettingsFile();
    Today->setSpellChecker(spelling);
    Today->addMenuItems = [this](QMenu& menu) { addPasswordItems(menu); };

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(1000);
    connect(Timer, &QTimer::timeout, this, guarded([this] { TimerTimer(); }));
    Timer->start();

    setAfterBoxHook([this](QWidget* activeBefore) {
        // A box opened over the slideshow or the preview gives the activation back to it.
        if (activeBefore && activeBefore != this && activeBefore->isVisible()) activeBefore->activateWindow();
        else afterBox();
    });
    // An error ends FormCreate at the failing step; the window is then shown as usual.
    guard([this] { FormCreate(); });
}

TMainForm::~TMainForm()
{
    setAfterBoxHook({});
    delete wallpaper;
    delete printForm;
}

// --- start-up ---

std::vector<ReadAhead::File> TMainForm::filesReadAtStart(std::shared_future<std::shared_ptr<const protect::DiaryKey>> key)
{
    // Without a key given (a cancelled box), the read ahead yields nothing: the window
    // reads the file again if it opens it at all.
    struct NoKey {};
    std::function<QByteArray(QByteArray)> imageOf;
    if (key.valid()) {
        imageOf = [key](QByteArray bytes) {
            if (!protect::isProtected(bytes)) return bytes;
            protect::DiaryForm form;
            form.setKey(key.get());
            if (!form.isProtected()) throw NoKey{};
            return form.imageOf(std::move(bytes), DiaryFile);
        };
    }
    return {{QStringLiteral("graphics1.dat")}, TVolgaTable::readAheadFile(DiaryFile, std::move(imageOf))};
}

void TMainForm::FormCreate()
{
    setApplicationTitle(Title);
    TimerTimer();
    vistelleURL->setText(QStringLiteral("Vistelle 2009"));
    static_cast<WebLinkLabel*>(vistelleURL)->hoverCaption = vistelleURL->text();

    prepareSets();
    if (!openDiary()) return;
    // Entries a sync tool lost or left in conflict copies come back; the folder is watched.
    if (diaryAvailable) m_keeper->startSharing();

    if (diary.Locate(Date, Variant::fromDateTime(settingsDate)))
        applyRecord(decodeStoredText(diary.GetFieldValue(Event).toBytes()));

    const QString hint = switches::previewOnRightClick
        ? QStringLiteral("Left click to shortcut to today\r\nRight click to preview calendar page")
        : QStringLiteral("Left click to shortcut to today");
    for (QLabel* label : {monthLabel, weekLabel, yearLabel}) label->setToolTip(hint);

    if (switches::showLogoLink) {
        LogoAB->setVisible(true);
        TransLabel->setVisible(true);
        TransLabel->resize(LogoAB->width(), TransLabel->height());
    }
    if (switches::hideSetsThreeAndFour) {
        ch[2]->hide();
        ch[3]->hide();
    }
}

bool TMainForm::openDiary()
{
    // The settings date is a constant of the run; it is known even when the diary is not.
    settingsDate = strToDate(QStringLiteral("06/07/5050"));
    m_entries->settingsDate = settingsDate;
    m_keeper = std::make_unique<DiaryKeeper>(diary, DiaryFile, settingsDate);
    // A search holds the table read-only: the keeper still writes what is stored, and
    // merges what changed on disk once the search ends.
    m_keeper->canSave = [this] { return diaryAvailable && !m_closing; };
    // A merge leaves the user's typing alone: grey text is neither stored nor reloaded,
    // and its store later joins it with what the merge brought (DayEntries).
    m_keeper->afterMerge = [this] {
        if (!m_entries->hasUnsavedText()) {
            // Loading the entry focuses the editor; a merge in the background leaves the
            // focus where the user has it (the search box, say).
            QWidget* focused = QApplication::focusWidget();
            getCurrentDate();
            if (focused && focused != Today) focused->setFocus();
        }
        updateWeek();
        Calendar->update();
    };
    m_keeper->reportError = [](const QString& message) { dialogs().error(message); };
    m_entries->tableChanged = [this](TDateTime date) {
        m_keeper->tableChanged(date);
        m_entryDays->dateChanged(date);
        Calendar->update();
    };
    try {
        if (QFile::exists(DiaryFile)) {
            m_outerPos = QPoint(DesignLeft, DesignTop);
            openDiaryFile();
            if (!diary.Active()) {
                // The password box was cancelled: the run goes on without the diary, as
                // with one that cannot be read, and nothing more is said.
                diaryAvailable = false;
                m_entries->available = false;
                Today->showUnavailable(UnavailableNotice);
                return false;
            }
        } else {
            m_centreOnShow = true;
            createDiary(diary, DiaryFile);
        }
        m_keeper->adopt();
        return true;
    } catch (const Error&) {
        // The file is never overwritten: the run goes on without the diary.
        if (diary.Active()) diary.Close();
        diaryAvailable = false;
        m_entries->available = false;
        Today->showUnavailable(UnavailableNotice);
        throw;
    }
}

// A protected diary.dat opens with the key of its password, asked first; false when the
// box was cancelled.
bool TMainForm::unlockIfProtected()
{
    StartUnlock unlock = std::exchange(s_startUnlock, {});
    if (!unlock.checked) unlock = vistelle::unlockIfProtected(DiaryFile);
    if (!unlock.asked) return true;
    if (!unlock.key) return false;
    m_keeper->setKey(std::move(unlock.key));
    diary.imageOfFile = [this](QByteArray bytes) { return m_keeper->imageOfFile(std::move(bytes), DiaryFile); };
    return true;
}

void TMainForm::openDiaryFile()
{
    openRestoringDamaged(DiaryFile, [this] {
        if (diary.Active()) diary.Close();
        if (!unlockIfProtected()) return;
        diary.setTableName(DiaryFile);
        diary.Open();
        // A table of another layout under this name is no diary: it is left as it is.
        diary.FieldByName(Date);
        diary.FieldByName(Event);
    });
}

void TMainForm::applyRecord(const QString& record)
{
    applyWindowRecord(record, [this](int piece, int value) {
        switch (piece) {
        case 0: m_outerSize.setHeight(qMax(value, DesignHeight)); fitOuterSize(); break;
        case 1: m_outerSize.setWidth(qMax(value, DesignWidth)); fitOuterSize(); break;
        case 2: m_outerPos.setY(value); m_centreOnShow = false; break;
        case 3: m_outerPos.setX(value); m_centreOnShow = false; break;
        case 4: MainPanel->setBarPosition(0, value); break;
        case 5: MainPanel->setBarPosition(1, value); break;
        }
    });
}

QString TMainForm::composeRecord() const
{
    // Bounds the user left as they opened are written as they were read: read back on a
    // scaled desktop they can differ by a rounding, which must not creep from run to run.
    const QRect applied(m_outerPos, m_outerSize);
    QRect outer = outerBoundsOf(this);
    if (sameBounds(outer, applied, roundingSlack(devicePixelRatioF()))) outer = applied;
    return composeWindowRecord({outer.height(), outer.width(), outer.top(), outer.left(), MainPanel->barPosition(0),
                                MainPanel->barPosition(1)});
}

// The record holds outer bounds; the client size is what is left inside the frame.
void TMainForm::fitOuterSize()
{
    const QMargins m = frameMarginsOf(this);
    const QSize frame(m.left() + m.right(), m.top() + m.bottom());
    setMinimumSize(m_minimumOuter - frame);
    resizeClientTo(this, m_outerSize - frame);
}

// True when the frame is known and the outer bounds are as recorded.
bool TMainForm::fitOuterBounds()
{
    const bool framed = !frameMarginsOf(this).isNull() || QGuiApplication::platformName() != QLatin1String("xcb");
    const int slack = roundingSlack(devicePixelRatioF());
    const QRect wanted(m_outerPos, m_outerSize);
    fitOuterSize();
    const QPoint at = outerBoundsOf(this).topLeft();
    if (!sameBounds(QRect(at, wanted.size()), wanted, slack)) moveFrameTo(this, m_outerPos);
    return framed && sameBounds(outerBoundsOf(this), wanted, slack);
}

void TMainForm::setVisible(bool visible)
{
    if (visible && !m_shown) prepareContent();
    QWidget::setVisible(visible);
}

// The first paint draws what the first activation shows: the month picture, the labels
// and the day editor are put in place before the window is first shown. The activation
// runs the same steps again and, finding them done, has nothing to redraw.
void TMainForm::prepareContent()
{
    if (!pictureLists[size_t(currentSet)]) return;
    try {
        setMonthPicture();
        showAll();
        getCurrentDate();
    } catch (const Error&) {
        // The activation runs the same steps and reports the error.
    }
}

void TMainForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_shown) return;
    m_shown = true;
    // A window whose bounds lie on no screen opens centred instead of out of sight.
    if (m_centreOnShow || !onSomeScreen(QRect(m_outerPos, m_outerSize))) {
        m_centreOnShow = false;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            m_outerPos = area.center() - QPoint(m_outerSize.width() / 2, m_outerSize.height() / 2);
        }
    }
    // A window larger than the screen's available area is fitted into it, and starts
    // wholly on it; on a screen smaller than the designed minimum the minimum gives way.
    const QRect bounds(m_outerPos, m_outerSize);
    const QRect area = availableAreaFor(bounds);
    if (!area.isEmpty()) m_minimumOuter = m_minimumOuter.boundedTo(area.size());
    QRect fitted = fitIntoArea(bounds, area, m_minimumOuter);
    if (!area.isEmpty()) fitted.moveTopLeft(placeInside(fitted, area));
    m_outerPos = fitted.topLeft();
    m_outerSize = fitted.size();
    fitOuterSize();
    moveFrameTo(this, m_outerPos);
    // Without a window manager nothing activates a new window: ask for it.
    // A window manager frames the window a moment after it is shown, and until then
    // places the client area where the frame belongs: fit until the bounds hold.
    QTimer::singleShot(0, this, [this] {
        fitUntilSettled(this, [this] { return fitOuterBounds(); }, 100);
        activateWindow();
    });
}

// --- activation ---

void TMainForm::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) runActivation();
}

void TMainForm::afterBox()
{
    // The window system does not always give the activation back after a box: make sure
    // the window is active again, so that formActivate runs once per return.
    if (!isVisible()) return;
    if (isActiveWindow()) runActivation();
    else activateWindow();
}

void TMainForm::createOtherWindows()
{
    if (wallpaper) return;
    m_hosts = std::make_unique<WindowHosts>(*this);
    wallpaper = new TWallpaper(*m_hosts, this);
    wallpaper->setObjectName(QStringLiteral("Wallpaper"));
    printForm = new TPrintForm(*m_hosts, this);
    printForm->setObjectName(QStringLiteral("PrintForm"));
}

void TMainForm::returnFromWindow() { afterBox(); }

void TMainForm::runActivation()
{
    if (m_skipNextActivation) {
        m_skipNextActivation = false;
        return;
    }
    // A failing activation is reported once; the return from its own error box does
    // not run it again.
    m_skipNextActivation = true;
    const bool ok = guard([this] { formActivate(); });
    if (ok) m_skipNextActivation = false;
    // The hidden windows are made once the window is on the screen and drawn: nothing
    // of them is seen before they are first asked for.
    if (!m_otherWindowsPlanned) {
        m_otherWindowsPlanned = true;
        QTimer::singleShot(OtherWindowsDelayMs, this, [this] {
            createOtherWindows();
            spelling->loadInBackground(spellProviderFactory());
        });
    }
}

void TMainForm::formActivate()
{
    ++activations;
    storePendingText();
    // Entries another program wrote into diary.dat meanwhile join the table before the
    // editor is reloaded.
    if (m_keeper && diaryAvailable && !diary.ReadOnly()) m_keeper->mergeChangesOnDisk();
    dayLabels.clear();
    for (ClickLabel* l : dayNameLabels) dayLabels << l;
    for (ClickLabel* l : dateLabels) dayLabels << l;
    dayMemos = QList<QPlainTextEdit*>(memos.begin(), memos.end());
    BottomPaneResize();
    setMonthPicture();
    showAll();
    getCurrentDate();
}

// Typed text is never dropped: it is stored before an activation reloads the editor and
// before the window-state record is written at close. A failing store is reported once.
void TMainForm::storePendingText()
{
    if (!m_entries->hasUnsavedText() || diary.ReadOnly() || m_pendingStoreFailed) return;
    m_pendingStoreFailed = true;
    storeEvent();
    m_pendingStoreFailed = false;
}

// --- close ---

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (m_closing) return event->accept();
    bool close = true;
    guard([&] { close = formClose(); });
    if (!close) return event->ignore();
    m_closing = true;
    // The slideshow and the preview go with the main window.
    if (wallpaper) wallpaper->hide();
    if (printForm) printForm->hide();
    event->accept();
}

bool TMainForm::formClose()
{
    // The session may end while one of this close's boxes is open: the end then closes
    // in its place, and this close gives way once its box returns.
    const bool endedBefore = m_sessionEnded;
    const auto endedMeanwhile = [&] { return m_sessionEnded && !endedBefore; };
    ++m_closesInProgress;
    const auto done = qScopeGuard([this] { --m_closesInProgress; });
    if (diaryAvailable) {
        try {
            guard([this] { storePendingText(); });
            if (diary.Locate(Date, Variant::fromDateTime(settingsDate))) diary.Delete();
            diary.AppendRecord({Variant::fromDateTime(settingsDate), Variant(encodeStoredText(composeRecord()))});
            m_keeper->saveNow();
        } catch (const Error& e) {
            dialogs().error(e.message());
            if (endedMeanwhile()) return false;
            const bool close = dialogs().confirm(QStringLiteral("The diary could not be saved. Close without saving it?"));
            if (endedMeanwhile() || !close) return false;
        }
    }
    saveChangedSets();
    return true;
}

void TMainForm::endSession()
{
    if (m_closing || m_sessionEnded) return;
    m_sessionEnded = true;
    // A search waiting at its prompt holds the table read-only; the end comes first.
    if (diary.Active() && diary.ReadOnly()) diary.setReadOnly(false);
    // Nobody is there to answer: boxes go to standard error, questions are answered No.
    static StandardErrorDialogs unattended;
    Dialogs* before = setDialogs(&unattended);
    bool closed;
    if (m_closesInProgress > 0) {
        // A close waits at one of its boxes (the window system would take a second close
        // as done): the end runs the close's steps itself. The waiting close goes on
        // unattended once its box returns, and gives way.
        closed = formClose();
        if (closed) {
            m_closing = true;
            if (wallpaper) wallpaper->hide();
            if (printForm) printForm->hide();
            hide();
        }
    } else {
        closed = close();
        setDialogs(before);
    }
    if (!closed) {
        m_closing = true;
        m_endStatus = 1;
        rescueDiary();
        if (wallpaper) wallpaper->hide();
        if (printForm) printForm->hide();
        hide();
    }
    QCoreApplication::exit(m_endStatus);
}

// The session ends and diary.dat cannot take the diary (it cannot be written, or another
// program left it unreadable): the entries go to a file of their own beside it, so that
// nothing the user stored is lost. Renamed to diary.dat, it opens as the diary.
void TMainForm::rescueDiary()
{
    if (!diaryAvailable || !diary.Active()) return;
    DiaryRescue rescue;
    // A protected diary is rescued in its protected form: renamed to diary.dat it opens
    // with its password, and its text never reaches a file or standard error.
    if (const std::shared_ptr<const protect::DiaryKey> key = m_keeper->key())
        rescue.protect = [key](const QByteArray& image) { return protect::sealImage(image, *key); };
    rescue.run(diary, settingsDate);
}

void TMainForm::bringToFront()
{
    if (m_closing) return;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

// --- day editor ---

void TMainForm::getCurrentDate() { m_entries->getCurrentDate(); }

void TMainForm::storeEvent() { m_entries->storeEvent(); }

void TMainForm::TodayChange()
{
    m_pendingStoreFailed = false;
    m_entries->TodayChange();
}

QString TMainForm::info(TDateTime date) { return m_entries->info(date); }

// --- layout step and clock ---

void TMainForm::BottomPaneResize()
{
    const int h = LeftPane->height() / 3;
    for (int weekday : {1, 5, 2, 6}) dayPanels[size_t(weekday - 1)]->setFixedHeight(h);
    memos[0]->resize(dayPanels[0]->width(), memos[0]->height());
    memos[1]->resize(dayPanels[1]->width(), memos[1]->height());
    // Positions in the bottom bar count from the inside of its 2-pixel border.
    LogoAB->move(2 + (WebLinkPanel->width() - LogoAB->width()) / 2, LogoAB->y());
    TransLabel->move(LogoAB->x(), TransLabel->y());
}

void TMainForm::TipCheckBoxClick() { m_hints->on = !m_hints->on; }

bool TMainForm::hintsShown() const { return m_hints->on; }

void TMainForm::TransLabelClick() { static_cast<WebLinkLabel*>(ownerURL)->open(); }

void TMainForm::TransLabelMouseEnter() { LogoAB->setPixmap(LogoB->pixmap()); }

void TMainForm::TransLabelMouseLeave() { LogoAB->setPixmap(LogoA->pixmap()); }

void TMainForm::TimerTimer()
{
    setWindowTitle(Title + QStringLiteral("             [") + dateTimeToStr(now()) + u']');
}

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutFrame();
    guard([this] { BottomPaneResize(); });
}

} // namespace vistelle
