// make_fuzz_seeds <folder>: writes a few valid inputs for every fuzz target
// into <folder>/<target>/, the corpus each one starts from. Made at build
// time from the test fixtures and the program's own writers, so that no
// sample file is kept in the repository and the seeds follow the formats as
// they change.
#include "framework/app/CrashHandler.h"
#include "framework/app/DemoRecorder.h"
#include "framework/app/InputQueue.h"
#include "game/shell/Profile.h"
#include "game/shell/ProfileFile.h"
#include "pak/PakFormat.h"
#include "platform/core/FileSystem.h"
#include "platform/registry/RegistryFile.h"
#include "platform/window/WindowTypes.h"
#include "tests/fuzz/StackWalkInput.h"
#include "tests/platform/crash/EhFrameBuilder.h"
#include "tests/platform/libs/AudioFixtures.h"
#include "tests/support/ImageFixtures.h"

#include <elf.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

class SeedWriter {
public:
    explicit SeedWriter(std::string folder) : folder_(std::move(folder)) {}

    void Add(const std::string& target, const std::string& name, const Bytes& bytes)
    {
        const std::string dir = folder_ + "/" + target;
        if (!platform::MakeDirectories(dir) || !platform::WriteFileAtomic(dir + "/" + name, bytes.data(), bytes.size()))
            failed_ = true;
    }
    void Add(const std::string& target, const std::string& name, const std::string& text)
    {
        Add(target, name, Bytes(text.begin(), text.end()));
    }
    // The bytes behind a first byte that picks the target's reader.
    void AddPicked(const std::string& target, const std::string& name, uint8_t pick, const Bytes& bytes)
    {
        Bytes picked{pick};
        picked.insert(picked.end(), bytes.begin(), bytes.end());
        Add(target, name, picked);
    }
    bool Failed() const { return failed_; }

private:
    std::string folder_;
    bool failed_ = false;
};

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

