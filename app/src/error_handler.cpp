#include "orvex/app/error_handler.h"

#include "orvex/app/qt_prompts.h"

#include <new>

namespace orvex {

std::string ErrorText(const std::exception &error) {
    if (dynamic_cast<const std::bad_alloc *>(&error)) return "Out of memory.";
    return error.what();
}

void ShowErrorBox(Prompts &prompts, const std::exception &error) {
    prompts.Message({MessageType::Error, ErrorText(error), kApplicationTitle, ButtonOk});
}

bool RunCommand(Prompts &prompts, const std::function<void()> &command) {
    try {
        command();
        return true;
    } catch (const std::exception &error) {
        ShowErrorBox(prompts, error);
        return false;
    }
}

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject *receiver, QEvent *event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        if (prompts_) ShowErrorBox(*prompts_, error);
        return false;
    }
}

} // namespace orvex
