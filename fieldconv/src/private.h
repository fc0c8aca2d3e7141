// Links between the units of fieldconv that the internal header does not show.
#pragma once

#include "numerr/errstack.h"

#include <cstdint>
#include <string>
#include <utility>

namespace fieldconv {

// Records an error on the error stack. Every report of fieldconv goes through here,
// so the scan memory can tell a quiet scan from one that reported something.
void Raise(numerr::ErrorType type, int code, const char *message,
           const numerr::Fields &fields = {});
// The values that fill a message's fields.
inline numerr::Fields IntField(int i1) {
    numerr::Fields fields;
    fields.I1 = i1;
    return fields;
}
inline numerr::Fields RealFields(double d1, double d2 = 0, double d3 = 0) {
    numerr::Fields fields;
    fields.D1 = d1;
    fields.D2 = d2;
    fields.D3 = d3;
    return fields;
}
inline numerr::Fields TextField(std::string l1) {
    numerr::Fields fields;
    fields.L1 = std::move(l1);
    return fields;
}
// How many reports, and how many FATAL or TERMINAL ones, this thread has raised.
std::uint64_t ReportsRaised();
std::uint64_t FatalsRaised();

// Whether a FATAL or TERMINAL error was raised since the watch was made: the
// computation then stops instead of going on to report the same trouble again.
class FailureWatch {
public:
    FailureWatch() : start_(FatalsRaised()) {}
    bool Failed() const { return FatalsRaised() != start_; }

private:
    std::uint64_t start_;
};

// NUMDERIV that also counts the evaluations of F it made.
double NumDeriv(double (*F)(double), int k, double X, double h0, double TOL, int &evaluations);

// True while a GET_ABSEMF_PP trace sink is set on this thread.
bool AbsEmfTraceOn();

} // namespace fieldconv
