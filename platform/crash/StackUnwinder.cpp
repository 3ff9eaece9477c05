#include "platform/crash/StackUnwinder.h"

#include "platform/crash/EhFrameFormat.h"
#include "platform/crash/ModuleMap.h"

#include <dlfcn.h>

namespace platform {

using namespace eh_frame;

namespace {

constexpr int kRegisters = UnwindRegisters::kCount;
constexpr int kSp = UnwindRegisters::kStackPointer;
constexpr int kFp = UnwindRegisters::kFramePointer;
constexpr int kPc = UnwindRegisters::kProgramCounter;

// Reads of the stack may land in the guard zones an address checker keeps
// between locals: they are checked against the mapping instead.
#define PELLUCOR_RAW_STACK_READ __attribute__((no_sanitize_address))

PELLUCOR_RAW_STACK_READ bool ReadStackWord(const StackRange& stack, uint64_t address, uint64_t* out)
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

// Runs the call-frame instructions in [begin, end) until the location passes
// `target`. `initial` is the row the CIE's own instructions built (what
// DW_CFA_restore goes back to), null while those run.
class RowBuilder {
public:
    // The rows from `location` on, up to the one that holds at `target`.
    RowBuilder(const CommonInformationEntry& cie, const Row* initial, Row* row, uint64_t location, uint64_t target)
        : cie_(cie), initial_(initial), row_(row), location_(location), target_(target)
    {
    }

    bool Run(const uint8_t* begin, const uint8_t* end)
    {
        TableCursor c{begin, end};
        while (c.ok && c.p < c.end) {
            const uint8_t op = c.U8();
            const uint8_t operand = op & kCfaOperandMask;
            switch (op & kCfaPrimaryMask) {
            case DW_CFA_advance_loc:
                if (!Advance(operand))
                    return true;
                continue;
            case DW_CFA_offset: Set(operand, RuleKind::Offset, Factored(c.Uleb())); continue;
            case DW_CFA_restore: Restore(operand); continue;
            default: break;
            }
            switch (Step(op, c)) {
            case Outcome::Go: break;
            case Outcome::PastTarget: return true;
            case Outcome::Malformed: return false;
            }
        }
        return c.ok;
    }

private:
    enum class Outcome { Go, PastTarget, Malformed };

    Outcome Step(uint8_t op, TableCursor& c)
    {
        switch (op) {
        case DW_CFA_nop: break;
        case DW_CFA_set_loc:
            location_ = ReadEncodedPointer(c, cie_.pointerEncoding, 0);
            if (location_ > target_)
                return Outcome::PastTarget;
            break;
        case DW_CFA_advance_loc1: return Advance(c.Fixed(1)) ? Outcome::Go : Outcome::PastTarget;
        case DW_CFA_advance_loc2: return Advance(c.Fixed(2)) ? Outcome::Go : Outcome::PastTarget;
        case DW_CFA_advance_loc4: return Advance(c.Fixed(4)) ? Outcome::Go : Outcome::PastTarget;
        case DW_CFA_offset_extended: {
            const uint64_t reg = c.Uleb();
            Set(reg, RuleKind::Offset, Factored(c.Uleb()));
            break;
        }
        case DW_CFA_restore_extended: Restore(c.Uleb()); break;
        case DW_CFA_undefined: Set(c.Uleb(), RuleKind::Undefined, 0); break;
        case DW_CFA_same_value: Set(c.Uleb(), RuleKind::Same, 0); break;
        case DW_CFA_register: {
            const uint64_t reg = c.Uleb();
            Set(reg, RuleKind::Register, static_cast<int64_t>(c.Uleb()));
            break;
        }
        case DW_CFA_remember_state:
            if (depth_ >= kMaxRememberedRows)
                return Outcome::Malformed;
            remembered_[depth_++] = *row_;
            break;
        case DW_CFA_restore_state:
            if (depth_ == 0)
                return Outcome::Malformed;
            *row_ = remembered_[--depth_];
            break;
        case DW_CFA_def_cfa: {
            const uint64_t reg = c.Uleb();
            DefineCfa(reg, static_cast<int64_t>(c.Uleb()));
            break;
        }
        case DW_CFA_def_cfa_register: DefineCfa(c.Uleb(), row_->cfaOffset); break;
        case DW_CFA_def_cfa_offset: row_->cfaOffset = static_cast<int64_t>(c.Uleb()); break;
        case DW_CFA_def_cfa_expression: {
            const uint64_t length = c.Uleb();
            if (c.Has(length)) {
                row_->cfaExpression = c.p;
                row_->cfaExpressionLength = length;
            }
            c.Skip(length);
            break;
        }
        case DW_CFA_expression: SetExpression(c.Uleb(), RuleKind::Expression, c); break;
        case DW_CFA_offset_extended_sf: {
            const uint64_t reg = c.Uleb();
            Set(reg, RuleKind::Offset, Factored(uint64_t(c.Sleb())));
            break;
        }
        case DW_CFA_def_cfa_sf: {
            const uint64_t reg = c.Uleb();
            DefineCfa(reg, Factored(uint64_t(c.Sleb())));
            break;
        }
        case DW_CFA_def_cfa_offset_sf: row_->cfaOffset = Factored(uint64_t(c.Sleb())); break;
        case DW_CFA_val_offset: {
            const uint64_t reg = c.Uleb();
            Set(reg, RuleKind::ValueOffset, Factored(c.Uleb()));
            break;
        }
        case DW_CFA_val_offset_sf: {
            const uint64_t reg = c.Uleb();
            Set(reg, RuleKind::ValueOffset, Factored(uint64_t(c.Sleb())));
            break;
        }
        case DW_CFA_val_expression: SetExpression(c.Uleb(), RuleKind::ValueExpression, c); break;
        case DW_CFA_GNU_args_size: c.Uleb(); break; // the size of the arguments pushed
        case DW_CFA_GNU_negative_offset_extended: {
            const uint64_t reg = c.Uleb();
            Set(reg, RuleKind::Offset, Factored(uint64_t(0) - c.Uleb()));
            break;
        }
        default: return Outcome::Malformed;
        }
        return Outcome::Go;
    }

