// The one door through which the workbench asks the user something or tells
// them something: message boxes and file dialogs. The program implements it
// with Qt, the command line with standard error, and tests with a script.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace orvex {

enum class MessageType { Warning, Error, Information, Confirmation, Custom };

// Buttons of a message box, combined as bit flags.
enum MessageButton : unsigned {
    ButtonOk = 1,
    ButtonCancel = 2,
    ButtonYes = 4,
    ButtonNo = 8,
    ButtonRetry = 16,
    ButtonAbort = 32,
    ButtonIgnore = 64,
};

enum class ModalResult { None, Ok, Cancel, Yes, No, Retry, Abort, Ignore };

struct MessageRequest {
    MessageType type = MessageType::Information;
    std::string text;
    std::string caption; // empty: the application's title
    unsigned buttons = ButtonOk;
};

// A file dialog. `filter` is a list of "description|patterns" pairs joined by
// '|' ("Kav Data Files (*.kav)|*.kav|All files (*.*)|*.*"); `filterIndex`
// counts the pairs from 1.
struct FileDialogRequest {
    std::string title;
    std::string filter;
    int filterIndex = 1;
    std::string initialDir;
    std::string fileName;
    std::string defaultExt;
    bool allowMultiple = false;
    bool overwritePrompt = false;
};

class Prompts {
public:
    virtual ~Prompts() = default;
    virtual ModalResult Message(const MessageRequest &request) = 0;
    // The chosen files, in the dialog's order; empty when the user cancelled.
    virtual std::vector<std::string> OpenFiles(const FileDialogRequest &request) = 0;
    // The chosen name, or nothing when the user cancelled.
    virtual std::optional<std::string> SaveFile(const FileDialogRequest &request) = 0;
    // The print dialog: true when the user confirmed.
    virtual bool Print() = 0;

    void Warn(const std::string &text) { Message({MessageType::Warning, text, "", ButtonOk}); }
    void Inform(const std::string &text) {
        Message({MessageType::Information, text, "", ButtonOk});
    }
    void ShowError(const std::string &text) { Message({MessageType::Error, text, "", ButtonOk}); }
};

// The standard caption of a message box of that type ("Warning", "Error",
// "Information", "Confirm"); "" for a custom box.
const char *MessageTypeCaption(MessageType type);

// Splits a dialog filter into its (description, patterns) pairs.
std::vector<std::pair<std::string, std::string>> SplitDialogFilter(const std::string &filter);

// Writes messages to standard error and answers without asking: Ok where it is
// offered, otherwise Cancel, No or Abort; file dialogs are cancelled.
class ConsolePrompts : public Prompts {
public:
    ModalResult Message(const MessageRequest &request) override;
    std::vector<std::string> OpenFiles(const FileDialogRequest &) override { return {}; }
    std::optional<std::string> SaveFile(const FileDialogRequest &) override { return {}; }
    bool Print() override { return false; }
};

// Test double: records every request and answers from scripts. A message with
// no scripted answer gets the first of Ok, Yes, Retry offered; a dialog with no
// scripted pick is cancelled.
class ScriptedPrompts : public Prompts {
public:
    ModalResult Message(const MessageRequest &request) override;
    std::vector<std::string> OpenFiles(const FileDialogRequest &request) override;
    std::optional<std::string> SaveFile(const FileDialogRequest &request) override;
    bool Print() override;

    std::deque<ModalResult> answers;
    std::deque<std::vector<std::string>> openPicks;
    std::deque<std::optional<std::string>> savePicks;
    std::deque<bool> printAnswers;

    std::vector<MessageRequest> messages;
    std::vector<FileDialogRequest> dialogs;

    // The texts of all messages shown so far, in order.
    std::vector<std::string> Texts() const;
};

} // namespace orvex
