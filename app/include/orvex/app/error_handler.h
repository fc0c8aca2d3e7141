// The one place where a failed command meets the user: an error raised by the
// core (a file that cannot be read, a field that is not a number, ...) ends the
// command and is shown in the standard error box; files already written stay.
#pragma once

#include "orvex/prompts.h"

#include <QApplication>

#include <exception>
#include <functional>
#include <string>

namespace orvex {

// The text the error box shows for an error.
std::string ErrorText(const std::exception &error);

// Shows an error in the standard error box (the application's title as caption).
void ShowErrorBox(Prompts &prompts, const std::exception &error);

// Runs a command; when it raises, shows the error and returns false.
bool RunCommand(Prompts &prompts, const std::function<void()> &command);

// The application object. An error that escapes an event handler anyway is
// shown the same way instead of ending the program.
class TApplication : public QApplication {
public:
    TApplication(int &argc, char **argv);
    void SetPrompts(Prompts *prompts) { prompts_ = prompts; }
    bool notify(QObject *receiver, QEvent *event) override;

private:
    Prompts *prompts_ = nullptr;
};

} // namespace orvex