    // A factored offset: an operand times the CIE's data alignment, wrapping
    // as the machine does rather than overflowing.
    int64_t Factored(uint64_t operand) const { return static_cast<int64_t>(operand * uint64_t(cie_.dataAlign)); }
    // False once the location has passed the target.
    bool Advance(uint64_t delta)
    {
        location_ += delta * cie_.codeAlign;
        return location_ <= target_;
    }
    // Registers the walk does not follow (vector registers, say) have rules
    // too; theirs are left out.
    void Set(uint64_t reg, RuleKind kind, int64_t offset)
    {
        if (reg < kRegisters)
            row_->rules[reg] = Rule{kind, offset, nullptr, 0};
    }
    void SetExpression(uint64_t reg, RuleKind kind, TableCursor& c)
    {
        const uint64_t length = c.Uleb();
        if (reg < kRegisters && c.Has(length))
            row_->rules[reg] = Rule{kind, 0, c.p, length};
        c.Skip(length);
    }
    void Restore(uint64_t reg)
    {
        if (reg < kRegisters)
            row_->rules[reg] = initial_ ? initial_->rules[reg] : Rule{};
    }
    void DefineCfa(uint64_t reg, int64_t offset)
    {
        row_->cfaRegister = reg;
        row_->cfaOffset = offset;
        row_->cfaExpression = nullptr;
    }

