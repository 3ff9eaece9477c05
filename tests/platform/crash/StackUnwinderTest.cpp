// The stack walker over hand-made unwind tables and a made-up stack: each
// row of rules gives the caller the values the format says, and a table that
// lies in any way (cut short, pointing outside itself, unknown operations,
// loops, numbers past every range) ends the step or the walk, never the
// process. The tables lie in a block of exactly their size, so that a read
// past their end shows under the address checker.
#include "platform/crash/StackUnwinder.h"
#include "tests/platform/crash/EhFrameBuilder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

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

class StackUnwinderTest : public ::testing::Test {
protected:
    StackUnwinderTest() : stack_(64, 0) {}

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
    }
    // The tables as these bytes, in a block of their size.
    void Place(const Bytes& bytes)
    {
        size_ = bytes.size();
        image_ = std::make_unique<uint8_t[]>(size_);
        std::memcpy(image_.get(), bytes.data(), size_);
    }
    // Changes the placed bytes at `at`.
    void Patch(size_t at, const Bytes& bytes) { std::memcpy(image_.get() + at, bytes.data(), bytes.size()); }

    platform::ModuleTables Tables() const { return {image_.get(), image_.get() + size_, image_.get()}; }
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
    std::vector<uint64_t> stack_;
};

// ---- Rows of good tables ----

TEST_F(StackUnwinderTest, APrologueAndEpilogueGiveTheCallerAtEachInstruction)
{
    UseFunction(Code()
                    .Op(DW_CFA_advance_loc + 1) // push rbp
                    .Op(DW_CFA_def_cfa_offset).U(16)
                    .Op(DW_CFA_offset + kFp).U(2)
                    .Op(DW_CFA_advance_loc + 3) // mov rbp, rsp
                    .Op(DW_CFA_def_cfa_register).U(kFp)
                    .Op(DW_CFA_advance_loc1).Fixed(0x30, 1) // pop rbp
                    .Op(DW_CFA_def_cfa).U(kSp).U(8)
                    .Op(DW_CFA_restore + kFp));
    stack_[10] = 0xCA11E4; // the return address at the entry
    stack_[20] = Word(40); // rbp saved by the push
    stack_[21] = 0xCA11E5;
    stack_[32] = Word(50); // rbp saved, the frame pointer since set
    stack_[33] = 0xCA11E6;

    UnwindStep step;
    ASSERT_TRUE(Step(At(Pc(kStart), 10), &step)); // the first instruction
    EXPECT_EQ(step.frameAddress, Word(11));
    EXPECT_EQ(step.caller.value[kPc], 0xCA11E4u);
    EXPECT_EQ(step.caller.value[kSp], Word(11));
    EXPECT_EQ(step.caller.value[kFp], 0x1006u) << "not saved yet: the same";
    EXPECT_FALSE(step.outermost);

    ASSERT_TRUE(Step(At(Pc(kStart + 1), 20), &step));
    EXPECT_EQ(step.frameAddress, Word(22));
    EXPECT_EQ(step.caller.value[kPc], 0xCA11E5u);
    EXPECT_EQ(step.caller.value[kFp], Word(40));

    UnwindRegisters body = At(Pc(kStart + 0x20), 25);
    body.Set(kFp, Word(32));
    ASSERT_TRUE(Step(body, &step));
    EXPECT_EQ(step.frameAddress, Word(34)) << "by the frame pointer, wherever the stack pointer is";
    EXPECT_EQ(step.caller.value[kPc], 0xCA11E6u);
    EXPECT_EQ(step.caller.value[kFp], Word(50));

    ASSERT_TRUE(Step(At(Pc(kStart + 0x34), 10), &step)); // after the pop
    EXPECT_EQ(step.frameAddress, Word(11));
    EXPECT_EQ(step.caller.value[kFp], 0x1006u) << "restored to the CIE's rule";

    // A return address just past the function's end is its call's: looked
    // up a byte before; as an exact pc it is no instruction of the function.
    ASSERT_TRUE(Step(At(Pc(kStart + kRange), 10), &step, false));
    EXPECT_EQ(step.caller.value[kPc], 0xCA11E4u);
    EXPECT_FALSE(Step(At(Pc(kStart + kRange), 10), &step, true));
    EXPECT_FALSE(Step(At(Pc(kStart - 1), 10), &step, true)) << "before the function";
}

