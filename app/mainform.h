#pragma once
// The main window: start-up and shutdown, the window-state record, the layout and the
// handlers that tie the calendar, the day editor, the pictures and the search together.

#include "app/diaryunlock.h"
#include "core/datetime.h"
#include "diary/engine/volgatable.h"

#include <QWidget>
#include <array>
#include <future>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class QToolButton;

namespace vistelle {

namespace protect {
class DiaryKey;
}

class ClickLabel;
class PictureView;
class TLMDGraphicList;
class TPrintForm;
class TWallpaper;
class WindowHosts;
class DayEditor;
class DiaryKeeper;
class EntryDays;
class HintSwitch;
class InputSource;
class DayEntries;
class RepeatButton;
class SpellChecker;
class SplitterPanel;
class TQelCalendar;

class TMainForm : public QWidget {
    Q_OBJECT

public:
    static constexpr int DesignWidth = 736;
    static constexpr int DesignHeight = 415;
    static constexpr int DesignLeft = 266;
    static constexpr int DesignTop = 163;

    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Life cycle.
    void FormCreate();
    void formActivate();
    // Returns false when the close was refused (the diary could not be saved and the
    // user chose to keep the window open).
    bool formClose();
    // The end of the desktop session or a signal: the close without questions (changed
    // picture sets left unsaved). Ends the event loop with 0, or 1 when the diary could
    // not be saved (reported on standard error).
    void endSession();
    bool sessionEnded() const { return m_sessionEnded; }
    int endStatus() const { return m_endStatus; }
    // A later start in the same folder asks the window to come to the front.
    void bringToFront();
    // The diary and the first picture set: the files the start-up reads before the window
    // shows. With key, a protected diary is opened there with the key once given.
    static std::vector<ReadAhead::File> filesReadAtStart(
        std::shared_future<std::shared_ptr<const protect::DiaryKey>> key = {});
    // The answer of the password box shown before the window, for the next window built.
    static void unlockedBeforeWindow(StartUnlock unlock) { s_startUnlock = std::move(unlock); }
    void setVisible(bool visible) override;

    // Day editor rules.
    void getCurrentDate();
    void storeEvent();
    void TodayChange();
    QString info(TDateTime date);

    // Navigation and week view.
    void calendarChange();
    void showMonth();
    void showWeek();
    void showYear();
    void showAll();
    static int day(TDateTime date);
    void updateWeek();
    void btnNextWeekClick();
    void btnPreviousWeekClick();
    void btnNextMonthClick();
    void btnPreviousMonthClick();
    void btnNextYearClick();
    void btnPreviousYearClick();
    void hidePictureClick();
    void showPictureClick();
    void dateLabelClick(int weekday); // lbl_MondateClick … lbl_SundateClick, weekday 1..7
    void monthLabelClick();
    void blankPopupMenuPopup();
    void setMonthPicture();
    // The previous or next day (Ctrl+Page Up, Ctrl+Page Down), crossing months.
    void stepDay(int delta);
    // The day editor takes the focus unless the user's last action came from the keyboard:
    // a change started from the keyboard keeps the focus where it was.
    void focusToday();
    // Whether the user's last action came from the keyboard.
    bool keyboardAction() const;

    // Picture sets, drop import and drag-out.
    void prepareSets();
    void saveChangedSets();
    void loadSetIfNeeded(int n);
    void chClick(int n); // ch1Click … ch4Click
    // A drop on the picture panel: a bitmap, or else the first file of a file list.
    // Returns false when the drop failed without a message.
    bool DropComboTargetDrop(const QImage& bitmap, const QStringList& files);
    void ImageMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void ImageMouseUp(Qt::MouseButton button);
    std::array<TLMDGraphicList*, 5> pictureLists{}; // 1..4
    int currentSet = 1;
    std::array<bool, 5> setLoaded{};  // 2..4
    std::array<bool, 5> setChanged{}; // 1..4
    PictureView* Image;

    // Search.
    void btnSearchClick();

    // The slideshow and the page preview: created after the main window, hidden until shown.
    // The window creates them itself once its first activation is done, or at once when
    // one of them is asked for earlier; creating them again does nothing.
    void createOtherWindows();
    void monthLabelMouseUp(Qt::MouseButton button);
    // The main window becomes active again after another window hides.
    void returnFromWindow();
    TWallpaper* wallpaper = nullptr;
    TPrintForm* printForm = nullptr;

    // Window state.
    QString composeRecord() const;
    void applyRecord(const QString& record);

