#include "platform/crash/StackUnwinder.h"

#include "platform/crash/ModuleMap.h"

#include <dlfcn.h>

namespace platform {

namespace {

constexpr int kRegisters = UnwindRegisters::kCount;
constexpr int kSp = UnwindRegisters::kStackPointer;
constexpr int kFp = UnwindRegisters::kFramePointer;
constexpr int kPc = UnwindRegisters::kProgramCounter;

// Reads of the stack may land in the guard zones an address checker keeps
// between locals: they are checked against the mapping instead.
#define PELLUCOR_RAW_STACK_READ __attribute__((no_sanitize_address))

// The part of the address space the walk may read saved values from.
struct StackBounds {
    uintptr_t low = 0;
    uintptr_t high = 0;
};

PELLUCOR_RAW_STACK_READ bool ReadStackWord(const StackBounds& stack, uint64_t address, uint64_t* out)
{
    if (address < stack.low || stack.high < 8 || address > stack.high - 8)
        return false;
    // Byte by byte: a saved value need not be aligned.
    const auto* p = reinterpret_cast<const volatile unsigned char*>(static_cast<uintptr_t>(address));
    uint64_t value = 0;
    for (int i = 0; i < 8; ++i)
        value |= uint64_t(p[i]) << (8 * i);
    *out = value;
    return true;
}

struct StackSearch {
    uintptr_t sp;
    StackBounds* bounds;
};

// The mapping holding the stack pointer; when the stack has run out, the
// pointer stands in the guard gap below the stack, and the stack is the
// mapping just above it.
bool FindStackMapping(const MemoryMapping& m, void* context)
{
    constexpr uintptr_t kGuardReach = 1024 * 1024;
    auto* s = static_cast<StackSearch*>(context);
    const bool holds = m.start <= s->sp && s->sp < m.end;
    const bool justAbove = m.start > s->sp && m.start - s->sp <= kGuardReach;
    if (!holds && !justAbove)
        return m.start <= s->sp;
    if (m.readable) {
        s->bounds->low = holds ? s->sp : m.start;
        s->bounds->high = m.end;
    }
    return false;
}

// ---- Reading the tables ----

// A bounded reader over a module's tables; a read past the end sets !ok
// and gives 0, so a malformed table ends the walk, never the process.
struct Cursor {
    const uint8_t* p;
    const uint8_t* end;
    bool ok = true;

