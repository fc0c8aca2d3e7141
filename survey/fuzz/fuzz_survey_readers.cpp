// libFuzzer target for both survey readers: the bytes become a file that is
// loaded as the workbench loads a survey (library first, then the legacy
// layout). Any crash, sanitizer report or runaway allocation is a fault; a
// refused file is fine.
#include "orvex/errors.h"
#include "orvex/survey/load.h"

#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const std::string path = "/tmp/orvex_fuzz_" + std::to_string(getpid()) + ".kav";
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    orvex::TKavSurveyData survey;
    try {
        orvex::LoadSurveyFile(survey, path);
    } catch (const orvex::Error &) {
    }
    return 0;
}
