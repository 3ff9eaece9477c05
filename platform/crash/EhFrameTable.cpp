#include "platform/crash/EhFrameTable.h"

#include "platform/crash/EhFrameFormat.h"

namespace platform {

using namespace eh_frame;

bool TableCursor::Has(uint64_t n)
{
    if (ok && p <= end && uint64_t(end - p) >= n)
        return true;
    ok = false;
    return false;
}

uint64_t TableCursor::Fixed(int bytes)
{
    if (!Has(uint64_t(bytes)))
        return 0;
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= uint64_t(p[i]) << (8 * i);
    p += bytes;
    return v;
}

uint64_t TableCursor::Uleb()
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

int64_t TableCursor::Sleb()
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

void TableCursor::Skip(uint64_t n)
{
    if (Has(n))
        p += n;
}

uint64_t ReadEncodedPointer(TableCursor& c, uint8_t encoding, uint64_t dataBase)
{
    if (encoding == DW_EH_PE_omit)
        return 0;
    const auto field = reinterpret_cast<uintptr_t>(c.p);
    uint64_t v = 0;
    switch (encoding & kEncodingFormat) {
    case DW_EH_PE_absptr: v = c.Fixed(8); break;
    case DW_EH_PE_uleb128: v = c.Uleb(); break;
    case DW_EH_PE_udata2: v = c.Fixed(2); break;
    case DW_EH_PE_udata4: v = c.Fixed(4); break;
    case DW_EH_PE_udata8: v = c.Fixed(8); break;
    case DW_EH_PE_sleb128: v = static_cast<uint64_t>(c.Sleb()); break;
    case DW_EH_PE_sdata2: v = static_cast<uint64_t>(int64_t(int16_t(c.Fixed(2)))); break;
    case DW_EH_PE_sdata4: v = static_cast<uint64_t>(int64_t(int32_t(c.Fixed(4)))); break;
    case DW_EH_PE_sdata8: v = c.Fixed(8); break;
    default: c.ok = false; return 0;
    }
    switch (encoding & kEncodingApplication) {
    case DW_EH_PE_absptr: break;
    case DW_EH_PE_pcrel: v += field; break;
    case DW_EH_PE_datarel:
        if (dataBase == 0)
            c.ok = false;
        v += dataBase;
        break;
    default: c.ok = false; return 0;
    }
    // An indirect pointer (DW_EH_PE_indirect) is only met for the
    // personality routine, whose value the walk never needs.
    return v;
}

namespace {

// Reads an entry's length field; the end of its content, or null when it
// has none or runs past the tables.
const uint8_t* EntryEnd(TableCursor& c)
{
    uint64_t length = c.Fixed(4);
    if (length == kExtendedLength)
        length = c.Fixed(8);
    if (length == 0 || !c.Has(length))
        return nullptr;
    return c.p + length;
}

} // namespace

bool ParseCommonInformationEntry(const uint8_t* at, const uint8_t* limit, CommonInformationEntry* cie)
{
    TableCursor c{at, limit};
    cie->end = EntryEnd(c);
    if (!cie->end)
        return false;
    c.end = cie->end;
    if (c.Fixed(4) != kCieId)
        return false;
    const uint8_t version = c.U8();
    if (version != 1 && version != 3 && version != 4)
        return false;
    char augmentation[16];
    size_t n = 0;
    for (;;) {
        const char ch = static_cast<char>(c.U8());
        if (!c.ok || n >= sizeof augmentation)
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
        TableCursor data{c.p, c.p + length};
        for (const char* a = augmentation + 1; *a; ++a) {
            if (*a == 'R') {
                cie->pointerEncoding = data.U8();
            } else if (*a == 'P') {
                // The personality routine: only its size matters here, so
                // any base will do for a data-relative one.
                ReadEncodedPointer(data, data.U8(), 1);
            } else if (*a == 'L') {
                data.U8(); // the encoding of the FDEs' language data
            } else if (*a == 'S') {
                cie->signalFrame = true;
            } else if (*a != 'B') {
                break; // unknown from here on; the length lets us skip it
            }
            // What follows a field that cannot be read cannot be found.
            if (!data.ok)
                return false;
        }
        c.p += length;
    } else if (augmentation[0] != '\0') {
        return false; // data of unknown length
    }
    cie->instructions = c.p;
    return c.ok;
}

bool ParseFrameDescriptionEntry(const uint8_t* at, const uint8_t* low, const uint8_t* limit,
                                FrameDescriptionEntry* fde)
{
    TableCursor c{at, limit};
    fde->end = EntryEnd(c);
    if (!fde->end)
        return false;
    c.end = fde->end;
    const uint8_t* idField = c.p;
    const uint64_t back = c.Fixed(4); // the distance back to its CIE
    if (!c.ok || back == kCieId || back > uint64_t(idField - low))
        return false;
    if (!ParseCommonInformationEntry(idField - back, limit, &fde->cie))
        return false;
    fde->start = ReadEncodedPointer(c, fde->cie.pointerEncoding, 0);
    fde->range = ReadEncodedPointer(c, fde->cie.pointerEncoding & kEncodingFormat, 0);
    if (fde->cie.augmentationData)
        c.Skip(c.Uleb());
    fde->instructions = c.p;
    return c.ok;
}

bool FindFrameDescription(const ModuleTables& module, uint64_t pc, FrameDescriptionEntry* fde)
{
    const uint8_t* low = module.low;
    const uint8_t* limit = module.limit;
    const uint8_t* header = module.searchTable;
    if (!header || header < low)
        return false; // (one at the limit or past it gives the cursor nothing to read)
    TableCursor c{header, limit};
    const uint8_t version = c.U8();
    const uint8_t framePointerEncoding = c.U8();
    const uint8_t countEncoding = c.U8();
    const uint8_t tableEncoding = c.U8();
    const auto base = reinterpret_cast<uint64_t>(header);
    ReadEncodedPointer(c, framePointerEncoding, base); // .eh_frame itself: the table leads further
    const uint64_t count = ReadEncodedPointer(c, countEncoding, base);
    // Each row of the table: where a function starts and where its FDE is,
    // both as 4-byte offsets from the header.
    constexpr uint64_t kRowBytes = 8;
    if (!c.ok || version != kSearchTableVersion || countEncoding == DW_EH_PE_omit ||
        tableEncoding != (DW_EH_PE_datarel | DW_EH_PE_sdata4) || count == 0 ||
        count > uint64_t(limit - c.p) / kRowBytes)
        return false;
    const uint8_t* table = c.p;
    auto field = [&](uint64_t row, uint64_t column) {
        TableCursor e{table + row * kRowBytes + column, limit};
        return base + static_cast<uint64_t>(int64_t(int32_t(e.Fixed(4))));
    };
    // The last row starting at or below pc.
    uint64_t lo = 0, hi = count;
    while (hi - lo > 1) {
        const uint64_t mid = lo + (hi - lo) / 2;
        if (field(mid, 0) <= pc)
            lo = mid;
        else
            hi = mid;
    }
    if (field(lo, 0) > pc)
        return false;
    // (One at the limit or past it gives the entry's reader nothing to read.)
    const uint64_t at = field(lo, 4);
    if (at < reinterpret_cast<uint64_t>(low))
        return false;
    const auto* entry = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(at));
    return ParseFrameDescriptionEntry(entry, low, limit, fde) && fde->start <= pc && pc - fde->start < fde->range;
}

} // namespace platform
