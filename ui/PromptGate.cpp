#include "ui/PromptGate.h"

#include <QDialog>
#include <QEventLoop>

PromptGate *PromptGate::instance()
{
    static PromptGate *gate = new PromptGate;
    return gate;
}

bool PromptGate::isShowing()
{
    return instance()->m_showing > 0;
}

void PromptGate::waitForTurn()
{
    PromptGate *gate = instance();
    while (gate->m_showing > 0 && gate->m_hooked == 0) {
        QEventLoop loop;
        connect(gate, &PromptGate::allClosed, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::DialogExec);
    }
}

PromptGate::Showing::Showing(QDialog *dialog)
    : m_open(std::make_shared<bool>(true)), m_hooked(dialog == nullptr)
{
    PromptGate *gate = instance();
    ++gate->m_showing;
    if (m_hooked)
        ++gate->m_hooked;
    if (dialog) {
        // Answered means done: the dialog hides and emits finished before its exec returns,
        // which may be later when further event loops run on top of it.
        std::shared_ptr<bool> open = m_open;
        m_finished = connect(dialog, &QDialog::finished, gate, [open] {
            if (*open) {
                *open = false;
                instance()->release(false);
            }
        });
    }
}

PromptGate::Showing::~Showing()
{
    QObject::disconnect(m_finished);
    if (*m_open) {
        *m_open = false;
        instance()->release(m_hooked);
    }
}

void PromptGate::release(bool hooked)
{
    --m_showing;
    if (hooked)
        --m_hooked;
    if (m_showing == 0)
        emit allClosed();
}