    const CommonInformationEntry& cie_;
    const Row* initial_;
    Row* row_;
    uint64_t location_;
    const uint64_t target_;
    Row remembered_[kMaxRememberedRows];
    int depth_ = 0;
};

// ---- Location expressions ----

// How many values an operation takes from the stack (those that take none,
// or check for themselves, give 0).
int OperandsTaken(uint8_t op)
{
    switch (op) {
    case DW_OP_deref:
    case DW_OP_dup:
    case DW_OP_drop:
    case DW_OP_abs:
    case DW_OP_neg:
    case DW_OP_not:
    case DW_OP_plus_uconst:
    case DW_OP_bra: return 1;
    case DW_OP_over:
    case DW_OP_swap:
    case DW_OP_and:
    case DW_OP_div:
    case DW_OP_minus:
    case DW_OP_mod:
    case DW_OP_mul:
    case DW_OP_or:
    case DW_OP_plus:
    case DW_OP_shl:
    case DW_OP_shr:
    case DW_OP_shra:
    case DW_OP_xor:
    case DW_OP_eq:
    case DW_OP_ge:
    case DW_OP_gt:
    case DW_OP_le:
    case DW_OP_lt:
    case DW_OP_ne: return 2;
    case DW_OP_rot: return 3;
    default: return 0;
    }
}

// An operation that takes the top two values (a below b) and leaves one;
// false for one that is not such, or that has no result (a division by 0).
bool Binary(uint8_t op, uint64_t a, uint64_t b, uint64_t* out)
{
    const auto sa = static_cast<int64_t>(a);
    const auto sb = static_cast<int64_t>(b);
    switch (op) {
    case DW_OP_and: *out = a & b; return true;
    case DW_OP_div:
        if (b == 0)
            return false;
        // The one quotient that does not fit (the least value by -1) wraps,
        // where the processor's division would fault.
        *out = sb == -1 ? uint64_t(0) - a : static_cast<uint64_t>(sa / sb);
        return true;
    case DW_OP_minus: *out = a - b; return true;
    case DW_OP_mod:
        if (b == 0)
            return false;
        *out = a % b;
        return true;
    case DW_OP_mul: *out = a * b; return true;
    case DW_OP_or: *out = a | b; return true;
    case DW_OP_plus: *out = a + b; return true;
    case DW_OP_shl: *out = b < 64 ? a << b : 0; return true;
    case DW_OP_shr: *out = b < 64 ? a >> b : 0; return true;
    case DW_OP_shra: *out = static_cast<uint64_t>(sa >> (b < 64 ? b : 63)); return true;
    case DW_OP_xor: *out = a ^ b; return true;
    case DW_OP_eq: *out = sa == sb; return true;
    case DW_OP_ge: *out = sa >= sb; return true;
    case DW_OP_gt: *out = sa > sb; return true;
    case DW_OP_le: *out = sa <= sb; return true;
    case DW_OP_lt: *out = sa < sb; return true;
    case DW_OP_ne: *out = sa != sb; return true;
    default: return false;
    }
}

// The value stack of an expression; a push past its depth clears `ok`.
class ValueStack {
public:
    static constexpr int kDepth = 32;

