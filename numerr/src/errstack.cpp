#include "numerr/errstack.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace numerr {

namespace {

struct Level {
    const char *name;
    int type = 0;
    int code = 0;
};

struct State {
    std::vector<Level> stack;
    std::function<void(const std::string &)> sink;
    bool printed[6] = {false, false, false, true, true, true};
    bool failed = false;
    std::string lastFatal;
    std::string last;
    int lastType = 0;
    int lastCode = 0;
};

State &state() {
    thread_local State s;
    return s;
}

const char *TypeWord(ErrorType type) {
    switch (type) {
    case NOTE:
        return "NOTE";
    case ALERT:
        return "ALERT";
    case WARNING:
        return "WARNING";
    case FATAL:
        return "FATAL";
    case TERMINAL:
        return "TERMINAL";
    }
    return "UNKNOWN";
}

std::string Real(double value) {
    char buffer[40];
    for (int digits = 15; digits <= 17; ++digits) {
        std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
        if (std::strtod(buffer, nullptr) == value) break;
    }
    return buffer;
}

std::string Row(const char *name, int type, int code) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "          %-16s%10d%12d\n", name, type, code);
    return buffer;
}

} // namespace

Routine::Routine(const char *name) {
    state().stack.push_back({name});
}
Routine::~Routine() {
    state().stack.pop_back();
}

std::string FillMessage(const std::string &message, const Fields &fields) {
    std::string out;
    for (size_t i = 0; i < message.size(); ++i) {
        if (message.compare(i, 2, "%(") == 0 && i + 4 < message.size() && message[i + 4] == ')') {
            const std::string field = message.substr(i + 2, 2);
            bool known = true;
            if (field == "I1")
                out += std::to_string(fields.I1);
            else if (field == "I2")
                out += std::to_string(fields.I2);
            else if (field == "D1")
                out += Real(fields.D1);
            else if (field == "D2")
                out += Real(fields.D2);
            else if (field == "D3")
                out += Real(fields.D3);
            else if (field == "L1")
                out += fields.L1;
            else
                known = false;
            if (known) {
                i += 4;
                continue;
            }
        }
        out += message[i];
    }
    return out;
}

std::string Report(ErrorType type, int code, const std::string &message, const Fields &fields) {
    State &s = state();
    const char *routine = s.stack.empty() ? "USER" : s.stack.back().name;
    if (!s.stack.empty()) {
        s.stack.back().type = type;
        s.stack.back().code = code;
    }
    std::string text = " *** ";
    text += TypeWord(type);
    text += " ERROR ";
    text += std::to_string(code);
    text += " from ";
    text += routine;
    text += ".  ";
    text += FillMessage(message, fields);
    text += '\n';
    if (type >= FATAL) {
        text += "    Here is a traceback of subprogram calls in reverse order:\n";
        text += "          Routine name        Error type  Error code\n";
        for (size_t i = s.stack.size(); i-- > 0;)
            text += Row(s.stack[i].name, s.stack[i].type, s.stack[i].code);
        text += Row("USER", 0, 0);
        s.failed = true;
        s.lastFatal = text;
    }
    s.last = text;
    s.lastType = type;
    s.lastCode = code;
    if (type >= NOTE && type <= TERMINAL && s.printed[type]) {
        if (s.sink)
            s.sink(text);
        else
            std::fputs(text.c_str(), stderr);
    }
    return text;
}

void BeginCall() {
    State &s = state();
    s.failed = false;
    s.lastFatal.clear();
    for (Level &level : s.stack)
        level.type = level.code = 0;
}

bool CallFailed() {
    return state().failed;
}
const std::string &LastFatalMessage() {
    return state().lastFatal;
}
const std::string &LastMessage() {
    return state().last;
}
int LastType() {
    return state().lastType;
}
int LastCode() {
    return state().lastCode;
}

void SetPrintSink(std::function<void(const std::string &)> sink) {
    state().sink = std::move(sink);
}

void SetPrinted(ErrorType type, bool printed) {
    if (type >= NOTE && type <= TERMINAL) state().printed[type] = printed;
}

} // namespace numerr
