// Murivale's program module: the shared state, the Windows functions, and the windows other than
// the start-up form, each created when it is first used.
#pragma once

#include <functional>
#include <memory>

#include "common/Configuration.h"
#include "common/DesktopWallpaper.h"
#include "common/WinApi.h"
#include "selector/SessionState.h"
#include "toolkit/Form.h"

namespace selector {

class frmBG;
class frmSel;
class frmBack;
class frmLoad;

// Registry values the chooser reads and writes.
using common::kRegBaseFile;
using common::kRegCurrentFile;
using common::kRegFolderPath;
using common::kRegControlPanelWallpaper;
using common::kRegDesktopWallpaper;

using common::kImagePatterns;

// The application title, which is also the caption of the choice window.
inline constexpr wchar_t kAppTitle[] = L"Murivale";

class Program {
public:
    explicit Program(common::WinApi& api);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    common::WinApi& api;
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
void StartProgram(common::WinApi& api);
void EndProgram();

}  // namespace selector
