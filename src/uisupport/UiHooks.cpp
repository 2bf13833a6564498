#include "uisupport/UiHooks.h"

#include <QDialog>

namespace {
MessageBoxHook& BoxHook() {
    static MessageBoxHook hook;
    return hook;
}
ModalHook& DialogHook() {
    static ModalHook hook;
    return hook;
}
} // namespace

void SetMessageBoxHook(MessageBoxHook hook) {
    BoxHook() = std::move(hook);
}
void SetModalHook(ModalHook hook) {
    DialogHook() = std::move(hook);
}

int AppMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                  QMessageBox::StandardButtons buttons, const QString& title) {
    const QString caption = title.isEmpty() ? QStringLiteral("Tollbrook") : title;
    if (BoxHook())
        return BoxHook()(MessageBoxRequest{parent, icon, caption, text, buttons});
    QMessageBox box(icon, caption, text, buttons, parent);
    return box.exec();
}

int ExecModal(QDialog& dialog) {
    if (DialogHook())
        return DialogHook()(dialog);
    return dialog.exec();
}
