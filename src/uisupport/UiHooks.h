#pragma once
// Modal message boxes and dialogs of the shell go through these two calls, so that tests can
// answer them without a nested event loop and a person in front of the screen.

#include <QMessageBox>
#include <QString>
#include <functional>

class QDialog;
class QWidget;

struct MessageBoxRequest {
    QWidget* parent;
    QMessageBox::Icon icon;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
};

using MessageBoxHook = std::function<int(const MessageBoxRequest&)>;
using ModalHook = std::function<int(QDialog&)>;

// nullptr restores the real boxes and dialogs.
void SetMessageBoxHook(MessageBoxHook hook);
void SetModalHook(ModalHook hook);

// The application's message box, titled with the program's name unless a title is given.
// Returns the button pressed (QMessageBox::StandardButton).
int AppMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                  QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                  const QString& title = QString());

// Runs a dialog modally (QDialog::exec unless a hook answers it); QDialog::Accepted or
// QDialog::Rejected.
int ExecModal(QDialog& dialog);