TEST_F(StackUnwinderTest, EveryKindOfRuleGivesTheCallerItsValue)
{
    // The frame: the stack pointer plus 32; the return address just below.
    UseFunction(Code()
                    .Op(DW_CFA_nop)
                    .Op(DW_CFA_def_cfa_sf).U(kSp).S(-2)         // sp + 16
                    .Op(DW_CFA_def_cfa_offset_sf).S(-4)         // sp + 32
                    .Op(DW_CFA_offset_extended).U(3).U(2)       // rbx at cfa - 16
                    .Op(DW_CFA_offset_extended_sf).U(12).S(-1)  // r12 at cfa + 8
                    .Op(DW_CFA_GNU_negative_offset_extended).U(13).U(3) // r13 at cfa + 24
                    .Op(DW_CFA_val_offset).U(14).U(1)           // r14 is cfa - 8
                    .Op(DW_CFA_val_offset_sf).U(15).S(-2)       // r15 is cfa + 16
                    .Op(DW_CFA_register).U(8).U(1)              // r8 is in rdx
                    .Op(DW_CFA_undefined).U(9)
                    .Op(DW_CFA_offset + 10).U(5)
                    .Op(DW_CFA_same_value).U(10)
                    .Op(DW_CFA_expression).U(2).Block(Code().Op(Lit(16)).Op(DW_OP_minus).Op(Lit(8)).Op(DW_OP_minus))
                    .Op(DW_CFA_val_expression).U(11).Block(Code().Op(DW_OP_plus_uconst).U(100))
                    .Op(DW_CFA_GNU_args_size).U(16)
                    .Op(DW_CFA_advance_loc2).Fixed(0x10, 2)
                    .Op(DW_CFA_offset_extended).U(3).U(1)      // from kStart + 0x10 on
                    .Op(DW_CFA_advance_loc4).Fixed(0x10, 4)
                    .Op(DW_CFA_offset_extended).U(3).U(3));     // from kStart + 0x20 on
    // sp is word 10, so the frame is word 14.
    stack_[11] = 0xB11; // cfa - 24: rcx by the expression
    stack_[12] = 0xB12; // cfa - 16: rbx
    stack_[13] = 0xCA11;
    stack_[15] = 0xB15; // cfa + 8: r12
    stack_[17] = 0xB17; // cfa + 24: r13
    UnwindStep step;
    ASSERT_TRUE(Step(At(Pc(kStart + 4), 10), &step));
    const UnwindRegisters& c = step.caller;
    EXPECT_EQ(step.frameAddress, Word(14));
    EXPECT_EQ(c.value[kSp], Word(14));
    EXPECT_EQ(c.value[kPc], 0xCA11u);
    EXPECT_EQ(c.value[3], 0xB12u);
    EXPECT_EQ(c.value[12], 0xB15u);
    EXPECT_EQ(c.value[13], 0xB17u);
    EXPECT_EQ(c.value[14], Word(13));
    EXPECT_EQ(c.value[15], Word(16));
    EXPECT_EQ(c.value[8], 0x1001u);
    EXPECT_FALSE(c.Has(9)) << "undefined in the caller";
    EXPECT_EQ(c.value[10], 0x100Au);
    EXPECT_EQ(c.value[2], 0xB11u);
    EXPECT_EQ(c.value[11], Word(14) + 100);

    // The rows further on, reached by the longer advances.
    stack_[13] = 0xB13;
    ASSERT_TRUE(Step(At(Pc(kStart + 0x10), 10), &step));
    EXPECT_EQ(step.caller.value[3], 0xB13u);
    stack_[11] = 0xB21;
    ASSERT_TRUE(Step(At(Pc(kStart + 0x20), 10), &step));
    EXPECT_EQ(step.caller.value[3], 0xB21u);
}

TEST_F(StackUnwinderTest, RememberedAndRestoredStatesComeBackWhole)
{
    UseFunction(Code()
                    .Op(DW_CFA_advance_loc + 1)
                    .Op(DW_CFA_def_cfa_offset).U(16)
                    .Op(DW_CFA_offset + 3).U(2)
                    .Op(DW_CFA_remember_state)
                    .Op(DW_CFA_advance_loc + 1)
                    .Op(DW_CFA_def_cfa_offset).U(24)
                    .Op(DW_CFA_restore_extended).U(3)
                    .Op(DW_CFA_advance_loc + 1)
                    .Op(DW_CFA_restore_state));
    stack_[10] = 0xB0;
    stack_[11] = 0xCA0;
    stack_[12] = 0xCA1;
    UnwindStep step;
    ASSERT_TRUE(Step(At(Pc(kStart + 2), 10), &step));
    EXPECT_EQ(step.frameAddress, Word(13));
    EXPECT_EQ(step.caller.value[kPc], 0xCA1u);
    EXPECT_EQ(step.caller.value[3], 0x1003u) << "back to the CIE's rule";
    ASSERT_TRUE(Step(At(Pc(kStart + 3), 10), &step));
    EXPECT_EQ(step.frameAddress, Word(12));
    EXPECT_EQ(step.caller.value[kPc], 0xCA0u);
    EXPECT_EQ(step.caller.value[3], 0xB0u) << "as remembered";
}

TEST_F(StackUnwinderTest, EntriesOfEveryVersionAndAugmentationAreRead)
{
    EhFrameImage image;
    CieSpec v3 = TypicalCie();
    v3.version = 3;
    v3.augmentation = "zPLRS";
    // Personality: an indirect, pc-relative 4-byte pointer; language data
    // encoding; then the FDEs' encoding.
    v3.augmentationData = {DW_EH_PE_indirect | DW_EH_PE_pcrel | DW_EH_PE_sdata4, 0, 0, 0, 0,
                           DW_EH_PE_pcrel | DW_EH_PE_sdata4, DW_EH_PE_pcrel | DW_EH_PE_sdata4};
    v3.useDefaultAugmentationData = false;
    v3.extendedLength = true;
    CieSpec v4 = TypicalCie();
    v4.version = 4;
    v4.augmentation = "zBR";
    image.AddFde({image.AddCie(v3), 0x100, 0x10, {}});
    image.AddFde({image.AddCie(v4), 0x200, 0x10, {}});
    Use(image.Build());

    stack_[10] = 0xCA11;
    UnwindStep step;
    ASSERT_TRUE(Step(At(Pc(0x100), 10), &step)) << "version 3, 64-bit length, zPLRS";
    EXPECT_TRUE(step.signalFrame);
    EXPECT_EQ(step.caller.value[kPc], 0xCA11u);
    ASSERT_TRUE(Step(At(Pc(0x200), 10), &step)) << "version 4, zBR";
    EXPECT_FALSE(step.signalFrame);
    EXPECT_EQ(step.caller.value[kPc], 0xCA11u);
}

