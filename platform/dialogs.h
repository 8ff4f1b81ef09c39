#pragma once
// The application's message boxes behind one interface: the real boxes for the program,
// a scripted stand-in for tests that answers and records.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace vistelle {

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Stop icon, OK button; caption = the application title.
    virtual void error(const QString& text) = 0;
    // Caption "Confirm", question icon, "&Yes" and "&No"; true only for Yes.
    virtual bool confirm(const QString& text) = 0;
    // No icon, OK button; caption = the application title.
    virtual void message(const QString& text) = 0;
    // Caption "Vistelle": the prompt beside a masked field with the focus, OK and Cancel.
    // The password as UTF-8, or nothing for Cancel.
    virtual std::optional<QByteArray> askPassword(const QString& prompt) = 0;
    // A new password asked twice in one box, the current one first when askCurrent. Cancel:
    // nothing.
    struct NewPassword {
        QByteArray current;
        QByteArray password;
    };
    virtual std::optional<NewPassword> askNewPassword(bool askCurrent) = 0;
};

// The dialogs in force (the real boxes unless a test installed others).
Dialogs& dialogs();
// nullptr: back to the real boxes. Returns the dialogs installed before.
Dialogs* setDialogs(Dialogs* dialogs);

// Runs after every box closes, with the window that was active when the box opened;
// the application uses it to make that window active again.
void setAfterBoxHook(std::function<void(QWidget* activeBefore)> hook);
void runAfterBoxHook(QWidget* activeBefore);

class MessageBoxDialogs : public Dialogs {
public:
    void error(const QString& text) override;
    bool confirm(const QString& text) override;
    void message(const QString& text) override;
    std::optional<QByteArray> askPassword(const QString& prompt) override;
    std::optional<NewPassword> askNewPassword(bool askCurrent) override;
};

// For an end without anyone to answer (logout, a signal): every box goes to standard
// error, every question is answered No, every password box Cancel.
class StandardErrorDialogs : public Dialogs {
public:
    void error(const QString& text) override;
    bool confirm(const QString& text) override;
    void message(const QString& text) override;
    std::optional<QByteArray> askPassword(const QString&) override { return std::nullopt; }
    std::optional<NewPassword> askNewPassword(bool) override { return std::nullopt; }
};

// Answers questions from a queue (No when it runs dry) and records every box as
// "error: …", "confirm: …" or "message: …".
class ScriptedDialogs : public Dialogs {
public:
    QList<bool> answers;
    QList<std::optional<QByteArray>> passwords; // Cancel when it runs dry
    QList<std::optional<NewPassword>> newPasswords;
    QStringList log;
    std::function<void(const QString& entry)> onBox; // runs while the "box" is open

    void error(const QString& text) override;
    bool confirm(const QString& text) override;
    void message(const QString& text) override;
    std::optional<QByteArray> askPassword(const QString& prompt) override;
    std::optional<NewPassword> askNewPassword(bool askCurrent) override;

private:
    void record(const QString& entry);
};

// The application title: caption of error and message boxes.
QString applicationTitle();
void setApplicationTitle(const QString& title);

// The text of the error box: the message with "." added when its last character's
// code lies above that of ".".
QString errorBoxText(const QString& message);

} // namespace vistelle
