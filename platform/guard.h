#pragma once
// Every entry point that Qt calls runs its body through guard(): an error ends the
// handler there and is shown in the application's error box, instead of escaping into
// Qt's event loop (which would end it).

#include "core/error.h"
#include "platform/dialogs.h"

#include <exception>

namespace vistelle {

// Runs f; returns false when it failed (the error has been shown).
template <typename F>
bool guard(F&& f)
{
    try {
        f();
        return true;
    } catch (const Error& e) {
        dialogs().error(e.message());
    } catch (const std::bad_alloc&) {
        dialogs().error(QStringLiteral("Out of memory"));
    } catch (const std::exception& e) {
        dialogs().error(QString::fromUtf8(e.what()));
    }
    return false;
}

// A slot that runs f through guard(); extra signal arguments are ignored.
template <typename F>
auto guarded(F f)
{
    return [f](auto&&...) { guard(f); };
}

} // namespace vistelle
