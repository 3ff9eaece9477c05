// Reading a module's unwind tables: the search table (.eh_frame_hdr) that
// leads from a code address to its frame description entry (FDE) in
// .eh_frame, and that entry with its common information entry (CIE). The
// tables are read where they lie in memory, without copying; every read is
// bounded by the module's mapping, so a malformed table gives "no entry",
// never a read outside it.
//
// Nothing is allocated and no lock is taken: signal-safe.
//
// Threads: any thread.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Where a module's tables lie: every read stays in [low, limit).
struct ModuleTables {
    const uint8_t* low = nullptr;
    const uint8_t* limit = nullptr;
    const uint8_t* searchTable = nullptr; // its .eh_frame_hdr; null: none
};

// A bounded reader over table bytes: a read past the end gives 0 and clears
// `ok`, and every later read fails too.
struct TableCursor {
    const uint8_t* p;
    const uint8_t* end;
    bool ok = true;

    bool Has(uint64_t n);
    uint64_t Fixed(int bytes); // little-endian, 1 to 8 bytes
    uint8_t U8() { return static_cast<uint8_t>(Fixed(1)); }
    uint64_t Uleb();  // bits past the 64th are dropped
    int64_t Sleb();
    void Skip(uint64_t n);
};

// A pointer in a DW_EH_PE_* encoding. `dataBase` is what data-relative
// pointers are relative to (0: none known, and such a pointer fails).
uint64_t ReadEncodedPointer(TableCursor& c, uint8_t encoding, uint64_t dataBase);

struct CommonInformationEntry {
    uint64_t codeAlign = 1;
    int64_t dataAlign = 1;
    uint64_t returnRegister = 0;
    uint8_t pointerEncoding = 0; // of the FDEs' addresses ('R')
    bool augmentationData = false; // 'z': FDEs carry a length-prefixed block
    bool signalFrame = false;      // 'S'
    const uint8_t* instructions = nullptr;
    const uint8_t* end = nullptr;
};

struct FrameDescriptionEntry {
    CommonInformationEntry cie;
    uint64_t start = 0; // the first code address it covers
    uint64_t range = 0; // how many bytes from there
    const uint8_t* instructions = nullptr;
    const uint8_t* end = nullptr;
};

// The CIE at `at`; false when it is none or malformed.
bool ParseCommonInformationEntry(const uint8_t* at, const uint8_t* limit, CommonInformationEntry* cie);
// The FDE at `at` with its CIE, which must lie in [low, at).
bool ParseFrameDescriptionEntry(const uint8_t* at, const uint8_t* low, const uint8_t* limit,
                                FrameDescriptionEntry* fde);
// The FDE covering `pc`, through the module's sorted search table.
bool FindFrameDescription(const ModuleTables& module, uint64_t pc, FrameDescriptionEntry* fde);

} // namespace platform