    // Layout step and title clock.
    void BottomPaneResize();
    void TimerTimer();
    void TipCheckBoxClick();
    bool hintsShown() const;
    void TransLabelClick();
    void TransLabelMouseEnter();
    void TransLabelMouseLeave();

    // State, read by tests and the other windows.
    TVolgaTable diary;
    TDateTime settingsDate = 0;
    bool diaryAvailable = true;
    int activations = 0; // how many times formActivate has run

    // Controls.
    QWidget *TopPanel, *BottomPanel, *LeftPanel, *RightPanel, *WebLinkPanel;
    SplitterPanel* MainPanel;
    QWidget *WeekPane, *CalendarPane, *TodayPane;
    QWidget *PicPanel, *WeekNoPanel, *MonthPanel, *YearPanel;
    DayEditor* Today;
    QCheckBox* TipCheckBox;
    QLineEdit* searchBox;
    QPushButton* btnSearch;
    QLabel *LogoAB, *TransLabel, *vistelleURL, *ownerURL, *LogoA, *LogoB;
    ClickLabel *monthLabel, *weekLabel, *yearLabel;
    TQelCalendar* Calendar;
    RepeatButton *btnPreviousMonth, *btnNextMonth, *btnPreviousYear, *btnNextYear, *btnPreviousWeek, *btnNextWeek;
    SplitterPanel* WeekPanel;
    QWidget *LeftPane, *RightPane, *BottomPane;
    // Monday … Sunday panels, day-name labels, date labels and memos (index 0 = Monday).
    std::array<QWidget*, 7> dayPanels{};
    std::array<ClickLabel*, 7> dayNameLabels{}, dateLabels{};
    std::array<QPlainTextEdit*, 7> memos{};
    // Filled by formActivate: 14 labels (names, then dates) and 7 memos, Monday first.
    QList<QLabel*> dayLabels;
    QList<QPlainTextEdit*> dayMemos;
    QStringList monthList;
    std::array<QRadioButton*, 4> ch{};
    QTimer* Timer;
    // The day editor's spell checker; its dictionary is loaded once the window is drawn.
    SpellChecker* spelling;

    DayEntries& entries() { return *m_entries; }
    DiaryKeeper* keeper() { return m_keeper.get(); }

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    void buildBottomBar();
    void buildMainPanel();
    void buildWeekPanel();
    QWidget* buildDayPanel(int weekday, QWidget* parent);
    void connectNavigation();
    void connectPictures();
    void connectKeys();
    void setTabOrders();
    bool keyEvent(QObject* watched, QKeyEvent* event);
    // A raised frame shows that it, or the picture inside it, has the focus.
    void showFocus(QWidget* frame, bool shown);
    // The search button turns to the highlight colours while it has the focus.
    void showButtonFocus(QWidget* button, bool shown);
    void showNames();
    bool pictureEvent(QEvent* event);
    bool m_imagePressed = false;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void layoutFrame();
    void layoutBottomBar();
    void afterBox();
    void runActivation();
    void prepareContent();
    bool openDiary();
    void openDiaryFile();
    bool unlockIfProtected();
    inline static StartUnlock s_startUnlock;
    void addPasswordItems(QMenu& menu);
    void protectDiary();
    void changeDiaryPassword();
    void removeDiaryPassword();
    void changeDiaryForm(std::shared_ptr<const protect::DiaryKey> key);
    void storePendingText();
    void rescueDiary();
    void fitOuterSize();
    bool fitOuterBounds();

    std::unique_ptr<DayEntries> m_entries;
    std::unique_ptr<DiaryKeeper> m_keeper;
    std::unique_ptr<EntryDays> m_entryDays; // the days the calendar draws bold
    std::unique_ptr<WindowHosts> m_hosts;
    HintSwitch* m_hints;
    InputSource* m_input;
    QSize m_minimumOuter{DesignWidth, DesignHeight};
    bool m_skipNextActivation = false;
    bool m_pendingStoreFailed = false;
    bool m_centreOnShow = false;
    QSize m_outerSize{DesignWidth, DesignHeight};
    QPoint m_outerPos{DesignLeft, DesignTop};
    bool m_shown = false;
    bool m_otherWindowsPlanned = false;
    bool m_closing = false;
    bool m_sessionEnded = false;
    int m_closesInProgress = 0; // formClose calls under way (one may wait at a box)
    int m_endStatus = 0;
};

} // namespace vistelle
