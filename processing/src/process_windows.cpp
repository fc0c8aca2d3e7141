#include "orvex/processing/process_windows.h"

#include <algorithm>

namespace orvex {

void UseDecimalSeparator(ProcessWindows &windows, char separator) {
    const auto localise = [separator](std::string &text) {
        std::replace(text.begin(), text.end(), '.', separator);
    };
    ProcessOptionsControls &c = windows.Options;
    for (EditState *edit :
         {&c.VoltMin, &c.VoltMax, &c.AppMin, &c.AppMax, &c.SFilterDegree, &c.MajorInterval,
          &c.RSquared, &c.MarginLeft, &c.MarginRight, &c.MarginTop, &c.MarginBottom,
          &windows.Common.XStep, &windows.Common.YStep, &windows.Section.DepthScale})
        localise(edit->Text);
    for (std::string &line : c.ScaleCoefLines)
        localise(line);
}

} // namespace orvex
