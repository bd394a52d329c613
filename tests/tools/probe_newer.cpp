// A program the import check must refuse for its target: an import newer than the target
// (declared here, since the headers hide it below Vista), one the table does not list, and
// (by its link options) a header that asks for Windows Vista.
#include <windows.h>

extern "C" __declspec(dllimport) ULONGLONG WINAPI GetTickCount64();

int main() {
    ::Beep(440, 1);
    return static_cast<int>(GetTickCount64() & 1);
}
