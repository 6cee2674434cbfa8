// Interception of the program's prompts and system message boxes, so that tests can see what
// was shown and answer with a chosen button instead of a modal loop.
#pragma once

#include <QString>
#include <functional>

struct PromptCall
{
    enum Kind
    {
        Prompt,
        MessageBox
    };
    Kind kind = Prompt;
    QString caption;
    QString message;
    int buttons = 0; // showPrompt's layout 0..3, or QMessageBox::StandardButtons
    int icon = 0;    // showPrompt's picture page 0..2, or QMessageBox::Icon
    QString variant; // showPrompt's variant ("Exam", "NO", ...)
};

namespace PromptHook {

// The handler returns the result the dialog would have given: 1, 2 or 3 for showPrompt, a
// QMessageBox::StandardButton for a message box.
using Handler = std::function<int(const PromptCall &)>;

void set(Handler handler);
void clear();
bool active();
int handle(const PromptCall &call);

} // namespace PromptHook
