// Error reporting of the numerical routines, compiled into each numerical library.
// Routines push their name on entry and pop it on exit; a routine that meets bad
// input or numerical trouble records a type, a code and a message whose fields
// %(I1) %(I2) %(D1) %(D2) %(D3) %(L1) are filled from the values given with it.
//
// Types 3 to 5 (WARNING, FATAL, TERMINAL) are printed, to standard error unless a
// sink is set; types 4 and 5 also mark the current call as failed, and the export
// that made the call then returns a quiet NaN. Nothing here ends the process.
// The state is per thread, so exports may be called on worker threads.
#pragma once

#include <functional>
#include <string>

namespace numerr {

enum ErrorType { NOTE = 1, ALERT = 2, WARNING = 3, FATAL = 4, TERMINAL = 5 };

// Values that fill a message's fields; every member has a default, so designated
// initialisers may name only the fields a message uses. I2 comes last so that positional
// initialisers written before it existed keep their meaning.
struct Fields {
    int I1 = 0;
    double D1 = 0, D2 = 0, D3 = 0;
    std::string L1 = {};
    int I2 = 0;
};

// Pushes a routine name for the lifetime of the scope.
class Routine {
public:
    explicit Routine(const char *name);
    ~Routine();
    Routine(const Routine &) = delete;
    Routine &operator=(const Routine &) = delete;
};

// Records an error of the innermost routine. Returns the printed form.
std::string Report(ErrorType type, int code, const std::string &message, const Fields &fields = {});

// Fills the %(..) fields of a message. Integers in decimal, reals in the
// shortest form that reads back to the same double (up to 17 digits).
std::string FillMessage(const std::string &message, const Fields &fields);

// Called by an export before its work: forgets the failure of an earlier call.
void BeginCall();
// True when a FATAL or TERMINAL error was recorded since BeginCall().
bool CallFailed();

// The printed form (with traceback) of the last FATAL or TERMINAL error on this
// thread, or "" when there has been none since the last BeginCall().
const std::string &LastFatalMessage();
// The printed form of the last error of any type.
const std::string &LastMessage();
int LastType();
int LastCode();

// Where printed errors go; an empty function restores standard error.
void SetPrintSink(std::function<void(const std::string &)> sink);
// Which types are printed (true = print); defaults: 3, 4 and 5.
void SetPrinted(ErrorType type, bool printed);

} // namespace numerr