TEST(EhFrameTable, PointersAreReadInEveryEncoding)
{
    struct Case {
        uint8_t encoding;
        Bytes bytes;
        uint64_t expected; // before the base it is relative to
    };
    const Case cases[] = {
        {DW_EH_PE_absptr, Code().Fixed(0x1122334455667788, 8).bytes, 0x1122334455667788},
        {DW_EH_PE_uleb128, Code().U(624485).bytes, 624485},
        {DW_EH_PE_udata2, Code().Fixed(0xFFFE, 2).bytes, 0xFFFE},
        {DW_EH_PE_udata4, Code().Fixed(0xFFFFFFFE, 4).bytes, 0xFFFFFFFE},
        {DW_EH_PE_udata8, Code().Fixed(0x8000000000000001, 8).bytes, 0x8000000000000001},
        {DW_EH_PE_sleb128, Code().S(-123456).bytes, uint64_t(-123456)},
        {DW_EH_PE_sdata2, Code().Fixed(0x8000, 2).bytes, uint64_t(-32768)},
        {DW_EH_PE_sdata4, Code().Fixed(0xFFFFFFFE, 4).bytes, uint64_t(-2)},
        {DW_EH_PE_sdata8, Code().Fixed(0xFFFFFFFFFFFFFFF0, 8).bytes, uint64_t(-16)},
    };
    for (const Case& c : cases) {
        for (uint8_t application : {DW_EH_PE_absptr, DW_EH_PE_pcrel, DW_EH_PE_datarel}) {
            const Bytes bytes = c.bytes; // exactly its size: a longer read shows
            auto block = std::make_unique<uint8_t[]>(bytes.size());
            std::memcpy(block.get(), bytes.data(), bytes.size());
            platform::TableCursor cursor{block.get(), block.get() + bytes.size()};
            const uint64_t value = platform::ReadEncodedPointer(cursor, c.encoding | application, 0x5000);
            const uint64_t base = application == DW_EH_PE_pcrel     ? reinterpret_cast<uint64_t>(block.get())
                                  : application == DW_EH_PE_datarel ? 0x5000
                                                                    : 0;
            EXPECT_TRUE(cursor.ok) << int(c.encoding) << " " << int(application);
            EXPECT_EQ(value, c.expected + base) << int(c.encoding) << " " << int(application);
            EXPECT_EQ(cursor.p, block.get() + bytes.size()) << "the whole field and no more";
        }
    }
    // What cannot be read: an unknown size, an unknown base, a data-relative
    // pointer without its base, and a field cut short.
    const uint8_t eight[8] = {};
    for (uint8_t encoding : {uint8_t(0x05), uint8_t(0x0D), uint8_t(0x20), uint8_t(0x40), uint8_t(0x50)}) {
        platform::TableCursor cursor{eight, eight + 8};
        platform::ReadEncodedPointer(cursor, encoding, 0x5000);
        EXPECT_FALSE(cursor.ok) << int(encoding);
    }
    platform::TableCursor noBase{eight, eight + 8};
    platform::ReadEncodedPointer(noBase, DW_EH_PE_datarel | DW_EH_PE_sdata4, 0);
    EXPECT_FALSE(noBase.ok);
    platform::TableCursor shortField{eight, eight + 3};
    EXPECT_EQ(platform::ReadEncodedPointer(shortField, DW_EH_PE_udata4, 0), 0u);
    EXPECT_FALSE(shortField.ok);
    platform::TableCursor omitted{eight, eight};
    EXPECT_EQ(platform::ReadEncodedPointer(omitted, DW_EH_PE_omit, 0), 0u);
    EXPECT_TRUE(omitted.ok) << "an omitted pointer reads nothing";
}

// ---- Location expressions ----

struct ExpressionCase {
    const char* what;
    Code code;
    uint64_t expected;
};

