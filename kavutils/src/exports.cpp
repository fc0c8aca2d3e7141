// The library's C exports over the survey model.
#include "KavUtils.h"

#include "survey_model.h"

#include <algorithm>
#include <climits>
#include <cstring>

using namespace kav;

namespace {

struct LibraryState {
    LoadedSurveySlot slot;
    std::string lastError;
};

LibraryState &State() {
    thread_local LibraryState state;
    return state;
}

void CopyText(char *buffer, const std::string &text) {
    if (buffer == nullptr) return;
    std::memset(buffer, 0, 256);
    std::memcpy(buffer, text.data(), std::min<size_t>(text.size(), 255));
}

template <typename T, typename U> void Give(T *out, U value) {
    if (out != nullptr) *out = static_cast<T>(value);
}

std::string TakeText(const char *text) {
    if (text == nullptr) return {};
    return std::string(text, strnlen(text, 255));
}

void FillHeader(SurveyHeader &header, const char *text1, const char *text2, const char *text3,
                const uint16_t *deviceNumber, const uint8_t *day, const uint8_t *month,
                const uint16_t *year) {
    if (text1) header.text[0] = TakeText(text1);
    if (text2) header.text[1] = TakeText(text2);
    if (text3) header.text[2] = TakeText(text3);
    if (deviceNumber) header.deviceNumber = *deviceNumber;
    if (day) header.day = *day;
    if (month) header.month = *month;
    if (year) header.year = *year;
}

// Builds the records of `count` slots from the caller's arrays.
void FillRecords(SurveyData &survey, size_t count, const int32_t *value1, const int32_t *value2,
                 const int32_t *value3, const int32_t *value4, const uint32_t *tags) {
    const int32_t *values[4] = {value1, value2, value3, value4};
    for (size_t i = 0; i < survey.SlotCount(); ++i) {
        SurveyRecord &record = survey.RecordAt(i);
        if (i >= count) continue;
        for (int k = 1; k <= kChannels; ++k)
            for (int j = 0; j < 4; ++j)
                if (values[j]) record.SetValue(k, j + 1, values[j][i * kChannels + k - 1]);
        if (tags) record.SetTag(tags[i]);
    }
}

int32_t Result(bool ok, const SurveyFileFormat &format) {
    State().lastError = ok ? "" : format.Error();
    return ok ? 1 : 0;
}

} // namespace

