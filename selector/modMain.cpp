#include "selector/modMain.h"

#include <chrono>
#include <random>

#include "selector/frmBG.h"
#include "selector/frmBack.h"
#include "selector/frmLoad.h"
#include "selector/frmSel.h"
#include "toolkit/App.h"

namespace selector {
namespace {

std::unique_ptr<Program> g_program;

double ClockSeededDraw() {
    // Each draw starts from the clock; the counter keeps two draws within one clock tick apart.
    static unsigned long long counter = 0;
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::mt19937_64 generator(static_cast<unsigned long long>(ticks) ^
                              (++counter * 0x9E3779B97F4A7C15ull));
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator);
}

}  // namespace

Program::Program(services::WinApi& winApi) : api(winApi), random(ClockSeededDraw) {}

Program::~Program() = default;

Program& Murivale() { return *g_program; }

namespace {

// An error that escaped an event handler. A logon run must never wait on a dialog: it ends
// there, with the wallpaper as it is. Started by hand, the user is told and the window goes on.
void ReportUnexpectedError(const std::wstring& what) {
    Program& program = Murivale();
    if (program.state.IsLogonRun()) {
        if (program.choice) program.choice->Unload();
        return;
    }
    tk::ShowEventError(what);
}

}  // namespace

void StartProgram(services::WinApi& api) {
    g_program.reset();
    g_program = std::make_unique<Program>(api);
    tk::SetEventErrorHandler(ReportUnexpectedError);
}

void EndProgram() {
    tk::SetEventErrorHandler(nullptr);
    g_program.reset();
}

}  // namespace selector
