// Reading unwind tables: pointers in every encoding, entries of every
// version and augmentation, and tables that lie (cut short, lengths past the
// end, CIE pointers out of range or at no CIE, a search table that leads
// nowhere): nothing is found, nothing outside the tables is read.
#include "platform/crash/EhFrameTable.h"
#include "tests/platform/crash/UnwindTest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

using namespace unwind_test;

class EhFrameTableTest : public UnwindTest {
protected:
    // Whether the first FDE, as the tables stand, reads as one.
    bool ParsesFde() const
    {
        platform::FrameDescriptionEntry fde;
        return platform::ParseFrameDescriptionEntry(image_.get() + built_.fdes[0], image_.get(), image_.get() + size_,
                                                    &fde);
    }
};

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

TEST_F(EhFrameTableTest, EntriesOfEveryVersionAndAugmentationAreRead)
{
    EhFrameImage image;
    CieSpec v3 = TypicalCie();
    v3.version = 3;
    v3.augmentation = "zPLRS";
    // Personality: an indirect, pc-relative 4-byte pointer; language data
    // encoding; then the FDEs' encoding.
    v3.augmentationData = {DW_EH_PE_indirect | DW_EH_PE_pcrel | DW_EH_PE_sdata4, 0, 0, 0, 0, DW_EH_PE_udata4,
                           DW_EH_PE_pcrel | DW_EH_PE_sdata4};
    v3.useDefaultAugmentationData = false;
    v3.extendedLength = true;
    CieSpec v4 = TypicalCie();
    v4.version = 4;
    v4.augmentation = "zBR";
    // The longest augmentation read (15 letters), and a personality routine
    // relative to the data.
    CieSpec longest = TypicalCie();
    longest.augmentation = "zPR" + std::string(12, 'B');
    longest.augmentationData = {DW_EH_PE_datarel | DW_EH_PE_sdata4, 0, 0, 0, 0, DW_EH_PE_pcrel | DW_EH_PE_sdata4};
    longest.useDefaultAugmentationData = false;
    image.AddFde({image.AddCie(v3), 0x100, 0x10, {}});
    image.AddFde({image.AddCie(v4), 0x200, 0x10, {}});
    image.AddFde({image.AddCie(longest), 0x300, 0x10, {}});
    Use(image.Build());
    EXPECT_TRUE(StepsAt(0x300)) << "15 letters, a data-relative personality";

    stack_[10] = 0xCA11;
    UnwindStep step;
    ASSERT_TRUE(Step(At(Pc(0x100), 10), &step)) << "version 3, 64-bit length, zPLRS";
    EXPECT_TRUE(step.signalFrame);
    EXPECT_EQ(step.caller.value[kPc], 0xCA11u);
    ASSERT_TRUE(Step(At(Pc(0x200), 10), &step)) << "version 4, zBR";
    EXPECT_FALSE(step.signalFrame);
    EXPECT_EQ(step.caller.value[kPc], 0xCA11u);
}

// ---- Tables that lie ----

