// The human player's side of the action dialog: what the dialog may ask, and
// the one command it gives. The getters have no side effect.
//
// Threads: the main thread.
#pragma once

#include <cstdint>
#include <vector>

namespace Gamespace {

// The human's action codes, as the dialog uses them.
enum HumanAction : uint32_t {
    kHumanCheck = 0,
    kHumanOpen = 1,
    kHumanFold = 2,
    kHumanCall = 3,
    kHumanRaise = 4,
    kHumanAllIn = 5,
};

class HumanActionMessageObserver {
public:
    virtual ~HumanActionMessageObserver() = default;
    // Clears `out` and appends the legal HumanAction codes, in dialog order.
    virtual void GetAvailableActions(std::vector<uint32_t>& out) = 0;
    virtual double GetChips() = 0;
    virtual double GetBet() = 0;
    virtual double GetCurrentBet() = 0;
    virtual double GetRoundPot() = 0;
    virtual double GetTotalPot() = 0;
    virtual double GetMinBet() = 0;
    virtual uint16_t GetBoardStage() = 0;
    // Carries out the choice; `amount` counts for open and raise only.
    virtual void PerformHumanAction(uint32_t code, double amount) = 0;
};

} // namespace Gamespace
