#pragma once
// What the slideshow and the page preview read of the main window.

#include "preview/previewhost.h"
#include "slideshow/slideshowhost.h"

namespace vistelle {

class TMainForm;

class WindowHosts : public SlideshowHost, public PreviewHost {
public:
    explicit WindowHosts(TMainForm& form) : m_form(form) {}

    int currentSet() const override;
    int calendarMonth() const override;
    Picture pictureOnDisplay() const override;
    Picture setPicture(int set, int month) const override;
    void loadSetIfNeeded(int set) override;
    void slideshowHidden() override;

    QString monthCaption() const override;
    QString yearCaption() const override;
    QString cellCaption(int col, int row) const override;
    void previewHidden() override;

private:
    TMainForm& m_form;
};

} // namespace vistelle
