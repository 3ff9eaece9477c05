#include "game/table/PotBuilder.h"

#include <algorithm>

namespace Gamespace {

namespace {

std::vector<double> AllInLevels(const std::vector<PotEntrant>& entrants)
{
    std::vector<double> levels;
    for (const PotEntrant& entrant : entrants)
        if (entrant.inHand && entrant.allIn && entrant.contribution > 0.0)
            levels.push_back(entrant.contribution);
    std::sort(levels.begin(), levels.end());
    levels.erase(std::unique(levels.begin(), levels.end()), levels.end());
    return levels;
}

void MergeUnclaimedPots(std::vector<Pot>& pots)
{
    double unclaimed = 0.0;
    std::vector<Pot> kept;
    for (Pot& pot : pots) {
        if (pot.eligible.empty())
            unclaimed += pot.amount;
        else
            kept.push_back(std::move(pot));
    }
    bool merged = kept.size() < pots.size();
    if (merged && !kept.empty()) {
        kept.back().amount += unclaimed;
        kept.back().name = "Main pot";
    } else if (unclaimed != 0.0) {
        // Nobody in the hand at all: keep the chips in a pot of no winner
        // rather than lose them from the books.
        Pot lost;
        lost.name = "Main pot";
        lost.amount = unclaimed;
        kept.push_back(std::move(lost));
    }
    pots = std::move(kept);
}

} // namespace

std::vector<Pot> BuildPots(const std::vector<PotEntrant>& entrants, double totalPot, uint32_t stage)
{
    std::vector<Pot> pots;
    double previous = 0.0;
    for (double level : AllInLevels(entrants)) {
        Pot pot;
        pot.stage = stage;
        pot.name = "Pot " + std::to_string(pots.size() + 1);
        for (const PotEntrant& entrant : entrants) {
            double part = std::min(entrant.contribution, level) - previous;
            if (part > 0.0)
                pot.amount += part;
            if (entrant.inHand && entrant.contribution >= level)
                pot.eligible.push_back(entrant.player);
        }
        previous = level;
        pots.push_back(std::move(pot));
    }

    Pot main;
    main.stage = stage;
    main.name = "Main pot";
    main.amount = totalPot - SumPots(pots);
    for (const PotEntrant& entrant : entrants)
        if (entrant.inHand && !entrant.allIn)
            main.eligible.push_back(entrant.player);
    pots.push_back(std::move(main));

    MergeUnclaimedPots(pots);
    pots.erase(std::remove_if(pots.begin(), pots.end(), [](const Pot& pot) { return pot.amount == 0.0; }),
               pots.end());
    return pots;
}

double SumPots(const std::vector<Pot>& pots)
{
    double sum = 0.0;
    for (const Pot& pot : pots)
        sum += pot.amount;
    return sum;
}

} // namespace Gamespace
