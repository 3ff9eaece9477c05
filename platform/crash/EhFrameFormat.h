// The numbers of the unwind tables' format (.eh_frame and .eh_frame_hdr, the
// call-frame part of the DWARF debugging format), declared here under the
// format's own names so that the readers say which operation they take:
//  - DW_EH_PE_*: how a pointer is encoded (its size in the low nibble, what
//    it is relative to in the high one);
//  - DW_CFA_*: the instructions that build a frame's rules, row by row;
//  - DW_OP_*: the stack machine of location expressions.
#pragma once

#include <cstdint>

namespace platform::eh_frame {

// ---- Pointer encodings ----
constexpr uint8_t DW_EH_PE_absptr = 0x00;
constexpr uint8_t DW_EH_PE_uleb128 = 0x01;
constexpr uint8_t DW_EH_PE_udata2 = 0x02;
constexpr uint8_t DW_EH_PE_udata4 = 0x03;
constexpr uint8_t DW_EH_PE_udata8 = 0x04;
constexpr uint8_t DW_EH_PE_sleb128 = 0x09;
constexpr uint8_t DW_EH_PE_sdata2 = 0x0A;
constexpr uint8_t DW_EH_PE_sdata4 = 0x0B;
constexpr uint8_t DW_EH_PE_sdata8 = 0x0C;
constexpr uint8_t DW_EH_PE_pcrel = 0x10;
constexpr uint8_t DW_EH_PE_datarel = 0x30;
constexpr uint8_t DW_EH_PE_indirect = 0x80;
constexpr uint8_t DW_EH_PE_omit = 0xFF;
constexpr uint8_t kEncodingFormat = 0x0F;      // the size part
constexpr uint8_t kEncodingApplication = 0x70; // what it is relative to

// ---- Call-frame instructions ----
// Three carry their operand in the low six bits of the opcode.
constexpr uint8_t DW_CFA_advance_loc = 0x40;
constexpr uint8_t DW_CFA_offset = 0x80;
constexpr uint8_t DW_CFA_restore = 0xC0;
constexpr uint8_t kCfaPrimaryMask = 0xC0;
constexpr uint8_t kCfaOperandMask = 0x3F;

constexpr uint8_t DW_CFA_nop = 0x00;
constexpr uint8_t DW_CFA_set_loc = 0x01;
constexpr uint8_t DW_CFA_advance_loc1 = 0x02;
constexpr uint8_t DW_CFA_advance_loc2 = 0x03;
constexpr uint8_t DW_CFA_advance_loc4 = 0x04;
constexpr uint8_t DW_CFA_offset_extended = 0x05;
constexpr uint8_t DW_CFA_restore_extended = 0x06;
constexpr uint8_t DW_CFA_undefined = 0x07;
constexpr uint8_t DW_CFA_same_value = 0x08;
constexpr uint8_t DW_CFA_register = 0x09;
constexpr uint8_t DW_CFA_remember_state = 0x0A;
constexpr uint8_t DW_CFA_restore_state = 0x0B;
constexpr uint8_t DW_CFA_def_cfa = 0x0C;
constexpr uint8_t DW_CFA_def_cfa_register = 0x0D;
constexpr uint8_t DW_CFA_def_cfa_offset = 0x0E;
constexpr uint8_t DW_CFA_def_cfa_expression = 0x0F;
constexpr uint8_t DW_CFA_expression = 0x10;
constexpr uint8_t DW_CFA_offset_extended_sf = 0x11;
constexpr uint8_t DW_CFA_def_cfa_sf = 0x12;
constexpr uint8_t DW_CFA_def_cfa_offset_sf = 0x13;
constexpr uint8_t DW_CFA_val_offset = 0x14;
constexpr uint8_t DW_CFA_val_offset_sf = 0x15;
constexpr uint8_t DW_CFA_val_expression = 0x16;
constexpr uint8_t DW_CFA_GNU_args_size = 0x2E;
constexpr uint8_t DW_CFA_GNU_negative_offset_extended = 0x2F;

// ---- Location expressions ----
constexpr uint8_t DW_OP_addr = 0x03;
constexpr uint8_t DW_OP_deref = 0x06;
constexpr uint8_t DW_OP_const1u = 0x08;
constexpr uint8_t DW_OP_const1s = 0x09;
constexpr uint8_t DW_OP_const2u = 0x0A;
constexpr uint8_t DW_OP_const2s = 0x0B;
constexpr uint8_t DW_OP_const4u = 0x0C;
constexpr uint8_t DW_OP_const4s = 0x0D;
constexpr uint8_t DW_OP_const8u = 0x0E;
constexpr uint8_t DW_OP_const8s = 0x0F;
constexpr uint8_t DW_OP_constu = 0x10;
constexpr uint8_t DW_OP_consts = 0x11;
constexpr uint8_t DW_OP_dup = 0x12;
constexpr uint8_t DW_OP_drop = 0x13;
constexpr uint8_t DW_OP_over = 0x14;
constexpr uint8_t DW_OP_pick = 0x15;
constexpr uint8_t DW_OP_swap = 0x16;
constexpr uint8_t DW_OP_rot = 0x17;
constexpr uint8_t DW_OP_abs = 0x19;
constexpr uint8_t DW_OP_and = 0x1A;
constexpr uint8_t DW_OP_div = 0x1B;
constexpr uint8_t DW_OP_minus = 0x1C;
constexpr uint8_t DW_OP_mod = 0x1D;
constexpr uint8_t DW_OP_mul = 0x1E;
constexpr uint8_t DW_OP_neg = 0x1F;
constexpr uint8_t DW_OP_not = 0x20;
constexpr uint8_t DW_OP_or = 0x21;
constexpr uint8_t DW_OP_plus = 0x22;
constexpr uint8_t DW_OP_plus_uconst = 0x23;
constexpr uint8_t DW_OP_shl = 0x24;
constexpr uint8_t DW_OP_shr = 0x25;
constexpr uint8_t DW_OP_shra = 0x26;
constexpr uint8_t DW_OP_xor = 0x27;
constexpr uint8_t DW_OP_bra = 0x28;
constexpr uint8_t DW_OP_eq = 0x29;
constexpr uint8_t DW_OP_ge = 0x2A;
constexpr uint8_t DW_OP_gt = 0x2B;
constexpr uint8_t DW_OP_le = 0x2C;
constexpr uint8_t DW_OP_lt = 0x2D;
constexpr uint8_t DW_OP_ne = 0x2E;
constexpr uint8_t DW_OP_skip = 0x2F;
constexpr uint8_t DW_OP_lit0 = 0x30;  // DW_OP_lit0 + n pushes n, for n up to 31
constexpr uint8_t DW_OP_lit31 = 0x4F;
constexpr uint8_t DW_OP_breg0 = 0x70; // DW_OP_breg0 + n: register n plus an offset
constexpr uint8_t DW_OP_breg31 = 0x8F;
constexpr uint8_t DW_OP_bregx = 0x92;
constexpr uint8_t DW_OP_nop = 0x96;

// ---- Entries ----
// The id field that marks a common information entry (CIE) in .eh_frame; a
// frame description entry (FDE) holds there the distance back to its CIE.
constexpr uint32_t kCieId = 0;
// A 32-bit length of this value is followed by the 64-bit length.
constexpr uint32_t kExtendedLength = 0xFFFFFFFFu;
// The only version of .eh_frame_hdr.
constexpr uint8_t kSearchTableVersion = 1;

} // namespace platform::eh_frame
