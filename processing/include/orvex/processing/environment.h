// What the processing needs of the program around it: the prompts service, the
// folder of the calibration files, the user's decimal separator, the map server
// and a way to let the windows repaint between the runs of a batch.
#pragma once

#include "orvex/processing/calibration.h"
#include "orvex/processing/process_windows.h"

#include <functional>
#include <string>
#include <vector>

namespace orvex {

class MapBuilder;
class Prompts;

struct ProcessingEnvironment {
    explicit ProcessingEnvironment(Prompts &messages) : Messages(messages) {}

    Prompts &Messages;
    std::string CalibrationFolder = ExecutableFolder();
    char DecimalSeparator = '.';  // of typed numbers and the calibration file; tables use '.'
    bool SurferAvailable = false; // the map server was reached at start-up
    MapBuilder *Maps = nullptr;   // null: no map server to hand tables to
    // Where an output name without a folder goes; empty: the input file's folder.
    std::string OutputFolder;
    // Called between the runs of a batch after a number field changed: the window
    // shows the records' state, processes pending messages and reads its controls back.
    std::function<void(ProcessWindows &)> ProcessPendingMessages;
    // Told the files each run wrote, the main table first.
    std::function<void(const std::vector<std::string> &)> TablesWritten;
};

} // namespace orvex
