#include "platform/crash/SymbolLookup.h"

#include <cerrno>
#include <elf.h>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace platform {

namespace {

// Reads exactly `bytes` at `offset`; false on a short file or an error.
bool ReadAt(int fd, uint64_t offset, void* out, size_t bytes)
{
    auto* p = static_cast<char*>(out);
    while (bytes > 0) {
        const ssize_t got = ::pread(fd, p, bytes, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        p += got;
        offset += static_cast<uint64_t>(got);
        bytes -= static_cast<size_t>(got);
    }
    return true;
}

struct Best {
    bool found = false;
    uint32_t nameOffset = 0;
    uint64_t start = 0;
    bool exact = false; // the address lies inside the symbol's size
};

// Scans one symbol table for the function (or object) that holds `vaddr`.
// Without a covering symbol, the nearest one below is kept as a guess, but
// only sized symbols count as found.
void Scan(int fd, const Elf64_Shdr& table, uint64_t vaddr, Best* best)
{
    if (table.sh_entsize != sizeof(Elf64_Sym) || table.sh_size / sizeof(Elf64_Sym) > (1u << 24))
        return;
    const uint64_t count = table.sh_size / sizeof(Elf64_Sym);
    Elf64_Sym chunk[256];
    for (uint64_t i = 0; i < count; i += 256) {
        const uint64_t n = count - i < 256 ? count - i : 256;
        if (!ReadAt(fd, table.sh_offset + i * sizeof(Elf64_Sym), chunk, n * sizeof(Elf64_Sym)))
            return;
        for (uint64_t k = 0; k < n; ++k) {
            const Elf64_Sym& s = chunk[k];
            const int type = ELF64_ST_TYPE(s.st_info);
            if ((type != STT_FUNC && type != STT_OBJECT) || s.st_shndx == SHN_UNDEF || s.st_value == 0 ||
                s.st_name == 0)
                continue;
            if (s.st_value <= vaddr && vaddr < s.st_value + s.st_size) {
                if (!best->exact || s.st_value > best->start) {
                    *best = Best{true, s.st_name, s.st_value, true};
                }
            }
        }
    }
}

bool IsElf64(const Elf64_Ehdr& header)
{
    return header.e_ident[EI_MAG0] == ELFMAG0 && header.e_ident[EI_MAG1] == ELFMAG1 &&
           header.e_ident[EI_MAG2] == ELFMAG2 && header.e_ident[EI_MAG3] == ELFMAG3 &&
           header.e_ident[EI_CLASS] == ELFCLASS64 && header.e_shentsize == sizeof(Elf64_Shdr) &&
           header.e_phentsize == sizeof(Elf64_Phdr) && header.e_shnum != 0 && header.e_shnum <= 4096;
}

// The load bias: where the first loaded segment sits against its link-time
// address (0 for a program linked at a fixed address). False without one.
bool LoadBias(int fd, const Elf64_Ehdr& header, uint64_t* firstLoad)
{
    for (unsigned i = 0; i < header.e_phnum && i < 256; ++i) {
        Elf64_Phdr ph;
        if (!ReadAt(fd, header.e_phoff + uint64_t(i) * sizeof ph, &ph, sizeof ph))
            return false;
        if (ph.p_type == PT_LOAD) {
            *firstLoad = ph.p_vaddr - ph.p_offset; // the address of file offset 0
            return true;
        }
    }
    return false;
}

// The symbol holding `vaddr` and the string table of its names: the full
// symbol table first, the dynamic one when it was stripped.
bool FindNearest(int fd, const Elf64_Ehdr& header, uint64_t vaddr, Best* best, Elf64_Shdr* strings)
{
    bool haveStrings = false;
    for (uint32_t wanted : {uint32_t(SHT_SYMTAB), uint32_t(SHT_DYNSYM)}) {
        for (unsigned i = 0; i < header.e_shnum && !best->found; ++i) {
            Elf64_Shdr sh;
            if (!ReadAt(fd, header.e_shoff + uint64_t(i) * sizeof sh, &sh, sizeof sh))
                break;
            if (sh.sh_type != wanted || sh.sh_link >= header.e_shnum)
                continue;
            Scan(fd, sh, vaddr, best);
            if (best->found)
                haveStrings = ReadAt(fd, header.e_shoff + uint64_t(sh.sh_link) * sizeof *strings, strings,
                                     sizeof *strings);
        }
        if (best->found)
            break;
    }
    return best->found && haveStrings && best->nameOffset < strings->sh_size;
}

// The name, up to its terminator or the room given; its length.
size_t ReadName(int fd, const Elf64_Shdr& strings, uint64_t nameOffset, char* name, size_t nameSize)
{
    size_t room = nameSize - 1;
    const uint64_t left = strings.sh_size - nameOffset;
    if (room > left)
        room = static_cast<size_t>(left);
    if (!ReadAt(fd, strings.sh_offset + nameOffset, name, room))
        return 0;
    name[room] = '\0';
    size_t n = 0;
    while (n < room && name[n] != '\0')
        ++n;
    name[n] = '\0';
    return n;
}

// FindSymbol on an open module file.
bool FindSymbolIn(int fd, uintptr_t moduleBase, uintptr_t address, char* name, size_t nameSize,
                  uintptr_t* displacement)
{
    Elf64_Ehdr header;
    if (!ReadAt(fd, 0, &header, sizeof header) || !IsElf64(header))
        return false;
    uint64_t firstLoad = 0;
    if (!LoadBias(fd, header, &firstLoad))
        return false;
    const uint64_t vaddr = uint64_t(address) - uint64_t(moduleBase) + firstLoad;
    Best best;
    Elf64_Shdr strings{};
    if (!FindNearest(fd, header, vaddr, &best, &strings))
        return false;
    const size_t length = ReadName(fd, strings, best.nameOffset, name, nameSize);
    if (displacement)
        *displacement = static_cast<uintptr_t>(vaddr - best.start);
    return length > 0;
}

} // namespace

bool FindSymbol(const char* modulePath, uintptr_t moduleBase, uintptr_t address, char* name, size_t nameSize,
                uintptr_t* displacement)
{
    if (!modulePath || !name || nameSize == 0)
        return false;
    name[0] = '\0';
    int fd;
    do
        fd = ::open(modulePath, O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    const bool ok = FindSymbolIn(fd, moduleBase, address, name, nameSize, displacement);
    ::close(fd);
    if (!ok)
        name[0] = '\0';
    return ok;
}

} // namespace platform
