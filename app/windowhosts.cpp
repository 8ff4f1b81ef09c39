#include "app/windowhosts.h"
#include "app/clicklabel.h"
#include "app/mainform.h"
#include "calendar/qelcalendar.h"
#include "pictures/pictureview.h"
#include "pictures/tlmdgraphiclist.h"

namespace vistelle {

int WindowHosts::currentSet() const { return m_form.currentSet; }

int WindowHosts::calendarMonth() const { return m_form.Calendar->Month(); }

Picture WindowHosts::pictureOnDisplay() const { return m_form.Image->picture(); }

Picture WindowHosts::setPicture(int set, int month) const
{
    return m_form.pictureLists[size_t(set)]->Graphics().at(month - 1).Picture();
}

void WindowHosts::loadSetIfNeeded(int set) { m_form.loadSetIfNeeded(set); }

void WindowHosts::slideshowHidden() { m_form.returnFromWindow(); }

QString WindowHosts::monthCaption() const { return m_form.monthLabel->text(); }

QString WindowHosts::yearCaption() const { return m_form.yearLabel->text(); }

QString WindowHosts::cellCaption(int col, int row) const { return m_form.Calendar->CellCaption(col, row); }

void WindowHosts::previewHidden() { m_form.returnFromWindow(); }

} // namespace vistelle