void AddImages(SeedWriter& out)
{
    const std::vector<uint32_t> pixels = fixtures::PatternPixels(9, 7, false);
    fixtures::TgaSpec tga;
    tga.width = 9;
    tga.height = 7;
    tga.pixels = pixels;
    out.Add("tga", "rgba.tga", fixtures::MakeTga(tga));
    fixtures::GifSpec gif;
    gif.globalColors = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    gif.frames.push_back(fixtures::GifFrame{});
    gif.frames[0].width = 4;
    gif.frames[0].height = 3;
    gif.frames[0].indices = {0, 1, 2, 3, 3, 2, 1, 0, 0, 1, 2, 3};
    gif.netscapeLoop = true;
    out.Add("gif", "frame.gif", fixtures::MakeGif(gif));
    out.Add("png", "rgba.png", fixtures::MakeRgbaPng(9, 7, pixels));
    std::vector<uint8_t> samples;
    for (uint32_t p : pixels)
        samples.insert(samples.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
    out.Add("jpeg", "colour.jpg", fixtures::MakeJpeg(9, 7, 3, samples));
    out.Add("j2k", "colour.jp2", fixtures::MakeJ2k(9, 7, 3, samples, true));
    out.Add("j2k", "colour.j2k", fixtures::MakeJ2k(9, 7, 3, samples, false));
}

void AddSounds(SeedWriter& out)
{
    using namespace audio_fixtures;
    const Bytes wav = SineWav(8000, 1, 16, 300);
    const Bytes ogg = SilentOggVorbis(2, 22050, 5);
    const Bytes mp3 = SilentMp3(3);
    const Bytes module = TinyModule(2);
    out.AddPicked("audio_decoders", "any-wav", 0, wav);
    out.AddPicked("audio_decoders", "any-ogg", 0, ogg);
    out.AddPicked("audio_decoders", "wav", 1, SineWav(11025, 2, 8, 200));
    out.AddPicked("audio_decoders", "ogg", 2, ogg);
    out.AddPicked("audio_decoders", "mp3", 3, mp3);
    out.AddPicked("audio_decoders", "module", 4, module);
    out.AddPicked("audio_decoders", "whole-mp3", 5, mp3);
    // The sound readers: WAV, AU, Ogg, MP3.
    out.AddPicked("wav", "wav", 0, wav);
    Bytes au = Text(".snd");
    for (uint32_t v : {24u, 8u, 2u, 8000u, 1u}) // offset, size, 8-bit linear, rate, channels
        for (int shift = 24; shift >= 0; shift -= 8)
            au.push_back(uint8_t(v >> shift));
    au.insert(au.end(), {0, 40, 80, 120, 127, 80, 40, 0});
    out.AddPicked("wav", "au", 1, au);
    out.AddPicked("wav", "ogg", 2, ogg);
    out.AddPicked("wav", "mp3", 3, mp3);
}

void AddArchiveAndSettings(SeedWriter& out)
{
    Bytes archive;
    std::string error;
    BuildPakArchive({PakMemberSource{"fonts\\a.txt", Text("abc"), 0x01D0000012345678ull},
                     PakMemberSource{"images\\b.png", Text("not really"), 0}},
                    &archive, &error);
    out.Add("pak_archive", "two-members.pak", archive);

    platform::registry::Key root;
    auto& key = root.subKeys["SOFTWARE"];
    key = std::make_unique<platform::registry::Key>();
    key->name = "SOFTWARE";
    key->values["MusicVolume"] = platform::registry::Value{"MusicVolume", 4, {85, 0, 0, 0}};
    key->values["Name"] = platform::registry::Value{"Name", 1, {'T', 'a', 'h', 'o', 'm', 'a', 0}};
    out.Add("registry_file", "settings.txt", platform::registry::Serialize(root));
    out.Add("registry_file", "version1.txt", "pellucor-registry 1\nkey A\\B\nvalue n 4 %01%00%00%00\n");
}

void AddTexts(SeedWriter& out)
{
    out.Add("animation_script", "deal.ani",
            "[animation]\r\nimage=\"cards.png\"\r\nframe_w=71\r\nframe_h=96\r\n[effect]=\"deal\"\r\nautohide=1\r\n"
            "time=100\r\n[frame]\r\nindex=0\r\nimage=\"deal0.png\"\r\n");
    out.Add("font_descriptor", "layers.txt",
            "CreateLayer L; LayerSetImage L glyphs.png;\nLayerSetCharOffsets L ('a' 'b') ((0 0) (1 3));\n"
            "LayerSetImageMap L ('a' 'b') ((0 0 20 10) (15 2 5 8));\nLayerSetAscent L 9;\n");
    out.Add("width_list_font", "widths.txt", "4 9\na 5 b 6 c 4 A 7 1 3\n");
    out.Add("xml_reader", "manifest.xml",
            "<?xml version=\"1.0\"?>\n<ResourceManifest><Resources id=\"Init\"><SetDefaults path=\"images\" "
            "idprefix=\"IMAGE_\"/><Image id=\"FELT\" path=\"felt.png\"/><!-- note --><Sound path=\"click\"/>"
            "<Font id=\"F\" path=\"fonts/f.txt\"/></Resources></ResourceManifest>\n");
    for (uint8_t piece : {1, 7, 255}) {
        out.AddPicked("http_reply", "length-" + std::to_string(piece), piece,
                      Text("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello"));
        out.AddPicked("http_reply", "chunked-" + std::to_string(piece), piece,
                      Text("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n"));
    }
    out.AddPicked("http_reply", "not-found", 16, Text("HTTP/1.0 404 Not Found\r\n\r\n"));
    out.Add("news_page", "version", "HTTP/1.0 200 OK\r\n\r\ngame_ver: 1.6\r\n");
    out.Add("news_page", "news",
            "HTTP/1.0 200 OK\r\n\r\ntovrelly_text: Spring cup on Friday\r\ntovrelly_link: http://news.example/cup\r\n");
}

// A recorded run: the screen mode, input, a registry read and write, a
// relayed value, as the recorder writes them.
Bytes RecordedDemo(const std::string& scratch)
{
    int update = 0;
    Zolt::DemoRecorder recorder([&update] { return update; });
    recorder.SetFileName(scratch);
    recorder.StartRecording();
    recorder.RecordScreenMode(true, 60);
    const auto window = reinterpret_cast<platform::HWND>(uintptr_t(0x100));
    recorder.RecordInput(Zolt::QueuedMessage{window, platform::WM_MOUSEMOVE, 0, 0x00300020}, window, true);
    update = 3;
    recorder.RecordInput(Zolt::QueuedMessage{window, platform::WM_LBUTTONDOWN, 1, 0x00300021}, window, true);
    recorder.RecordInput(Zolt::QueuedMessage{window, platform::WM_KEYDOWN, 'A', 0}, window, true);
    recorder.RecordInput(Zolt::QueuedMessage{window, platform::WM_CHAR, 'a', 0}, window, true);
    const uint32_t volume = 85;
    recorder.RecordRegistryRead(true, 4, &volume, 4);
    recorder.RecordRegistryWrite(true);
    update = 9;
    std::string text = "relayed";
    recorder.RelayText(text);
    recorder.AddMarker("half way");
    update = 20;
    recorder.RecordCommand(Zolt::kDemoLoadingDone);
    recorder.WriteFile(1234, "fuzz");
    std::string bytes;
    platform::ReadWholeFile(scratch, &bytes);
    platform::DeleteFile(scratch);
    return Bytes(bytes.begin(), bytes.end());
}

Bytes SavedProfile(const std::string& scratchFolder)
{
    const std::string previous = platform::GetCurrentDirectory();
    platform::MakeDirectories(scratchFolder + "/save");
    platform::SetCurrentDirectory(scratchFolder);
    Profile ann;
    ann.name = "Ann";
    ann.money = {100, 50, 0, 0, 2500, 1200};
    auto game = std::make_unique<SavedGame>();
    game->tournamentId = 1;
    game->inUse = 1;
    game->current = 1;
    ann.savedGames.push_back(std::move(game));
    // A second tournament left with a hand in play: the block of its exact
    // amounts follows the records.
    auto inPlay = std::make_unique<SavedGame>();
    inPlay->tournamentId = 9;
    inPlay->inUse = 1;
    inPlay->contributionsKnown = 1;
    inPlay->totalPot = 112.5;
    inPlay->humanContribution = 37.5;
    inPlay->seats[0].contribution = 75.0;
    ann.savedGames.push_back(std::move(inPlay));
    SaveProfile(ann);
    std::string bytes;
    platform::ReadWholeFile("save/Ann_.usr", &bytes);
    platform::SetCurrentDirectory(previous);
    platform::DeleteTree(scratchFolder);
    return Bytes(bytes.begin(), bytes.end());
}

// The smallest module file the symbol reader reads a name from: one loaded
// segment, a symbol table with one function and its string table.
Bytes TinyElf()
{
    Elf64_Ehdr header{};
    std::memcpy(header.e_ident, ELFMAG, SELFMAG);
    header.e_ident[EI_CLASS] = ELFCLASS64;
    header.e_ident[EI_DATA] = ELFDATA2LSB;
    header.e_ident[EI_VERSION] = EV_CURRENT;
    header.e_type = ET_DYN;
    header.e_machine = EM_X86_64;
    header.e_version = EV_CURRENT;
    header.e_ehsize = sizeof(Elf64_Ehdr);
    header.e_phoff = sizeof(Elf64_Ehdr);
    header.e_phentsize = sizeof(Elf64_Phdr);
    header.e_phnum = 1;
    header.e_shentsize = sizeof(Elf64_Shdr);
    header.e_shnum = 3;
    Elf64_Phdr load{};
    load.p_type = PT_LOAD;
    const char names[] = "\0fuzz_function\0";
    Elf64_Sym symbols[2]{};
    symbols[1].st_name = 1;
    symbols[1].st_info = ELF64_ST_INFO(STB_GLOBAL, STT_FUNC);
    symbols[1].st_shndx = 1;
    symbols[1].st_value = 0x40;
    symbols[1].st_size = 0x2000;
    const uint64_t symbolsAt = sizeof header + sizeof load;
    const uint64_t namesAt = symbolsAt + sizeof symbols;
    header.e_shoff = namesAt + sizeof names;
    Elf64_Shdr sections[3]{};
    sections[1].sh_type = SHT_SYMTAB;
    sections[1].sh_offset = symbolsAt;
    sections[1].sh_size = sizeof symbols;
    sections[1].sh_entsize = sizeof(Elf64_Sym);
    sections[1].sh_link = 2;
    sections[2].sh_type = SHT_STRTAB;
    sections[2].sh_offset = namesAt;
    sections[2].sh_size = sizeof names;
    Bytes out;
    auto put = [&out](const void* p, size_t n) {
        out.insert(out.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
    };
    put(&header, sizeof header);
    put(&load, sizeof load);
    put(symbols, sizeof symbols);
    put(names, sizeof names);
    put(sections, sizeof sections);
    return out;
}

void AddRecords(SeedWriter& out, const std::string& folder)
{
    const Bytes demo = RecordedDemo(folder + "/seed.dmo");
    out.Add("demo_file", "recorded.dmo", demo);
    out.Add("demo_playback", "recorded.dmo", demo);
    out.Add("profile_file", "Ann_.usr", SavedProfile(folder + "/profile-seed"));

    Bytes viewer = Text(Zolt::EncodeCrashFields({{"build", "fuzz"}, {"os", "Linux"}}));
    viewer.push_back(0);
    const Bytes report = Text("Exception: Access Violation (code 0xc0000005) at address 0 in thread 1\r\n"
                              "Module: pellucor\r\n\r\nRAX:0000000000000000\n");
    viewer.insert(viewer.end(), report.begin(), report.end());
    out.AddPicked("crash_report", "viewer", 0, viewer);
    out.AddPicked("crash_report", "module", 1, TinyElf());
}


// Stacks to walk: three functions out to an entry point, by their tables;
// rows built by every kind of rule and an expression of many operations;
// and frames without tables, by their frame pointers.
void AddStackWalks(SeedWriter& out)
{
    using namespace eh_frame_builder;
    using stack_walk_input::kStackAt;
    using stack_walk_input::kTablesAt;
    auto words = [](std::initializer_list<uint64_t> values) {
        Code stack;
        for (uint64_t v : values)
            stack.Fixed(v, 8);
        return stack.bytes;
    };
    EhFrameImage image;
    const size_t cie = image.AddCie(TypicalCie());
    image.AddFde({cie, 0x100, 0x40, {}});
    image.AddFde({cie, 0x200, 0x40, Code().Op(DW_CFA_advance_loc + 1).Op(DW_CFA_def_cfa_offset).U(16).bytes});
    image.AddFde({cie, 0x300, 0x40, Code().Op(DW_CFA_undefined).U(16).bytes});
    image.AddFde({cie, 0x400, 0x40,
                  Code()
                      .Op(DW_CFA_def_cfa_sf).U(7).S(-2)
                      .Op(DW_CFA_offset_extended).U(3).U(2)
                      .Op(DW_CFA_offset_extended_sf).U(12).S(-1)
                      .Op(DW_CFA_val_offset).U(14).U(1)
                      .Op(DW_CFA_register).U(8).U(1)
                      .Op(DW_CFA_remember_state)
                      .Op(DW_CFA_undefined).U(9)
                      .Op(DW_CFA_restore_state)
                      .Op(DW_CFA_expression).U(2).Block(Code().Op(DW_OP_lit0 + 8).Op(DW_OP_minus))
                      .Op(DW_CFA_val_expression).U(11).Block(Code()
                                                               .Op(DW_OP_breg0 + 7).S(8)
                                                               .Op(DW_OP_deref)
                                                               .Op(DW_OP_const4u).Fixed(0x1000, 4)
                                                               .Op(DW_OP_lit0 + 3).Op(DW_OP_pick).Fixed(1, 1)
                                                               .Op(DW_OP_rot).Op(DW_OP_plus).Op(DW_OP_swap)
                                                               .Op(DW_OP_lit0 + 1).Op(DW_OP_bra).Fixed(1, 2)
                                                               .Op(DW_OP_nop).Op(DW_OP_xor))
                      .Op(DW_CFA_advance_loc + 4)
                      .Op(DW_CFA_def_cfa_expression).Block(Code().Op(DW_OP_breg0 + 7).S(16))
                      .bytes});
    const Bytes tables = image.Build().bytes;
    out.Add("stack_unwinder", "three-functions",
            stack_walk_input::Encode(tables, 0x100, 0, words({kTablesAt + 0x210, 0, kTablesAt + 0x320, 0})));
    out.Add("stack_unwinder", "every-rule",
            stack_walk_input::Encode(tables, 0x402, 8, words({0, 1, kTablesAt + 0x210, 3, kTablesAt + 0x320, 5, 6})));
    out.Add("stack_unwinder", "frame-pointers",
            stack_walk_input::Encode(tables, 0x8000, 0,
                                     words({kTablesAt + 0x9000, 1, 2, 3, 4, 5, kStackAt + 64, 0x7003, kStackAt + 80,
                                            kTablesAt + 0x9010, 0, 0})));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds <folder>\n");
        return 2;
    }
    SeedWriter out(argv[1]);
    AddImages(out);
    AddSounds(out);
    AddArchiveAndSettings(out);
    AddTexts(out);
    AddRecords(out, argv[1]);
    AddStackWalks(out);
    if (out.Failed()) {
        std::fprintf(stderr, "make_fuzz_seeds: cannot write the seeds into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
