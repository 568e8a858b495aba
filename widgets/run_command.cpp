#include "run_command.h"

#include "core/file_error.h"
#include "prompts.h"

bool RunCommand(Prompts &prompts, QWidget *parent, const std::function<void()> &command)
{
    try {
        command();
        return true;
    } catch (const FileError &error) {
        prompts.error(parent, error.message(), error.details());
        return false;
    }
}