TEST_F(StackUnwinderTest, ExpressionOperationsComputeAsTheFormatSays)
{
    const int64_t least = INT64_MIN;
    stack_[12] = 0xDEADBEEF;
    const ExpressionCase cases[] = {
        {"lit", Code().Op(DW_OP_lit0 + 5), 5},
        {"lit31", Code().Op(DW_OP_lit31), 31},
        {"addr", Code().Op(DW_OP_addr).Fixed(0x1122334455667788, 8), 0x1122334455667788},
        {"const1u", Code().Op(DW_OP_const1u).Fixed(0xFF, 1), 0xFF},
        {"const1s", Code().Op(DW_OP_const1s).Fixed(0xFF, 1), uint64_t(-1)},
        {"const2u", Code().Op(DW_OP_const2u).Fixed(0x8000, 2), 0x8000},
        {"const2s", Code().Op(DW_OP_const2s).Fixed(0x8000, 2), uint64_t(-32768)},
        {"const4u", Code().Op(DW_OP_const4u).Fixed(0xFFFFFFFF, 4), 0xFFFFFFFF},
        {"const4s", Code().Op(DW_OP_const4s).Fixed(0xFFFFFFFF, 4), uint64_t(-1)},
        {"const8u", Code().Op(DW_OP_const8u).Fixed(0x8000000000000000, 8), 0x8000000000000000},
        {"const8s", Code().Op(DW_OP_const8s).Fixed(uint64_t(-9), 8), uint64_t(-9)},
        {"constu", Code().Op(DW_OP_constu).U(300), 300},
        {"consts", Code().Op(DW_OP_consts).S(-300), uint64_t(-300)},
        {"dup", Code().Op(Lit(5)).Op(DW_OP_dup).Op(DW_OP_mul), 25},
        {"drop", Code().Op(Lit(5)).Op(Lit(6)).Op(DW_OP_drop), 5},
        {"over", Code().Op(Lit(5)).Op(Lit(9)).Op(DW_OP_over).Op(DW_OP_minus), 4},
        {"pick", Code().Op(Lit(1)).Op(Lit(2)).Op(Lit(3)).Op(DW_OP_pick).Fixed(2, 1), 1},
        {"pick 0", Code().Op(Lit(1)).Op(Lit(2)).Op(DW_OP_pick).Fixed(0, 1).Op(DW_OP_plus), 4},
        {"swap", Code().Op(Lit(5)).Op(Lit(7)).Op(DW_OP_swap).Op(DW_OP_minus), 2},
        // 1 2 3 rot: 3 1 2, so 1 - 2 then 3 - (-1).
        {"rot", Code().Op(Lit(1)).Op(Lit(2)).Op(Lit(3)).Op(DW_OP_rot).Op(DW_OP_minus).Op(DW_OP_minus), 4},
        {"abs of negative", Code().Op(DW_OP_consts).S(-7).Op(DW_OP_abs), 7},
        {"abs of positive", Code().Op(Lit(7)).Op(DW_OP_abs), 7},
        {"and", Code().Op(Lit(12)).Op(Lit(10)).Op(DW_OP_and), 8},
        {"div rounds toward 0", Code().Op(DW_OP_consts).S(-7).Op(Lit(2)).Op(DW_OP_div), uint64_t(-3)},
        {"div least by -1 wraps", Code().Op(DW_OP_const8s).Fixed(uint64_t(least), 8).Op(DW_OP_consts).S(-1).Op(DW_OP_div),
         uint64_t(least)},
        {"minus", Code().Op(Lit(10)).Op(Lit(3)).Op(DW_OP_minus), 7},
        {"mod", Code().Op(Lit(10)).Op(Lit(3)).Op(DW_OP_mod), 1},
        {"mul", Code().Op(Lit(6)).Op(Lit(7)).Op(DW_OP_mul), 42},
        {"neg", Code().Op(Lit(5)).Op(DW_OP_neg), uint64_t(-5)},
        {"not", Code().Op(DW_OP_lit0).Op(DW_OP_not), ~uint64_t(0)},
        {"or", Code().Op(Lit(12)).Op(Lit(3)).Op(DW_OP_or), 15},
        {"plus", Code().Op(Lit(12)).Op(Lit(3)).Op(DW_OP_plus), 15},
        {"plus_uconst", Code().Op(Lit(1)).Op(DW_OP_plus_uconst).U(1000), 1001},
        {"shl", Code().Op(Lit(1)).Op(Lit(4)).Op(DW_OP_shl), 16},
        {"shl out", Code().Op(Lit(1)).Op(DW_OP_const1u).Fixed(64, 1).Op(DW_OP_shl), 0},
        {"shr", Code().Op(DW_OP_consts).S(-16).Op(Lit(2)).Op(DW_OP_shr), uint64_t(-16) >> 2},
        {"shr out", Code().Op(DW_OP_consts).S(-16).Op(DW_OP_const1u).Fixed(64, 1).Op(DW_OP_shr), 0},
        {"shra", Code().Op(DW_OP_consts).S(-16).Op(Lit(2)).Op(DW_OP_shra), uint64_t(-4)},
        {"shra out", Code().Op(DW_OP_consts).S(-16).Op(DW_OP_const1u).Fixed(64, 1).Op(DW_OP_shra), uint64_t(-1)},
        {"xor", Code().Op(Lit(12)).Op(Lit(10)).Op(DW_OP_xor), 6},
        {"eq", Code().Op(Lit(3)).Op(Lit(3)).Op(DW_OP_eq), 1},
        {"ne", Code().Op(Lit(3)).Op(Lit(3)).Op(DW_OP_ne), 0},
        {"lt is signed", Code().Op(DW_OP_consts).S(-1).Op(Lit(1)).Op(DW_OP_lt), 1},
        {"le is signed", Code().Op(DW_OP_consts).S(-1).Op(Lit(1)).Op(DW_OP_le), 1},
        {"gt is signed", Code().Op(DW_OP_consts).S(-1).Op(Lit(1)).Op(DW_OP_gt), 0},
        {"ge is signed", Code().Op(DW_OP_consts).S(-1).Op(Lit(1)).Op(DW_OP_ge), 0},
        {"le of equals", Code().Op(Lit(3)).Op(Lit(3)).Op(DW_OP_le), 1},
        {"ge of equals", Code().Op(Lit(3)).Op(Lit(3)).Op(DW_OP_ge), 1},
        {"lt of equals", Code().Op(Lit(3)).Op(Lit(3)).Op(DW_OP_lt), 0},
        {"gt of greater", Code().Op(Lit(4)).Op(Lit(3)).Op(DW_OP_gt), 1},
        {"skip", Code().Op(Lit(1)).Op(DW_OP_skip).Fixed(1, 2).Op(Lit(2)).Op(Lit(3)).Op(DW_OP_plus), 4},
        {"skip to the end", Code().Op(Lit(1)).Op(DW_OP_skip).Fixed(1, 2).Op(Lit(2)), 1},
        {"bra taken", Code().Op(Lit(1)).Op(DW_OP_bra).Fixed(1, 2).Op(Lit(2)).Op(Lit(5)), 5},
        {"bra not taken",
         Code().Op(DW_OP_lit0).Op(DW_OP_bra).Fixed(1, 2).Op(Lit(2)).Op(Lit(5)).Op(DW_OP_plus), 7},
        // A loop that counts 3 down to 0, then leaves 9.
        {"bra back", Code().Op(Lit(3)).Op(Lit(1)).Op(DW_OP_minus).Op(DW_OP_dup).Op(DW_OP_bra).Fixed(uint16_t(-6), 2)
                         .Op(Lit(9)),
         9},
        {"breg", Code().Op(DW_OP_breg0 + kSp).S(8), 0},          // sp + 8, below
        {"bregx", Code().Op(DW_OP_bregx).U(3).S(-4), 0x1003 - 4},
        {"breg15", Code().Op(DW_OP_breg0 + 15).S(1), 0x1010},
        {"deref", Code().Op(DW_OP_breg0 + kSp).S(16).Op(DW_OP_deref), 0xDEADBEEF},
        {"nop", Code().Op(Lit(2)).Op(DW_OP_nop), 2},
        {"the frame address first", Code().Op(DW_OP_nop), 0},  // the cfa, below
    };
    for (const ExpressionCase& c : cases) {
        uint64_t result = 0;
        ASSERT_TRUE(Evaluate(c.code, &result)) << c.what;
        uint64_t expected = c.expected;
        if (std::string(c.what) == "breg")
            expected = Word(11);
        if (std::string(c.what) == "the frame address first")
            expected = Word(11);
        EXPECT_EQ(result, expected) << c.what;
    }
}

