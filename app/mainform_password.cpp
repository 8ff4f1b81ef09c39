// The day editor's password items: protecting the diary with a password, changing the
// password and removing it. Each takes effect with a save at once; the copies in backups/
// follow the diary's new form.

#include "app/mainform.h"
#include "core/error.h"
#include "diary/diarykeeper.h"
#include "diary/protect/backupforms.h"
#include "diary/protect/protectedfile.h"
#include "platform/busycursor.h"
#include "platform/dialogs.h"
#include "platform/guard.h"

#include <QAction>
#include <QMenu>

namespace vistelle {

namespace {

std::shared_ptr<const protect::DiaryKey> freshKey(QByteArray& password)
{
    const BusyCursor busy;
    auto key = std::make_shared<const protect::DiaryKey>(protect::DiaryKey::derive(password, protect::DiaryKey::freshParams()));
    protect::wipe(password.data(), size_t(password.size()));
    return key;
}

// Whether password is that of key; the password is wiped.
bool isPasswordOf(QByteArray& password, const protect::DiaryKey& key)
{
    const BusyCursor busy;
    const protect::DiaryKey derived = protect::DiaryKey::derive(password, key.params());
    protect::wipe(password.data(), size_t(password.size()));
    return derived.keyCheck() == key.keyCheck();
}

} // namespace

void TMainForm::addPasswordItems(QMenu& menu)
{
    if (!diaryAvailable) return;
    menu.addSeparator();
    const auto add = [&](const QString& text, const char* name, void (TMainForm::*step)()) {
        QAction* action = menu.addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, guarded([this, step] { (this->*step)(); }));
    };
    if (!m_keeper->key()) {
        add(QStringLiteral("Protect diary with a password\u2026"), "protectDiary", &TMainForm::protectDiary);
        return;
    }
    add(QStringLiteral("Change diary password\u2026"), "changeDiaryPassword", &TMainForm::changeDiaryPassword);
    add(QStringLiteral("Remove diary password\u2026"), "removeDiaryPassword", &TMainForm::removeDiaryPassword);
}

void TMainForm::protectDiary()
{
    std::optional<Dialogs::NewPassword> answer = dialogs().askNewPassword(false);
    if (!answer) return;
    changeDiaryForm(freshKey(answer->password));
}

void TMainForm::changeDiaryPassword()
{
    std::optional<Dialogs::NewPassword> answer = dialogs().askNewPassword(true);
    if (!answer) return;
    if (!isPasswordOf(answer->current, *m_keeper->key())) vistelle::raise(protect::wrongPasswordMessage());
    changeDiaryForm(freshKey(answer->password));
}

void TMainForm::removeDiaryPassword()
{
    std::optional<QByteArray> password = dialogs().askPassword(QStringLiteral("Current password:"));
    if (!password) return;
    if (!isPasswordOf(*password, *m_keeper->key())) vistelle::raise(protect::wrongPasswordMessage());
    changeDiaryForm(nullptr);
}

// The diary is written in its new form at once, then its backups follow.
void TMainForm::changeDiaryForm(std::shared_ptr<const protect::DiaryKey> key)
{
    const std::shared_ptr<const protect::DiaryKey> old = m_keeper->key();
    storePendingText();
    m_keeper->setKey(key);
    m_keeper->saveNow();
    protect::convertBackups(DiaryKeeper::backupFolder(), old.get(), key.get());
}

} // namespace vistelle
