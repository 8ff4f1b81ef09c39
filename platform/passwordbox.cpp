#include "platform/passwordbox.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>

namespace vistelle {

PasswordBox::PasswordBox(Kind kind, const QString& prompt, QWidget* parent) : QDialog(parent), m_kind(kind)
{
    setObjectName("passwordBox");
    setWindowTitle(QStringLiteral("Vistelle"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    if (kind == Kind::Change) m_current = addField(QStringLiteral("Current password:"), "currentPassword");
    m_password = addField(prompt, "password");
    if (kind != Kind::Ask) m_repeat = addField(QStringLiteral("Repeat the new password:"), "repeatPassword");
    m_problem = new QLabel(this);
    m_problem->setObjectName("passwordProblem");
    m_problem->hide();
    layout->addWidget(m_problem);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("passwordButtons");
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &PasswordBox::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PasswordBox::reject);
    (m_current ? m_current : m_password)->setFocus();
}

PasswordBox::~PasswordBox()
{
    for (QLineEdit* field : {m_current, m_password, m_repeat}) {
        if (field) take(field);
    }
}

QLineEdit* PasswordBox::addField(const QString& label, const char* name)
{
    auto* field = new QLineEdit(this);
    field->setObjectName(name);
    field->setEchoMode(QLineEdit::Password); // also keeps no undo history
    field->setAccessibleName(label);
    field->setMinimumWidth(220);
    static_cast<QFormLayout*>(static_cast<QVBoxLayout*>(layout())->itemAt(0)->layout())->addRow(label, field);
    return field;
}

void PasswordBox::accept()
{
    QString problem;
    if (m_kind != Kind::Ask) {
        if (m_password->text().isEmpty()) problem = QStringLiteral("The password must not be empty.");
        else if (m_password->text() != m_repeat->text()) problem = QStringLiteral("The two new passwords differ.");
    }
    if (problem.isEmpty()) return QDialog::accept();
    m_problem->setText(problem);
    m_problem->show();
    take(m_repeat);
    m_password->setFocus();
    m_password->selectAll();
}

QByteArray PasswordBox::takePassword() { return take(m_password); }

QByteArray PasswordBox::takeCurrent() { return m_current ? take(m_current) : QByteArray(); }

// The text goes out once; what Qt lets us reach of its copies is overwritten.
QByteArray PasswordBox::take(QLineEdit* field)
{
    const QString text = field->text(); // shares the field's own buffer
    QByteArray utf8 = text.toUtf8();
    if (text.data_ptr().isMutable()) // not a literal in read-only memory
        std::memset(const_cast<QChar*>(text.constData()), 0, size_t(text.size()) * sizeof(QChar));
    field->clear();
    return utf8;
}

} // namespace vistelle
