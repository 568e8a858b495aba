#pragma once

#include <functional>

class Prompts;
class QWidget;

// The general error handler: runs one user command and shows a file error it raises in an
// error box over `parent`. True when the command ran through.
bool RunCommand(Prompts &prompts, QWidget *parent, const std::function<void()> &command);
