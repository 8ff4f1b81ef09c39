#pragma once
// Opening a file that a save in place may have left damaged (a crash, a failing disk):
// when opening it fails and the copy that save kept exists, the error is shown as usual,
// the file is restored from the copy, the user is told, and it is opened again.

#include <QString>

#include <functional>

namespace vistelle {

// Runs open; on an Error with a copy to restore from, restores and runs it again. Throws
// the error as it came when there is no copy or it cannot be put in place.
void openRestoringDamaged(const QString& fileName, const std::function<void()>& open);

} // namespace vistelle
