// The stack walker over hand-made unwind tables and a made-up stack: each
// row of rules gives the caller the values the format says; instructions and
// expressions it does not know, loops, numbers past every range and saved
// values outside the stack end the step or the walk, never the process; and
// walks go outward by the tables, by frame pointers where there are none,
// and stop where the stack goes wrong.
#include "platform/crash/StackUnwinder.h"
#include "tests/platform/crash/UnwindTest.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

using namespace unwind_test;

class StackUnwinderTest : public UnwindTest {};

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

TEST_F(StackUnwinderTest, AddressesSetOrAdvancedByFourBytesPlaceTheRows)
{
    // DW_CFA_set_loc in the CIE's encoding (relative to its own field):
    // written once the place of that field is known.
    UseFunction(Code().Op(DW_CFA_set_loc).Fixed(0, 4).Op(DW_CFA_def_cfa_offset).U(16));
    const size_t field = built_.fdes[0] + 18; // length, CIE pointer, addresses, augmentation, opcode
    Patch(field, Code().Fixed(uint32_t(int64_t(kStart + 0x20) - int64_t(field)), 4).bytes);
    UnwindStep step;
    ASSERT_TRUE(Step(At(Pc(kStart + 0x1F), 10), &step));
    EXPECT_EQ(step.frameAddress, Word(11));
    ASSERT_TRUE(Step(At(Pc(kStart + 0x20), 10), &step));
    EXPECT_EQ(step.frameAddress, Word(12));

    // An advance of four bytes whose every byte counts.
    EhFrameImage image;
    image.AddFde({image.AddCie(TypicalCie()), kStart, 0x02000000,
                  Code().Op(DW_CFA_advance_loc4).Fixed(0x01000000, 4).Op(DW_CFA_def_cfa_offset).U(16).bytes});
    Use(image.Build());
    ASSERT_TRUE(Step(At(Pc(kStart + 0x00FFFFFF), 10), &step));
    EXPECT_EQ(step.frameAddress, Word(11));
    ASSERT_TRUE(Step(At(Pc(kStart + 0x01000000), 10), &step));
    EXPECT_EQ(step.frameAddress, Word(12));
}

TEST_F(StackUnwinderTest, AdvancesCountInTheCodeAlignmentOfTheCIE)
{
    // (An advance in the CIE's own instructions counts as well.)
    EhFrameImage inCie;
    CieSpec advancing = TypicalCie();
    advancing.instructions = Code().Raw(advancing.instructions).Op(DW_CFA_advance_loc + 1).Op(DW_CFA_def_cfa_offset).U(24).bytes;
    inCie.AddFde({inCie.AddCie(advancing), kStart, kRange, {}});
    Use(inCie.Build());
    UnwindStep first;
    ASSERT_TRUE(Step(At(Pc(kStart), 10), &first));
    EXPECT_EQ(first.frameAddress, Word(11));
    ASSERT_TRUE(Step(At(Pc(kStart + 1), 10), &first));
    EXPECT_EQ(first.frameAddress, Word(13));

    EhFrameImage image;
    CieSpec cie = TypicalCie();
    cie.codeAlign = 4;
    image.AddFde({image.AddCie(cie), kStart, kRange, Code().Op(DW_CFA_advance_loc + 1).Op(DW_CFA_def_cfa_offset).U(16).bytes});
    Use(image.Build());
    UnwindStep step;
    ASSERT_TRUE(Step(At(Pc(kStart + 3), 10), &step));
    EXPECT_EQ(step.frameAddress, Word(11)) << "three bytes in: the first row still";
    ASSERT_TRUE(Step(At(Pc(kStart + 4), 10), &step));
    EXPECT_EQ(step.frameAddress, Word(12));
}

// ---- Location expressions ----