TEST_F(StackUnwinderTest, ExpressionsThatCannotBeComputedEndTheStep)
{
    Code full; // with the frame address, as deep as the stack goes
    for (int i = 0; i < 31; ++i)
        full.Op(Lit(1));
    const ExpressionCase cases[] = {
        {"unknown operation", Code().Op(0x18), 0}, // xderef
        {"register, not a location", Code().Op(0x50), 0},
        {"deref_size", Code().Op(DW_OP_lit0).Op(0x94).Fixed(8, 1), 0},
        {"nothing left", Code().Op(DW_OP_drop), 0},
        {"too few values", Code().Op(DW_OP_drop).Op(Lit(1)).Op(DW_OP_plus), 0},
        {"rot of two", Code().Op(Lit(1)).Op(DW_OP_rot), 0},
        {"drop of none", Code().Op(DW_OP_drop).Op(DW_OP_drop), 0},
        {"a literal on a full stack", Code().Raw(full.bytes).Op(Lit(1)), 0},
        {"a constant on a full stack", Code().Raw(full.bytes).Op(DW_OP_const1u).Fixed(1, 1), 0},
        {"a dup on a full stack", Code().Raw(full.bytes).Op(DW_OP_dup), 0},
        {"a breg on a full stack", Code().Raw(full.bytes).Op(DW_OP_breg0 + kSp).S(0), 0},
        {"pick past the bottom", Code().Op(Lit(1)).Op(DW_OP_pick).Fixed(2, 1), 0},
        {"div by 0", Code().Op(Lit(1)).Op(DW_OP_lit0).Op(DW_OP_div), 0},
        {"mod by 0", Code().Op(Lit(1)).Op(DW_OP_lit0).Op(DW_OP_mod), 0},
        {"skip before the start", Code().Op(DW_OP_skip).Fixed(uint16_t(-4), 2), 0},
        {"skip past the end", Code().Op(DW_OP_skip).Fixed(1, 2), 0},
        {"bra past the end", Code().Op(Lit(1)).Op(DW_OP_bra).Fixed(1, 2), 0},
        {"a loop for ever", Code().Op(DW_OP_skip).Fixed(uint16_t(-3), 2), 0},
        {"deref below the stack", Code().Op(Lit(8)).Op(DW_OP_deref), 0},
        {"breg of an untracked register", Code().Op(DW_OP_breg31).S(0), 0},
        {"bregx past every register", Code().Op(DW_OP_bregx).U(1u << 20).S(0), 0},
        {"an operand cut short", Code().Op(DW_OP_const4u).Fixed(1, 2), 0},
        {"a LEB128 cut short", Code().Op(DW_OP_constu).Op(0x80), 0},
    };
    uint64_t top = 0;
    EXPECT_TRUE(Evaluate(full, &top)) << "as deep as it goes";
    for (const ExpressionCase& c : cases) {
        uint64_t result = 0;
        EXPECT_FALSE(Evaluate(c.code, &result)) << c.what << " gave " << result;
    }
    // A register the table follows but the thread's registers lack.
    UseFunction(Code().Op(DW_CFA_val_expression).U(3).Block(Code().Op(DW_OP_breg0 + 9).S(0)));
    UnwindRegisters regs = At(Pc(kStart), 10);
    regs.known &= ~(1u << 9);
    UnwindStep step;
    EXPECT_FALSE(Step(regs, &step));
}

TEST_F(StackUnwinderTest, TheFrameAddressMayBeAnExpression)
{
    UseFunction(Code()
                    .Op(DW_CFA_def_cfa_expression)
                    .Block(Code().Op(DW_OP_breg0 + kSp).S(24))
                    .Op(DW_CFA_expression)
                    .U(kPc)
                    .Block(Code().Op(Lit(8)).Op(DW_OP_minus)));
    stack_[12] = 0xCA11;
    UnwindStep step;
    ASSERT_TRUE(Step(At(Pc(kStart), 10), &step));
    EXPECT_EQ(step.frameAddress, Word(13));
    EXPECT_EQ(step.caller.value[kPc], 0xCA11u);

    // One that cannot be computed ends the step; so does one cut short.
    UseFunction(Code().Op(DW_CFA_def_cfa_expression).Block(Code().Op(DW_OP_drop)));
    EXPECT_FALSE(StepsAt(kStart));
    UseFunction(Code().Op(DW_CFA_def_cfa_expression).U(40).Op(Lit(1)));
    EXPECT_FALSE(StepsAt(kStart));
    UseFunction(Code().Op(DW_CFA_expression).U(3).U(40).Op(Lit(1)));
    EXPECT_FALSE(StepsAt(kStart));
}

// ---- Tables that lie ----

