#include "orvex/prompts.h"

#include <cstdio>

namespace orvex {

std::vector<std::pair<std::string, std::string>> SplitDialogFilter(const std::string &filter) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= filter.size()) {
        const size_t bar = filter.find('|', start);
        parts.push_back(
            filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    std::vector<std::pair<std::string, std::string>> pairs;
    for (size_t i = 0; i + 1 < parts.size(); i += 2)
        pairs.emplace_back(parts[i], parts[i + 1]);
    return pairs;
}

namespace {

ModalResult DefaultAnswer(unsigned buttons) {
    if (buttons & ButtonOk) return ModalResult::Ok;
    if (buttons & ButtonYes) return ModalResult::Yes;
    if (buttons & ButtonRetry) return ModalResult::Retry;
    if (buttons & ButtonCancel) return ModalResult::Cancel;
    if (buttons & ButtonNo) return ModalResult::No;
    return ModalResult::Abort;
}

} // namespace

const char *MessageTypeCaption(MessageType type) {
    switch (type) {
    case MessageType::Warning:
        return "Warning";
    case MessageType::Error:
        return "Error";
    case MessageType::Information:
        return "Information";
    case MessageType::Confirmation:
        return "Confirm";
    case MessageType::Custom:
        break;
    }
    return "";
}

ModalResult ConsolePrompts::Message(const MessageRequest &request) {
    const char *caption = MessageTypeCaption(request.type);
    std::fprintf(stderr, "%s: %s\n", *caption ? caption : "Message", request.text.c_str());
    unsigned buttons = request.buttons;
    if (buttons & ButtonOk) return ModalResult::Ok;
    if (buttons & ButtonCancel) return ModalResult::Cancel;
    if (buttons & ButtonNo) return ModalResult::No;
    if (buttons & ButtonAbort) return ModalResult::Abort;
    return DefaultAnswer(buttons);
}

ModalResult ScriptedPrompts::Message(const MessageRequest &request) {
    messages.push_back(request);
    if (answers.empty()) return DefaultAnswer(request.buttons);
    ModalResult answer = answers.front();
    answers.pop_front();
    return answer;
}

std::vector<std::string> ScriptedPrompts::OpenFiles(const FileDialogRequest &request) {
    dialogs.push_back(request);
    if (openPicks.empty()) return {};
    auto pick = openPicks.front();
    openPicks.pop_front();
    return pick;
}

std::optional<std::string> ScriptedPrompts::SaveFile(const FileDialogRequest &request) {
    dialogs.push_back(request);
    if (savePicks.empty()) return std::nullopt;
    auto pick = savePicks.front();
    savePicks.pop_front();
    return pick;
}

bool ScriptedPrompts::Print() {
    if (printAnswers.empty()) return false;
    bool answer = printAnswers.front();
    printAnswers.pop_front();
    return answer;
}

std::vector<std::string> ScriptedPrompts::Texts() const {
    std::vector<std::string> texts;
    for (const auto &m : messages)
        texts.push_back(m.text);
    return texts;
}

} // namespace orvex
