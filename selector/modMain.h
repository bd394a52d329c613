// Murivale's program module: the shared state, the Windows functions, and the windows other than
// the start-up form, each created when it is first used.
#pragma once

#include <functional>
#include <memory>

#include "selector/SessionState.h"
#include "services/Configuration.h"
#include "services/DesktopWallpaper.h"
#include "services/WinApi.h"
#include "toolkit/Form.h"

namespace selector {

class frmBG;
class frmSel;
class frmBack;
class frmLoad;

// Registry values the chooser reads and writes.
using services::kRegBaseFile;
using services::kRegCurrentFile;
using services::kRegFolderPath;
using services::kRegControlPanelWallpaper;
using services::kRegDesktopWallpaper;

using services::kImagePatterns;

// The application title, which is also the caption of the choice window.
inline constexpr wchar_t kAppTitle[] = L"Murivale";

class Program {
public:
    explicit Program(services::WinApi& api);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    services::WinApi& api;
    SessionState state;
    frmBG* choice = nullptr;  // the start-up form, while it exists
    tk::AutoForm<frmSel> browser;
    tk::AutoForm<frmBack> backdrop;
    tk::AutoForm<frmLoad> loading;
    // Uniform draws 0 <= r < 1, reseeded from the clock for every draw.
    std::function<double()> random;
};

// The program of this process. StartProgram makes a fresh one (once per process; once per case
// in the tests); the previous one, with its windows, is discarded.
Program& Murivale();
void StartProgram(services::WinApi& api);
void EndProgram();

}  // namespace selector