TEST_F(StackUnwinderTest, BrokenEntriesEndTheStep)
{
    const Code body = Code().Op(DW_CFA_def_cfa_offset).U(16);
    UseFunction(body);
    ASSERT_TRUE(StepsAt(kStart)) << "the table as made";
    const size_t cie = built_.cies[0];
    const size_t fde = built_.fdes[0];
    // The typical CIE: length, id, version, "zR", code and data alignment,
    // return register, augmentation length, then the FDEs' encoding.
    const size_t augmentationLength = cie + 15;
    struct Damage {
        const char* what;
        size_t at;
        Bytes bytes;
    };
    const Damage damages[] = {
        {"a CIE longer than the tables", cie, Code().Fixed(0x7FFFFFF0, 4).bytes},
        {"a CIE of length 0", cie, Code().Fixed(0, 4).bytes},
        {"a CIE's 64-bit length past the end", cie, Code().Fixed(kExtendedLength, 4).bytes},
        {"an FDE longer than the tables", fde, Code().Fixed(0x7FFFFFF0, 4).bytes},
        {"an FDE of length 0", fde, Code().Fixed(0, 4).bytes},
        {"an FDE cut inside its addresses", fde, Code().Fixed(6, 4).bytes},
        {"an FDE whose CIE pointer says it is a CIE", fde + 4, Code().Fixed(0, 4).bytes},
        {"a CIE pointer before the tables", fde + 4, Code().Fixed(fde + 5, 4).bytes},
        {"a CIE pointer at an FDE", fde + 4, Code().Fixed(4, 4).bytes},
        {"a CIE of version 2", cie + 8, {2}},
        {"an augmentation of unknown length", cie + 9, {'e'}},
        {"augmentation data past the end", augmentationLength, {0x7F}},
        {"an unknown pointer encoding", augmentationLength + 1, {0x05}},
        {"data-relative addresses without a base", augmentationLength + 1, {DW_EH_PE_datarel | DW_EH_PE_sdata4}},
        {"FDE augmentation data past its end", fde + 16, {0x7F}},
    };
    for (const Damage& d : damages) {
        UseFunction(body);
        Patch(d.at, d.bytes);
        EXPECT_FALSE(StepsAt(kStart)) << d.what;
    }

    // Built so from the start: an augmentation without end, an instruction
    // cut short by its entry's end.
    EhFrameImage image;
    CieSpec longName = TypicalCie();
    longName.augmentation = "zRRRRRRRRRRRRRRR";
    image.AddFde({image.AddCie(longName), kStart, kRange, {}});
    Use(image.Build());
    EXPECT_FALSE(StepsAt(kStart)) << "an augmentation string too long";
    UseFunction(Code().Op(DW_CFA_def_cfa).U(kSp));
    EXPECT_FALSE(StepsAt(kStart)) << "an instruction cut short";
    UseFunction(Code().Op(DW_CFA_def_cfa_offset).Op(0x80));
    EXPECT_FALSE(StepsAt(kStart)) << "a LEB128 cut short";
}

TEST_F(StackUnwinderTest, ASearchTableThatLiesFindsNothing)
{
    const Code body = Code().Op(DW_CFA_nop);
    UseFunction(body);
    ASSERT_TRUE(StepsAt(kStart));
    // The search table: version, three encodings, the pointer to .eh_frame,
    // the count, then the rows (function start, FDE).
    struct Damage {
        const char* what;
        size_t at;
        Bytes bytes;
    };
    const Damage damages[] = {
        {"version 2", 0, {2}},
        {"rows of another encoding", 3, {DW_EH_PE_udata4}},
        {"no count", 2, {DW_EH_PE_omit}},
        {"a count of 0", 8, Code().Fixed(0, 4).bytes},
        {"more rows than the tables hold", 8, Code().Fixed(1000, 4).bytes},
        {"a count cut short", 2, {DW_EH_PE_udata8}},
        {"a row's FDE past the tables", 16, Code().Fixed(0x10000, 4).bytes},
        {"a row's FDE before them", 16, Code().Fixed(uint32_t(-16), 4).bytes},
        {"a row's FDE that is not the function's", 16, Code().Fixed(built_.cies[0], 4).bytes},
        {"a row for a later function", 12, Code().Fixed(kStart + 1, 4).bytes},
    };
    for (const Damage& d : damages) {
        UseFunction(body);
        Patch(d.at, d.bytes);
        EXPECT_FALSE(StepsAt(kStart)) << d.what;
    }
    UnwindStep step;
    platform::ModuleTables none = Tables();
    none.searchTable = nullptr;
    EXPECT_FALSE(platform::StepByTables(none, At(Pc(kStart), 8), true, Stack(), &step)) << "no search table";
    platform::ModuleTables outside = Tables();
    outside.low = outside.searchTable + 1;
    EXPECT_FALSE(platform::StepByTables(outside, At(Pc(kStart), 8), true, Stack(), &step)) << "one outside";

    // A count so large that its rows' size wraps round to a few bytes.
    Bytes table = Code()
                      .Op(kSearchTableVersion)
                      .Op(DW_EH_PE_pcrel | DW_EH_PE_sdata4)
                      .Op(DW_EH_PE_udata8)
                      .Op(DW_EH_PE_datarel | DW_EH_PE_sdata4)
                      .Fixed(0, 4)
                      .Fixed(0x2000000000000001, 8)
                      .Fixed(0, 8)
                      .bytes;
    Place(table);
    EXPECT_FALSE(StepsAt(0));
}

TEST_F(StackUnwinderTest, UnknownInstructionsAndUnbalancedStatesEndTheStep)
{
    for (uint8_t op : {uint8_t(0x17), uint8_t(0x2D), uint8_t(0x30), uint8_t(0x3F)}) {
        UseFunction(Code().Op(op));
        EXPECT_FALSE(StepsAt(kStart)) << int(op);
        // Only the rows up to the pc are read.
        UseFunction(Code().Op(DW_CFA_advance_loc + 1).Op(op));
        EXPECT_TRUE(StepsAt(kStart)) << int(op);
    }
    UseFunction(Code().Op(DW_CFA_restore_state));
    EXPECT_FALSE(StepsAt(kStart)) << "a state restored that was never remembered";
    Code eight;
    for (int i = 0; i < 8; ++i)
        eight.Op(DW_CFA_remember_state);
    UseFunction(eight);
    EXPECT_TRUE(StepsAt(kStart)) << "eight states remembered";
    UseFunction(Code().Raw(eight.bytes).Op(DW_CFA_remember_state));
    EXPECT_FALSE(StepsAt(kStart)) << "a ninth";
    // A CIE of its own with an unknown instruction.
    EhFrameImage image;
    CieSpec broken = TypicalCie();
    broken.instructions.push_back(0x2D);
    image.AddFde({image.AddCie(broken), kStart, kRange, {}});
    Use(image.Build());
    EXPECT_FALSE(StepsAt(kStart));
}