extern "C" {

int32_t KavFileLoad(const char *fileName, char *text1, char *text2, char *text3,
                    int32_t *recordCount, int32_t *deviceNumber, int32_t *day, int32_t *month,
                    int32_t *year, int32_t *firstStation, int32_t *firstLine, int32_t *stations,
                    int32_t *lines, double *xStep, double *yStep) {
    LibraryState &state = State();
    state.slot.Release(); // a new load replaces whatever is held
    SurveyFileFormat format;
    if (fileName == nullptr || !format.Load(state.slot, fileName)) {
        state.lastError = fileName ? format.Error() : "no file name given";
        return 0;
    }
    const RegularSurvey *regular = state.slot.Regular();
    const SurveyData *survey = regular;
    if (survey == nullptr) survey = state.slot.Scattered();
    if (survey == nullptr) return Result(false, format);
    CopyText(text1, survey->header.text[0]);
    CopyText(text2, survey->header.text[1]);
    CopyText(text3, survey->header.text[2]);
    Give(recordCount, survey->SlotCount());
    Give(deviceNumber, survey->header.deviceNumber);
    Give(day, survey->header.day);
    Give(month, survey->header.month);
    Give(year, survey->header.year);
    GridGeometry geometry{0, 0, 0, 0, 0.0f, 0.0f};
    if (regular != nullptr) geometry = regular->Geometry();
    Give(firstStation, geometry.firstStation);
    Give(firstLine, geometry.firstLine);
    Give(stations, geometry.stations);
    Give(lines, geometry.lines);
    Give(xStep, static_cast<double>(geometry.xStep));
    Give(yStep, static_cast<double>(geometry.yStep));
    state.lastError.clear();
    return 1;
}

int32_t KavFileLoadData(int32_t *value1, int32_t *value2, int32_t *value3, int32_t *value4,
                        uint32_t *tags, double *coord1, double *coord2) {
    LibraryState &state = State();
    const ScatteredSurvey *scattered = state.slot.Scattered();
    const SurveyData *survey = state.slot.Regular();
    if (survey == nullptr) survey = scattered;
    if (survey == nullptr) return 0;
    int32_t *values[4] = {value1, value2, value3, value4};
    for (size_t i = 0; i < survey->SlotCount(); ++i) {
        const SurveyRecord *record = survey->Slot(i);
        for (int k = 1; k <= kChannels; ++k) {
            int32_t channel[4] = {0, 0, 0, 0};
            if (record) record->ChannelValues(k, channel);
            for (int j = 0; j < 4; ++j)
                if (values[j]) values[j][i * kChannels + k - 1] = channel[j];
        }
        if (tags) tags[i] = record ? record->GetTag() : 0;
    }
    if (survey == scattered) {
        for (size_t i = 0; i < scattered->SlotCount(); ++i) {
            const auto [c1, c2] = scattered->Coordinates(i);
            if (coord1) coord1[i] = c1;
            if (coord2) coord2[i] = c2;
        }
    }
    return 1;
}

int32_t KavFileLoadClose(void) {
    State().slot.Release();
    return 1;
}

int32_t KavFileSaveRegular(const char *fileName, const char *text1, const char *text2,
                           const char *text3, const uint16_t *deviceNumber, const uint8_t *day,
                           const uint8_t *month, const uint16_t *year, const int32_t *firstStation,
                           const int32_t *firstLine, const int32_t *stations, const int32_t *lines,
                           const double *xStep, const double *yStep, const int32_t *value1,
                           const int32_t *value2, const int32_t *value3, const int32_t *value4,
                           const uint32_t *tags) {
    SurveyFileFormat format;
    RegularSurvey survey;
    FillHeader(survey.header, text1, text2, text3, deviceNumber, day, month, year);
    GridGeometry geometry;
    if (firstStation) geometry.firstStation = *firstStation;
    if (firstLine) geometry.firstLine = *firstLine;
    if (stations) geometry.stations = *stations;
    if (lines) geometry.lines = *lines;
    if (xStep) geometry.xStep = static_cast<float>(*xStep);
    if (yStep) geometry.yStep = static_cast<float>(*yStep);
    const int64_t count = int64_t{geometry.stations} * geometry.lines;
    if (fileName == nullptr || geometry.stations < 0 || geometry.lines < 0 || count > INT32_MAX) {
        State().lastError = "no file name, or a negative or too large grid";
        return 0;
    }
    survey.SetGeometry(geometry);
    // The arrays hold stations x lines records; a survey given no grid has
    // none in them, and its 20 slots are written empty.
    FillRecords(survey, static_cast<size_t>(count), value1, value2, value3, value4, tags);
    return Result(survey.Save(format, fileName), format);
}

int32_t KavFileSaveScattered(const char *fileName, const char *text1, const char *text2,
                             const char *text3, const uint16_t *deviceNumber, const uint8_t *day,
                             const uint8_t *month, const uint16_t *year, const int32_t *recordCount,
                             const int32_t *value1, const int32_t *value2, const int32_t *value3,
                             const int32_t *value4, const uint32_t *tags, const double *coord1,
                             const double *coord2) {
    SurveyFileFormat format;
    ScatteredSurvey survey;
    FillHeader(survey.header, text1, text2, text3, deviceNumber, day, month, year);
    const int32_t count = recordCount ? *recordCount : 0;
    if (fileName == nullptr || count < 0) {
        State().lastError = "no file name, or a negative record count";
        return 0;
    }
    survey.ResizeSlots(static_cast<size_t>(count));
    FillRecords(survey, static_cast<size_t>(count), value1, value2, value3, value4, tags);
    for (int32_t i = 0; i < count; ++i)
        survey.StoreCoordinates(static_cast<size_t>(i), coord1 ? coord1[i] : 0.0,
                                coord2 ? coord2[i] : 0.0);
    return Result(survey.Save(format, fileName), format);
}

int32_t MyLoadInteger(int32_t *value) {
    if (value) *value = 123456789;
    return 1;
}

int32_t MyLoadString(char *text) {
    if (text) std::memcpy(text, "Hello, world!", sizeof "Hello, world!");
    return 1;
}

double get156(void) {
    return 156.0;
}

double sum(double a, double b) {
    return a + b;
}

const char *KavFileLastError(void) {
    return State().lastError.c_str();
}

} // extern "C"
