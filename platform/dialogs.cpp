#include "platform/dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace vistelle {

namespace {
Dialogs* installed = nullptr;
std::function<void()> afterBoxHook;

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

void setDialogs(Dialogs* d) { installed = d; }

void setAfterBoxHook(std::function<void()> hook) { afterBoxHook = std::move(hook); }

void runAfterBoxHook()
{
    if (afterBoxHook) afterBoxHook();
}

void MessageBoxDialogs::error(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, applicationTitle(), errorBoxText(text), QMessageBox::Ok);
    box.setObjectName("errorBox");
    centre(box);
    box.exec();
    runAfterBoxHook();
}

bool MessageBoxDialogs::confirm(const QString& text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), text);
    box.setObjectName("confirmBox");
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    centre(box);
    box.exec();
    const bool answer = box.clickedButton() == yes;
    runAfterBoxHook();
    return answer;
}

void MessageBoxDialogs::message(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok);
    box.setObjectName("messageBox");
    centre(box);
    box.exec();
    runAfterBoxHook();
}

void ScriptedDialogs::record(const QString& entry)
{
    log << entry;
    if (onBox) onBox(entry);
}

void ScriptedDialogs::error(const QString& text)
{
    record("error: " + errorBoxText(text));
    runAfterBoxHook();
}

bool ScriptedDialogs::confirm(const QString& text)
{
    record("confirm: " + text);
    const bool answer = answers.isEmpty() ? false : answers.takeFirst();
    runAfterBoxHook();
    return answer;
}

void ScriptedDialogs::message(const QString& text)
{
    record("message: " + text);
    runAfterBoxHook();
}

QString applicationTitle() { return QApplication::applicationDisplayName(); }

void setApplicationTitle(const QString& title) { QApplication::setApplicationDisplayName(title); }

QString errorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.') return message + u'.';
    return message;
}

} // namespace vistelle
