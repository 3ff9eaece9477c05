// Hand-made unwind tables for the stack walker's tests and fuzz seeds: a
// search table (.eh_frame_hdr) followed by .eh_frame's CIEs and FDEs, in one
// block of bytes whose first byte is the search table (or, on request, the
// other way round). The functions the FDEs cover are given as offsets from
// the block's first byte, so that wherever the block lies, a pc of (block +
// offset) falls in them.
#pragma once

#include "platform/crash/EhFrameFormat.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace eh_frame_builder {

using Bytes = std::vector<uint8_t>;
using namespace platform::eh_frame;

// Instructions or an expression, written operation by operation.
class Code {
public:
    Code& Op(uint8_t op)
    {
        bytes.push_back(op);
        return *this;
    }
    Code& U(uint64_t v) // ULEB128
    {
        do {
            uint8_t b = v & 0x7F;
            v >>= 7;
            bytes.push_back(v ? (b | 0x80) : b);
        } while (v);
        return *this;
    }
    Code& S(int64_t v) // SLEB128
    {
        for (;;) {
            const uint8_t b = v & 0x7F;
            v >>= 7;
            if ((v == 0 && !(b & 0x40)) || (v == -1 && (b & 0x40))) {
                bytes.push_back(b);
                return *this;
            }
            bytes.push_back(b | 0x80);
        }
    }
    Code& Fixed(uint64_t v, int size)
    {
        for (int i = 0; i < size; ++i)
            bytes.push_back(uint8_t(v >> (8 * i)));
        return *this;
    }
    Code& Raw(const Bytes& more)
    {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }
    // A length-prefixed block (an expression inside an instruction).
    Code& Block(const Code& inner) { return U(inner.bytes.size()).Raw(inner.bytes); }

    Bytes bytes;
};

struct CieSpec {
    uint8_t version = 1;
    std::string augmentation = "zR";
    uint64_t codeAlign = 1;
    int64_t dataAlign = -8;
    uint64_t returnRegister = 16;
    uint8_t pointerEncoding = DW_EH_PE_pcrel | DW_EH_PE_sdata4;
    // What follows the augmentation's length: by default the pointer
    // encoding for 'R' (and nothing for the other letters).
    Bytes augmentationData;
    bool useDefaultAugmentationData = true;
    Bytes instructions;
    bool extendedLength = false; // a 64-bit length field
};

struct FdeSpec {
    size_t cie = 0;
    uint32_t start = 0; // offset of the function from the block's first byte
    uint32_t range = 0;
    Bytes instructions;
};

// The typical CIE of x86-64 code: at a function's first instruction the
// frame is the stack pointer plus 8 and the return address lies just below.
inline CieSpec TypicalCie()
{
    CieSpec cie;
    cie.instructions = Code().Op(DW_CFA_def_cfa).U(7).U(8).Op(DW_CFA_offset + 16).U(1).bytes;
    return cie;
}

struct Built {
    Bytes bytes;
    size_t searchTable = 0;   // where the search table begins
    std::vector<size_t> cies; // where each entry begins
    std::vector<size_t> fdes;
};

class EhFrameImage {
public:
    static constexpr size_t kHeaderBytes = 12;

    size_t AddCie(CieSpec cie)
    {
        cies_.push_back(std::move(cie));
        return cies_.size() - 1;
    }
    void AddFde(FdeSpec fde) { fdes_.push_back(std::move(fde)); }

    // With `searchTableLast` the search table follows .eh_frame instead, so
    // that its rows end the block.
    Built Build(bool searchTableLast = false) const
    {
        Built out;
        const size_t headerBytes = kHeaderBytes + 8 * fdes_.size();
        const size_t frameStart = searchTableLast ? 0 : headerBytes;
        Code frame; // .eh_frame, from frameStart on
        for (const CieSpec& cie : cies_) {
            out.cies.push_back(frameStart + frame.bytes.size());
            Code body;
            body.Fixed(kCieId, 4).Op(cie.version).Raw(Bytes(cie.augmentation.begin(), cie.augmentation.end())).Op(0);
            if (cie.version == 4)
                body.Op(8).Op(0);
            body.U(cie.codeAlign).S(cie.dataAlign);
            if (cie.version == 1)
                body.Op(uint8_t(cie.returnRegister));
            else
                body.U(cie.returnRegister);
            if (!cie.augmentation.empty() && cie.augmentation[0] == 'z') {
                Bytes data = cie.augmentationData;
                if (cie.useDefaultAugmentationData && cie.augmentation.find('R') != std::string::npos)
                    data.push_back(cie.pointerEncoding);
                body.U(data.size()).Raw(data);
            }
            body.Raw(cie.instructions);
            AppendEntry(frame, body, cie.extendedLength);
        }
        std::vector<std::pair<uint32_t, uint32_t>> rows; // function start, FDE offset
        for (const FdeSpec& fde : fdes_) {
            const size_t at = frameStart + frame.bytes.size();
            out.fdes.push_back(at);
            const size_t idField = at + 4;
            Code body;
            body.Fixed(idField - out.cies[fde.cie], 4);
            const int64_t startField = int64_t(idField + 4);
            body.Fixed(uint32_t(int32_t(int64_t(fde.start) - startField)), 4).Fixed(fde.range, 4);
            if (cies_[fde.cie].augmentation.rfind('z', 0) == 0)
                body.U(0);
            body.Raw(fde.instructions);
            AppendEntry(frame, body, false);
            rows.emplace_back(fde.start, uint32_t(at));
        }
        frame.Fixed(0, 4); // the terminator
        std::sort(rows.begin(), rows.end());

        // Offsets in the header are from the header itself.
        const int64_t headerAt = searchTableLast ? int64_t(frame.bytes.size()) : 0;
        Code header;
        header.Op(kSearchTableVersion)
            .Op(DW_EH_PE_pcrel | DW_EH_PE_sdata4)
            .Op(DW_EH_PE_udata4)
            .Op(DW_EH_PE_datarel | DW_EH_PE_sdata4);
        header.Fixed(uint32_t(int64_t(frameStart) - headerAt - 4), 4).Fixed(rows.size(), 4);
        for (const auto& [start, fde] : rows)
            header.Fixed(uint32_t(start - headerAt), 4).Fixed(uint32_t(fde - headerAt), 4);
        if (searchTableLast) {
            out.bytes = frame.bytes;
            out.bytes.insert(out.bytes.end(), header.bytes.begin(), header.bytes.end());
            out.searchTable = size_t(headerAt);
        } else {
            out.bytes = header.bytes;
            out.bytes.insert(out.bytes.end(), frame.bytes.begin(), frame.bytes.end());
        }
        return out;
    }

private:
    static void AppendEntry(Code& frame, const Code& body, bool extended)
    {
        if (extended)
            frame.Fixed(kExtendedLength, 4).Fixed(body.bytes.size(), 8);
        else
            frame.Fixed(body.bytes.size(), 4);
        frame.Raw(body.bytes);
    }

    std::vector<CieSpec> cies_;
    std::vector<FdeSpec> fdes_;
};

} // namespace eh_frame_builder
