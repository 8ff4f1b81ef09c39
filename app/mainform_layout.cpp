// The main window's component tree: black frame strips, the bottom bar, and the main
// splitter panel with the picture/week pane and the calendar and day editor column.

#include "app/clicklabel.h"
#include "app/look.h"
#include "app/repeatbutton.h"
#include "calendar/qelcalendar.h"
#include "app/mainform.h"
#include "app/splitterpanel.h"
#include "app/weblinklabel.h"
#include "diary/dayeditor.h"
#include "pictures/builtinpictures.h"
#include "pictures/pictureview.h"
#include "platform/accessiblerole.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vistelle {

namespace {

constexpr int FrameStrip = 5;
constexpr int BottomBarHeight = 33;
constexpr int BarBorder = 2;      // the bottom bar's single-line border
constexpr int DesignBarWidth = 716; // the bottom bar's inside at design

template <typename W>
W* make(QWidget* parent, const char* name)
{
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QWidget* blackPanel(QWidget* parent, const char* name)
{
    QWidget* w = make<QWidget>(parent, name);
    look::setBackground(w, Qt::black);
    return w;
}

ClickLabel* titleLabel(QWidget* parent, const char* name, const char* caption)
{
    ClickLabel* l = make<ClickLabel>(parent, name);
    setAccessibleRole(l, QAccessible::Button);
    l->setText(QString::fromLatin1(caption));
    l->setAlignment(Qt::AlignCenter);
    l->setFont(look::font(QStringLiteral("Lucida Sans"), 17, false, true));
    look::setTextColour(l, look::colour(look::clRed));
    l->setCursor(Qt::PointingHandCursor);
    l->setFocusPolicy(Qt::TabFocus);
    return l;
}

// The arrows of the step buttons, each decoded once for all three bars.
struct Arrows {
    QIcon left{QPixmap::fromImage(builtinPng(QStringLiteral(":/builtin/arrowLeft.png")))};
    QIcon right{QPixmap::fromImage(builtinPng(QStringLiteral(":/builtin/arrowRight.png")))};
};

RepeatButton* stepButton(QWidget* parent, const char* name, const QIcon& arrow)
{
    RepeatButton* b = make<RepeatButton>(parent, name);
    b->setFixedSize(50, 19);
    b->setIcon(arrow);
    b->setIconSize(QSize(24, 24));
    b->setCursor(Qt::PointingHandCursor);
    b->setToolTip(QStringLiteral("Click and hold for fast scroll"));
    return b;
}

// A bar of 25 pixels: previous button, title label, next button.
QWidget* bar(QWidget* parent, const char* name, const Arrows& arrows, RepeatButton*& previous, const char* previousName,
             ClickLabel*& label, const char* labelName, const char* caption, RepeatButton*& next, const char* nextName)
{
    QWidget* b = blackPanel(parent, name);
    b->setFixedHeight(25);
    auto* row = new QHBoxLayout(b);
    row->setContentsMargins(0, 3, 0, 3);
    row->setSpacing(0);
    previous = stepButton(b, previousName, arrows.left);
    label = titleLabel(b, labelName, caption);
    next = stepButton(b, nextName, arrows.right);
    row->addWidget(previous);
    row->addWidget(label, 1);
    row->addWidget(next);
    return b;
}

QVBoxLayout* column(QWidget* pane)
{
    auto* c = new QVBoxLayout(pane);
    c->setContentsMargins(0, 0, 0, 0);
    c->setSpacing(0);
    return c;
}

} // namespace

void TMainForm::buildLayout()
{
    look::setBackground(this, look::colour(look::clSilver));
    setFont(look::trebuchet(11));
    resize(DesignWidth, DesignHeight);
    setMinimumSize(DesignWidth, DesignHeight);

    TopPanel = blackPanel(this, "TopPanel");
    BottomPanel = blackPanel(this, "BottomPanel");
    LeftPanel = blackPanel(this, "LeftPanel");
    RightPanel = blackPanel(this, "RightPanel");
    WebLinkPanel = blackPanel(this, "WebLinkPanel");
    buildBottomBar();
    buildMainPanel();
    layoutFrame();
}

void TMainForm::buildMainPanel()
{
    MainPanel = new SplitterPanel(SplitterPanel::Arrangement::LeftAndStackedRight, this);
    MainPanel->setObjectName(QStringLiteral("MainPanel"));
    MainPanel->setToolTip(QStringLiteral("Drag dividing bar to your preferred position"));
    MainPanel->setBarLimits(0, 300, 300);
    MainPanel->setBarLimits(1, 200, 29);
    MainPanel->setBarPosition(0, 407);
    MainPanel->setBarPosition(1, 203);
    const Arrows arrows;

    WeekPane = MainPanel->pane(0);
    WeekPane->setObjectName(QStringLiteral("WeekPane"));
    look::setBackground(WeekPane, Qt::black);
    QVBoxLayout* weekColumn = column(WeekPane);
    auto* picFrame = make<QFrame>(WeekPane, "PicPanel");
    picFrame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    picFrame->setLineWidth(2);
    look::setBackground(picFrame, Qt::black);
    PicPanel = picFrame;
    auto* picBox = new QVBoxLayout(PicPanel);
    picBox->setContentsMargins(5, 5, 5, 5); // the double bevel and its border
    Image = make<PictureView>(PicPanel, "Image");
    Image->setFitMode(FitMode::Proportional);
    Image->setCursor(Qt::PointingHandCursor);
    Image->setFocusPolicy(Qt::TabFocus);
    setAccessibleRole(Image, QAccessible::Graphic);
    picBox->addWidget(Image);
    PicPanel->setToolTip(QStringLiteral("Drag & drop a picture here\r\nLeft click to view week\r\nRight click to view slides"));
    weekColumn->addWidget(PicPanel, 1);
    buildWeekPanel();
    weekColumn->addWidget(WeekPanel, 1);
    WeekNoPanel = bar(WeekPane, "WeekNoPanel", arrows, btnPreviousWeek, "btnPreviousWeek", weekLabel, "weekLabel", "Week",
                      btnNextWeek, "btnNextWeek");
    weekColumn->addWidget(WeekNoPanel);

    CalendarPane = MainPanel->pane(1);
    CalendarPane->setObjectName(QStringLiteral("CalendarPane"));
    QVBoxLayout* calendarColumn = column(CalendarPane);
    MonthPanel = bar(CalendarPane, "MonthPanel", arrows, btnPreviousMonth, "btnPreviousMonth", monthLabel, "monthLabel", "Month",
                     btnNextMonth, "btnNextMonth");
    calendarColumn->addWidget(MonthPanel);
    Calendar = make<TQelCalendar>(CalendarPane, "Calendar");
    Calendar->setCursor(Qt::PointingHandCursor);
    Calendar->setToolTip(QStringLiteral("Click on a date to select"));
    Calendar->setAccessibleName(QStringLiteral("Calendar"));
    Calendar->SetColor(look::infoBackground());
    Calendar->setFont(look::trebuchet(13));
    Calendar->SetFontColor(look::colour(look::clNavy));
    Calendar->SetStartOfWeek(1);
    auto* calendarBox = new QVBoxLayout;
    calendarBox->setContentsMargins(2, 2, 2, 2); // the pane's bevel
    calendarBox->addWidget(Calendar);
    calendarColumn->addLayout(calendarBox, 1);

    TodayPane = MainPanel->pane(2);
    TodayPane->setObjectName(QStringLiteral("TodayPane"));
    QVBoxLayout* todayColumn = column(TodayPane);
    YearPanel = bar(TodayPane, "YearPanel", arrows, btnPreviousYear, "btnPreviousYear", yearLabel, "yearLabel", "Year",
                    btnNextYear, "btnNextYear");
    todayColumn->addWidget(YearPanel);
    Today = make<DayEditor>(TodayPane, "Today");
    QPalette p = Today->palette();
    p.setColor(QPalette::Base, look::infoBackground());
    p.setColor(QPalette::Text, Qt::black);
    Today->setPalette(p);
    Today->setFont(look::trebuchet(11));
    // Tab moves on to the next control; it never types a tab character.
    Today->setTabChangesFocus(true);
    Today->setHint(QStringLiteral("Enter text - click outside box to save (text will turn black)"));
    // The year bar keeps its 25 pixels however low bar 1 sits; the editor takes what is left,
    // down to nothing.
    Today->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    todayColumn->addWidget(Today, 1);

    const std::pair<RepeatButton*, const char*> names[] = {
        {btnPreviousMonth, "Previous month"}, {btnNextMonth, "Next month"}, {btnPreviousWeek, "Previous week"},
        {btnNextWeek, "Next week"},           {btnPreviousYear, "Previous year"}, {btnNextYear, "Next year"},
    };
    for (auto [button, name] : names) button->setAccessibleName(QString::fromLatin1(name));
}

void TMainForm::buildWeekPanel()
{
    WeekPanel = new SplitterPanel(SplitterPanel::Arrangement::ColumnsOverBottom, WeekPane);
    WeekPanel->setObjectName(QStringLiteral("WeekPanel"));
    WeekPanel->setToolTip(QStringLiteral("Drag dividing bar to your preferred position"));
    look::setBackground(WeekPanel, Qt::black);
    WeekPanel->setBarLimits(0, 300, 50);
    WeekPanel->setBarLimits(1, 145, 145);
    WeekPanel->setBarPosition(0, 250);
    WeekPanel->setBarPosition(1, 198);
    WeekPanel->hide();
    LeftPane = WeekPanel->pane(0);
    LeftPane->setObjectName(QStringLiteral("LeftPane"));
    RightPane = WeekPanel->pane(1);
    RightPane->setObjectName(QStringLiteral("RightPane"));
    BottomPane = WeekPanel->pane(2);
    BottomPane->setObjectName(QStringLiteral("BottomPane"));
    BottomPane->installEventFilter(this);

    // Monday, Wednesday, Friday on the left; Tuesday, Thursday, Saturday on the right.
    for (QWidget* pane : {LeftPane, RightPane}) {
        QVBoxLayout* c = column(pane);
        const int first = pane == LeftPane ? 1 : 2;
        for (int i = 0; i < 3; ++i) c->addWidget(buildDayPanel(first + 2 * i, pane), i == 1 ? 1 : 0);
    }
    column(BottomPane)->addWidget(buildDayPanel(7, BottomPane));
}

QWidget* TMainForm::buildDayPanel(int weekday, QWidget* parent)
{
    static const char* const names[7] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
    static const char* const dates[7] = {"Mondate", "Tuesdate", "Wednesdate", "Thursdate", "Fridate", "Saturdate", "Sundate"};
    const size_t i = size_t(weekday - 1);
    const QString name = QString::fromLatin1(names[i]);

    auto* panel = new QFrame(parent);
    panel->setObjectName(name + QStringLiteral("Panel"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    look::setBackground(panel, look::colour(look::clSilver));
    panel->setToolTip(QStringLiteral("Click for picture"));
    panel->setCursor(Qt::PointingHandCursor);
    panel->setFocusPolicy(Qt::TabFocus);
    setAccessibleRole(panel, QAccessible::Grouping);
    panel->installEventFilter(this);

    auto* nameLabel = new ClickLabel(name, panel);
    nameLabel->setObjectName(QStringLiteral("lbl_") + name);
    nameLabel->setFont(look::trebuchet(11));
    look::setTextColour(nameLabel, look::colour(look::clNavy));
    auto* dateLabel = new ClickLabel(QStringLiteral("31/12/2004"), panel);
    dateLabel->setObjectName(QStringLiteral("lbl_") + QString::fromLatin1(dates[i]));
    dateLabel->setFont(look::trebuchet(11));
    look::setTextColour(dateLabel, look::colour(look::clNavy));
    dateLabel->setToolTip(QStringLiteral("Click to select date"));
    dateLabel->setCursor(Qt::PointingHandCursor);
    dateLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    dateLabel->setFocusPolicy(Qt::TabFocus);
    setAccessibleRole(dateLabel, QAccessible::Button);

    auto* memo = new QPlainTextEdit(panel);
    memo->setObjectName(name);
    memo->setReadOnly(true);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setFont(look::trebuchet(11));
    QPalette mp = memo->palette();
    mp.setColor(QPalette::Base, look::infoBackground());
    mp.setColor(QPalette::Text, look::colour(look::clPurple));
    memo->setPalette(mp);
    memo->viewport()->setCursor(Qt::PointingHandCursor);
    memo->setContextMenuPolicy(Qt::CustomContextMenu); // the empty context menu
    memo->viewport()->installEventFilter(this);
    memo->setFrameStyle(QFrame::NoFrame);
    memo->setFocusPolicy(Qt::NoFocus); // its panel takes the focus

    auto* c = new QVBoxLayout(panel);
    c->setContentsMargins(2, 1, 2, 2);
    c->setSpacing(1);
    auto* top = new QHBoxLayout;
    top->addWidget(nameLabel);
    top->addStretch(1);
    top->addWidget(dateLabel);
    c->addLayout(top);
    c->addWidget(memo, 1);

    dayPanels[i] = panel;
    dayNameLabels[i] = nameLabel;
    dateLabels[i] = dateLabel;
    memos[i] = memo;
    return panel;
}

void TMainForm::buildBottomBar()
{
    auto place = [](QWidget* w, int x, int y, int width, int height) {
        w->setGeometry(BarBorder + x, BarBorder + y, width, height);
    };

    TipCheckBox = make<QCheckBox>(WebLinkPanel, "TipCheckBox");
    TipCheckBox->setChecked(true);
    TipCheckBox->setToolTip(QStringLiteral("Click to toggle hint display"));
    TipCheckBox->setAccessibleName(QStringLiteral("Show hints"));
    place(TipCheckBox, 5, 6, 16, 17);

    searchBox = make<QLineEdit>(WebLinkPanel, "searchBox");
    QPalette sp = searchBox->palette();
    sp.setColor(QPalette::Base, look::infoBackground());
    sp.setColor(QPalette::Text, look::colour(look::clNavy));
    searchBox->setPalette(sp);
    searchBox->setFont(look::trebuchet(11));
    searchBox->setToolTip(QStringLiteral("Enter search text or date"));
    searchBox->setAccessibleName(QStringLiteral("Search text or date"));
    place(searchBox, 23, 5, 153, 19);

    btnSearch = make<QPushButton>(WebLinkPanel, "btnSearch");
    btnSearch->setText(QStringLiteral("Search"));
    btnSearch->setFlat(true);
    btnSearch->setAutoFillBackground(true);
    look::setBackground(btnSearch, look::colour(look::clSilver));
    QPalette bp = btnSearch->palette();
    bp.setColor(QPalette::Button, look::colour(look::clSilver));
    btnSearch->setPalette(bp);
    look::setTextColour(btnSearch, look::colour(look::clNavy));
    btnSearch->setCursor(Qt::PointingHandCursor);
    btnSearch->setToolTip(QStringLiteral("Click to start search"));
    place(btnSearch, 180, 5, 50, 19);

    LogoA = make<QLabel>(this, "LogoA");
    LogoA->setPixmap(QPixmap::fromImage(builtinPng(QStringLiteral(":/builtin/logoA.png"))));
    LogoA->hide();
    LogoB = make<QLabel>(this, "LogoB");
    LogoB->setPixmap(QPixmap::fromImage(builtinPng(QStringLiteral(":/builtin/logoB.png"))));
    LogoB->hide();
    LogoAB = make<QLabel>(WebLinkPanel, "LogoAB");
    LogoAB->setPixmap(LogoA->pixmap());
    LogoAB->resize(LogoAB->pixmap().isNull() ? QSize(37, 30) : LogoAB->pixmap().size());
    LogoAB->move(0, BarBorder - 1);
    LogoAB->setAccessibleName(QStringLiteral("Korvo Group logo"));
    LogoAB->hide();
    TransLabel = make<QLabel>(WebLinkPanel, "TransLabel");
    setAccessibleRole(TransLabel, QAccessible::Link);
    TransLabel->setAttribute(Qt::WA_TranslucentBackground);
    TransLabel->setCursor(Qt::PointingHandCursor);
    TransLabel->setToolTip(QStringLiteral("Click for website"));
    TransLabel->setAccessibleName(QStringLiteral("Korvo Group website"));
    TransLabel->setFocusPolicy(Qt::TabFocus);
    TransLabel->setGeometry(0, BarBorder - 1, 37, 30);
    TransLabel->hide();

    const char* choiceHints[4] = {"Click for default picture set", "Click for picture set 2",
                                  "Click for picture set 3", "Click for picture set 4"};
    for (int i = 0; i < 4; ++i) {
        QRadioButton* c = make<QRadioButton>(WebLinkPanel, qPrintable(QStringLiteral("ch%1").arg(i + 1)));
        c->setText(QString::number(i + 1));
        c->setFont(look::trebuchet(11));
        look::setTextColour(c, look::colour(look::clGray));
        c->setCursor(Qt::PointingHandCursor);
        c->setToolTip(QString::fromLatin1(choiceHints[i]));
        c->setAccessibleName(QStringLiteral("Picture set %1").arg(i + 1));
        ch[size_t(i)] = c;
    }
    ch[0]->setChecked(true);

    auto* url = make<WebLinkLabel>(WebLinkPanel, "vistelleURL");
    setAccessibleRole(url, QAccessible::Link);
    url->address = QStringLiteral("https://www.vistelle.example/");
    QFont urlFont = look::trebuchet(9);
    urlFont.setUnderline(true);
    url->setLooks({urlFont, look::colour(look::clGray), QColor(), Qt::AlignRight | Qt::AlignVCenter},
                  {urlFont, Qt::white, buttonFaceColour(), Qt::AlignRight | Qt::AlignVCenter});
    url->setToolTip(QStringLiteral("Click for website"));
    url->setAccessibleName(QStringLiteral("Vistelle website"));
    url->setFocusPolicy(Qt::TabFocus);
    vistelleURL = url;

    auto* owner = make<WebLinkLabel>(this, "ownerURL");
    owner->address = QStringLiteral("https://www.korvogroup.example/");
    owner->setText(QStringLiteral("Korvo"));
    owner->hoverCaption = owner->text();
    owner->setLooks({look::trebuchet(11, true), look::colour(look::clRed), QColor(), Qt::AlignCenter},
                    {look::trebuchet(11, true), Qt::white, look::colour(look::clSilver), Qt::AlignCenter});
    owner->hide();
    ownerURL = owner;
}

void TMainForm::layoutBottomBar()
{
    // The set choices and the product link keep their distance to the right edge.
    const int shift = WebLinkPanel->width() - 2 * BarBorder - DesignBarWidth;
    const int choiceLefts[4] = {513, 547, 581, 615};
    for (int i = 0; i < 4; ++i) ch[size_t(i)]->setGeometry(BarBorder + choiceLefts[i] + shift, BarBorder + 6, 27, 17);
    vistelleURL->setGeometry(BarBorder + 642 + shift, BarBorder + 6, 72, 17);
}

void TMainForm::layoutFrame()
{
    const int w = width(), h = height();
    const int inner = h - 2 * FrameStrip - BottomBarHeight;
    TopPanel->setGeometry(0, 0, w, FrameStrip);
    WebLinkPanel->setGeometry(0, h - BottomBarHeight, w, BottomBarHeight);
    BottomPanel->setGeometry(0, h - BottomBarHeight - FrameStrip, w, FrameStrip);
    LeftPanel->setGeometry(0, FrameStrip, FrameStrip, inner);
    RightPanel->setGeometry(w - FrameStrip, FrameStrip, FrameStrip, inner);
    MainPanel->setGeometry(FrameStrip, FrameStrip, w - 2 * FrameStrip, inner);
    layoutBottomBar();
}

} // namespace vistelle
