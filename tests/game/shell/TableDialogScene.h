// The table's dialogs on the real control factory (ShellDialogScene), with
// players to show: each seated at a test table of its own (FakeTable), with
// the chips the test gives it, dealt into the coming hand when the chips
// reach the table's minimum bet (2).
#pragma once

#include "controls/IButtonVO.h"
#include "controls/IStringVO.h"
#include "game/table/PlayerComp.h"
#include "game/table/PlayerHuman.h"
#include "tests/game/shell/ShellDialogScene.h"
#include "tests/support/FakeTable.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

class TableDialogScene : public ShellDialogScene {
protected:
    static constexpr uint16_t kSeats = 10;

    // Seat 0 is the human's.
    Gamespace::PlayerI& Seat(uint16_t seat, const std::string& name, double chips)
    {
        std::unique_ptr<Gamespace::PlayerI> player;
        if (seat == 0)
            player = std::make_unique<Gamespace::PlayerHuman>(&table_, table_.services);
        else
            player = std::make_unique<Gamespace::PlayerComp>(&table_, table_.services, 1, nullptr);
        player->SetSeat(seat);
        player->SetName(name);
        table_.betting.SetChips(seat, chips);
        table_.betting.DealIn(seat, table_.minBet);
        players_[seat] = std::move(player);
        return *players_[seat];
    }

    // Every seat, null where nobody sits.
    std::vector<Gamespace::PlayerI*> Seats() const
    {
        std::vector<Gamespace::PlayerI*> seats;
        for (const auto& player : players_)
            seats.push_back(player.get());
        return seats;
    }

    double ChipsAtTheTable() const
    {
        double chips = 0.0;
        for (const auto& player : players_)
            chips += player ? player->GetChips() : 0.0;
        return chips;
    }

    // The shown objects of one kind, the top one first.
    template <typename Kind>
    std::vector<Kind*> Shown()
    {
        std::vector<Kind*> shown;
        std::vector<uint32_t> order = Factory().LayerOrder();
        for (auto id = order.rbegin(); id != order.rend(); ++id)
            if (auto* object = dynamic_cast<Kind*>(Factory().FindObject(*id)))
                shown.push_back(object);
        return shown;
    }
    // The shown line of text that reads `text`, if any.
    ControlLibrary::IStringVO* ShownText(const std::string& text)
    {
        for (ControlLibrary::IStringVO* line : Shown<ControlLibrary::IStringVO>()) {
            std::string read;
            line->GetText(read);
            if (read == text)
                return line;
        }
        return nullptr;
    }
    static ControlLibrary::Point Middle(const ControlLibrary::IVisibleObject& object)
    {
        const ControlLibrary::Rect area = object.GetScreenRect();
        return ControlLibrary::Point{area.x + area.w / 2, area.y + area.h / 2};
    }

    testing_support::FakeTable table_;
    std::array<std::unique_ptr<Gamespace::PlayerI>, kSeats> players_;
};