    void Push(uint64_t v)
    {
        if (size_ < kDepth)
            values_[size_++] = v;
        else
            ok_ = false;
    }
    uint64_t Pop() { return values_[--size_]; }
    uint64_t& FromTop(int index) { return values_[size_ - 1 - index]; }
    int Size() const { return size_; }
    bool Ok() const { return ok_; }

private:
    uint64_t values_[kDepth] = {};
    int size_ = 0;
    bool ok_ = true;
};

// Branches are counted: a table whose expression jumps back for ever ends
// here.
constexpr int kMaxExpressionSteps = 256;

// Evaluates a location expression. `initial` is pushed first when given (the
// frame address, for register rules).
bool Evaluate(const uint8_t* expression, uint64_t length, const UnwindRegisters& regs, const StackRange& stack,
              const uint64_t* initial, uint64_t* result)
{
    TableCursor c{expression, expression + length};
    ValueStack s;
    if (initial)
        s.Push(*initial);
    for (int steps = 0; c.ok && c.p < c.end; ++steps) {
        if (steps >= kMaxExpressionSteps)
            return false;
        const uint8_t op = c.U8();
        if (op >= DW_OP_lit0 && op <= DW_OP_lit31) {
            s.Push(op - DW_OP_lit0);
        } else if ((op >= DW_OP_breg0 && op <= DW_OP_breg31) || op == DW_OP_bregx) {
            const uint64_t reg = op == DW_OP_bregx ? c.Uleb() : uint64_t(op - DW_OP_breg0);
            const int64_t offset = c.Sleb();
            if (!regs.Has(reg))
                return false;
            s.Push(regs.value[reg] + uint64_t(offset));
        } else {
            if (s.Size() < OperandsTaken(op))
                return false;
            uint64_t binary = 0;
            switch (op) {
            case DW_OP_addr:
            case DW_OP_const8u:
            case DW_OP_const8s: s.Push(c.Fixed(8)); break;
            case DW_OP_deref:
                if (!ReadStackWord(stack, s.FromTop(0), &s.FromTop(0)))
                    return false;
                break;
            case DW_OP_const1u: s.Push(c.Fixed(1)); break;
            case DW_OP_const1s: s.Push(static_cast<uint64_t>(int64_t(int8_t(c.Fixed(1))))); break;
            case DW_OP_const2u: s.Push(c.Fixed(2)); break;
            case DW_OP_const2s: s.Push(static_cast<uint64_t>(int64_t(int16_t(c.Fixed(2))))); break;
            case DW_OP_const4u: s.Push(c.Fixed(4)); break;
            case DW_OP_const4s: s.Push(static_cast<uint64_t>(int64_t(int32_t(c.Fixed(4))))); break;
            case DW_OP_constu: s.Push(c.Uleb()); break;
            case DW_OP_consts: s.Push(static_cast<uint64_t>(c.Sleb())); break;
            case DW_OP_dup: s.Push(s.FromTop(0)); break;
            case DW_OP_drop: s.Pop(); break;
            case DW_OP_over: s.Push(s.FromTop(1)); break;
            case DW_OP_pick: {
                const uint8_t index = c.U8();
                if (index >= s.Size())
                    return false;
                s.Push(s.FromTop(index));
                break;
            }
            case DW_OP_swap: {
                const uint64_t top = s.FromTop(0);
                s.FromTop(0) = s.FromTop(1);
                s.FromTop(1) = top;
                break;
            }
            case DW_OP_rot: { // the top goes third, the other two move up
                const uint64_t top = s.FromTop(0);
                s.FromTop(0) = s.FromTop(1);
                s.FromTop(1) = s.FromTop(2);
                s.FromTop(2) = top;
                break;
            }
            case DW_OP_abs:
                if (static_cast<int64_t>(s.FromTop(0)) < 0)
                    s.FromTop(0) = uint64_t(0) - s.FromTop(0);
                break;
            case DW_OP_neg: s.FromTop(0) = uint64_t(0) - s.FromTop(0); break;
            case DW_OP_not: s.FromTop(0) = ~s.FromTop(0); break;
            case DW_OP_plus_uconst: s.FromTop(0) += c.Uleb(); break;
            case DW_OP_skip:
            case DW_OP_bra: { // bra jumps when the value it takes is not 0
                const auto distance = static_cast<int16_t>(c.Fixed(2));
                if (op == DW_OP_skip || s.Pop() != 0) {
                    const int64_t to = (c.p - expression) + distance;
                    if (to < 0 || uint64_t(to) > length)
                        return false;
                    c.p = expression + to;
                }
                break;
            }
            case DW_OP_nop: break;
            default: {
                if (OperandsTaken(op) != 2)
                    return false; // an operation the walk does not know
                const uint64_t b = s.Pop();
                const uint64_t a = s.Pop();
                if (!Binary(op, a, b, &binary))
                    return false;
                s.Push(binary);
                break;
            }
            }
        }
        if (!s.Ok())
            return false;
    }
    if (!c.ok || s.Size() == 0)
        return false;
    *result = s.FromTop(0);
    return true;
}

// ---- Stepping ----

// The frame's address by the row's CFA rule.
bool FrameAddress(const Row& row, const UnwindRegisters& regs, const StackRange& stack, uint64_t* cfa)
{
    if (row.cfaExpression)
        return Evaluate(row.cfaExpression, row.cfaExpressionLength, regs, stack, nullptr, cfa);
    if (!regs.Has(row.cfaRegister))
        return false;
    *cfa = regs.value[row.cfaRegister] + uint64_t(row.cfaOffset);
    return true;
}

// Where the rule says the caller's value of a register is; false when it
// cannot be found (then the step fails: a wrong value would mislead the rest
// of the walk).
bool CallerValue(const Rule& rule, uint64_t cfa, const UnwindRegisters& regs, const StackRange& stack, uint64_t* v)
{
    switch (rule.kind) {
    case RuleKind::Offset: return ReadStackWord(stack, cfa + uint64_t(rule.offset), v);
    case RuleKind::ValueOffset: *v = cfa + uint64_t(rule.offset); return true;
    case RuleKind::Register:
        if (!regs.Has(static_cast<uint64_t>(rule.offset)))
            return false;
        *v = regs.value[rule.offset];
        return true;
    case RuleKind::Expression:
        return Evaluate(rule.expression, rule.expressionLength, regs, stack, &cfa, v) && ReadStackWord(stack, *v, v);
    case RuleKind::ValueExpression: return Evaluate(rule.expression, rule.expressionLength, regs, stack, &cfa, v);
    default: return false;
    }
}

// Without a table entry: the frame-pointer chain, or, for a fault at an
// address that is no code at all (a call through a bad pointer), the return
// address the call left on top of the stack.
bool StepByFramePointer(const UnwindRegisters& regs, bool innermost, bool inCode, const StackRange& stack,
                        UnwindStep* step)
{
    step->caller = regs;
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

// ---- This process ----

bool FindLoadedModule(uint64_t pc, ModuleTables* tables, void*)
{
    dl_find_object found;
    if (_dl_find_object(reinterpret_cast<void*>(static_cast<uintptr_t>(pc)), &found) != 0)
        return false;
    tables->low = static_cast<const uint8_t*>(found.dlfo_map_start);
    tables->limit = static_cast<const uint8_t*>(found.dlfo_map_end);
    tables->searchTable = static_cast<const uint8_t*>(found.dlfo_eh_frame);
    return true;
}

struct StackSearch {
    uint64_t sp;
    StackRange* range;
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
        s->range->low = holds ? s->sp : m.start;
        s->range->high = m.end;
    }
    return false;
}

} // namespace

bool StepByTables(const ModuleTables& module, const UnwindRegisters& regs, bool exactPc, const StackRange& stack,
                  UnwindStep* step)
{
    const uint64_t pc = regs.value[kPc];
    // A return address is the instruction after the call: the call itself,
    // one byte before, belongs to the calling function (which may end there).
    const uint64_t lookup = exactPc ? pc : pc - 1;
    FrameDescriptionEntry fde;
    if (!FindFrameDescription(module, lookup, &fde))
        return false;
    // The CIE's instructions build the row at the function's start (an
    // advance among them counts towards the pc as the FDE's do).
    Row initial;
    if (!RowBuilder(fde.cie, nullptr, &initial, fde.start, lookup).Run(fde.cie.instructions, fde.cie.end))
        return false;
    Row row = initial;
    if (!RowBuilder(fde.cie, &initial, &row, fde.start, lookup).Run(fde.instructions, fde.end))
        return false;

    uint64_t cfa = 0;
    if (!FrameAddress(row, regs, stack, &cfa))
        return false;
    step->caller = regs;
    for (int r = 0; r < kRegisters; ++r) {
        const Rule& rule = row.rules[r];
        if (rule.kind == RuleKind::Same)
            continue;
        if (rule.kind == RuleKind::Undefined) {
            step->caller.known &= ~(1u << r);
            continue;
        }
        uint64_t v = 0;
        if (!CallerValue(rule, cfa, regs, stack, &v))
            return false;
        step->caller.Set(r, v);
    }
    // The caller's program counter is whatever the return-address column says.
    const uint64_t ra = fde.cie.returnRegister;
    if (ra >= kRegisters)
        return false;
    if (row.rules[ra].kind == RuleKind::Undefined) {
        step->outermost = true; // the entry point says so
    } else {
        if (!step->caller.Has(ra))
            return false;
        step->caller.Set(kPc, step->caller.value[ra]);
    }
    step->caller.Set(kSp, cfa);
    step->frameAddress = cfa;
    step->signalFrame = fde.cie.signalFrame;
    return true;
}

size_t UnwindStack(const UnwindSource& source, const UnwindRegisters& start, FaultFrame* frames, size_t maxFrames)
{
    if (maxFrames == 0 || !start.Has(kPc))
        return 0;
    UnwindRegisters regs = start;
    bool exactPc = true; // the innermost frame stands at the instruction itself
    size_t count = 0;
    while (count < maxFrames) {
        frames[count] = FaultFrame{static_cast<uintptr_t>(regs.value[kPc]), 0};
        ModuleTables module;
        const bool inCode = source.findModule && source.findModule(regs.value[kPc], &module, source.context);
        UnwindStep step;
        const bool stepped = (inCode && StepByTables(module, regs, exactPc, source.stack, &step)) ||
                             StepByFramePointer(regs, count == 0, inCode, source.stack, &step);
        if (stepped)
            frames[count].frame = static_cast<uintptr_t>(step.frameAddress);
        ++count;
        if (!stepped || step.outermost)
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

size_t UnwindStack(const UnwindRegisters& start, FaultFrame* frames, size_t maxFrames)
{
    UnwindSource source;
    source.findModule = FindLoadedModule;
    if (start.Has(kSp)) {
        StackSearch search{start.value[kSp], &source.stack};
        ForEachMapping(FindStackMapping, &search);
    }
    return UnwindStack(source, start, frames, maxFrames);
}

} // namespace platform
