#pragma once
// Diary entries as one printable PDF document, drawn with QPdfWriter: A4, the title on
// the first page, each month starting a new page, each entry under its date as a heading.
// Needs a QGuiApplication (fonts), but no display: the program runs it on the offscreen
// platform.

#include "diary/exchange/diaryexport.h"

#include <QByteArray>
#include <vector>

namespace vistelle::cli {

QByteArray pdfOfEntries(const std::vector<ExportEntry>& entries);

} // namespace vistelle::cli
