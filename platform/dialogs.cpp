#include "platform/dialogs.h"
#include "platform/passwordbox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

#include <cstdio>

namespace vistelle {

namespace {
Dialogs* installed = nullptr;
std::function<void(QWidget*)> afterBoxHook;

void centre(QMessageBox& box)
{
    box.adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        box.move(area.center() - QPoint(box.width() / 2, box.height() / 2));
    }
}
} // namespace

Dialogs& dialogs()
{
    static MessageBoxDialogs real;
    return installed ? *installed : real;
}

Dialogs* setDialogs(Dialogs* d)
{
    Dialogs* before = installed;
    installed = d;
    return before;
}

void setAfterBoxHook(std::function<void(QWidget*)> hook) { afterBoxHook = std::move(hook); }

void runAfterBoxHook(QWidget* activeBefore)
{
    if (afterBoxHook) afterBoxHook(activeBefore);
}

void MessageBoxDialogs::error(const QString& text)
{
    const QPointer<QWidget> before = QApplication::activeWindow();
    QMessageBox box(QMessageBox::Critical, applicationTitle(), errorBoxText(text), QMessageBox::Ok);
    box.setObjectName("errorBox");
    centre(box);
    box.exec();
    runAfterBoxHook(before);
}

bool MessageBoxDialogs::confirm(const QString& text)
{
    const QPointer<QWidget> before = QApplication::activeWindow();
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), text);
    box.setObjectName("confirmBox");
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    centre(box);
    box.exec();
    const bool answer = box.clickedButton() == yes;
    runAfterBoxHook(before);
    return answer;
}

void MessageBoxDialogs::message(const QString& text)
{
    const QPointer<QWidget> before = QApplication::activeWindow();
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok);
    box.setObjectName("messageBox");
    centre(box);
    box.exec();
    runAfterBoxHook(before);
}

std::optional<QByteArray> MessageBoxDialogs::askPassword(const QString& prompt)
{
    const QPointer<QWidget> before = QApplication::activeWindow();
    PasswordBox box(PasswordBox::Kind::Ask, prompt);
    std::optional<QByteArray> password;
    if (box.exec() == QDialog::Accepted) password = box.takePassword();
    runAfterBoxHook(before);
    return password;
}

auto MessageBoxDialogs::askNewPassword(bool askCurrent) -> std::optional<NewPassword>
{
    const QPointer<QWidget> before = QApplication::activeWindow();
    PasswordBox box(askCurrent ? PasswordBox::Kind::Change : PasswordBox::Kind::New, QStringLiteral("New password:"));
    std::optional<NewPassword> answer;
    if (box.exec() == QDialog::Accepted) answer = NewPassword{box.takeCurrent(), box.takePassword()};
    runAfterBoxHook(before);
    return answer;
}

void StandardErrorDialogs::error(const QString& text)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(applicationTitle()), qPrintable(errorBoxText(text)));
}

bool StandardErrorDialogs::confirm(const QString& text)
{
    std::fprintf(stderr, "%s (answered No)\n", qPrintable(text));
    return false;
}

void StandardErrorDialogs::message(const QString& text)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(applicationTitle()), qPrintable(text));
}

void ScriptedDialogs::record(const QString& entry)
{
    log << entry;
    if (onBox) onBox(entry);
}

void ScriptedDialogs::error(const QString& text)
{
    const QPointer<QWidget> before = QApplication::activeWindow();
    record("error: " + errorBoxText(text));
    runAfterBoxHook(before);
}

bool ScriptedDialogs::confirm(const QString& text)
{
    const QPointer<QWidget> before = QApplication::activeWindow();
    record("confirm: " + text);
    const bool answer = answers.isEmpty() ? false : answers.takeFirst();
    runAfterBoxHook(before);
    return answer;
}

void ScriptedDialogs::message(const QString& text)
{
    const QPointer<QWidget> before = QApplication::activeWindow();
    record("message: " + text);
    runAfterBoxHook(before);
}

std::optional<QByteArray> ScriptedDialogs::askPassword(const QString& prompt)
{
    const QPointer<QWidget> before = QApplication::activeWindow();
    record("password: " + prompt);
    const std::optional<QByteArray> answer = passwords.isEmpty() ? std::nullopt : passwords.takeFirst();
    runAfterBoxHook(before);
    return answer;
}

auto ScriptedDialogs::askNewPassword(bool askCurrent) -> std::optional<NewPassword>
{
    const QPointer<QWidget> before = QApplication::activeWindow();
    record(askCurrent ? "new password, current first" : "new password");
    const std::optional<NewPassword> answer = newPasswords.isEmpty() ? std::nullopt : newPasswords.takeFirst();
    runAfterBoxHook(before);
    return answer;
}

namespace {
QString& title()
{
    static QString t;
    return t;
}
} // namespace

// Kept apart from Qt's application display name, which the window system would append
// to every window caption.
QString applicationTitle() { return title(); }

void setApplicationTitle(const QString& t) { title() = t; }

QString errorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.') return message + u'.';
    return message;
}

} // namespace vistelle
