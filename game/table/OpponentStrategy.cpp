#include "game/table/OpponentStrategy.h"

#include "game/table/GameType.h"
#include "game/table/PlayerI.h"
#include "game/table/PlayerMgrI.h"
#include "common/RandomHelpers.h"

#include <cmath>
#include <cstdlib>

namespace Gamespace {

namespace {

// What every strategy looks at.
struct Situation {
    uint32_t style;
    const TableState& state;
    PlayerI& player;
    double unit;      // B
    double chips;     // C
    double toCall;    // T
    bool limit;
};

uint32_t Decide(uint32_t code, double value, double& amount)
{
    amount = value;
    return code;
}

uint32_t PlayPairPreflop(const Situation& s, double& amount)
{
    const double B = s.unit, C = s.chips, T = s.toCall;
    if (s.limit) {
        double L = B + T;
        if (L >= C)
            return Decide(kDecideAllIn, C, amount);
        static const uint32_t kThresholds[] = {7, 5, 3};
        uint32_t r = RandomInRange(0, 10);
        if (r > kThresholds[s.style])
            return Decide(kDecideRaise, L, amount);
        return Decide(kDecideCall, 0.0, amount);
    }
    double f = 0.0;
    uint32_t threshold = 0;
    switch (s.style) {
    case 0:
        f = RandomInRange(0, 4) / 10.0 + 1.3;
        threshold = 8;
        break;
    case 1:
        f = RandomInRange(0, 5) / 10.0 + 1.5;
        threshold = 6;
        break;
    default:
        f = RandomInRange(0, 7) / 10.0 + 1.8;
        threshold = 4;
        break;
    }
    uint32_t r = RandomInRange(0, 10);
    if (r == 1 && T == 0.0)
        return Decide(kDecideCheck, 0.0, amount);
    // The whole amount: a big stack raises big.
    double A = std::trunc(B * f + 1.0 + T);
    if (A < C) {
        uint32_t r2 = RandomInRange(0, 10);
        if (r2 > threshold) {
            if (B + A < C)
                return Decide(kDecideRaise, A, amount);
            return Decide(kDecideAllIn, C, amount);
        }
    }
    if (T >= C)
        return Decide(kDecideAllIn, C, amount);
    if (B + T < C)
        return Decide(kDecideCall, 0.0, amount);
    return Decide(kDecideAllIn, C, amount);
}

uint32_t PlayNothingPreflop(const Situation& s, double& amount)
{
    const double B = s.unit, C = s.chips, T = s.toCall;
    static const int kFirstRank[] = {9, 8, 6};
    static const int kSecondRank[] = {6, 5, 4};
    static const uint32_t kOpenThreshold[] = {97, 94, 90};
    if (s.state.betMade == 0) {
        uint32_t r = RandomInRange(0, 100);
        if (r <= kOpenThreshold[s.style])
            return Decide(kDecideCheck, 0.0, amount);
        if (B >= C)
            return Decide(kDecideAllIn, C, amount);
        return Decide(kDecideOpen, s.limit ? 2.0 * B : B, amount);
    }
    Card h0 = s.player.GetHoleCard(0);
    Card h1 = s.player.GetHoleCard(1);
    int r0 = static_cast<int>(h0.rank), r1 = static_cast<int>(h1.rank);
    int first = kFirstRank[s.style], second = kSecondRank[s.style];
    bool playable = (r0 > first && r1 > second) || (r0 > second && r1 > first);
    if (s.style >= 1 && h0.suit == h1.suit)
        playable = true;
    if (s.style == 2 && std::abs(r0 - r1) == 1)
        playable = true;
    if (playable) {
        if (T <= 0.0)
            return Decide(kDecideCheck, 0.0, amount);
        if (T >= C)
            return Decide(kDecideFold, 0.0, amount);
        return Decide(kDecideCall, 0.0, amount);
    }
    if (T == 0.0)
        return Decide(kDecideCheck, 0.0, amount);
    return Decide(kDecideFold, 0.0, amount);
}

uint32_t PlayNothingPostflop(const Situation& s, const std::vector<Card>& cards, double& amount)
{
    const double B = s.unit, C = s.chips, T = s.toCall;
    const uint32_t stage = s.state.boardStage;
    bool three = HasSuitWithExactlyThree(cards);
    bool four = HasSuitWithExactlyFour(cards);
    uint32_t t = 100;
    switch (s.style) {
    case 0:
        if (stage == 1)
            t = 99;
        else if (stage == 2 && !three)
            return Decide(kDecideFold, 0.0, amount);
        else if (stage >= 3 && four)
            return Decide(kDecideFold, 0.0, amount);
        break;
    case 1:
        if (stage == 1)
            t = 97;
        else if (stage == 2)
            t = 99;
        else if (four)
            return Decide(kDecideFold, 0.0, amount);
        break;
    default:
        if (stage == 1)
            t = three ? (four ? 30 : 50) : 60;
        else if (stage == 2)
            t = three ? (four ? 50 : 70) : 90;
        else
            t = three ? (four ? 80 : 90) : 98;
        break;
    }
    uint32_t r = RandomInRange(0, 100);
    double bet = s.limit ? 2.0 * B : B;
    if (s.state.betMade == 0) {
        if (r <= t)
            return Decide(kDecideCheck, 0.0, amount);
        if (B >= C)
            return Decide(kDecideAllIn, C, amount);
        return Decide(kDecideOpen, bet, amount);
    }
    if (T <= 0.0) {
        if (r <= t)
            return Decide(kDecideCheck, 0.0, amount);
        if (B >= C)
            return Decide(kDecideAllIn, C, amount);
        return Decide(kDecideRaise, bet, amount);
    }
    if (B < C && r > t) {
        double raise = T + B + ((s.limit && stage >= 2) ? B : 0.0);
        return Decide(kDecideRaise, raise, amount);
    }
    if (T < C)
        return Decide(kDecideCall, 0.0, amount);
    if (B >= C)
        return Decide(kDecideAllIn, C, amount);
    if (r != 0)
        return Decide(kDecideFold, 0.0, amount);
    return Decide(kDecideAllIn, C, amount);
}

uint32_t CallOrFoldBehind(const Situation& s, double& amount)
{
    if (s.toCall == 0.0)
        return Decide(kDecideCheck, 0.0, amount);
    if (s.unit + s.toCall >= s.chips)
        return Decide(kDecideFold, 0.0, amount);
    return Decide(kDecideCall, 0.0, amount);
}

uint32_t PlayMadeHandPostflop(const Situation& s, uint32_t category, double& amount)
{
    const double B = s.unit, C = s.chips, T = s.toCall;
    uint32_t boardCategory = EvaluateHandCategory(s.state.board);
    if (category == boardCategory) {
        if (T == 0.0)
            return Decide(kDecideCheck, 0.0, amount);
        if (2.0 * B > C)
            return Decide(kDecideAllIn, C, amount);
        return Decide(kDecideCall, 0.0, amount);
    }
    if (category < boardCategory)
        return CallOrFoldBehind(s, amount);
    double R = T + B + ((s.limit && s.state.boardStage >= 2) ? B : 0.0);
    if (R < C && s.state.raiseCount < 3.0) {
        if (T <= 0.0)
            return Decide(kDecideOpen, R, amount);
        if (category >= kTwoPair)
            return Decide(kDecideRaise, R, amount);
        uint32_t r1 = RandomInRange(0, 10);
        uint32_t r2 = RandomInRange(2, 6);
        if (r1 <= 4)
            return Decide(kDecideRaise, R, amount);
        if (r2 * B < s.player.GetBet())
            return Decide(kDecideFold, 0.0, amount);
        return Decide(kDecideRaise, R, amount);
    }
    if (T >= C)
        return CallOrFoldBehind(s, amount);
    if (T <= 0.0)
        return Decide(kDecideCheck, 0.0, amount);
    return Decide(kDecideCall, 0.0, amount);
}

} // namespace

bool IsLimitGame(uint32_t gameType)
{
    return gameType == kGameLimit || gameType == kGameLimitTournament;
}

uint32_t ChooseComputerAction(uint16_t position, uint32_t style, const TableState& state, double betUnit,
                              double& amount, uint32_t& category, std::vector<HandGroup>& groups)
{
    amount = 0.0;
    groups.clear();
    category = kHighCard;
    if (position >= state.actingOrder.size() || state.actingOrder[position] == nullptr)
        return kDecideCheck;
    PlayerI& player = *state.actingOrder[position];
    Situation s{style > 2 ? 0u : style, state, player, betUnit, player.GetChips(),
                state.currentBet - player.GetBet(), IsLimitGame(state.gameType)};

    std::vector<Card> cards = {player.GetHoleCard(0), player.GetHoleCard(1)};
    cards.insert(cards.end(), state.board.begin(), state.board.end());
    std::vector<uint32_t> categories;
    EvaluateHand(cards, categories, groups);
    category = categories.empty() ? kHighCard : categories.front();

    uint32_t code;
    if (category >= kPair)
        code = state.board.empty() ? PlayPairPreflop(s, amount) : PlayMadeHandPostflop(s, category, amount);
    else
        code = state.board.empty() ? PlayNothingPreflop(s, amount) : PlayNothingPostflop(s, cards, amount);
    SortHandGroups(groups);
    return code;
}

void RunComputerTurn(PlayerI& player, PlayerMgrI& table)
{
    TableState state;
    table.GetTableState(state);
    double unit = table.GetMinBet();
    double amount = 0.0;
    uint32_t category = kHighCard;
    std::vector<HandGroup> groups;
    uint32_t code = ChooseComputerAction(player.GetPosition(), player.GetStyle(), state, unit, amount, category, groups);
    player.SetHandRecord(category, std::move(groups));
    player.Display().HideIcons();
    switch (code) {
    case kDecideCheck:
        player.Check();
        break;
    case kDecideOpen:
        player.Open(amount);
        break;
    case kDecideCall:
        player.Call();
        break;
    case kDecideAllIn:
        player.AllIn();
        break;
    case kDecideFold:
        player.Fold();
        break;
    default:
        player.Raise(amount);
        break;
    }
    player.RefreshBetDisplay();
}

} // namespace Gamespace
