// The choice window, Murivale's start-up form. Its load event is the whole start-up: it checks
// the system, reads the configuration, builds the catalogue and then either applies a random
// wallpaper and ends (a logon run) or shows four choices: random, default, select, keep.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "selector/KeyedCollection.h"
#include "toolkit/Form.h"

namespace selector {

class frmBG : public tk::Form {
public:
    frmBG();
    ~frmBG() override;

    // Buttons back on, default pointer, focus to the button of the choice just made.
    void EnableButtons();
    // Splits a command-line tail into switches: "/name value" pairs, keyed by the lower-cased
    // name. Only spaces separate words; the last word after a switch is its value.
    KeyedCollection getTokens(const std::wstring& CommandLine);

    tk::Button cmdRand;
    tk::Button cmdBase;
    tk::Button cmdSelect;
    tk::Button cmdCurrent;
    tk::Button Command1;  // a raised panel behind the four buttons
    tk::Shape Shape1;
    tk::Timer Timer1;

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    static void AddToken(KeyedCollection& tokens, const std::wstring& value,
                         const std::wstring& name);

    // The start-up, step by step; each returns false when the program must end.
    bool CheckOperatingSystem();
    void ReadWindowsDir();
    void FindCurrentWallpaper();
    bool HandOverToRunningInstance();
    bool CheckConfiguration();
    void ReadCommandLine();
    bool Catalogue();
    void Present();

    void cmdRand_Click();
    void cmdBase_Click();
    void cmdSelect_Click();
    void cmdCurrent_Click();
    void Timer1_Timer();
    void ApplyRandom();
    std::int16_t DrawIndex() const;
    void ApplyAtLogon(std::int16_t first);
    bool TryApplyAtLogon(std::int16_t k);
    std::vector<std::int16_t> FallbackOrder(std::int16_t first) const;
    void ApplyDefault();
    void DisableButtons();

    // The last random pick of this run; none before the first.
    std::optional<std::int16_t> previous;
};

}  // namespace selector
