// The Windows program: builds the long-lived objects, wires them, runs the main window and
// shuts everything down in an order where no thread outlives what it uses.
#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include <memory>

#include "app/app_model.h"
#include "app/heart_beat.h"
#include "app/start_failure.h"
#include "engine/telescope_control.h"
#include "ui/dlg_config.h"
#include "ui/win32/win32_dialog.h"

namespace {

// How long shutdown waits for the engine's worker thread.
constexpr uint32_t kEngineStopWaitMs = 5000;
constexpr int kStartFailed = 1;

void ShowStartError(const char* text) {
    MessageBoxA(nullptr, text, "AxisTune", MB_OK | MB_ICONERROR);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // No command line, no files, no registry: every setting lives in the controller.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    if (!InitCommonControlsEx(&controls)) {
        MessageBoxW(nullptr, L"Init Common Controls failed", L"Error", MB_OK);
        return 0;
    }

    Win32DialogModule module(instance);
    auto heartBeat = std::make_unique<HeartBeat>();
    auto model = std::make_unique<AppModel>();
    auto engine = std::make_unique<TelescopeControl>(model.get());

    // A queue that is not ours or a worker that did not start would leave the window dead:
    // say so and end instead.
    const char* startFailure = DescribeStartFailure(engine->StartError(), engine->WorkerStarted());
    if (startFailure != nullptr) {
        ShowStartError(startFailure);
        engine->Stop(kEngineStopWaitMs);
        return kStartFailed;
    }

    heartBeat->Attach(engine.get());
    if (!heartBeat->Start()) {
        ShowStartError("The timing thread could not be started.");
        heartBeat->Detach();
        engine->Stop(kEngineStopWaitMs);
        return kStartFailed;
    }

    auto dialog = std::make_unique<DlgConfig>(module, *engine, *model);
    model->SetCallback(dialog.get());
    model->SetPoster(dialog.get());

    // -1: the main window could not be created (no display, broken resources).
    const bool shown = dialog->Run() != -1;
    if (!shown) {
        ShowStartError("The main window could not be created.");
    }

    // Nothing more reaches the window, and nothing is sent to the controller.
    model->SetCallback(nullptr);
    model->SetPoster(nullptr);
    // The worker may be inside a post to the window controller right now, so the controller
    // stays until the worker has ended.
    heartBeat->Detach();
    const bool tickerStopped = heartBeat->Stop();
    const bool engineStopped = engine->Stop(kEngineStopWaitMs);
    if (!tickerStopped || !engineStopped) {
        // A thread that did not end may still use these objects: leave them to the process's
        // end rather than free them under it.
        dialog.release();
        engine.release();
        heartBeat.release();
        model.release();
        return shown ? 0 : kStartFailed;
    }
    dialog.reset();
    engine.reset();
    heartBeat.reset();
    model.reset();
    return shown ? 0 : kStartFailed;
}
