#pragma once
// The boxes that ask for a diary's password: captioned "Vistelle", masked fields, OK and
// Cancel. One asks for the password of a protected diary; the other asks for a new one
// twice (and the current one first when there is one) and accepts only two equal,
// non-empty entries.

#include <QDialog>
#include <QLineEdit>

class QLabel;

namespace vistelle {

class PasswordBox : public QDialog {
    Q_OBJECT

public:
    enum class Kind { Ask, New, Change };
    PasswordBox(Kind kind, const QString& prompt, QWidget* parent = nullptr);
    ~PasswordBox() override;

    // The field's text as UTF-8; the field is emptied. Ask: the password; New and Change:
    // the new password.
    QByteArray takePassword();
    // Change only: the current password.
    QByteArray takeCurrent();

    void accept() override;

private:
    QLineEdit* addField(const QString& label, const char* name);
    static QByteArray take(QLineEdit* field);

    Kind m_kind;
    QLineEdit* m_current = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_repeat = nullptr;
    QLabel* m_problem = nullptr;
};

} // namespace vistelle