TEST_F(StackUnwinderTest, NumbersPastEveryRangeWrapOrAreRefused)
{
    stack_[10] = 0xCA11;
    // A LEB128 of many bytes: 16 written long is 16.
    UseFunction(Code().Op(DW_CFA_def_cfa_offset).Raw({0x90, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80,
                                                       0x80, 0x80, 0x80, 0x00}));
    UnwindStep step;
    ASSERT_TRUE(Step(At(Pc(kStart), 9), &step));
    EXPECT_EQ(step.frameAddress, Word(11));
    // Bits past the 64th are dropped: all ones, the frame a byte below sp.
    UseFunction(Code().Op(DW_CFA_def_cfa_offset).Raw(Bytes(12, 0xFF)).Op(0x7F));
    ASSERT_TRUE(Step(At(Pc(kStart), 10), &step));
    EXPECT_EQ(step.frameAddress, Word(10) - 1);
    // Factored offsets that overflow wrap round (and then point nowhere).
    const Code wrapping[] = {
        Code().Op(DW_CFA_def_cfa_sf).U(kSp).S(INT64_MIN / 4),
        Code().Op(DW_CFA_def_cfa_offset_sf).S(INT64_MAX / 4),
        Code().Op(DW_CFA_offset_extended_sf).U(3).S(INT64_MIN / 2),
        Code().Op(DW_CFA_val_offset_sf).U(3).S(INT64_MIN / 2).Op(DW_CFA_offset + 16).U(uint64_t(1) << 62),
        Code().Op(DW_CFA_GNU_negative_offset_extended).U(3).U(uint64_t(1) << 62),
        Code().Op(DW_CFA_offset + 3).U(~uint64_t(0)),
        Code().Op(DW_CFA_val_offset).U(16).U(~uint64_t(0)),
    };
    for (const Code& code : wrapping) {
        UseFunction(code);
        StepsAt(kStart);
    }

    // Registers: the frame's by one the walk does not follow is refused, a
    // rule for one is left out.
    UseFunction(Code().Op(DW_CFA_def_cfa).U(UnwindRegisters::kCount).U(8));
    EXPECT_FALSE(StepsAt(kStart));
    UseFunction(Code().Op(DW_CFA_def_cfa_register).U(200));
    EXPECT_FALSE(StepsAt(kStart));
    UseFunction(Code().Op(DW_CFA_register).U(3).U(99));
    EXPECT_FALSE(StepsAt(kStart)) << "a value from a register the walk does not follow";
    UseFunction(Code().Op(DW_CFA_register).U(3).U(uint64_t(1) << 63));
    EXPECT_FALSE(StepsAt(kStart)) << "one that reads as a negative number";
    UseFunction(Code()
                    .Op(DW_CFA_offset_extended).U(UnwindRegisters::kCount).U(1)
                    .Op(DW_CFA_offset_extended).U(uint64_t(1) << 40).U(1)
                    .Op(DW_CFA_undefined).U(1000)
                    .Op(DW_CFA_restore_extended).U(1000)
                    .Op(DW_CFA_expression).U(1000).Block(Code().Op(0xFF)));
    ASSERT_TRUE(Step(At(Pc(kStart), 10), &step)) << "rules for registers the walk does not follow";
    EXPECT_EQ(step.caller.value[kPc], 0xCA11u);
    UseFunction(Code().Op(DW_CFA_register).U(3).U(4));
    ASSERT_TRUE(Step(At(Pc(kStart), 10), &step));
    EXPECT_EQ(step.caller.value[3], 0x1004u);
    UnwindRegisters lacking = At(Pc(kStart), 10);
    lacking.known &= ~(1u << 4);
    EXPECT_FALSE(Step(lacking, &step)) << "a value from a register the thread lacks";

    // The return address in a column the walk does not follow, or in one
    // that holds nothing.
    for (uint64_t column : {uint64_t(UnwindRegisters::kCount), uint64_t(99)}) {
        EhFrameImage image;
        CieSpec cie = TypicalCie();
        cie.returnRegister = column;
        image.AddFde({image.AddCie(cie), kStart, kRange, {}});
        Use(image.Build());
        EXPECT_FALSE(StepsAt(kStart)) << column;
    }
    UseFunction(Code().Op(DW_CFA_undefined).U(3));
    EhFrameImage image;
    CieSpec rbx = TypicalCie();
    rbx.returnRegister = 3;
    rbx.instructions = Code().Op(DW_CFA_def_cfa).U(kSp).U(8).Op(DW_CFA_offset + 3).U(1).bytes;
    image.AddFde({image.AddCie(rbx), kStart, kRange, {}});
    image.AddFde({0, kStart + kRange, kRange, Code().Op(DW_CFA_same_value).U(3).bytes});
    Use(image.Build());
    ASSERT_TRUE(Step(At(Pc(kStart), 10), &step));
    EXPECT_EQ(step.caller.value[kPc], 0xCA11u) << "the return address by its own column";
    UnwindRegisters noRbx = At(Pc(kStart + kRange), 10);
    noRbx.known &= ~(1u << 3);
    EXPECT_FALSE(Step(noRbx, &step)) << "a return address the thread lacks";
}

TEST_F(StackUnwinderTest, SavedValuesAreReadOnlyFromTheStack)
{
    UseFunction(Code());
    const size_t last = stack_.size() - 1;
    stack_[last] = 0xCA11;
    stack_[0] = 0xCA12;
    UnwindStep step;
    ASSERT_TRUE(Step(At(Pc(kStart), last), &step)) << "the stack's last word";
    EXPECT_EQ(step.caller.value[kPc], 0xCA11u);
    UnwindRegisters past = At(Pc(kStart), last);
    past.Set(kSp, Word(last) + 1);
    EXPECT_FALSE(Step(past, &step)) << "a word that runs past the stack's end";
    ASSERT_TRUE(Step(At(Pc(kStart), 0), &step)) << "the stack's first word";
    EXPECT_EQ(step.caller.value[kPc], 0xCA12u);
    UnwindRegisters below = At(Pc(kStart), 0);
    below.Set(kSp, Word(0) - 1);
    EXPECT_FALSE(Step(below, &step)) << "a word that begins below the stack";
    platform::StackRange tiny{Word(0), Word(0) + 7};
    EXPECT_FALSE(platform::StepByTables(Tables(), At(Pc(kStart), 0), true, tiny, &step)) << "a stack of 7 bytes";
}

