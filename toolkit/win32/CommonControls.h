// The system's common controls library, loaded when the first control window is made: a run
// that shows no control (Murivale's logon run) never pays for loading and initialising it.
#pragma once

namespace tk::win32 {

// Loads the library once (the version the program's manifest names) and registers its window
// classes. Call before creating any control window.
void EnsureCommonControls();

}  // namespace tk::win32
