#include "ui/MessageBox.h"

#include "ui/PromptGate.h"
#include "ui/PromptHook.h"

QMessageBox::StandardButton showMessageBox(QWidget *parent, const QString &caption,
                                           const QString &text, QMessageBox::Icon icon,
                                           QMessageBox::StandardButtons buttons)
{
    PromptGate::waitForTurn();
    if (PromptHook::active()) {
        PromptGate::Showing showing;
        PromptCall call;
        call.kind = PromptCall::MessageBox;
        call.caption = caption;
        call.message = text;
        call.buttons = static_cast<int>(buttons.toInt());
        call.icon = static_cast<int>(icon);
        return static_cast<QMessageBox::StandardButton>(PromptHook::handle(call));
    }
    QMessageBox box(icon, caption, text, buttons, parent);
    PromptGate::Showing showing(&box);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