TEST_F(StackUnwinderTest, TheEntryPointsTableSaysItHasNoCaller)
{
    UseFunction(Code().Op(DW_CFA_undefined).U(kPc));
    UnwindStep step;
    ASSERT_TRUE(Step(At(Pc(kStart), 10), &step));
    EXPECT_TRUE(step.outermost);
}

// ---- Walks ----

class StackWalkTest : public StackUnwinderTest {
protected:
    // Three functions: the innermost with no frame yet, one with 16 bytes
    // of frame after its first instruction, and the entry point.
    void UseThreeFunctions()
    {
        EhFrameImage image;
        const size_t cie = image.AddCie(TypicalCie());
        image.AddFde({cie, 0x100, 0x40, {}});
        image.AddFde({cie, 0x200, 0x40, Code().Op(DW_CFA_advance_loc + 1).Op(DW_CFA_def_cfa_offset).U(16).bytes});
        image.AddFde({cie, 0x300, 0x40, Code().Op(DW_CFA_undefined).U(kPc).bytes});
        Use(image.Build());
    }

    // Code lies in the first 4 KB from the tables on; a module of its own
    // without tables in the 4 KB after that; nothing else is code.
    static bool FindModule(uint64_t pc, platform::ModuleTables* tables, void* context)
    {
        auto* self = static_cast<StackWalkTest*>(context);
        const uint64_t base = self->Pc(0);
        if (pc < base || pc >= base + 0x2000)
            return false;
        *tables = self->Tables();
        if (pc >= base + 0x1000)
            tables->searchTable = nullptr;
        return true;
    }

    std::vector<platform::FaultFrame> Walk(const UnwindRegisters& start, size_t maxFrames = 16)
    {
        platform::UnwindSource source;
        source.findModule = FindModule;
        source.context = this;
        source.stack = Stack();
        std::vector<platform::FaultFrame> frames(maxFrames);
        frames.resize(platform::UnwindStack(source, start, frames.data(), frames.size()));
        return frames;
    }
};

MATCHER_P2(FrameIs, pc, frame, "")
{
    return arg.pc == pc && arg.frame == frame;
}

TEST_F(StackWalkTest, TheWalkFollowsTheTablesOutToTheEntryPoint)
{
    UseThreeFunctions();
    stack_[10] = Pc(0x210); // the middle function's return address
    stack_[12] = Pc(0x320);
    const auto frames = Walk(At(Pc(0x100), 10));
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_THAT(frames[0], FrameIs(Pc(0x100), Word(11)));
    EXPECT_THAT(frames[1], FrameIs(Pc(0x210), Word(13)));
    EXPECT_THAT(frames[2], FrameIs(Pc(0x320), Word(14)));
    EXPECT_EQ(Walk(At(Pc(0x100), 10), 2).size(), 2u) << "no more than asked for";
    EXPECT_TRUE(Walk(UnwindRegisters{}).empty()) << "no pc, no frame";
    EXPECT_TRUE(Walk(At(Pc(0x100), 10), 0).empty());
}

TEST_F(StackWalkTest, WithoutTablesTheFramePointersLeadUntilTheStackGoesWrong)
{
    UseThreeFunctions();
    // A call through a bad pointer: its return address on top of the stack.
    stack_[10] = 0x7001;
    // Then the frame-pointer chain: saved rbp, return address.
    stack_[20] = Word(30);
    stack_[21] = Pc(0x1010); // in the module without tables
    stack_[30] = Word(5);    // a chain that turns back down the stack
    stack_[31] = 0x7003;
    UnwindRegisters start = At(0x42, 10);
    start.Set(kFp, Word(20));
    const auto frames = Walk(start);
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_THAT(frames[0], FrameIs(0x42u, Word(11)));
    EXPECT_THAT(frames[1], FrameIs(0x7001u, Word(22)));
    EXPECT_THAT(frames[2], FrameIs(Pc(0x1010), Word(32)));
    EXPECT_THAT(frames[3], FrameIs(0x7003u, 0u)) << "a frame that cannot be stepped over is the last";

    // In code without tables, the innermost frame goes by its frame pointer
    // too: the top of the stack is no return address there.
    UnwindRegisters inCode = At(Pc(0x1000), 10);
    inCode.Set(kFp, Word(30));
    stack_[30] = 0;
    const auto fromCode = Walk(inCode);
    ASSERT_EQ(fromCode.size(), 2u);
    EXPECT_THAT(fromCode[1], FrameIs(0x7003u, 0u));
    UnwindRegisters noFp = inCode;
    noFp.known &= ~(1u << kFp);
    EXPECT_EQ(Walk(noFp).size(), 1u);
}

TEST_F(StackWalkTest, AStackThatDoesNotGrowOutwardEndsTheWalk)
{
    // A frame whose caller's stack pointer is its own: a loop.
    UseFunction(Code().Op(DW_CFA_def_cfa).U(kSp).U(0).Op(DW_CFA_offset + kPc).U(0));
    stack_[10] = Pc(kStart);
    const auto frames = Walk(At(Pc(kStart), 10));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_THAT(frames[0], FrameIs(Pc(kStart), Word(10)));
    // A caller at address 0 is no caller.
    UseFunction(Code());
    stack_[10] = 0;
    EXPECT_EQ(Walk(At(Pc(kStart), 10)).size(), 1u);
    // A signal frame's caller stands at its exact pc.
    EhFrameImage image;
    CieSpec signal = TypicalCie();
    signal.augmentation = "zRS";
    image.AddFde({image.AddCie(signal), kStart, kRange, {}});
    image.AddFde({0, kStart + kRange, kRange, Code().Op(DW_CFA_undefined).U(kPc).bytes});
    Use(image.Build());
    stack_[10] = Pc(kStart + kRange); // exact: the next function's first byte
    EXPECT_EQ(Walk(At(Pc(kStart), 10)).size(), 2u);
}

} // namespace