struct ExpressionCase {
    const char* what;
    Code code;
    uint64_t expected;
    bool aboveTheStackPointer = false; // expected is an offset from sp (word 10)
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
        // 1 2 3 rot: 3 1 2, so 1 - 2 then 3 - (-1); on a stack of just those.
        {"rot", Code().Op(DW_OP_drop).Op(Lit(1)).Op(Lit(2)).Op(Lit(3)).Op(DW_OP_rot).Op(DW_OP_minus).Op(DW_OP_minus), 4},
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
        {"shl 63", Code().Op(Lit(1)).Op(DW_OP_const1u).Fixed(63, 1).Op(DW_OP_shl), uint64_t(1) << 63},
        {"shl out", Code().Op(Lit(1)).Op(DW_OP_const1u).Fixed(64, 1).Op(DW_OP_shl), 0},
        {"shr", Code().Op(DW_OP_consts).S(-16).Op(Lit(2)).Op(DW_OP_shr), uint64_t(-16) >> 2},
        {"shr 63", Code().Op(DW_OP_consts).S(-16).Op(DW_OP_const1u).Fixed(63, 1).Op(DW_OP_shr), 1},
        {"shr out", Code().Op(DW_OP_consts).S(-16).Op(DW_OP_const1u).Fixed(64, 1).Op(DW_OP_shr), 0},
        {"shra", Code().Op(DW_OP_consts).S(-16).Op(Lit(2)).Op(DW_OP_shra), uint64_t(-4)},
        {"shra 63", Code().Op(DW_OP_const8u).Fixed(uint64_t(1) << 62, 8).Op(DW_OP_const1u).Fixed(63, 1).Op(DW_OP_shra), 0},
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
        {"breg", Code().Op(DW_OP_breg0 + kSp).S(8), 8, true},
        {"bregx", Code().Op(DW_OP_bregx).U(3).S(-4), 0x1003 - 4},
        {"breg15", Code().Op(DW_OP_breg0 + 15).S(1), 0x1010},
        {"deref", Code().Op(DW_OP_breg0 + kSp).S(16).Op(DW_OP_deref), 0xDEADBEEF},
        {"nop", Code().Op(Lit(2)).Op(DW_OP_nop), 2},
        {"the frame address first", Code().Op(DW_OP_nop), 8, true},
        // Counts up from the frame address to sp + 10, jumping back to the
        // very first operation.
        {"bra back to the start",
         Code().Op(Lit(1)).Op(DW_OP_plus).Op(DW_OP_dup).Op(DW_OP_breg0 + kSp).S(10).Op(DW_OP_ne).Op(DW_OP_bra).Fixed(uint16_t(-9), 2),
         10, true},
    };
    for (const ExpressionCase& c : cases) {
        uint64_t result = 0;
        ASSERT_TRUE(Evaluate(c.code, &result)) << c.what;
        EXPECT_EQ(result, c.aboveTheStackPointer ? Word(10) + c.expected : c.expected) << c.what;
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
    // An expression runs at most 256 operations.
    Code longest;
    for (int i = 0; i < 256; ++i)
        longest.Op(DW_OP_nop);
    EXPECT_TRUE(Evaluate(longest, &top));
    EXPECT_FALSE(Evaluate(longest.Op(DW_OP_nop), &top)) << "a 257th";
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
    UseFunction(Code().Op(DW_CFA_register).U(3).U(4).Op(DW_CFA_register).U(5).U(0));
    ASSERT_TRUE(Step(At(Pc(kStart), 10), &step));
    EXPECT_EQ(step.caller.value[3], 0x1004u);
    EXPECT_EQ(step.caller.value[5], 0x1000u) << "from the register numbered 0";
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

// ---- This process ----

#if defined(__x86_64__)
// A function whose table is known: its frame is 8 bytes above rbx, the
// return address just below it, whatever the stack pointer.
extern "C" void pellucor_unwind_probe();
asm(".text\n"
    ".globl pellucor_unwind_probe\n"
    ".type pellucor_unwind_probe, @function\n"
    "pellucor_unwind_probe:\n"
    ".cfi_startproc\n"
    ".cfi_def_cfa %rbx, 8\n"
    "  nop\n"
    "  ret\n"
    ".cfi_endproc\n"
    ".size pellucor_unwind_probe, .-pellucor_unwind_probe\n");

TEST(StackWalkOfThisProcess, AStackThatRanOutIsReadFromTheMappingAboveItsPointer)
{
    // A stack of two pages with nothing mapped for the kernel's guard gap
    // (1 MB) below it, and a page of something else right below the gap;
    // the stack pointer run out into that gap, the frame (by rbx) in the
    // stack.
    constexpr uint64_t kGap = 1024 * 1024;
    const size_t page = size_t(::sysconf(_SC_PAGESIZE));
    auto* block = static_cast<uint8_t*>(
        ::mmap(nullptr, kGap + 3 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(block, MAP_FAILED);
    ::munmap(block + page, kGap);
    uint8_t* stack = block + kGap + page;
    const auto top = reinterpret_cast<uint64_t>(stack);
    const uint64_t returnAddress = 0x10;
    std::memcpy(stack, &returnAddress, 8);
    auto walkFrom = [&](uint64_t sp, platform::FaultFrame* frames) {
        UnwindRegisters regs;
        regs.Set(kPc, reinterpret_cast<uint64_t>(&pellucor_unwind_probe));
        regs.Set(3, top); // rbx
        regs.Set(kSp, sp);
        regs.Set(kFp, 0);
        return platform::UnwindStack(regs, frames, 4);
    };
    platform::FaultFrame frames[4];
    const size_t justBelow = walkFrom(top - 8, frames);
    const platform::FaultFrame first = frames[0], second = frames[1];
    const size_t gapDeep = walkFrom(top - kGap, frames);
    const size_t pastTheGap = walkFrom(top - kGap - 1, frames);
    ::munmap(stack, 2 * page);
    ::munmap(block, page);
    ASSERT_EQ(justBelow, 2u);
    EXPECT_EQ(first.frame, top + 8);
    EXPECT_EQ(second.pc, returnAddress);
    EXPECT_EQ(gapDeep, 2u) << "the whole gap below the stack is its run-out, up from the end of what lies below";
    EXPECT_EQ(pastTheGap, 1u) << "further down is no stack's";
}

TEST(StackWalkOfThisProcess, ACallThroughABadPointerIsSteppedOverByItsReturnAddress)
{
    uint64_t stack[4] = {reinterpret_cast<uint64_t>(&pellucor_unwind_probe) + 1, 0, 0, 0};
    UnwindRegisters regs;
    regs.Set(kPc, 0x10); // no code: where the bad pointer led
    regs.Set(kSp, reinterpret_cast<uint64_t>(stack));
    regs.Set(kFp, 0);
    platform::FaultFrame frames[4];
    ASSERT_GE(platform::UnwindStack(regs, frames, 4), 2u);
    EXPECT_EQ(frames[0].frame, reinterpret_cast<uint64_t>(stack + 1));
    EXPECT_EQ(frames[1].pc, stack[0]);
}
#endif

// ---- Walks ----

class StackWalkTest : public UnwindTest {
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
    EXPECT_EQ(Walk(At(Pc(0x100), 10), 1).size(), 1u);
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

    // The return address of a bad call leads back into code with tables; and
    // one that cannot be read leaves the frame's address unknown.
    stack_[10] = Pc(0x210);
    stack_[12] = Pc(0x320);
    const auto intoTables = Walk(At(0x42, 10));
    ASSERT_EQ(intoTables.size(), 3u);
    EXPECT_THAT(intoTables[1], FrameIs(Pc(0x210), Word(13)));
    EXPECT_THAT(intoTables[2], FrameIs(Pc(0x320), Word(14)));
    const auto unreadable = Walk(At(0x42, stack_.size()));
    ASSERT_EQ(unreadable.size(), 1u);
    EXPECT_THAT(unreadable[0], FrameIs(0x42u, 0u));

    // In code without tables, the innermost frame goes by its frame pointer
    // too: the top of the stack is no return address there.
    // (Here just after the frame pointer was set: it is the stack pointer.)
    UnwindRegisters inCode = At(Pc(0x1000), 30);
    inCode.Set(kFp, Word(30));
    stack_[30] = 0;
    const auto fromCode = Walk(inCode);
    ASSERT_EQ(fromCode.size(), 2u);
    EXPECT_THAT(fromCode[0], FrameIs(Pc(0x1000), Word(32)));
    EXPECT_THAT(fromCode[1], FrameIs(0x7003u, 0u));
    UnwindRegisters noFp = inCode;
    noFp.known &= ~(1u << kFp);
    EXPECT_EQ(Walk(noFp).size(), 1u);

    // A frame-pointer step leaves the caller's stack pointer above the saved
    // frame pointer and return address: the tables of the caller, here a
    // function with no frame of its own, find their frame from it.
    UnwindRegisters byFp = At(Pc(0x1000), 10);
    byFp.Set(kFp, Word(20));
    stack_[20] = Word(40);
    stack_[21] = Pc(0x101);
    stack_[22] = Pc(0x320);
    const auto intoCaller = Walk(byFp);
    ASSERT_EQ(intoCaller.size(), 3u);
    EXPECT_THAT(intoCaller[0], FrameIs(Pc(0x1000), Word(22)));
    EXPECT_THAT(intoCaller[1], FrameIs(Pc(0x101), Word(23))) << "the caller's stack pointer is word 22";
    EXPECT_THAT(intoCaller[2], FrameIs(Pc(0x320), Word(24)));
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