TEST_F(EhFrameTableTest, BrokenEntriesEndTheStep)
{
    const Code body = Code().Op(DW_CFA_def_cfa_offset).U(16);
    UseFunction(body);
    ASSERT_TRUE(StepsAt(kStart)) << "the table as made";
    const size_t cie = built_.cies[0];
    const size_t fde = built_.fdes[0];
    // The typical CIE: length, id, version, "zR", code and data alignment,
    // return register, augmentation length, then the FDEs' encoding.
    const size_t augmentationLength = cie + 15;
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
        {"an FDE that ends before its augmentation data", fde, Code().Fixed(12, 4).bytes},
    };
    for (const Damage& d : damages) {
        UseFunction(body);
        Patch(d.at, d.bytes);
        EXPECT_FALSE(StepsAt(kStart)) << d.what;
        EXPECT_FALSE(ParsesFde()) << d.what << ": the entry is refused itself, not only by the step that would use it";
    }

    // Built so from the start: an augmentation without end, an instruction
    // cut short by its entry's end.
    EhFrameImage image;
    CieSpec longName = TypicalCie();
    longName.augmentation = "z" + std::string(40, 'R');
    image.AddFde({image.AddCie(longName), kStart, kRange, {}});
    Use(image.Build());
    EXPECT_FALSE(StepsAt(kStart)) << "an augmentation string too long";
    UseFunction(Code().Op(DW_CFA_def_cfa).U(kSp));
    EXPECT_FALSE(StepsAt(kStart)) << "an instruction cut short";

    // Where a CIE is damaged its FDE must not be read by defaults in its
    // place: with absolute 8-byte addresses (the encoding a CIE without
    // augmentation gives), the FDE would still decode.
    auto absolute = [&](const std::string& augmentation) {
        EhFrameImage image;
        CieSpec cie = TypicalCie();
        cie.augmentation = augmentation;
        image.AddFde({image.AddCie(cie), kStart, kRange, Bytes(16, DW_CFA_nop)});
        Use(image.Build());
        Patch(built_.fdes[0] + 8, Code().Fixed(Pc(kStart), 8).Fixed(kRange, 8).bytes);
    };
    absolute("");
    ASSERT_TRUE(StepsAt(kStart)) << "absolute addresses";
    const Damage toTheCie[] = {
        {"a CIE of length 0", built_.cies[0], Code().Fixed(0, 4).bytes},
        {"a CIE longer than the tables", built_.cies[0], Code().Fixed(0x7FFFFFF0, 4).bytes},
        {"a CIE whose id is no CIE's", built_.cies[0] + 4, Code().Fixed(1, 4).bytes},
        {"an FDE whose CIE is itself", built_.fdes[0] + 4, Code().Fixed(4, 4).bytes},
    };
    for (const Damage& d : toTheCie) {
        absolute("");
        Patch(d.at, d.bytes);
        EXPECT_FALSE(StepsAt(kStart)) << d.what;
        EXPECT_FALSE(ParsesFde()) << d.what;
    }
    absolute("e");
    EXPECT_FALSE(StepsAt(kStart)) << "an augmentation of one unknown letter";
    // The same with the FDEs' encoding named ('R' absolute): augmentation
    // data past the end; and addresses relative to a data base that FDEs
    // lack (however they would decode with one).
    // (`below`: how far below the function the address field says it starts.)
    auto absoluteByName = [&](uint8_t encoding, uint64_t below) {
        absolute("zR");
        Patch(augmentationLength + 1, {encoding});
        Patch(built_.fdes[0] + 8, Code().Fixed(Pc(kStart) - below, 8).Fixed(kRange, 8).bytes);
    };
    absoluteByName(DW_EH_PE_absptr, 0);
    ASSERT_TRUE(StepsAt(kStart)) << "absolute addresses by name";
    absoluteByName(DW_EH_PE_absptr, 0);
    Patch(augmentationLength, {0x7F});
    EXPECT_FALSE(StepsAt(kStart)) << "augmentation data past the end";
    for (uint64_t base : {0, 1}) {
        absoluteByName(DW_EH_PE_datarel | DW_EH_PE_udata8, base);
        EXPECT_FALSE(StepsAt(kStart)) << "data-relative, as if the base were " << base;
    }
    UseFunction(Code().Op(DW_CFA_def_cfa_offset).Op(0x80));
    EXPECT_FALSE(StepsAt(kStart)) << "a LEB128 cut short";
}

TEST_F(EhFrameTableTest, ASearchTableThatLiesFindsNothing)
{
    const Code body = Code().Op(DW_CFA_nop);
    UseFunction(body);
    ASSERT_TRUE(StepsAt(kStart));
    // The search table: version, three encodings, the pointer to .eh_frame,
    // the count, then the rows (function start, FDE).
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
    UseFunction(body);
    UnwindStep step;
    platform::ModuleTables none = Tables();
    none.searchTable = nullptr;
    EXPECT_FALSE(platform::StepByTables(none, At(Pc(kStart), 8), true, Stack(), &step)) << "no search table";
    platform::ModuleTables outside = Tables();
    outside.low = outside.searchTable + 1;
    EXPECT_FALSE(platform::StepByTables(outside, At(Pc(kStart), 8), true, Stack(), &step)) << "one outside";

    // Rows that end the module's tables (.eh_frame before its search table).
    EhFrameImage last;
    last.AddFde({last.AddCie(TypicalCie()), kStart, kRange, body.bytes});
    Use(last.Build(true));
    EXPECT_TRUE(StepsAt(kStart)) << "the rows end the tables";

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

} // namespace
