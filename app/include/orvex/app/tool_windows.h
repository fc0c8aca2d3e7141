// The windows the workbench creates at start-up, hidden, after the main window,
// in a fixed order (creating Create Maps connects to the map server, so what
// comes before it must not need that connection), with their help topics.
#pragma once

#include <array>

namespace orvex {

enum class ToolWindow {
    ProcessOptions,  // TProcOptForm
    MultiMapOptions, // TForm_MMOptions
    CreateMaps,      // TForm_CreateMaps
    PortSettings,    // TForm_PortSettings
    Communication,   // TConnectionForm
    View,            // TViewForm
    ReliefSection,   // TRelSecForm
    About,           // TAboutForm
    MapProcess,      // TForm_MapProcess
    SectionProcess,  // TForm_SectionProcess
    CommonProcess,   // TForm_CommonProcess
};

inline constexpr int kToolWindowCount = 11;

struct ToolWindowInfo {
    ToolWindow window;
    const char *className;
    int helpTopic; // 0: the window has no topic of its own
};

// The creation order.
inline constexpr std::array<ToolWindowInfo, kToolWindowCount> kStartupOrder = {{
    {ToolWindow::ProcessOptions, "TProcOptForm", 5},
    {ToolWindow::MultiMapOptions, "TForm_MMOptions", 12},
    {ToolWindow::CreateMaps, "TForm_CreateMaps", 11},
    {ToolWindow::PortSettings, "TForm_PortSettings", 0},
    {ToolWindow::Communication, "TConnectionForm", 3},
    {ToolWindow::View, "TViewForm", 0},
    {ToolWindow::ReliefSection, "TRelSecForm", 10},
    {ToolWindow::About, "TAboutForm", 0},
    {ToolWindow::MapProcess, "TForm_MapProcess", 5},
    {ToolWindow::SectionProcess, "TForm_SectionProcess", 6},
    {ToolWindow::CommonProcess, "TForm_CommonProcess", 4},
}};

// Help topic of the main window (and of any window without its own).
inline constexpr int kMainHelpTopic = 1;

} // namespace orvex