    bool Has(uint64_t n)
    {
        if (ok && p <= end && uint64_t(end - p) >= n)
            return true;
        ok = false;
        return false;
    }
    uint64_t Fixed(int bytes)
    {
        if (!Has(uint64_t(bytes)))
            return 0;
        uint64_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v |= uint64_t(p[i]) << (8 * i);
        p += bytes;
        return v;
    }
    uint8_t U8() { return static_cast<uint8_t>(Fixed(1)); }
    uint64_t Uleb()
    {
        uint64_t v = 0;
        for (int shift = 0; Has(1); shift += 7) {
            const uint8_t b = *p++;
            if (shift < 64)
                v |= uint64_t(b & 0x7F) << shift;
            if (!(b & 0x80))
                return v;
        }
        return 0;
    }
    int64_t Sleb()
    {
        uint64_t v = 0;
        int shift = 0;
        uint8_t b = 0;
        do {
            if (!Has(1))
                return 0;
            b = *p++;
            if (shift < 64)
                v |= uint64_t(b & 0x7F) << shift;
            shift += 7;
        } while (b & 0x80);
        if (shift < 64 && (b & 0x40))
            v |= ~uint64_t(0) << shift;
        return static_cast<int64_t>(v);
    }
    void Skip(uint64_t n)
    {
        if (Has(n))
            p += n;
    }
};

// Pointer encodings of the tables (DW_EH_PE_*).
constexpr uint8_t kOmit = 0xFF;
constexpr uint8_t kDataRelativeSigned4 = 0x3B;

// A pointer in the given encoding; `dataBase` is what data-relative ones are
// relative to (0: none known, and such a pointer fails).
uint64_t ReadEncoded(Cursor& c, uint8_t encoding, uint64_t dataBase)
{
    if (encoding == kOmit)
        return 0;
    const auto field = reinterpret_cast<uintptr_t>(c.p);
    uint64_t v = 0;
    switch (encoding & 0x0F) {
    case 0x00: v = c.Fixed(8); break;
    case 0x01: v = c.Uleb(); break;
    case 0x02: v = c.Fixed(2); break;
    case 0x03: v = c.Fixed(4); break;
    case 0x04: v = c.Fixed(8); break;
    case 0x09: v = static_cast<uint64_t>(c.Sleb()); break;
    case 0x0A: v = static_cast<uint64_t>(int64_t(int16_t(c.Fixed(2)))); break;
    case 0x0B: v = static_cast<uint64_t>(int64_t(int32_t(c.Fixed(4)))); break;
    case 0x0C: v = c.Fixed(8); break;
    default: c.ok = false; return 0;
    }
    switch (encoding & 0x70) {
    case 0x00: break;
    case 0x10: v += field; break;
    case 0x30:
        if (dataBase == 0)
            c.ok = false;
        v += dataBase;
        break;
    default: c.ok = false; return 0;
    }
    // An indirect pointer (0x80) is only met for the personality routine,
    // whose value the walk never needs.
    return v;
}

// One entry's extent: its length field, then its content up to `end`.
bool EntryBounds(Cursor& c, const uint8_t** end)
{
    uint64_t length = c.Fixed(4);
    if (length == 0xFFFFFFFFu)
        length = c.Fixed(8);
    if (!c.ok || length == 0 || !c.Has(length))
        return false;
    *end = c.p + length;
    return true;
}

struct CommonEntry {
    uint64_t codeAlign = 1;
    int64_t dataAlign = 1;
    uint64_t returnRegister = kPc;
    uint8_t pointerEncoding = 0;
    bool augmentationData = false;
    bool signalFrame = false;
    const uint8_t* instructions = nullptr;
    const uint8_t* end = nullptr;
};

struct FrameEntry {
    CommonEntry cie;
    uint64_t start = 0;
    uint64_t range = 0;
    const uint8_t* instructions = nullptr;
    const uint8_t* end = nullptr;
};

bool ParseCommonEntry(const uint8_t* at, const uint8_t* limit, CommonEntry* cie)
{
    Cursor c{at, limit};
    if (!EntryBounds(c, &cie->end))
        return false;
    c.end = cie->end;
    if (c.Fixed(4) != 0)
        return false; // not a common entry
    const uint8_t version = c.U8();
    if (version != 1 && version != 3 && version != 4)
        return false;
    char augmentation[16];
    size_t n = 0;
    for (;;) {
        const char ch = static_cast<char>(c.U8());
        if (!c.ok || n + 1 >= sizeof augmentation)
            return false;
        augmentation[n++] = ch;
        if (ch == '\0')
            break;
    }
    if (version == 4)
        c.Skip(2); // address and segment sizes
    cie->codeAlign = c.Uleb();
    cie->dataAlign = c.Sleb();
    cie->returnRegister = version == 1 ? c.U8() : c.Uleb();
    if (augmentation[0] == 'z') {
        cie->augmentationData = true;
        const uint64_t length = c.Uleb();
        if (!c.Has(length))
            return false;
        Cursor data{c.p, c.p + length};
        for (const char* a = augmentation + 1; *a && data.ok; ++a) {
            if (*a == 'R')
                cie->pointerEncoding = data.U8();
            else if (*a == 'P')
                ReadEncoded(data, data.U8(), 0);
            else if (*a == 'L')
                data.U8();
            else if (*a == 'S')
                cie->signalFrame = true;
            else if (*a != 'B')
                break; // unknown from here on; the length lets us skip it
        }
        c.p += length;
    } else if (augmentation[0] != '\0') {
        return false; // data of unknown length
    }
    cie->instructions = c.p;
    return c.ok;
}

bool ParseFrameEntry(const uint8_t* at, const uint8_t* low, const uint8_t* limit, FrameEntry* fde)
{
    Cursor c{at, limit};
    if (!EntryBounds(c, &fde->end))
        return false;
    c.end = fde->end;
    const uint8_t* idField = c.p;
    const uint64_t back = c.Fixed(4);
    if (!c.ok || back == 0 || back > uint64_t(idField - low))
        return false;
    if (!ParseCommonEntry(idField - back, limit, &fde->cie))
        return false;
    fde->start = ReadEncoded(c, fde->cie.pointerEncoding, 0);
    fde->range = ReadEncoded(c, fde->cie.pointerEncoding & 0x0F, 0);
    if (fde->cie.augmentationData)
        c.Skip(c.Uleb());
    fde->instructions = c.p;
    return c.ok;
}

// The entry covering `pc` in a module, through the sorted search table of its
// .eh_frame_hdr.
bool FindFrameEntry(uintptr_t pc, FrameEntry* fde)
{
    dl_find_object found;
    if (_dl_find_object(reinterpret_cast<void*>(pc), &found) != 0 || !found.dlfo_eh_frame)
        return false;
    const auto* low = static_cast<const uint8_t*>(found.dlfo_map_start);
    const auto* limit = static_cast<const uint8_t*>(found.dlfo_map_end);
    const auto* header = static_cast<const uint8_t*>(found.dlfo_eh_frame);
    if (header < low || header >= limit)
        return false;
    Cursor c{header, limit};
    const uint8_t version = c.U8();
    const uint8_t framePointerEncoding = c.U8();
    const uint8_t countEncoding = c.U8();
    const uint8_t tableEncoding = c.U8();
    const auto base = reinterpret_cast<uint64_t>(header);
    ReadEncoded(c, framePointerEncoding, base);
    const uint64_t count = ReadEncoded(c, countEncoding, base);
    if (!c.ok || version != 1 || countEncoding == kOmit || tableEncoding != kDataRelativeSigned4 || count == 0 ||
        !c.Has(count * 8))
        return false;
    const uint8_t* table = c.p;
    auto entryStart = [&](uint64_t i) {
        Cursor e{table + i * 8, limit};
        return base + static_cast<uint64_t>(int64_t(int32_t(e.Fixed(4))));
    };
    // The last entry starting at or below pc.
    uint64_t lo = 0, hi = count;
    while (hi - lo > 1) {
        const uint64_t mid = lo + (hi - lo) / 2;
        if (entryStart(mid) <= pc)
            lo = mid;
        else
            hi = mid;
    }
    if (entryStart(lo) > pc)
        return false;
    Cursor e{table + lo * 8 + 4, limit};
    const uint64_t at = base + static_cast<uint64_t>(int64_t(int32_t(e.Fixed(4))));
    const auto* entry = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(at));
    if (entry < low || entry >= limit)
        return false;
    return ParseFrameEntry(entry, low, limit, fde) && fde->start <= pc && pc - fde->start < fde->range;
}

// ---- The rules of one row ----

enum class RuleKind : uint8_t { Same, Undefined, Offset, ValueOffset, Register, Expression, ValueExpression };

struct Rule {
    RuleKind kind = RuleKind::Same;
    int64_t offset = 0; // or the register for RuleKind::Register
    const uint8_t* expression = nullptr;
    uint64_t expressionLength = 0;
};

struct Row {
    Rule rules[kRegisters];
    uint64_t cfaRegister = kSp;
    int64_t cfaOffset = 0;
    const uint8_t* cfaExpression = nullptr;
    uint64_t cfaExpressionLength = 0;
};

constexpr int kMaxRememberedRows = 8;

// Runs the row-building instructions in [begin, end) until the location
// passes `target`. `initial` is the row the common entry's own instructions
// built (for "restore"), null while those run.
bool RunInstructions(const uint8_t* begin, const uint8_t* end, const CommonEntry& cie, uint64_t location,
                     uint64_t target, const Row* initial, Row* row)
{
    Cursor c{begin, end};
    Row remembered[kMaxRememberedRows];
    int depth = 0;
    auto set = [&](uint64_t reg, RuleKind kind, int64_t offset) {
        if (reg < kRegisters) {
            row->rules[reg] = Rule{};
            row->rules[reg].kind = kind;
            row->rules[reg].offset = offset;
        }
    };
    auto setExpression = [&](uint64_t reg, RuleKind kind) {
        const uint64_t length = c.Uleb();
        if (reg < kRegisters && c.Has(length)) {
            row->rules[reg] = Rule{kind, 0, c.p, length};
        }
        c.Skip(length);
    };
    auto restore = [&](uint64_t reg) {
        if (reg < kRegisters)
            row->rules[reg] = initial ? initial->rules[reg] : Rule{};
    };
    auto advance = [&](uint64_t delta) {
        location += delta * cie.codeAlign;
        return location <= target;
    };
    const int64_t da = cie.dataAlign;
    while (c.ok && c.p < c.end) {
        const uint8_t op = c.U8();
        const uint8_t low = op & 0x3F;
        switch (op & 0xC0) {
        case 0x40:
            if (!advance(low))
                return true;
            continue;
        case 0x80:
            set(low, RuleKind::Offset, static_cast<int64_t>(c.Uleb()) * da);
            continue;
        case 0xC0:
            restore(low);
            continue;
        default: break;
        }
        switch (op) {
        case 0x00: break; // nop
        case 0x01:
            location = ReadEncoded(c, cie.pointerEncoding, 0);
            if (location > target)
                return true;
            break;
        case 0x02:
            if (!advance(c.Fixed(1)))
                return true;
            break;
        case 0x03:
            if (!advance(c.Fixed(2)))
                return true;
            break;
        case 0x04:
            if (!advance(c.Fixed(4)))
                return true;
            break;
        case 0x05: {
            const uint64_t reg = c.Uleb();
            set(reg, RuleKind::Offset, static_cast<int64_t>(c.Uleb()) * da);
            break;
        }
        case 0x06: restore(c.Uleb()); break;
        case 0x07: set(c.Uleb(), RuleKind::Undefined, 0); break;
        case 0x08: set(c.Uleb(), RuleKind::Same, 0); break;
        case 0x09: {
            const uint64_t reg = c.Uleb();
            set(reg, RuleKind::Register, static_cast<int64_t>(c.Uleb()));
            break;
        }
        case 0x0A:
            if (depth >= kMaxRememberedRows)
                return false;
            remembered[depth++] = *row;
            break;
        case 0x0B:
            if (depth == 0)
                return false;
            *row = remembered[--depth];
            break;
        case 0x0C:
            row->cfaRegister = c.Uleb();
            row->cfaOffset = static_cast<int64_t>(c.Uleb());
            row->cfaExpression = nullptr;
            break;
        case 0x0D:
            row->cfaRegister = c.Uleb();
            row->cfaExpression = nullptr;
            break;
        case 0x0E: row->cfaOffset = static_cast<int64_t>(c.Uleb()); break;
        case 0x0F: {
            const uint64_t length = c.Uleb();
            if (c.Has(length)) {
                row->cfaExpression = c.p;
                row->cfaExpressionLength = length;
            }
            c.Skip(length);
            break;
        }
        case 0x10: setExpression(c.Uleb(), RuleKind::Expression); break;
        case 0x11: {
            const uint64_t reg = c.Uleb();
            set(reg, RuleKind::Offset, c.Sleb() * da);
            break;
        }
        case 0x12:
            row->cfaRegister = c.Uleb();
            row->cfaOffset = c.Sleb() * da;
            row->cfaExpression = nullptr;
            break;
        case 0x13: row->cfaOffset = c.Sleb() * da; break;
        case 0x14: {
            const uint64_t reg = c.Uleb();
            set(reg, RuleKind::ValueOffset, static_cast<int64_t>(c.Uleb()) * da);
            break;
        }
        case 0x15: {
            const uint64_t reg = c.Uleb();
            set(reg, RuleKind::ValueOffset, c.Sleb() * da);
            break;
        }
        case 0x16: setExpression(c.Uleb(), RuleKind::ValueExpression); break;
        case 0x2E: c.Uleb(); break; // size of the arguments pushed
        case 0x2F: {
            const uint64_t reg = c.Uleb();
            set(reg, RuleKind::Offset, -static_cast<int64_t>(c.Uleb()) * da);
            break;
        }
        default: return false;
        }
    }
    return c.ok;
}

// ---- Expressions ----

// Evaluates a location expression of the tables (the stack machine of the
// debugging format, the operations unwind tables use). `initial` is pushed
// first when given (the frame address, for register rules).
bool Evaluate(const uint8_t* expression, uint64_t length, const UnwindRegisters& regs, const StackBounds& stack,
              const uint64_t* initial, uint64_t* result)
{
    Cursor c{expression, expression + length};
    uint64_t values[32];
    int n = 0;
    auto push = [&](uint64_t v) {
        if (n >= 32)
            return false;
        values[n++] = v;
        return true;
    };
    if (initial)
        push(*initial);
    for (int steps = 0; c.ok && c.p < c.end; ++steps) {
        if (steps > 256)
            return false; // a loop of branches
        const uint8_t op = c.U8();
        if (op >= 0x30 && op <= 0x4F) { // lit0..lit31
            if (!push(op - 0x30u))
                return false;
            continue;
        }
        if ((op >= 0x70 && op <= 0x8F) || op == 0x92) { // breg0..breg31, bregx
            const uint64_t reg = op == 0x92 ? c.Uleb() : uint64_t(op - 0x70);
            const int64_t offset = c.Sleb();
            if (reg >= kRegisters || !regs.Has(static_cast<int>(reg)) || !push(regs.value[reg] + uint64_t(offset)))
                return false;
            continue;
        }
        const int arity = (op == 0x06 || op == 0x12 || op == 0x13 || op == 0x19 || op == 0x1F || op == 0x20 ||
                           op == 0x23 || op == 0x28)
                              ? 1
                          : (op == 0x14 || op == 0x16 || (op >= 0x1A && op <= 0x27) || (op >= 0x29 && op <= 0x2E))
                              ? 2
                          : op == 0x17 ? 3
                                       : 0;
        if (n < arity)
            return false;
        uint64_t& top = values[n - 1 < 0 ? 0 : n - 1];
        const uint64_t a = arity >= 2 ? values[n - 2] : 0;
        const uint64_t b = top;
        auto binary = [&](uint64_t v) {
            --n;
            values[n - 1] = v;
        };
        switch (op) {
        case 0x03: push(c.Fixed(8)); break;
        case 0x06: {
            uint64_t word;
            if (!ReadStackWord(stack, top, &word))
                return false;
            top = word;
            break;
        }
        case 0x08: push(c.Fixed(1)); break;
        case 0x09: push(static_cast<uint64_t>(int64_t(int8_t(c.Fixed(1))))); break;
        case 0x0A: push(c.Fixed(2)); break;
        case 0x0B: push(static_cast<uint64_t>(int64_t(int16_t(c.Fixed(2))))); break;
        case 0x0C: push(c.Fixed(4)); break;
        case 0x0D: push(static_cast<uint64_t>(int64_t(int32_t(c.Fixed(4))))); break;
        case 0x0E:
        case 0x0F: push(c.Fixed(8)); break;
        case 0x10: push(c.Uleb()); break;
        case 0x11: push(static_cast<uint64_t>(c.Sleb())); break;
        case 0x12: push(top); break;
        case 0x13: --n; break;
        case 0x14: push(a); break;
        case 0x15: {
            const uint8_t index = c.U8();
            if (index >= n || !push(values[n - 1 - index]))
                return false;
            break;
        }
        case 0x16:
            values[n - 1] = a;
            values[n - 2] = b;
            break;
        case 0x17: {
            const uint64_t third = values[n - 3];
            values[n - 3] = b;
            values[n - 2] = third;
            values[n - 1] = a;
            break;
        }
        case 0x19: top = int64_t(top) < 0 ? uint64_t(0) - top : top; break;
        case 0x1A: binary(a & b); break;
        case 0x1B:
            if (b == 0)
                return false;
            binary(static_cast<uint64_t>(int64_t(a) / int64_t(b)));
            break;
        case 0x1C: binary(a - b); break;
        case 0x1D:
            if (b == 0)
                return false;
            binary(a % b);
            break;
        case 0x1E: binary(a * b); break;
        case 0x1F: top = uint64_t(0) - top; break;
        case 0x20: top = ~top; break;
        case 0x21: binary(a | b); break;
        case 0x22: binary(a + b); break;
        case 0x23: top += c.Uleb(); break;
        case 0x24: binary(b < 64 ? a << b : 0); break;
        case 0x25: binary(b < 64 ? a >> b : 0); break;
        case 0x26: binary(static_cast<uint64_t>(int64_t(a) >> (b < 64 ? b : 63))); break;
        case 0x27: binary(a ^ b); break;
        case 0x29: binary(a == b); break;
        case 0x2A: binary(int64_t(a) >= int64_t(b)); break;
        case 0x2B: binary(int64_t(a) > int64_t(b)); break;
        case 0x2C: binary(int64_t(a) <= int64_t(b)); break;
        case 0x2D: binary(int64_t(a) < int64_t(b)); break;
        case 0x2E: binary(a != b); break;
        case 0x2F:
        case 0x28: { // skip; bra (taken when the popped value is not zero)
            const auto distance = static_cast<int16_t>(c.Fixed(2));
            bool jump = true;
            if (op == 0x28)
                jump = values[--n] != 0;
            if (jump) {
                const uint8_t* to = c.p + distance;
                if (to < expression || to > c.end)
                    return false;
                c.p = to;
            }
            break;
        }
        case 0x96: break; // nop
        default: return false;
        }
    }
    if (!c.ok || n == 0)
        return false;
    *result = values[n - 1];
    return true;
}

// ---- Stepping ----

struct Step {
    UnwindRegisters caller;
    uint64_t frameAddress = 0;
    bool signalFrame = false; // the caller's pc is exact, not a return address
    bool end = false;         // the tables say there is no caller
};

// The caller of the frame the registers stand in, by its table entry.
bool StepByTable(const UnwindRegisters& regs, bool exactPc, const StackBounds& stack, Step* step)
{
    const uint64_t pc = regs.value[kPc];
    // A return address is the instruction after the call: the call itself,
    // one byte before, belongs to the calling function (which may end there).
    const uint64_t lookup = exactPc ? pc : pc - 1;
    FrameEntry fde;
    if (!FindFrameEntry(static_cast<uintptr_t>(lookup), &fde))
        return false;
    Row initial;
    if (!RunInstructions(fde.cie.instructions, fde.cie.end, fde.cie, fde.start, ~uint64_t(0), nullptr, &initial))
        return false;
    Row row = initial;
    if (!RunInstructions(fde.instructions, fde.end, fde.cie, fde.start, lookup, &initial, &row))
        return false;

    uint64_t cfa = 0;
    if (row.cfaExpression) {
        if (!Evaluate(row.cfaExpression, row.cfaExpressionLength, regs, stack, nullptr, &cfa))
            return false;
    } else {
        if (row.cfaRegister >= kRegisters || !regs.Has(static_cast<int>(row.cfaRegister)))
            return false;
        cfa = regs.value[row.cfaRegister] + uint64_t(row.cfaOffset);
    }
    step->caller = regs;
    for (int r = 0; r < kRegisters; ++r) {
        const Rule& rule = row.rules[r];
        uint64_t v = 0;
        switch (rule.kind) {
        case RuleKind::Same: continue;
        case RuleKind::Undefined: step->caller.known &= ~(1u << r); continue;
        case RuleKind::Offset:
            if (!ReadStackWord(stack, cfa + uint64_t(rule.offset), &v))
                return false;
            break;
        case RuleKind::ValueOffset: v = cfa + uint64_t(rule.offset); break;
        case RuleKind::Register:
            if (rule.offset < 0 || rule.offset >= kRegisters || !regs.Has(static_cast<int>(rule.offset)))
                return false;
            v = regs.value[rule.offset];
            break;
        case RuleKind::Expression:
            if (!Evaluate(rule.expression, rule.expressionLength, regs, stack, &cfa, &v) ||
                !ReadStackWord(stack, v, &v))
                return false;
            break;
        case RuleKind::ValueExpression:
            if (!Evaluate(rule.expression, rule.expressionLength, regs, stack, &cfa, &v))
                return false;
            break;
        }
        step->caller.Set(r, v);
    }
    // The caller's program counter is whatever the return-address column says.
    const uint64_t ra = fde.cie.returnRegister;
    if (ra >= kRegisters)
        return false;
    if (row.rules[ra].kind == RuleKind::Undefined) {
        step->end = true; // the outermost frame (the entry point) says so
    } else {
        if (!step->caller.Has(static_cast<int>(ra)))
            return false;
        step->caller.Set(kPc, step->caller.value[ra]);
    }
    step->caller.Set(kSp, cfa);
    step->frameAddress = cfa;
    step->signalFrame = fde.cie.signalFrame;
    return true;
}

// Without a table entry: the frame-pointer chain, or, for a fault at an
// address that is no code at all (a call through a bad pointer), the return
// address the call left on top of the stack.
bool StepByFramePointer(const UnwindRegisters& regs, bool innermost, const StackBounds& stack, Step* step)
{
    step->caller = regs;
    dl_find_object found;
    const bool inCode = _dl_find_object(reinterpret_cast<void*>(regs.value[kPc]), &found) == 0;
    uint64_t ra = 0;
    if (innermost && !inCode && regs.Has(kSp)) {
        const uint64_t sp = regs.value[kSp];
        if (!ReadStackWord(stack, sp, &ra))
            return false;
        step->caller.Set(kSp, sp + 8);
        step->frameAddress = sp + 8;
    } else {
        if (!regs.Has(kFp) || !regs.Has(kSp))
            return false;
        const uint64_t fp = regs.value[kFp];
        uint64_t savedFp = 0;
        if (fp < regs.value[kSp] || !ReadStackWord(stack, fp, &savedFp) || !ReadStackWord(stack, fp + 8, &ra))
            return false;
        step->caller.Set(kFp, savedFp);
        step->caller.Set(kSp, fp + 16);
        step->frameAddress = fp + 16;
    }
    step->caller.Set(kPc, ra);
    return true;
}

} // namespace

