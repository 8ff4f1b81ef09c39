// The month picture and the four picture sets: choosing a set, loading it on first need,
// writing missing set files at start, offering changed sets at close, and the picture's
// drop import and drag-out.

#include "app/mainform.h"
#include "app/damagedfile.h"
#include "app/splitterpanel.h"
#include "calendar/qelcalendar.h"
#include "core/datewords.h"
#include "core/error.h"
#include "core/switches.h"
#include "diary/dayeditor.h"
#include "pictures/builtinpictures.h"
#include "pictures/picture.h"
#include "pictures/pictureview.h"
#include "pictures/setfilereader.h"
#include "pictures/setfilewriter.h"
#include "pictures/tlmdgraphiclist.h"
#include "platform/dialogs.h"
#include "platform/dragsource.h"
#include "platform/guard.h"
#include "slideshow/wallpaper.h"

#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QRadioButton>
#include <QUrl>

namespace vistelle {

namespace {

QString setFileName(int n) { return QStringLiteral("graphics%1.dat").arg(n); }

// The picture panel takes a drop as a copy, or as a link with Ctrl and Shift; never as a
// move, whatever the keys would otherwise mean, so no source deletes what it offered.
// A source that offers neither gets no drop.
Qt::DropAction dropActionFor(const QDropEvent& e)
{
    const bool link = (e.modifiers() & Qt::ControlModifier) && (e.modifiers() & Qt::ShiftModifier);
    if (link && (e.possibleActions() & Qt::LinkAction)) return Qt::LinkAction;
    return e.possibleActions() & Qt::CopyAction ? Qt::CopyAction : Qt::IgnoreAction;
}

} // namespace

void TMainForm::connectPictures()
{
    for (int n = 1; n <= 4; ++n) createBuiltinList(n, this);
    for (int n = 1; n <= 4; ++n) {
        connect(ch[size_t(n - 1)], &QRadioButton::clicked, this, guarded([this, n] { chClick(n); }));
    }
    PicPanel->setAcceptDrops(true);
    Image->installEventFilter(this);
}

void TMainForm::setMonthPicture()
{
    const int m = Calendar->Month();
    Image->setPicture(pictureLists[size_t(currentSet)]->Graphics().at(m - 1).Picture());
    Image->setAccessibleName(QStringLiteral("Picture of ") + monthName(m));
    const QString what = PicPanel->toolTip().replace(QStringLiteral("\r\n"), QStringLiteral(". "));
    Image->setAccessibleDescription(QStringLiteral("Picture set %1. ").arg(currentSet) + what);
    focusToday();
}

void TMainForm::chClick(int n)
{
    currentSet = n;
    if (n > 1) loadSetIfNeeded(n);
    setMonthPicture();
}

// A set file that fails part-way leaves the set with the pictures it had: the file is read
// aside and put in place only when the whole of it was read.
void TMainForm::loadSetIfNeeded(int n)
{
    if (setLoaded[size_t(n)] || !QFile::exists(setFileName(n))) return;
    // A set's component name gives way to the windows' names, so they exist before it is read.
    createOtherWindows();
    openRestoringDamaged(setFileName(n), [&] { readSetFileWhole(setFileName(n), *pictureLists[size_t(n)]); });
    setLoaded[size_t(n)] = true;
}

void TMainForm::prepareSets()
{
    for (int n = 1; n <= 4; ++n) {
        setChanged[size_t(n)] = false;
        pictureLists[size_t(n)] = findChild<TLMDGraphicList*>(QStringLiteral("piclist%1").arg(n), Qt::FindDirectChildrenOnly);
        // A set file that cannot be written is reported, and the start goes on: one
        // damaged picture file must not make the diary unusable.
        if (!QFile::exists(setFileName(n))) guard([&] { writeSetFile(*pictureLists[size_t(n)], setFileName(n)); });
    }
    guard([this] { openRestoringDamaged(setFileName(1), [this] { readSetFileWhole(setFileName(1), *pictureLists[1]); }); });
}

void TMainForm::saveChangedSets()
{
    const int first = switches::promptFromSetTwo ? 2 : 1;
    for (int n = first; n <= 4; ++n) {
        if (!setChanged[size_t(n)]) continue;
        if (!dialogs().confirm(QStringLiteral("Save changes to graphic set %1?").arg(n))) continue;
        // A set whose save fails is reported; the later sets are still offered.
        guard([&] { writeSetFile(*pictureLists[size_t(n)], setFileName(n)); });
    }
}

bool TMainForm::DropComboTargetDrop(const QImage& bitmap, const QStringList& files)
{
    if (diary.ReadOnly()) return true;
    try {
        Picture shown;
        if (!bitmap.isNull()) {
            shown = Picture::fromImage(bitmap);
        } else {
            if (files.isEmpty()) vistelle::raise(QStringLiteral("Nothing to drop"));
            shown = Picture::fromFile(files.first());
        }
        Image->setPicture(shown);
        const int m = Calendar->Month();
        pictureLists[size_t(currentSet)]->Graphics().at(m - 1).setPicture(shown);
        setChanged[size_t(currentSet)] = true;
        return true;
    } catch (const InvalidGraphicError&) {
        dialogs().message(QStringLiteral("Only image files (JPG, GIF, BMP) can be dropped here."));
        return true;
    } catch (const Error&) {
        return false;
    }
}

void TMainForm::ImageMouseDown(Qt::MouseButton, Qt::KeyboardModifiers modifiers)
{
    if (!(modifiers & Qt::ShiftModifier)) return;
    const QImage bitmap = Image->picture().toBitmap();
    dragSource().dragBitmap(Image, bitmap);
}

void TMainForm::ImageMouseUp(Qt::MouseButton button)
{
    if (button != Qt::RightButton) return;
    createOtherWindows();
    wallpaper->showSlideshow();
}

// Mouse and drop events of the picture and its panel.
bool TMainForm::pictureEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* e = static_cast<QDragMoveEvent*>(event);
        const QMimeData* data = e->mimeData();
        if (!data->hasImage() && !data->hasUrls() && !data->hasText()) return false;
        const Qt::DropAction action = dropActionFor(*e);
        if (action == Qt::IgnoreAction) {
            e->ignore();
            return true;
        }
        e->setDropAction(action);
        e->accept();
        return true;
    }
    case QEvent::Drop: {
        auto* e = static_cast<QDropEvent*>(event);
        const Qt::DropAction action = dropActionFor(*e);
        const QMimeData* data = e->mimeData();
        QImage bitmap;
        if (data->hasImage()) bitmap = qvariant_cast<QImage>(data->imageData());
        QStringList files;
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile()) files << url.toLocalFile();
        }
        bool ok = false;
        if (action != Qt::IgnoreAction) guard([&] { ok = DropComboTargetDrop(bitmap, files); });
        if (ok) {
            e->setDropAction(action);
            e->accept();
        } else {
            e->setDropAction(Qt::IgnoreAction);
            e->ignore();
        }
        return true;
    }
    default:
        return false;
    }
}

} // namespace vistelle
