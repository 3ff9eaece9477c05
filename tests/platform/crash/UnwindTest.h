// What the stack walker's tests share: hand-made tables placed in a block of
// exactly their size (so that a read past their end shows under the address
// checker), a made-up stack of words, and registers that stand in them.
#pragma once

#include "platform/crash/StackUnwinder.h"
#include "tests/platform/crash/EhFrameBuilder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace unwind_test {

using namespace eh_frame_builder;
using platform::UnwindRegisters;
using platform::UnwindStep;

constexpr int kSp = UnwindRegisters::kStackPointer;
constexpr int kFp = UnwindRegisters::kFramePointer;
constexpr int kPc = UnwindRegisters::kProgramCounter;

// DW_OP_lit0 to DW_OP_lit31 push their own number.
constexpr uint8_t Lit(int n) { return uint8_t(DW_OP_lit0 + n); }

// A function of the tables: where it starts and how long it is.
constexpr uint32_t kStart = 0x100;
constexpr uint32_t kRange = 0x40;

class UnwindTest : public ::testing::Test {
protected:
    UnwindTest() : stack_(64, 0) {}

    // Tables of one typical CIE and one FDE at kStart with these instructions.
    void UseFunction(const Code& instructions)
    {
        EhFrameImage image;
        const size_t cie = image.AddCie(TypicalCie());
        image.AddFde({cie, kStart, kRange, instructions.bytes});
        Use(image.Build());
    }
    void Use(const Built& built)
    {
        built_ = built;
        Place(built.bytes);
        searchTableAt_ = built.searchTable;
    }
    // The tables as these bytes, in a block of their size.
    void Place(const Bytes& bytes)
    {
        size_ = bytes.size();
        searchTableAt_ = 0;
        image_ = std::make_unique<uint8_t[]>(size_);
        std::memcpy(image_.get(), bytes.data(), size_);
    }
    // Changes the placed bytes at `at`.
    void Patch(size_t at, const Bytes& bytes) { std::memcpy(image_.get() + at, bytes.data(), bytes.size()); }

    platform::ModuleTables Tables() const { return {image_.get(), image_.get() + size_, image_.get() + searchTableAt_}; }
    uint64_t Pc(uint64_t offset) const { return reinterpret_cast<uint64_t>(image_.get()) + offset; }
    uint64_t Word(size_t index) const { return reinterpret_cast<uint64_t>(stack_.data() + index); }
    platform::StackRange Stack() const { return {Word(0), Word(stack_.size())}; }

    // Registers at `pc` with the stack pointer at stack word `spWord`; every
    // general register known, with a value of its own.
    UnwindRegisters At(uint64_t pc, size_t spWord) const
    {
        UnwindRegisters regs;
        for (int r = 0; r < kPc; ++r)
            regs.Set(r, 0x1000 + uint64_t(r));
        regs.Set(kSp, Word(spWord));
        regs.Set(kPc, pc);
        return regs;
    }
    bool Step(const UnwindRegisters& regs, UnwindStep* step, bool exactPc = true) const
    {
        return platform::StepByTables(Tables(), regs, exactPc, Stack(), step);
    }
    bool StepsAt(uint64_t pcOffset)
    {
        UnwindStep step;
        return Step(At(Pc(pcOffset), 8), &step);
    }

    // The value of an expression, as the caller's rbx by a value-expression
    // rule at the function's start (the frame address pushed first, with sp
    // at word 10 the frame is word 11).
    bool Evaluate(const Code& expression, uint64_t* result)
    {
        UseFunction(Code().Op(DW_CFA_val_expression).U(3).Block(expression));
        UnwindStep step;
        if (!Step(At(Pc(kStart), 10), &step))
            return false;
        *result = step.caller.value[3];
        return true;
    }

    Built built_;
    std::unique_ptr<uint8_t[]> image_;
    size_t size_ = 0;
    size_t searchTableAt_ = 0;
    std::vector<uint64_t> stack_;
};

// A change made to good tables, and what it stands for.
struct Damage {
    const char* what;
    size_t at;
    Bytes bytes;
};

} // namespace unwind_test
