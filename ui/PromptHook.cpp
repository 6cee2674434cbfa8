#include "ui/PromptHook.h"

namespace {
PromptHook::Handler current;
}

namespace PromptHook {

void set(Handler handler)
{
    current = std::move(handler);
}

void clear()
{
    current = nullptr;
}

bool active()
{
    return static_cast<bool>(current);
}

int handle(const PromptCall &call)
{
    return current(call);
}

} // namespace PromptHook