size_t UnwindStack(const UnwindRegisters& start, FaultFrame* frames, size_t maxFrames)
{
    if (maxFrames == 0 || !start.Has(kPc))
        return 0;
    StackBounds stack;
    if (start.Has(kSp)) {
        StackSearch search{static_cast<uintptr_t>(start.value[kSp]), &stack};
        ForEachMapping(FindStackMapping, &search);
    }
    UnwindRegisters regs = start;
    bool exactPc = true; // the innermost frame stands at the instruction itself
    size_t count = 0;
    while (count < maxFrames) {
        frames[count] = FaultFrame{static_cast<uintptr_t>(regs.value[kPc]), 0};
        Step step;
        const bool stepped =
            StepByTable(regs, exactPc, stack, &step) || StepByFramePointer(regs, count == 0, stack, &step);
        if (stepped)
            frames[count].frame = static_cast<uintptr_t>(step.frameAddress);
        ++count;
        if (!stepped || step.end)
            break;
        // The stack grows down: each caller's frame lies above its callee's.
        // Anything else is a damaged stack, and the walk ends there.
        const uint64_t pc = step.caller.value[kPc];
        if (pc == 0 || !step.caller.Has(kSp) || step.caller.value[kSp] <= regs.value[kSp])
            break;
        regs = step.caller;
        exactPc = step.signalFrame;
    }
    return count;
}

} // namespace platform
