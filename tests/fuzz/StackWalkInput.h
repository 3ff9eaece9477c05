// The input of the stack walker's fuzz target, shared with the seed maker:
//
//   u16 tables' length, u16 the stack pointer's offset into the stack,
//   u32 the pc's offset from the tables' first byte,
//   the tables (a search table first, as tests/platform/crash/EhFrameBuilder.h
//   makes them), then the stack, all of the rest.
//
// The target places the tables and the stack at fixed addresses when it
// can, so that return addresses and saved frame pointers written in an
// input lead where they should. Code addresses are those of the tables'
// block: below kCodeWithoutTables in a module with the tables, above it in
// a module without any.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace stack_walk_input {

constexpr uint64_t kTablesAt = 0x5A0000000000;
constexpr uint64_t kStackAt = 0x5A0100000000;
constexpr size_t kHeaderBytes = 8;
constexpr size_t kMaxTableBytes = 0x10000;
constexpr size_t kMaxStackBytes = 0x10000;
constexpr uint64_t kCodeWithoutTables = 0x8000;

inline std::vector<uint8_t> Encode(const std::vector<uint8_t>& tables, uint32_t pcOffset, uint16_t spOffset,
                                   const std::vector<uint8_t>& stack)
{
    std::vector<uint8_t> out;
    auto put = [&out](uint64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(uint8_t(v >> (8 * i)));
    };
    put(tables.size(), 2);
    put(spOffset, 2);
    put(pcOffset, 4);
    out.insert(out.end(), tables.begin(), tables.end());
    out.insert(out.end(), stack.begin(), stack.end());
    return out;
}

} // namespace stack_walk_input
