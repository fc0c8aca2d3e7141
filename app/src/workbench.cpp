#include "orvex/app/workbench.h"

#include "orvex/app/about_form.h"
#include "orvex/app/view_form.h"
#include "orvex/processing/calibration.h"

#include "mapengine/server_window.h"

#include <QWidget>

namespace orvex {

ToolWindowFactories BuiltToolWindows() {
    ToolWindowFactories factories;
    factories[static_cast<size_t>(ToolWindow::View)] = [](TWorkbench &workbench) -> QWidget * {
        auto *view = new TViewForm;
        view->SetAnchor([&workbench] { return workbench.Window(ToolWindow::ReliefSection); });
        return view;
    };
    factories[static_cast<size_t>(ToolWindow::About)] = [](TWorkbench &) -> QWidget * {
        return new TAboutForm;
    };
    return factories;
}

double EngineChannelFrequency(const TKavRecords &engine, int32_t deviceNumber, int channel) {
    // A device without a set of its own shows the zeros of a set never read.
    if (deviceNumber < 0 || deviceNumber > kMaxDeviceNumber) return 0.0;
    return engine.Options.Calibration[static_cast<size_t>(deviceNumber)].Frequencies[channel];
}

TWorkbench::TWorkbench(Prompts &prompts, ToolWindowFactories factories, SurferFactory mapServer)
    : prompts_(prompts), factories_(std::move(factories)), mapServer_(std::move(mapServer)) {}

TWorkbench::~TWorkbench() {
    // Tool windows first: they may refer to the main window.
    for (QWidget *&window : windows_) {
        delete window;
        window = nullptr;
    }
    main_.reset();
}

void TWorkbench::CreateWindows() {
    main_ = std::make_unique<TMainForm>(prompts_, [this](int32_t device, int channel) {
        return EngineChannelFrequency(engine_, device, channel);
    });
    for (const ToolWindowInfo &info : kStartupOrder) {
        if (info.window == ToolWindow::CreateMaps) ConnectMapServer();
        const ToolWindowFactory &factory = factories_[static_cast<size_t>(info.window)];
        if (!factory) continue;
        QWidget *window = factory(*this);
        if (!window) continue;
        window->hide();
        if (info.helpTopic > 0) window->setProperty("helpTopic", info.helpTopic);
        windows_[static_cast<size_t>(info.window)] = window;
        main_->SetToolWindow(info.window, window);
    }
}

void TWorkbench::ConnectMapServer() {
    // Without a server, the Process Options window (once it is built) hides its
    // "SurfOpt" and "SurfPage" pages here as well.
    const bool available =
        ConnectSurfer(surfer_, mapServer_, prompts_, [this] { main_->SetSurferAvailable(false); });
    if (!available) return;
    main_->SetSurferAvailable(true);
    if (auto *own = dynamic_cast<MapEngineSurfer *>(surfer_.Application.get()))
        serverWindow_ = std::make_unique<map::ServerWindow>(own->Engine(), prompts_);
}

} // namespace orvex
