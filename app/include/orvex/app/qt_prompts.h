// The prompts service of the workbench: message boxes and the open, save and
// print dialogs of Qt, parented to the window the user is working in.
#pragma once

#include "orvex/prompts.h"

#include <QStringList>

namespace orvex {

// The application's title, the caption of boxes that name no caption of their own.
inline constexpr const char *kApplicationTitle = "Orvex.exe";

class QtPrompts : public Prompts {
public:
    ModalResult Message(const MessageRequest &request) override;
    std::vector<std::string> OpenFiles(const FileDialogRequest &request) override;
    std::optional<std::string> SaveFile(const FileDialogRequest &request) override;
    bool Print() override;
};

// A "description|patterns|..." filter as Qt name filters ("Kav Data Files
// (*.kav)"); the patterns of a pair, separated by ';', end each description.
QStringList QtNameFilters(const std::string &filter);

} // namespace orvex
